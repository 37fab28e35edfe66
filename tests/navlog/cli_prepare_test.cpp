#include <gtest/gtest.h>


#include "navlog_test_support.h"
#include "../common/test_files.h"
#include "platform/platform.h"

using navlog_test::Fixture;
using navlog_test::ReadBytes;
using navlog_test::SameAsFixture;
using navlog_test::TempDir;

namespace {

using Result = kestrova::test_support::ShellResult;
using kestrova::test_support::RunShell;

class CliPrepare : public ::testing::Test {
protected:
    void SetUp() override {
        navlog_test::WriteBytes(dir.File("pilot.ini"), "[General]\r\nPilot=MARIO ROSSI\r\nPilotID=AZ0123\r\nPilotNum=42\r\n");
    }
    // Runs kestrova-cli in the temporary working directory; standard error
    // joins standard output.
    Result Cli(const std::string& args) {
        return RunShell("cd '" + dir.path() + "' && LC_ALL=C XDG_DATA_HOME='" + dir.path() + "/xdg' '" KESTROVA_CLI
                        "' --settings '" + dir.path() + "/pilot.ini' " + args + " 2>&1");
    }
    std::string ReportLog() const { return dir.File("Report.log"); }
    TempDir dir;
};

TEST_F(CliPrepare, WritesReportLogInTheCurrentDirectory) {
    struct Case {
        const char* planner;
        const char* fixture;
    };
    for (const Case& c : {Case{"flightplanner", "fp_duration"}, Case{"flightplanner", "fp_clock_midnight"},
                          Case{"winplanner", "wp_basic"}, Case{"winplanner", "wp_midnight"}}) {
        SCOPED_TRACE(c.fixture);
        const Result r =
            Cli(std::string("prepare ") + c.planner + " '" + Fixture(std::string(c.fixture) + ".txt") + "' --date 12/04/01");
        EXPECT_EQ(r.exitCode, 0) << r.out;
        EXPECT_TRUE(SameAsFixture(std::string(c.fixture) + ".expected.log", ReportLog()));
    }
    EXPECT_FALSE(kestrova::platform::FileExists(dir.File("Voli.cds")));
}

TEST_F(CliPrepare, FailuresPrintTheMessageAndKeepReportLog) {
    struct Case {
        std::string args;
        std::string message;
    };
    const Case cases[] = {
        {"prepare winplanner '" + Fixture("fp_duration.txt") + "'", "Oops no file loaded or unknown\n"},
        {"prepare flightplanner '" + Fixture("wp_basic.txt") + "'", "Oops no file loaded or unknown\n"},
        {"prepare flightplanner '" + Fixture("fp_departure_only.txt") + "' --date 12/04/01",
         "Floating point division by zero\n"},
        {"prepare flightplanner missing.txt", "Cannot open file missing.txt\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        Result r = Cli(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, c.message);
        EXPECT_FALSE(kestrova::platform::FileExists(ReportLog()));

        navlog_test::WriteBytes(ReportLog(), "previous log\r\n");
        r = Cli(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(ReadBytes(ReportLog()), "previous log\r\n");
        std::remove(ReportLog().c_str());
    }
}

TEST_F(CliPrepare, BadUsage) {
    for (const char* args : {"prepare", "prepare planner x.txt", "prepare winplanner", "prepare winplanner x.txt --date",
                             "prepare winplanner x.txt --when 1"}) {
        SCOPED_TRACE(args);
        EXPECT_EQ(Cli(args).exitCode, 2);
    }
}

TEST_F(CliPrepare, StoreAddsTheLogToTheFlightsTable) {
    const Result r = Cli("prepare flightplanner '" + Fixture("fp_duration.txt") +
                         "' --date 12/04/01 --store AZ0123456789012345678XYZ");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_TRUE(SameAsFixture("fp_duration.expected.log", ReportLog()));
    // The ID is cut to its 20 characters, the type stays empty.
    const Result list = Cli("flights list");
    EXPECT_EQ(list.out, "1\tAZ012345678901234567\t-\tLIRF     LIMC    \n");
    // The stored log is the prepared one, byte for byte.
    std::remove(ReportLog().c_str());
    EXPECT_EQ(Cli("flights export 1").exitCode, 0);
    EXPECT_TRUE(SameAsFixture("fp_duration.expected.log", ReportLog()));
}

TEST_F(CliPrepare, AnUnreadableFlightsFileStopsTheStoreBeforeAnythingIsWritten) {
    const std::string garbage = "this is no flights table\r\n";
    navlog_test::WriteBytes(dir.File("Voli.cds"), garbage);
    const Result r = Cli("prepare winplanner '" + Fixture("wp_basic.txt") + "' --date 12/04/01 --store AZ1");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("Cannot open file Voli.cds"), std::string::npos) << r.out;
    EXPECT_FALSE(kestrova::platform::FileExists(ReportLog()));
    EXPECT_EQ(ReadBytes(dir.File("Voli.cds")), garbage);
}

}  // namespace
