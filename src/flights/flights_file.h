#pragma once

#include <string>

struct sqlite3;

namespace kestrova::flights_file {

// Opens the flights table file for reading and writing, creating an empty
// table when no file exists. Returns nullptr when the file exists but is not
// a sound, readable and writable flights table; such a file is checked
// through a read-only connection (or a private copy) and is never written.
sqlite3* OpenTableFile(const std::string& path);

}  // namespace kestrova::flights_file
