#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "flights/flights_file.h"
#include "platform/platform.h"

namespace kestrova::flights_file {

namespace {

// RECNO keeps the rowid stable (VACUUM may renumber a bare rowid) and never
// reused, so a rowid named on the command line cannot hit a later flight.
constexpr const char* kSchema =
    "BEGIN;"
    "CREATE TABLE ClientDataSet1 ("
    " ID TEXT NOT NULL DEFAULT '',"
    " DESCRIZIONE TEXT NOT NULL DEFAULT '',"
    " PIANO_DI_VOLO TEXT NOT NULL DEFAULT '',"
    " TIPO TEXT NOT NULL DEFAULT '',"
    " RECNO INTEGER PRIMARY KEY AUTOINCREMENT);"
    "CREATE INDEX ClientDataSet1Index1 ON ClientDataSet1 (ID);"
    "CREATE INDEX ClientDataSet1Index2 ON ClientDataSet1 (DESCRIZIONE);"
    "CREATE INDEX ClientDataSet1TypeIndex1 ON ClientDataSet1 (TIPO, ID);"
    "CREATE INDEX ClientDataSet1TypeIndex2 ON ClientDataSet1 (TIPO, DESCRIZIONE);"
    "PRAGMA user_version = 1;"
    "COMMIT;";

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

void SyncDirectory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool HasDatabaseHeader(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char header[16] = {};
    const ssize_t n = ::read(fd, header, sizeof header);
    ::close(fd);
    return n == static_cast<ssize_t>(sizeof header) && std::memcmp(header, "SQLite format 3", 16) == 0;
}

bool SingleValue(sqlite3* db, const char* sql, std::string& value) {
    sqlite3_stmt* stmt = nullptr;
    bool ok = false;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        value = text == nullptr ? "" : text;
        ok = true;
    }
    sqlite3_finalize(stmt);
    return ok;
}

// The table with our columns, in our order, and a file whose pages are sound.
// Returns the SQLite result code of the first failing read, or SQLITE_OK.
int CheckTable(sqlite3* db, bool pages, bool& isTable) {
    isTable = false;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT name, pk FROM pragma_table_info('ClientDataSet1') ORDER BY cid", -1, &stmt,
                                nullptr);
    if (rc != SQLITE_OK) {
        rc = sqlite3_extended_errcode(db);
        sqlite3_finalize(stmt);
        return rc;
    }
    static const char* const kColumns[] = {"ID", "DESCRIZIONE", "PIANO_DI_VOLO", "TIPO", "RECNO"};
    size_t n = 0;
    bool columnsMatch = true;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        const bool pk = sqlite3_column_int(stmt, 1) != 0;
        if (n >= 5 || name == nullptr || std::strcmp(name, kColumns[n]) != 0 || pk != (n == 4)) columnsMatch = false;
        ++n;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) return sqlite3_extended_errcode(db);
    if (!columnsMatch || n != 5) return SQLITE_OK;
    std::string value;
    if (!SingleValue(db, "PRAGMA user_version", value)) return sqlite3_extended_errcode(db);
    if (value != "1") return SQLITE_OK;
    if (!pages) {
        isTable = true;
        return SQLITE_OK;
    }
    // The whole file is read here once, as a table loaded into memory would be,
    // so that damage shows at start-up and not in the middle of an edit.
    if (!SingleValue(db, "PRAGMA quick_check(1)", value)) return sqlite3_extended_errcode(db);
    isTable = value == "ok";
    return SQLITE_OK;
}

// An interrupted commit leaves a journal that only a writing connection can roll
// back. Check a private copy of both files instead, so that a file which turns
// out not to be our table is still left exactly as found.
bool CheckCopyWithJournal(const std::string& path) {
    std::string dir;
    try {
        dir = platform::SystemTempDirectory() + "volicheckXXXXXX";
    } catch (...) {
        return false;
    }
    if (::mkdtemp(dir.data()) == nullptr) return false;
    const std::string copy = dir + "/Voli.cds";
    bool isTable = false;
    try {
        platform::CopyFileReplacing(path, copy);
        platform::CopyFileReplacing(path + "-journal", copy + "-journal");
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(copy.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
            CheckTable(db, true, isTable);
        sqlite3_close_v2(db);
    } catch (...) {
        isTable = false;
    }
    ::unlink((copy + "-journal").c_str());
    ::unlink(copy.c_str());
    ::rmdir(dir.c_str());
    return isTable;
}

bool IsBusy(int rc) { return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED; }

OpenProblem CheckSoundTable(const std::string& path, int busyTimeoutMs) {
    if (!HasDatabaseHeader(path)) return OpenProblem::Unusable;
    sqlite3* db = nullptr;
    bool isTable = false;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    // Header and schema only: reading every page of a large file would hold up
    // the start, so that check runs afterwards (CheckTablePages).
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, busyTimeoutMs);
        rc = CheckTable(db, false, isTable);
    }
    sqlite3_close_v2(db);
    if (rc == SQLITE_READONLY_ROLLBACK) return CheckCopyWithJournal(path) ? OpenProblem::None : OpenProblem::Unusable;
    if (IsBusy(rc)) return OpenProblem::Busy;
    return rc == SQLITE_OK && isTable ? OpenProblem::None : OpenProblem::Unusable;
}

// A new empty table is made under a temporary name and linked into place, so a
// failure halfway never leaves a Voli.cds that later reads as damaged, and a
// file that appeared meanwhile is not replaced.
bool CreateEmptyTable(const std::string& path) {
    const std::string dir = DirectoryOf(path);
    std::string temp = platform::JoinPath(dir, ".Voli.cds.XXXXXX");
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, "PRAGMA synchronous = FULL;", nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) == SQLITE_OK;
    ok = sqlite3_close(db) == SQLITE_OK && ok;
    if (ok && ::link(temp.c_str(), path.c_str()) != 0 && errno != EEXIST) ok = false;
    ::unlink((temp + "-journal").c_str());
    ::unlink(temp.c_str());
    if (ok) SyncDirectory(dir);
    return ok;
}

}  // namespace

void PageCheckStop::Stop() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    if (db_ != nullptr) sqlite3_interrupt(db_);
}

bool PageCheckStop::Stopped() {
    std::lock_guard lock(mutex_);
    return stopped_;
}

// The checking connection, known to the stop while it is open.
class PageCheckConnection {
public:
    PageCheckConnection(const std::string& path, PageCheckStop& stop, int busyTimeoutMs) : stop_(stop) {
        std::lock_guard lock(stop_.mutex_);
        if (stop_.stopped_) return;
        rc_ = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
        // Another program's commit is no damage: wait for it as the table does.
        if (rc_ == SQLITE_OK) sqlite3_busy_timeout(db_, busyTimeoutMs);
        stop_.db_ = db_;
    }
    ~PageCheckConnection() {
        std::lock_guard lock(stop_.mutex_);
        stop_.db_ = nullptr;
        sqlite3_close_v2(db_);
    }
    sqlite3* Db() const { return rc_ == SQLITE_OK ? db_ : nullptr; }

private:
    PageCheckStop& stop_;
    sqlite3* db_ = nullptr;
    int rc_ = SQLITE_CANTOPEN;
};

PageVerdict CheckTablePages(const std::string& path, PageCheckStop& stop, int busyTimeoutMs) {
    // Only this thread: the start-up goes first.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
    bool isTable = false;
    int rc = SQLITE_CANTOPEN;
    {
        PageCheckConnection connection(path, stop, busyTimeoutMs);
        if (connection.Db() != nullptr) rc = CheckTable(connection.Db(), true, isTable);
    }
    // A lock held past the timeout leaves the pages unread, which tells
    // nothing about them; the header and schema were sound at open.
    if (stop.Stopped() || IsBusy(rc)) return PageVerdict::Cancelled;
    return rc == SQLITE_OK && isTable ? PageVerdict::Sound : PageVerdict::Damaged;
}

sqlite3* OpenTableFile(const std::string& path, OpenProblem* problem, int busyTimeoutMs) {
    OpenProblem ignored = OpenProblem::None;
    OpenProblem& result = problem != nullptr ? *problem : ignored;
    result = OpenProblem::Unusable;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT || !CreateEmptyTable(path)) return nullptr;
    } else if (!S_ISREG(st.st_mode)) {
        return nullptr;
    }
    // The journal beside the file needs a writable directory; without it every
    // change would fail, so the table is treated as unusable from the start.
    if (::access(DirectoryOf(path).c_str(), W_OK | X_OK) != 0 || ::access(path.c_str(), R_OK | W_OK) != 0)
        return nullptr;
    result = CheckSoundTable(path, busyTimeoutMs);
    if (result != OpenProblem::None) return nullptr;

    sqlite3* db = nullptr;
    bool isTable = false;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_db_readonly(db, "main") != 0) {
        sqlite3_close_v2(db);
        result = OpenProblem::Unusable;
        return nullptr;
    }
    // The timeout comes before the first statement: the pragmas below read the
    // file too, and another process (a second CLI, the application) may hold
    // it for a moment.
    sqlite3_busy_timeout(db, busyTimeoutMs);
    // A rollback journal, not WAL: after every commit Voli.cds alone holds all
    // flights, so copying the file while the system runs loses nothing.
    int rc = sqlite3_exec(db, "PRAGMA journal_mode = DELETE; PRAGMA synchronous = FULL;", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = CheckTable(db, false, isTable);
    if (rc != SQLITE_OK || !isTable) {
        result = IsBusy(rc) || IsBusy(sqlite3_extended_errcode(db)) ? OpenProblem::Busy : OpenProblem::Unusable;
        sqlite3_close_v2(db);
        return nullptr;
    }
    result = OpenProblem::None;
    return db;
}

}  // namespace kestrova::flights_file
