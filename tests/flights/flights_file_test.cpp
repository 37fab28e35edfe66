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
