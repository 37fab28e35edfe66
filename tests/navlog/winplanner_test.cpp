#include <gtest/gtest.h>
#include <stdlib.h>

#include "core/error.h"
#include "core/lines.h"
#include "navlog/select_plan.h"
#include "navlog/winplanner_navlog.h"
#include "navlog_test_support.h"
#include "platform/platform.h"

using namespace kestrova;
using namespace kestrova::navlog;
using navlog_test::Fixture;
using navlog_test::FixtureLines;
using navlog_test::ReadBytes;
using navlog_test::SameAsFixture;
using navlog_test::TempDir;

namespace {

class WinPlannerReader : public ::testing::Test {
protected:
    WinPlannerReader() : context(navlog_test::PilotContext(dir.path())) {}
    void Load(const std::string& fixture) { LoadPlannerText(state, Fixture(fixture)); }
    void LoadLines(const std::vector<std::string>& lines) {
        state.Memo = lines;
        state.s = lines;
    }
    void Prepare() { WinPlanner(state, context, locale, navlog_test::kDate); }
    std::string ReportLog() const { return dir.File("Report.log"); }

    TempDir dir;
    AppContext context;
    LocaleFormats locale;
    SelectPlanState state;
};

TEST_F(WinPlannerReader, NavlogsBecomeTheNavigationLog) {
    const char* cases[] = {
        "wp_basic",           // VOR, NDB and text frequencies, "." and ",", levels, two data lines under a name
        "wp_midnight",        // the clock passes midnight, the route wraps
        "wp_departure_only",  // a one-line table
        "wp_blank_departure_time",  // no time at the departure: the clock starts at 12:00 itself
        "wp_frequency_119",         // 119 MHz is above the VOR band's 118: the second column
    };
    for (const std::string name : cases) {
        SCOPED_TRACE(name);
        state = SelectPlanState{};
        Load(name + ".txt");
        const std::vector<std::string> planner = state.Memo;
        Prepare();
        EXPECT_TRUE(SameAsFixture(name + ".expected.log", ReportLog()));
        EXPECT_EQ(JoinLines(state.s), ReadBytes(ReportLog()));
        // The planner text stays for another preparation.
        EXPECT_EQ(state.Memo, planner);
    }
}

TEST_F(WinPlannerReader, PreparingTwiceGivesTheSameLog) {
    Load("wp_basic.txt");
    Prepare();
    Prepare();
    EXPECT_TRUE(SameAsFixture("wp_basic.expected.log", ReportLog()));
}

TEST_F(WinPlannerReader, WorkingRecordAfterAPreparation) {
    Load("wp_basic.txt");
    Prepare();
    EXPECT_EQ(state.record.checkpointNames, (std::vector<std::string>{"LIRF", "OST", "TAQ", "GROSSET", "LIRP"}));
    EXPECT_EQ(state.record.dateText, navlog_test::kDate);
    // The scratch file went to the recycle bin.
    EXPECT_FALSE(platform::FileExists(state.record.scratchPath));
    if (const char* data = std::getenv("XDG_DATA_HOME")) {
        const std::string base = state.record.scratchPath.substr(state.record.scratchPath.rfind('/') + 1);
        EXPECT_TRUE(platform::FileExists(std::string(data) + "/Trash/files/" + base));
    }
    // This reader sets no departure or arrival: a log stored before any
    // FlightPlanner preparation is described by a single blank...
    EXPECT_EQ(StoredFlightFields(state, "None").description, " ");
    // ...and later ones keep the last FlightPlanner values.
    state.record.departure = "LIRF    ";
    state.record.arrival = "LIMC    ";
    Prepare();
    EXPECT_EQ(state.record.departure, "LIRF    ");
    EXPECT_EQ(state.record.arrival, "LIMC    ");
    const StoredFlight f = StoredFlightFields(state, "AZ7");
    EXPECT_EQ(f.description, "LIRF     LIMC    ");
    EXPECT_EQ(f.plan, ReadBytes(ReportLog()));
}

TEST_F(WinPlannerReader, BlankLinesAmongTheWaypointsAreSkipped) {
    std::vector<std::string> lines = FixtureLines("wp_basic.txt");
    lines[12] = "";     // a rule
    lines[20] = "   ";  // another rule
    LoadLines(lines);
    Prepare();
    EXPECT_TRUE(SameAsFixture("wp_basic.expected.log", ReportLog()));
}

TEST_F(WinPlannerReader, WithoutTotalsLineTheTableIsEmpty) {
    std::vector<std::string> lines = FixtureLines("wp_basic.txt");
    lines[27] = "Totals not printed";
    LoadLines(lines);
    Prepare();
    const std::vector<std::string> log = platform::LoadLines(ReportLog());
    EXPECT_EQ(log[6], "Clearance:");
    EXPECT_EQ(log[11], std::string(67, '-'));
    EXPECT_EQ(log[12], "TOTALS: DISTANCE=0 Miles   Time= ApproachTime=");
}

TEST_F(WinPlannerReader, FailuresLeaveReportLogAsItWas) {
    struct Case {
        const char* what;
        size_t line;
        long long column;
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"a leg of 60 minutes", 13, 73, " 59.5", "'00:60   ' is not a valid time"},
        {"a leg of 75 minutes", 17, 73, " 75,0", "'00:75   ' is not a valid time"},
        {"leg time whole part", 15, 73, " 7a.5", "' 7a' is not a valid integer value"},
        {"leg time decimal", 15, 73, "  7.x", "'x' is not a valid integer value"},
        {"leg time without decimal", 15, 73, "   7.", "'' is not a valid integer value"},
        {"leg distance", 14, 48, "  1x.4", "'001x' is not a valid integer value"},
        {"frequency", 16, 15, "3A5", "'3A5' is not a valid integer value"},
        {"total distance", 27, 50, "1O5", "'1O5' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> lines = FixtureLines("wp_basic.txt");
        lines.at(c.line).replace(static_cast<size_t>(c.column - 1), c.text.size(), c.text);
        for (const bool present : {false, true}) {
            if (present) navlog_test::WriteBytes(ReportLog(), "old log\r\n");
            state = SelectPlanState{};
            LoadLines(lines);
            try {
                Prepare();
                ADD_FAILURE() << "no error";
            } catch (const Error& e) {
                EXPECT_EQ(e.what(), c.message);
            }
            if (present)
                EXPECT_EQ(ReadBytes(ReportLog()), "old log\r\n");
            else
                EXPECT_FALSE(platform::FileExists(ReportLog()));
            EXPECT_FALSE(platform::FileExists(state.record.scratchPath));
        }
        std::remove(ReportLog().c_str());
    }
}

TEST_F(WinPlannerReader, OnlyWinPlannerTextsAreTaken) {
    for (const char* fixture : {"fp_duration.txt", "wp_basic.expected.log"}) {
        SCOPED_TRACE(fixture);
        state = SelectPlanState{};
        Load(fixture);
        const SelectPlanState before = state;
        try {
            Prepare();
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Oops no file loaded or unknown");
        }
        EXPECT_EQ(state.s, before.s);
        EXPECT_TRUE(state.record.scratchPath.empty());
        EXPECT_EQ(state.MieStringhe.Testa, before.MieStringhe.Testa);
    }
    EXPECT_FALSE(platform::FileExists(ReportLog()));
    state = SelectPlanState{};
    EXPECT_THROW(Prepare(), Error);
}

TEST(SelectPlanText, LoadingKeepsBytesAndReportsMissingFiles) {
    SelectPlanState state;
    LoadPlannerText(state, Fixture("fp_clock_midnight.txt"));
    EXPECT_EQ(state.Memo, state.s);
    EXPECT_EQ(JoinLines(state.Memo), ReadBytes(Fixture("fp_clock_midnight.txt")));
    try {
        LoadPlannerText(state, Fixture("no-such-navlog.txt"));
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + Fixture("no-such-navlog.txt"));
    }
    EXPECT_EQ(JoinLines(state.s), ReadBytes(Fixture("fp_clock_midnight.txt")));
}

}  // namespace
