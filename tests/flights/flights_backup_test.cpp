#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "flights/flights_backup.h"
#include "flights/flights_table.h"
#include "temp_dir.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;
using Outcome = FlightsBackupResult::Outcome;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// 2001-09-09 01:46:40.123 UTC.
const std::chrono::system_clock::time_point kTime{std::chrono::milliseconds(1000000000123)};

std::vector<std::string> BackupNames(const TempDir& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir.File("backups"), ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class FlightsBackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        FlightsTable table = FlightsTable::Open(dir.path());
        ASSERT_TRUE(table.IsOpen());
        // Enough flights for a file of many pages, so damage can hit one inside.
        for (int i = 0; i < 60; ++i)
            table.InsertFlight("AZ" + std::to_string(i), "LIRF LIML", std::string(2000, static_cast<char>('A' + i % 26)) + "\r\n",
                               i % 2 ? "B" : "");
    }
    TempDir dir;
};

TEST_F(FlightsBackupTest, CopyIsTheSameTableUnderATimeName) {
    const FlightsBackupResult r = BackupFlightsFile(dir.path(), kTime);
    ASSERT_EQ(r.outcome, Outcome::Copied);
    EXPECT_EQ(r.path, dir.File("backups/Voli-20010909-014640-123.cds"));
    EXPECT_EQ(BackupNames(dir), std::vector<std::string>{"Voli-20010909-014640-123.cds"});

    // The copy opens as a flights table with every record of the original.
    TempDir restored;
    fs::copy_file(r.path, restored.File("Voli.cds"));
    FlightsTable copy = FlightsTable::Open(restored.path());
    FlightsTable original = FlightsTable::Open(dir.path());
    ASSERT_TRUE(copy.IsOpen());
    const auto a = original.VisibleRecordsWithPlans();
    const auto b = copy.VisibleRecordsWithPlans();
    ASSERT_EQ(a.size(), 60u);
    ASSERT_EQ(b.size(), a.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(b[i].rowid, a[i].rowid);
        EXPECT_EQ(b[i].id, a[i].id);
        EXPECT_EQ(b[i].plan, a[i].plan);
        EXPECT_EQ(b[i].type, a[i].type);
    }
}

TEST_F(FlightsBackupTest, KeepsTheFiveNewestAndLeavesOtherFilesAlone) {
    fs::create_directory(dir.File("backups"));
    ASSERT_TRUE(WriteBytes(dir.File("backups/notes.txt"), "mine"));
    ASSERT_TRUE(WriteBytes(dir.File("backups/Voli-copy.cds"), "mine too"));
    for (int day = 0; day < 7; ++day)
        ASSERT_EQ(BackupFlightsFile(dir.path(), kTime + std::chrono::hours(24 * day)).outcome, Outcome::Copied);
    EXPECT_EQ(BackupNames(dir), (std::vector<std::string>{
                                    "Voli-20010911-014640-123.cds", "Voli-20010912-014640-123.cds",
                                    "Voli-20010913-014640-123.cds", "Voli-20010914-014640-123.cds",
                                    "Voli-20010915-014640-123.cds", "Voli-copy.cds", "notes.txt"}));
    // Two starts within one millisecond do not overwrite each other.
    ASSERT_EQ(BackupFlightsFile(dir.path(), kTime + std::chrono::hours(24 * 7)).path,
              dir.File("backups/Voli-20010916-014640-123.cds"));
    ASSERT_EQ(BackupFlightsFile(dir.path(), kTime + std::chrono::hours(24 * 7)).path,
              dir.File("backups/Voli-20010916-014640-124.cds"));
    EXPECT_EQ(BackupNames(dir).front(), "Voli-20010913-014640-123.cds");
}

TEST_F(FlightsBackupTest, DamagedFileNeverReplacesAGoodBackup) {
    for (int day = 0; day < 5; ++day)
        ASSERT_EQ(BackupFlightsFile(dir.path(), kTime + std::chrono::hours(24 * day)).outcome, Outcome::Copied);
    const std::vector<std::string> before = BackupNames(dir);
    const std::string oldest = ReadBytes(dir.File("backups/" + before.front()));

    const std::string good = ReadBytes(dir.File("Voli.cds"));
    ASSERT_GT(good.size(), 16u * 4096u);
    struct Damage {
        const char* name;
        std::string bytes;
    };
    std::string torn = good;
    std::fill(torn.begin() + 8 * 4096, torn.begin() + 9 * 4096, '\xA5');  // a page overwritten
    const Damage cases[] = {
        {"page overwritten", torn},
        {"cut short", good.substr(0, good.size() / 2)},
        {"not a database", std::string(good.size(), 'x')},
        {"empty file", ""},
    };
    for (const Damage& d : cases) {
        ASSERT_TRUE(WriteBytes(dir.File("Voli.cds"), d.bytes));
        const FlightsBackupResult r = BackupFlightsFile(dir.path(), kTime + std::chrono::hours(24 * 30));
        EXPECT_NE(r.outcome, Outcome::Copied) << d.name;
        EXPECT_EQ(BackupNames(dir), before) << d.name;
        // Compared as a flag: a failure should name the case, not print a database.
        EXPECT_TRUE(ReadBytes(dir.File("backups/" + before.front())) == oldest) << d.name;
    }
    ASSERT_TRUE(WriteBytes(dir.File("Voli.cds"), torn));
    EXPECT_EQ(BackupFlightsFile(dir.path(), kTime).outcome, Outcome::Damaged);
}

TEST(FlightsBackup, NoFlightsFileNoBackupFolder) {
    TempDir dir;
    EXPECT_EQ(BackupFlightsFile(dir.path(), kTime).outcome, Outcome::NoFile);
    EXPECT_FALSE(fs::exists(dir.File("backups")));
}

TEST_F(FlightsBackupTest, WorkerThreadCopiesWhileTheTableIsWritten) {
    FlightsTable table = FlightsTable::Open(dir.path());
    ASSERT_TRUE(table.IsOpen());
    auto job = StartFlightsBackup(dir.path());
    // The table's own connection keeps working while the copy is taken.
    for (int i = 0; i < 20; ++i) EXPECT_NO_THROW(table.InsertFlight("NEW" + std::to_string(i), "LIRF LIML", "log\r\n"));
    const FlightsBackupResult r = job->Wait();
    ASSERT_EQ(r.outcome, Outcome::Copied);
    TempDir restored;
    fs::copy_file(r.path, restored.File("Voli.cds"));
    FlightsTable copy = FlightsTable::Open(restored.path());
    ASSERT_TRUE(copy.IsOpen());
    const int64_t count = copy.RecordCount();
    EXPECT_GE(count, 60);
    EXPECT_LE(count, 80);
}

}  // namespace
}  // namespace kestrova
