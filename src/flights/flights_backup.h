#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>

namespace kestrova {

// What one backup of Voli.cds came to.
struct FlightsBackupResult {
    enum class Outcome { Copied, NoFile, Damaged, Failed };
    Outcome outcome = Outcome::Failed;
    std::string path;  // the new backup when copied
};

// Copies Voli.cds of the working directory into its "backups" folder (made
// when missing) through SQLite's online backup API, as
// "Voli-YYYYMMDD-HHMMSS-mmm.cds" (UTC, the time given), then removes the
// oldest such copies beyond `keep`. The copy is made under a temporary name and
// checked (our table, every page sound) before it takes its place: a damaged
// Voli.cds never becomes a backup and never costs an older one. The source is
// read in short steps, each holding its read lock for a moment only, so the
// table's own connection is never kept waiting long.
FlightsBackupResult BackupFlightsFile(const std::string& workingDirectory,
                                      std::chrono::system_clock::time_point now, size_t keep = 5);

// The start-up backup on a thread of its own. Destroying the job waits for it.
class FlightsBackupJob {
public:
    explicit FlightsBackupJob(const std::string& workingDirectory);
    ~FlightsBackupJob();
    FlightsBackupJob(const FlightsBackupJob&) = delete;
    FlightsBackupJob& operator=(const FlightsBackupJob&) = delete;

    // Waits for the backup and gives its result.
    FlightsBackupResult Wait();

private:
    FlightsBackupResult result_;  // before the thread, which writes it
    std::thread thread_;
};

std::unique_ptr<FlightsBackupJob> StartFlightsBackup(const std::string& workingDirectory);

}  // namespace kestrova
