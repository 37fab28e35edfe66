#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The flight record FS98.log of the working directory. The recorder holds it
// exclusively while it writes (an exclusive lock on POSIX, a sharing mode
// that admits only readers on Windows); readers that refuse to share the file
// with a writer go through LoadFlightRecord and fail while a recording is in
// progress.
namespace kestrova {

inline constexpr const char* kFlightRecordName = "FS98.log";

// FS98.log of the directory, matched without regard to letter case.
std::string FlightRecordPath(const std::string& workingDirectory);

// All lines of the flight record. Throws Error("Cannot open file <path>") when
// the file is missing, unreadable or held by a recorder.
std::vector<std::string> LoadFlightRecord(const std::string& workingDirectory);

// The recorder's hold on the record.
class FlightRecordWriter {
public:
    FlightRecordWriter() = default;
    ~FlightRecordWriter();
    FlightRecordWriter(const FlightRecordWriter&) = delete;
    FlightRecordWriter& operator=(const FlightRecordWriter&) = delete;

    // Opens (creating when missing) and takes the file for this writer; then
    // empties it unless appending. False when it cannot be opened or is held
    // by another writer or reader.
    bool Open(const std::string& path, bool append);

    // Writes the line with CR LF and pushes it to the file at once.
    bool WriteLine(const std::string& line);

    // Lets go of the file; false when the last data could not be stored.
    bool Close();

    bool IsOpen() const { return handle_ != kNoHandle; }

private:
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t handle_ = kNoHandle;
};

}  // namespace kestrova
