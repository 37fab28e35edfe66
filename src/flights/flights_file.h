#pragma once

#include <mutex>
#include <string>

struct sqlite3;

namespace kestrova::flights_file {

inline constexpr int kBusyTimeoutMs = 5000;

// Why a table file could not be opened.
enum class OpenProblem { None, Unusable, Busy };

// Opens the flights table file for reading and writing, creating an empty
// table when no file exists. Returns nullptr when the file exists but is not
// a readable, writable flights table (header and schema; every page as well
// when an interrupted commit left a journal); such a file is checked through
// a read-only connection (or a private copy) and is never written. The pages
// of a file opened here are left to CheckTablePages.
// A file that another process keeps locked for longer than the busy timeout
// gives nullptr with the problem Busy; every connection returned waits that
// long for a lock before it fails.
sqlite3* OpenTableFile(const std::string& path, OpenProblem* problem = nullptr,
                       int busyTimeoutMs = kBusyTimeoutMs);

enum class PageVerdict { Sound, Damaged, Cancelled };

// Lets another thread stop a running CheckTablePages.
class PageCheckStop {
public:
    void Stop();
    bool Stopped();

private:
    friend class PageCheckConnection;
    std::mutex mutex_;
    sqlite3* db_ = nullptr;
    bool stopped_ = false;
};

// Reads every page of the table file through a read-only connection of its
// own, at a lower priority, so it can run on a worker thread beside the
// table's connection without slowing the start. A stop ends it early
// (Cancelled), and so does a lock held past the busy timeout: unread pages
// tell nothing.
PageVerdict CheckTablePages(const std::string& path, PageCheckStop& stop, int busyTimeoutMs = kBusyTimeoutMs);

}  // namespace kestrova::flights_file
