#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "flights/flights_table.h"
#include "temp_dir.h"

namespace kestrova {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

struct CliResult {
    int status = -1;
    std::string out, err;
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs kestrova-cli in the directory, under the C locale.
CliResult RunCli(const TempDir& dir, const std::vector<std::string>& args) {
    TempDir capture;
    std::string command = "cd " + Quote(dir.path()) + " && LC_ALL=C " + Quote(KESTROVA_CLI);
    for (const auto& a : args) command += " " + Quote(a);
    command += " >" + Quote(capture.File("out")) + " 2>" + Quote(capture.File("err"));
    const int raw = std::system(command.c_str());
    CliResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadBytes(capture.File("out"));
    r.err = ReadBytes(capture.File("err"));
    return r;
}

const std::string kPlan4 = "NAVIGATION LOG\r\nLIML 045\xB0 12 NM\r\n\r\nEND\r\n";

class FlightsCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        FlightsTable table = FlightsTable::Open(dir.path());
        ASSERT_TRUE(table.IsOpen());
        table.InsertFlight("LX200", "LSZH LIRF", "plan 1\r\n", "B");
        table.InsertFlight("AZ100", "LIRF LIML", "AZ100 LOG\r\nEND");
        table.InsertFlight("None", "EGLL LFPG", "plan 3\r\n", "T");
        table.InsertFlight("None", "LIML LSZH", kPlan4, "B");
        table.InsertFlight("BA300", "EGLL KJFK", "plan 5\r\n", "I");
        table.InsertFlight("az050", "KJFK LIRF", "plan 6\r\n", "N");
    }
    void ExpectOutput(const std::vector<std::string>& args, const std::string& expected) {
        SCOPED_TRACE(args.empty() ? "" : args.back());
        const CliResult r = RunCli(dir, args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, expected);
    }

    TempDir dir;
};

TEST_F(FlightsCliTest, ListOrdersFiltersAndFinds) {
    ExpectOutput({"flights", "list"},
                 "2\tAZ100\t-\tLIRF LIML\n"
                 "5\tBA300\tI\tEGLL KJFK\n"
                 "1\tLX200\tB\tLSZH LIRF\n"
                 "3\tNone\tT\tEGLL LFPG\n"
                 "4\tNone\tB\tLIML LSZH\n"
                 "6\taz050\tN\tKJFK LIRF\n");
    ExpectOutput({"flights", "list", "--order", "description"},
                 "5\tBA300\tI\tEGLL KJFK\n"
                 "3\tNone\tT\tEGLL LFPG\n"
                 "6\taz050\tN\tKJFK LIRF\n"
                 "4\tNone\tB\tLIML LSZH\n"
                 "2\tAZ100\t-\tLIRF LIML\n"
                 "1\tLX200\tB\tLSZH LIRF\n");
    ExpectOutput({"flights", "list", "--type", "B"}, "1\tLX200\tB\tLSZH LIRF\n4\tNone\tB\tLIML LSZH\n");
    ExpectOutput({"flights", "list", "--type", "B", "--order", "description"},
                 "4\tNone\tB\tLIML LSZH\n1\tLX200\tB\tLSZH LIRF\n");
    ExpectOutput({"flights", "list", "--find", "C"}, "1\tLX200\tB\tLSZH LIRF\n");
    ExpectOutput({"flights", "list", "--order", "description", "--find", "LIR"}, "2\tAZ100\t-\tLIRF LIML\n");
    ExpectOutput({"flights", "list", "--type", "I", "--find", "A"}, "5\tBA300\tI\tEGLL KJFK\n");
    ExpectOutput({"flights", "list", "--find", "zz"}, "6\taz050\tN\tKJFK LIRF\n");
}

TEST_F(FlightsCliTest, ShowExportSetTypeDelete) {
    ExpectOutput({"flights", "show", "4"},
                 "ROWID: 4\nID: None\nDESCRIZIONE: LIML LSZH\nTIPO: B\nPIANO_DI_VOLO:\n"
                 "NAVIGATION LOG\r\nLIML 045\xB0 12 NM\r\n\r\nEND\r\n");

    WriteBytes(dir.File("Report.log"), "previous log\r\n");
    ExpectOutput({"flights", "export", "4"}, "");
    EXPECT_EQ(ReadBytes(dir.File("Report.log")), "NAVIGATION LOG\r\nLIML 045\xB0 12 NM\r\n\r\nEND\r\n");
    ExpectOutput({"flights", "export", "2"}, "");
    EXPECT_EQ(ReadBytes(dir.File("Report.log")), "AZ100 LOG\r\nEND\r\n");

    ExpectOutput({"flights", "set-type", "2", "T"}, "");
    ExpectOutput({"flights", "set-type", "3", "-"}, "");
    ExpectOutput({"flights", "list", "--type", "T"}, "2\tAZ100\tT\tLIRF LIML\n");
    ExpectOutput({"flights", "show", "3"}, "ROWID: 3\nID: None\nDESCRIZIONE: EGLL LFPG\nTIPO: \nPIANO_DI_VOLO:\nplan 3\r\n");

    ExpectOutput({"flights", "delete", "1"}, "");
    ExpectOutput({"flights", "list", "--type", "B"}, "4\tNone\tB\tLIML LSZH\n");
}

TEST_F(FlightsCliTest, FailuresAndUsage) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const std::string usage =
        "usage: kestrova-cli flights list [--type B|T|N|I] [--order id|description] [--find TEXT] | flights show "
        "ROWID | flights export ROWID | flights export --csv [FILE] | flights set-type ROWID B|T|N|I|- | flights delete ROWID\n";
    const std::vector<Case> cases = {
        {{"flights", "show", "9"}, 1, "no flight with rowid 9\n"},
        {{"flights", "export", "9"}, 1, "no flight with rowid 9\n"},
        {{"flights", "delete", "9"}, 1, "no flight with rowid 9\n"},
        {{"flights", "show", "abc"}, 1, "'abc' is not a valid integer value\n"},
        {{"flights", "show", "0"}, 1, "no flight with rowid 0\n"},
        {{"flights", "set-type", "2", "X"}, 2, usage},
        {{"flights", "list", "--type", "Q"}, 2, usage},
        {{"flights", "list", "--order"}, 2, usage},
        {{"flights", "show"}, 2, usage},
        {{"flights"}, 2, usage},
    };
    const std::string before = ReadBytes(dir.File("Voli.cds"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const CliResult r = RunCli(dir, c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(ReadBytes(dir.File("Voli.cds")), before);
    EXPECT_FALSE(std::filesystem::exists(dir.File("Report.log")));
}

TEST(FlightsCli, UnreadableTableIsReportedAndLeftAlone) {
    TempDir dir;
    const std::string bytes = "not a flights table\r\n";
    WriteBytes(dir.File("Voli.cds"), bytes);
    WriteBytes(dir.File("Report.log"), "kept\r\n");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"flights", "list"}, {"flights", "export", "1"}, {"flights", "delete", "1"}}) {
        SCOPED_TRACE(args[1]);
        const CliResult r = RunCli(dir, args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err,
                  "Cannot open file Voli.cds\n"
                  "ClientDataSet1: Cannot perform this operation on a closed dataset\n");
    }
    EXPECT_EQ(ReadBytes(dir.File("Voli.cds")), bytes);
    EXPECT_EQ(ReadBytes(dir.File("Report.log")), "kept\r\n");
}

TEST(FlightsCli, MissingTableIsCreatedEmpty) {
    TempDir dir;
    const CliResult r = RunCli(dir, {"flights", "list"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("Voli.cds")));
}

}  // namespace
}  // namespace kestrova
