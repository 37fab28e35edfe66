#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>

#include <cstdlib>
#include <string>

#include "../common/unprivileged.h"
#include "review_test_support.h"

namespace kestrova::review {
namespace {

using testing::FixturePath;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using testing::WriteRecord;

struct CliRun {
    int exitCode = -1;
    std::string errors;
};

// kestrova-cli run in the directory with the C locale; arguments are not quoted.
CliRun RunCli(const TempDir& dir, const std::string& args) {
    const std::string command = "cd '" + dir.path() + "' && LC_ALL=C '" + KESTROVA_CLI + "' " + args +
                                " >'" + dir.path() + "/.out' 2>'" + dir.path() + "/.err'";
    const int status = std::system(command.c_str());
    CliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = ReadBytes(dir.File(".err"));
    std::remove(dir.File(".out").c_str());
    std::remove(dir.File(".err").c_str());
    return run;
}

TEST(CliUpdate, UpdatesReportLogAndKeepsItsBackup) {
    TempDir dir;
    const std::string original = ReadBytes(FixturePath("normal_flight.log"));
    WriteBytes(dir.File("Report.log"), original);
    WriteBytes(dir.File("Report.BAK"), "an older backup\r\n");
    WriteRecord(dir.path(), testing::NormalFlightRecord());

    const CliRun run = RunCli(dir, "update");
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(ReadBytes(dir.File("Report.log")), ReadBytes(FixturePath("normal_flight_updated.log")));
    EXPECT_EQ(ReadBytes(dir.File("Report.BAK")), original);

    // The same record again changes nothing, and the backup still holds the log before the update.
    const CliRun again = RunCli(dir, "update");
    EXPECT_EQ(again.exitCode, 0) << again.errors;
    EXPECT_EQ(ReadBytes(dir.File("Report.log")), ReadBytes(FixturePath("normal_flight_updated.log")));
    EXPECT_EQ(ReadBytes(dir.File("Report.BAK")), original);
}

TEST(CliUpdate, NamedLogFile) {
    TempDir dir;
    WriteBytes(dir.File("flight"), ReadBytes(FixturePath("worked_examples.log")));
    WriteRecord(dir.path(), testing::WorkedExamplesRecord());
    const CliRun run = RunCli(dir, "update flight");
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(ReadBytes(dir.File("flight")), ReadBytes(FixturePath("worked_examples_updated.log")));
    EXPECT_EQ(ReadBytes(dir.File("flight.BAK")), ReadBytes(FixturePath("worked_examples.log")));
}

TEST(CliUpdate, FailuresBeforeTheTableTouchNoFile) {
    auto fewer = testing::NormalFlightRecord();
    fewer.pop_back();
    struct Case {
        const char* name;
        bool writeRecord;
        std::vector<std::string> record;
        std::string message;  // "%d" stands for the directory
    };
    const std::vector<Case> cases = {
        {"missing record", false, {}, "Cannot open file %d/FS98.log\n"},
        {"one record line too few", true, fewer, "Points recorded with FSimulator not equals FlightPlan points\n"},
        {"bad record line", true, {"x"}, "'x' is not a valid time\n"},
    };
    const std::string original = ReadBytes(FixturePath("normal_flight.log"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteBytes(dir.File("Report.log"), original);
        WriteBytes(dir.File("Report.BAK"), "an older backup\r\n");
        if (c.writeRecord) WriteRecord(dir.path(), c.record);
        const CliRun run = RunCli(dir, "update");
        std::string expected = c.message;
        if (auto at = expected.find("%d"); at != std::string::npos) expected.replace(at, 2, dir.path());
        EXPECT_EQ(run.errors, expected);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_EQ(ReadBytes(dir.File("Report.log")), original);
        EXPECT_EQ(ReadBytes(dir.File("Report.BAK")), "an older backup\r\n");
    }

    TempDir empty;
    const CliRun noLog = RunCli(empty, "update");
    EXPECT_EQ(noLog.errors, "Cannot open file " + empty.path() + "/Report.log\n");
    EXPECT_NE(noLog.exitCode, 0);
}

TEST(CliUpdate, FuelFailureSavesTheRest) {
    TempDir dir;
    const std::string original = ReadBytes(FixturePath("normal_flight.log"));
    WriteBytes(dir.File("Report.log"), original);
    auto record = testing::NormalFlightRecord();
    record.back() = "10:4,2,0,12,12.75,1010,315,8,14,510,Brk 6/8";
    WriteRecord(dir.path(), record);

    const CliRun run = RunCli(dir, "update");
    EXPECT_EQ(run.errors, "Attention with Fuel\n");
    EXPECT_NE(run.exitCode, 0);
    const std::string updated = ReadBytes(dir.File("Report.log"));
    EXPECT_NE(updated.find("TOTALS: DISTANCE =120 Miles   Time=1:02\r\n"), std::string::npos);
    EXPECT_NE(updated.find("Fuel rate: 27 gal/h (Estimated)\r\n"), std::string::npos);
    EXPECT_EQ(ReadBytes(dir.File("Report.BAK")), original);
}

// A protected log in a writable folder is refused (the rename of the save
// would replace it otherwise), and no backup is made of it. Run as a user
// that the permission bits bind.
TEST(CliUpdate, WriteProtectedLogIsRefusedAndKept) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0777);
    const std::string original = ReadBytes(FixturePath("normal_flight.log"));
    WriteBytes(dir.File("Report.log"), original);
    ::chmod(dir.File("Report.log").c_str(), 0444);
    WriteRecord(dir.path(), testing::NormalFlightRecord());
    const bool ran = test_support::RunUnprivileged([&] {
        const CliRun r = RunCli(dir, "update");
        return r.exitCode == 1 && r.errors == "Cannot create file " + dir.path() + "/Report.log\n";
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(ReadBytes(dir.File("Report.log")), original);
    EXPECT_FALSE(std::filesystem::exists(dir.File("Report.BAK")));
}

}  // namespace
}  // namespace kestrova::review
