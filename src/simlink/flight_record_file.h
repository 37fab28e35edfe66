#pragma once

#include <string>
#include <vector>

// The flight record FS98.log of the working directory. The recorder holds it
// under an exclusive lock while it writes; readers take a shared lock without
// waiting, so they fail while a recording is in progress.
namespace kestrova {

inline constexpr const char* kFlightRecordName = "FS98.log";

// FS98.log of the directory, matched without regard to letter case.
std::string FlightRecordPath(const std::string& workingDirectory);

// All lines of the flight record. Throws Error("Cannot open file <path>") when
// the file is missing, unreadable or held by a recorder.
std::vector<std::string> LoadFlightRecord(const std::string& workingDirectory);

}  // namespace kestrova
