#pragma once

#include <string>

struct sqlite3;

namespace kestrova::flights_file {

inline constexpr int kBusyTimeoutMs = 5000;

// Why a table file could not be opened.
enum class OpenProblem { None, Unusable, Busy };

// Opens the flights table file for reading and writing, creating an empty
// table when no file exists. Returns nullptr when the file exists but is not
// a sound, readable and writable flights table; such a file is checked
// through a read-only connection (or a private copy) and is never written.
// A file that another process keeps locked for longer than the busy timeout
// gives nullptr with the problem Busy; every connection returned waits that
// long for a lock before it fails.
sqlite3* OpenTableFile(const std::string& path, OpenProblem* problem = nullptr,
                       int busyTimeoutMs = kBusyTimeoutMs);

}  // namespace kestrova::flights_file
