#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/error.h"
#include "flights/flights_table.h"
#include "temp_dir.h"

namespace kestrova {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr const char* kClosed = "ClientDataSet1: Cannot perform this operation on a closed dataset";

// Runs the body in a child process; the child's exit status, or 128 + signal.
int InChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

// Expects every change to the table of the directory to fail, the table to be
// closed with the open error, and the file to keep exactly the bytes it had.
// A file whose header and schema look right opens at first; the insert waits
// for the check of its pages, which closes it.
void ExpectClosedAndUntouched(const TempDir& dir, const std::string& before) {
    {
        TDM dm(dir.path());
        FlightsTable& table = dm.ClientDataSet1();
        try {
            table.InsertFlight("AZ100", "LIRF LIML", "log\r\n");
            ADD_FAILURE() << "insert into a closed table";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), kClosed);
        }
        EXPECT_FALSE(table.IsOpen());
        EXPECT_EQ(table.OpenError(), "Cannot open file Voli.cds");
        EXPECT_EQ(dm.Shutdown(), kClosed);
    }
    EXPECT_EQ(ReadBytes(dir.File("Voli.cds")), before);
    EXPECT_FALSE(std::filesystem::exists(dir.File("Voli.cds-journal")));
}

std::string MakeTableBytes(int flights) {
    TempDir dir;
    {
        FlightsTable table = FlightsTable::Open(dir.path());
        for (int i = 0; i < flights; ++i)
            table.InsertFlight("AZ" + std::to_string(i), "LIRF LIML", std::string(300, static_cast<char>('A' + i % 26)));
    }
    return ReadBytes(dir.File("Voli.cds"));
}

TEST(FlightsFile, InsertSurvivesAKilledProcess) {
    TempDir dir;
    const int status = InChild([&] {
        FlightsTable table = FlightsTable::Open(dir.path());
        table.InsertFlight("AZ100", "LIRF LIML", "NAVIGATION LOG\r\n");
        table.InsertFlight("None", "LIML LIRF", "second\r\n");
        ::raise(SIGKILL);  // no destructor, no close
        return 0;
    });
    ASSERT_EQ(status, 128 + SIGKILL);
    FlightsTable table = FlightsTable::Open(dir.path());
    ASSERT_TRUE(table.IsOpen()) << table.OpenError();
    ASSERT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.ReadRecord(1)->plan, "NAVIGATION LOG\r\n");
    EXPECT_EQ(table.ReadRecord(2)->id, "None");
    table.WaitForCheck();  // no page check may hold SQLite's locks while the child forks

    // The same for an edit and a delete.
    ASSERT_EQ(InChild([&] {
                  FlightsTable t = FlightsTable::Open(dir.path());
                  t.MoveTo(1);
                  t.SetField(FlightField::Type, "B");
                  t.Post();
                  t.MoveTo(2);
                  t.Delete();
                  ::_exit(7);
                  return 0;
              }),
              7);
    FlightsTable after = FlightsTable::Open(dir.path());
    EXPECT_EQ(after.RecordCount(), 1);
    EXPECT_EQ(after.ReadRecord(1)->type, "B");
}

// A commit cut off halfway leaves a journal beside the file; the next start
// rolls it back and finds the flights committed before.
TEST(FlightsFile, InterruptedCommitIsRolledBack) {
    TempDir dir;
    {
        FlightsTable table = FlightsTable::Open(dir.path());
        for (int i = 0; i < 300; ++i) table.InsertFlight("ID" + std::to_string(i), "D", std::string(2000, 'p'));
    }
    const int status = InChild([&] {
        sqlite3* db = nullptr;
        sqlite3_open(dir.File("Voli.cds").c_str(), &db);
        // A tiny cache makes the change spill into the file before the commit.
        sqlite3_exec(db, "PRAGMA cache_size = 1; BEGIN; UPDATE ClientDataSet1 SET PIANO_DI_VOLO = 'lost';", nullptr,
                     nullptr, nullptr);
        ::raise(SIGKILL);
        return 0;
    });
    ASSERT_EQ(status, 128 + SIGKILL);
    ASSERT_TRUE(std::filesystem::exists(dir.File("Voli.cds-journal")));

    FlightsTable table = FlightsTable::Open(dir.path());
    ASSERT_TRUE(table.IsOpen()) << table.OpenError();
    EXPECT_EQ(table.RecordCount(), 300);
    EXPECT_EQ(table.ReadRecord(150)->plan, std::string(2000, 'p'));
}

// Another process (a second command, the application) holding the file: a
// child takes an exclusive lock, tells the parent over a pipe, and lets go
// after holdMs. Returns the child's pid; the parent reaps it.
pid_t HoldExclusiveLock(const std::string& path, int holdMs) {
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        sqlite3* db = nullptr;
        const bool locked = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                            sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
        const char c = locked ? 'L' : 'F';
        if (::write(fds[1], &c, 1) != 1) ::_exit(2);
        ::usleep(static_cast<useconds_t>(holdMs) * 1000);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        ::_exit(0);
    }
    ::close(fds[1]);
    char c = 0;
    const bool ok = ::read(fds[0], &c, 1) == 1 && c == 'L';
    ::close(fds[0]);
    if (!ok) {
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

// Another process writing all the time, as a second command or the
// application would: every opening and every insert still succeeds.
TEST(FlightsFile, OpensAndInsertsBesideAnotherWritingProcess) {
    TempDir dir;
    { FlightsTable::Open(dir.path()).InsertFlight("AZ100", "LIRF LIML", "log\r\n"); }
    int started[2], stop[2];
    ASSERT_EQ(::pipe(started), 0);
    ASSERT_EQ(::pipe(stop), 0);
    const pid_t writer = ::fork();
    if (writer == 0) {
        ::close(started[0]);
        ::close(stop[1]);
        ::fcntl(stop[0], F_SETFL, O_NONBLOCK);
        sqlite3* db = nullptr;
        sqlite3_open(dir.File("Voli.cds").c_str(), &db);
        sqlite3_busy_timeout(db, 5000);
        const char c = 'S';
        if (::write(started[1], &c, 1) != 1) ::_exit(2);
        char ignored = 0;
        // One insert every few milliseconds, as a loop of separate commands
        // would make them, until the parent closes its end.
        while (::read(stop[0], &ignored, 1) < 0) {
            sqlite3_exec(db, "INSERT INTO ClientDataSet1 (ID) VALUES ('X')", nullptr, nullptr, nullptr);
            ::usleep(3000);
        }
        sqlite3_close(db);
        ::_exit(0);
    }
    ::close(started[1]);
    ::close(stop[0]);
    char c = 0;
    ASSERT_EQ(::read(started[0], &c, 1), 1);
    ::close(started[0]);
    int failures = 0;
    for (int i = 0; i < 100; ++i) {
        FlightsTable table = FlightsTable::Open(dir.path());
        if (!table.IsOpen()) {
            ++failures;
            continue;
        }
        try {
            if (i % 10 == 0) table.InsertFlight("AZ" + std::to_string(i), "LIRF LIML", "log\r\n");
        } catch (const Error&) {
            ++failures;
        }
    }
    ::close(stop[1]);
    ::waitpid(writer, nullptr, 0);
    EXPECT_EQ(failures, 0);
    FlightsTable table = FlightsTable::Open(dir.path());
    table.FindNearest("AZ");
    int ours = 0;
    for (const FlightRow& r : table.VisibleRecords()) ours += r.id.rfind("AZ", 0) == 0 ? 1 : 0;
    EXPECT_EQ(ours, 11);
}

// A lock held for a moment is waited for, at the opening as for a change.
TEST(FlightsFile, BrieflyLockedFileIsWaitedFor) {
    TempDir dir;
    { FlightsTable::Open(dir.path()).InsertFlight("AZ100", "LIRF LIML", "log\r\n"); }
    for (const bool openFirst : {false, true}) {
        SCOPED_TRACE(openFirst ? "lock taken after opening" : "lock taken before opening");
        FlightsTable table;
        if (openFirst) {
            table = FlightsTable::Open(dir.path());
            // No page check may hold SQLite's locks while the holder forks.
            table.WaitForCheck();
        }
        const pid_t holder = HoldExclusiveLock(dir.File("Voli.cds"), 300);
        ASSERT_GT(holder, 0);
        if (!openFirst) table = FlightsTable::Open(dir.path());
        ASSERT_TRUE(table.IsOpen()) << table.OpenError();
        EXPECT_NO_THROW(table.InsertFlight("AZ200", "LIML LIRF", "second\r\n"));
        ::waitpid(holder, nullptr, 0);
    }
    EXPECT_EQ(FlightsTable::Open(dir.path()).RecordCount(), 3);
}

// A lock held past the timeout says the file is busy, not that it is unreadable.
TEST(FlightsFile, LockHeldPastTheTimeoutReportsBusyFile) {
    TempDir dir;
    { FlightsTable::Open(dir.path()).InsertFlight("AZ100", "LIRF LIML", "log\r\n"); }
    FlightsTable open = FlightsTable::Open(dir.path(), 100);
    open.WaitForCheck();  // no page check may hold SQLite's locks while the holder forks
    const pid_t holder = HoldExclusiveLock(dir.File("Voli.cds"), 1500);
    ASSERT_GT(holder, 0);
    FlightsTable table = FlightsTable::Open(dir.path(), 100);
    EXPECT_FALSE(table.IsOpen());
    EXPECT_EQ(table.OpenError(), "File Voli.cds is busy: another program is using it, try again");
    try {
        open.InsertFlight("AZ200", "LIML LIRF", "second\r\n");
        ADD_FAILURE() << "insert under a lock held past the timeout";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "File " + dir.File("Voli.cds") + " is busy: another program is using it, try again");
    }
    ::waitpid(holder, nullptr, 0);
    EXPECT_NO_THROW(open.InsertFlight("AZ200", "LIML LIRF", "second\r\n"));
    EXPECT_EQ(open.RecordCount(), 2);
}

TEST(FlightsFile, UnreadableFileIsLeftByteForByte) {
    const std::string table = MakeTableBytes(200);
    ASSERT_GT(table.size(), 20000u);
    std::string damagedPage = table;
    for (size_t i = 8192; i < 8192 + 600; ++i) damagedPage[i] = static_cast<char>(i * 7);
    std::string otherSchema;
    {
        TempDir dir;
        sqlite3* db = nullptr;
        sqlite3_open(dir.File("other.db").c_str(), &db);
        sqlite3_exec(db, "CREATE TABLE Voli (ID TEXT); INSERT INTO Voli VALUES ('AZ100');", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        otherSchema = ReadBytes(dir.File("other.db"));
    }
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"text file", "ID,DESCRIZIONE\r\nAZ100,LIRF LIML\r\n"},
        {"empty file", ""},
        {"binary file", std::string("\x01\x02\xFE\xFF", 4) + std::string(500, '\0')},
        {"database header then garbage", std::string("SQLite format 3\0", 16) + std::string(4000, '\x5A')},
        {"truncated table", table.substr(0, table.size() / 2)},
        {"damaged page", damagedPage},
        {"database of another schema", otherSchema},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteBytes(dir.File("Voli.cds"), c.bytes);
        ExpectClosedAndUntouched(dir, c.bytes);
    }
}

// The pages are read after Open has returned: a damaged page does not hold
// up the start, but no write reaches the file before the verdict.
TEST(FlightsFile, DamagedPageIsFoundAfterOpenAndNothingIsWritten) {
    const std::string table = MakeTableBytes(200);
    std::string damaged = table;
    for (size_t i = 8192; i < 8192 + 600; ++i) damaged[i] = static_cast<char>(i * 7);
    struct Case {
        const char* name;
        std::function<void(FlightsTable&)> write;
    };
    const std::vector<Case> cases = {
        {"insert", [](FlightsTable& t) { t.InsertFlight("AZ1", "LIRF LIML", "log\r\n"); }},
        {"edit", [](FlightsTable& t) {
             t.SetField(FlightField::Type, "B");
             t.Post();
         }},
        {"delete", [](FlightsTable& t) { t.Delete(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteBytes(dir.File("Voli.cds"), damaged);
        FlightsTable t = FlightsTable::Open(dir.path());
        EXPECT_TRUE(t.IsOpen());
        EXPECT_EQ(t.OpenError(), "");
        try {
            c.write(t);
            ADD_FAILURE() << "written";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), kClosed);
        }
        EXPECT_FALSE(t.IsOpen());
        EXPECT_EQ(t.OpenError(), "Cannot open file Voli.cds");
        EXPECT_TRUE(t.CheckFinished());
        EXPECT_EQ(ReadBytes(dir.File("Voli.cds")), damaged);
    }

    // A sound file passes the same check and stays open.
    TempDir dir;
    WriteBytes(dir.File("Voli.cds"), table);
    FlightsTable t = FlightsTable::Open(dir.path());
    EXPECT_TRUE(t.WaitForCheck());
    EXPECT_TRUE(t.CheckFinished());
    t.InsertFlight("AZ1", "LIRF LIML", "log\r\n");
    EXPECT_EQ(t.RecordCount(), 201);
}

TEST(FlightsFile, DirectoryNamedLikeTheTableGivesClosedTable) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("Voli.cds"));
    FlightsTable table = FlightsTable::Open(dir.path());
    EXPECT_FALSE(table.IsOpen());
    EXPECT_EQ(table.OpenError(), "Cannot open file Voli.cds");
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("Voli.cds")));
}

TEST(FlightsFile, FileNameIsMatchedWithoutLetterCase) {
    TempDir dir;
    {
        FlightsTable table = FlightsTable::Open(dir.path());
        table.InsertFlight("AZ100", "LIRF LIML", "log\r\n");
    }
    std::filesystem::rename(dir.File("Voli.cds"), dir.File("VOLI.CDS"));
    FlightsTable table = FlightsTable::Open(dir.path());
    ASSERT_TRUE(table.IsOpen());
    EXPECT_EQ(table.RecordCount(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("Voli.cds")));
}

// Permissions do not bind root, so the check runs in a child that gives up
// root first.
TEST(FlightsFile, FileWithoutPermissionGivesClosedTable) {
    const std::string table = MakeTableBytes(3);
    struct Case {
        const char* name;
        mode_t mode;
    };
    const std::vector<Case> cases = {{"no access", 0000}, {"read only", 0444}, {"write only", 0222}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
        WriteBytes(dir.File("Voli.cds"), table);
        ::chmod(dir.File("Voli.cds").c_str(), c.mode);
        const int status = InChild([&] {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 3;
            FlightsTable t = FlightsTable::Open(dir.path());
            if (t.IsOpen()) return 1;
            if (t.OpenError() != "Cannot open file Voli.cds") return 2;
            return 0;
        });
        EXPECT_EQ(status, 0);
        ::chmod(dir.File("Voli.cds").c_str(), 0600);
        EXPECT_EQ(ReadBytes(dir.File("Voli.cds")), table);
        EXPECT_FALSE(std::filesystem::exists(dir.File("Voli.cds-journal")));
    }
}

}  // namespace
}  // namespace kestrova
