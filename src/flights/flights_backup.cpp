#include "flights/flights_backup.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/platform.h"

namespace kestrova {

namespace {

namespace fs = std::filesystem;

constexpr int kPagesPerStep = 128;  // about half a megabyte: a lock of a millisecond or so
constexpr int kRetryPauseMs = 5;
constexpr const char* kPrefix = "Voli-";
constexpr const char* kSuffix = ".cds";

// "Voli-YYYYMMDD-HHMMSS-mmm.cds": names sort as the times they carry.
std::string BackupName(std::chrono::system_clock::time_point when) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm utc {};
#ifdef _WIN32
    gmtime_s(&utc, &seconds);
#else
    gmtime_r(&seconds, &utc);
#endif
    char text[64];
    std::snprintf(text, sizeof text, "%s%04d%02d%02d-%02d%02d%02d-%03d%s", kPrefix, utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(ms % 1000),
                  kSuffix);
    return text;
}

bool IsBackupName(const std::string& name) {
    // Voli- + 8 digits + '-' + 6 digits + '-' + 3 digits + .cds
    if (name.size() != 5 + 8 + 1 + 6 + 1 + 3 + 4) return false;
    if (name.compare(0, 5, kPrefix) != 0 || name.compare(name.size() - 4, 4, kSuffix) != 0) return false;
    for (size_t i = 5; i < name.size() - 4; ++i) {
        const bool dash = i == 13 || i == 20;
        if (dash ? name[i] != '-' : (name[i] < '0' || name[i] > '9')) return false;
    }
    return true;
}

std::string SingleText(sqlite3* db, const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    std::string value;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        if (text != nullptr) value = text;
    }
    sqlite3_finalize(stmt);
    return value;
}

// The copy is a flights table whose every page reads back sound.
bool IsSoundCopy(const std::string& path) {
    sqlite3* db = nullptr;
    bool sound = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
                 SingleText(db, "PRAGMA user_version") == "1" &&
                 SingleText(db, "SELECT count(*) FROM pragma_table_info('ClientDataSet1')") == "5" &&
                 SingleText(db, "PRAGMA integrity_check(1)") == "ok";
    sqlite3_close_v2(db);
    return sound;
}

// Copies the source into a new file through the online backup API, in steps.
// Returns SQLITE_DONE or the code of the failure.
int CopyWithBackupApi(const std::string& source, const std::string& target) {
    sqlite3* from = nullptr;
    sqlite3* to = nullptr;
    int result = SQLITE_CANTOPEN;
    const bool ok = sqlite3_open_v2(source.c_str(), &from, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
              sqlite3_open_v2(target.c_str(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK &&
              sqlite3_exec(to, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
        if (backup != nullptr) {
            int rc = SQLITE_OK;
            int busyRounds = 0;
            do {
                rc = sqlite3_backup_step(backup, kPagesPerStep);
                if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
                    // A writer holds the file: let it finish, for a minute at most.
                    if (++busyRounds > 60000 / kRetryPauseMs) break;
                    sqlite3_sleep(kRetryPauseMs);
                } else if (rc == SQLITE_OK) {
                    busyRounds = 0;
                }
            } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
            const int finished = sqlite3_backup_finish(backup);
            if (rc == SQLITE_DONE && finished != SQLITE_OK) rc = finished;
            result = rc;
        }
    }
    if (sqlite3_close(to) != SQLITE_OK && result == SQLITE_DONE) result = SQLITE_IOERR;
    sqlite3_close_v2(from);
    return result;
}

void RemoveQuietly(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
    fs::remove(path + "-journal", ec);
}

}  // namespace

FlightsBackupResult BackupFlightsFile(const std::string& workingDirectory,
                                      std::chrono::system_clock::time_point now, size_t keep) {
    FlightsBackupResult result;
    const std::string source = platform::JoinPath(workingDirectory, "Voli.cds");
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) {
        result.outcome = FlightsBackupResult::Outcome::NoFile;
        return result;
    }
    const std::string folder = platform::JoinPath(workingDirectory, "backups");
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) return result;

    std::string target = platform::JoinPath(folder, BackupName(now));
    while (fs::exists(target, ec)) {
        now += std::chrono::milliseconds(1);
        target = platform::JoinPath(folder, BackupName(now));
    }
    // A name the rotation never counts, until the copy has proved sound.
    const std::string temp = platform::JoinPath(folder, ".Voli-backup.tmp");
    RemoveQuietly(temp);
    const int copied = CopyWithBackupApi(source, temp);
    if (copied != SQLITE_DONE) {
        RemoveQuietly(temp);
        if (copied == SQLITE_NOTADB || copied == SQLITE_CORRUPT) result.outcome = FlightsBackupResult::Outcome::Damaged;
        return result;
    }
    if (!IsSoundCopy(temp)) {
        RemoveQuietly(temp);
        result.outcome = FlightsBackupResult::Outcome::Damaged;
        return result;
    }
    fs::rename(temp, target, ec);
    if (ec) {
        RemoveQuietly(temp);
        return result;
    }
    result.outcome = FlightsBackupResult::Outcome::Copied;
    result.path = target;

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (IsBackupName(name) && entry.is_regular_file(ec)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (size_t i = 0; i + keep < names.size(); ++i) fs::remove(platform::JoinPath(folder, names[i]), ec);
    return result;
}

FlightsBackupJob::FlightsBackupJob(const std::string& workingDirectory)
    : thread_([this, workingDirectory] {
          result_ = BackupFlightsFile(workingDirectory, std::chrono::system_clock::now());
      }) {}

FlightsBackupJob::~FlightsBackupJob() {
    if (thread_.joinable()) thread_.join();
}

FlightsBackupResult FlightsBackupJob::Wait() {
    if (thread_.joinable()) thread_.join();
    return result_;
}

std::unique_ptr<FlightsBackupJob> StartFlightsBackup(const std::string& workingDirectory) {
    return std::make_unique<FlightsBackupJob>(workingDirectory);
}

}  // namespace kestrova
