#include <gtest/gtest.h>

#include "core/error.h"
#include "core/lines.h"
#include "navlog/flightplanner_navlog.h"
#include "navlog/select_plan.h"
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

class FlightplannerReader : public ::testing::Test {
protected:
    FlightplannerReader() : context(navlog_test::PilotContext(dir.path())) {}
    void Load(const std::string& fixture) { LoadPlannerText(state, Fixture(fixture)); }
    void LoadLines(const std::vector<std::string>& lines) {
        state.Memo = lines;
        state.s = lines;
    }
    void Prepare() { Flightplanner(state, context, locale, navlog_test::kDate); }
    std::string ReportLog() const { return dir.File("Report.log"); }

    TempDir dir;
    AppContext context;
    LocaleFormats locale;  // ':' and "mm/dd/yy", as the C locale gives them
    SelectPlanState state;
};

TEST_F(FlightplannerReader, NavlogsBecomeTheNavigationLog) {
    const char* cases[] = {
        "fp_duration",               // VOR, NDB, coordinate and fix legs, climb/descend, approach, leg over an hour
        "fp_clock_midnight",         // clock times past midnight, remaining distance below zero
        "fp_no_header_long_route",   // no "#" line, route wrapping twice, no "Total:" line
    };
    for (const std::string name : cases) {
        SCOPED_TRACE(name);
        SelectPlanState fresh;
        state = fresh;
        Load(name + ".txt");
        Prepare();
        EXPECT_TRUE(SameAsFixture(name + ".expected.log", ReportLog()));
        // Both texts hold the log afterwards.
        EXPECT_EQ(JoinLines(state.s), ReadBytes(ReportLog()));
        EXPECT_EQ(state.Memo, state.s);
    }
}

TEST_F(FlightplannerReader, WorkingRecordAfterAPreparation) {
    Load("fp_duration.txt");
    Prepare();
    EXPECT_EQ(state.record.departure, "LIRF    ");
    EXPECT_EQ(state.record.arrival, "LIMC    ");
    EXPECT_EQ(state.record.checkpointNames, (std::vector<std::string>{"OST", "TAQ", "WP01", "MARIN", "SRN", "LIMC"}));
    EXPECT_EQ(state.record.dateText, navlog_test::kDate);
    // The scratch file is gone once the log is written.
    EXPECT_FALSE(state.record.scratchPath.empty());
    EXPECT_FALSE(platform::FileExists(state.record.scratchPath));

    const StoredFlight f = StoredFlightFields(state, "AZ101");
    EXPECT_EQ(f.id, "AZ101");
    EXPECT_EQ(f.description, "LIRF     LIMC    ");
    EXPECT_EQ(f.plan, ReadBytes(ReportLog()));
    EXPECT_EQ(f.type, "");
    EXPECT_EQ(state.record.flightId, "AZ101");
}

TEST_F(FlightplannerReader, PreparingAgainNeedsTheFileLoadedAgain) {
    Load("fp_duration.txt");
    Prepare();
    const std::string first = ReadBytes(ReportLog());
    try {
        Prepare();
        ADD_FAILURE() << "a prepared log was taken for a navlog";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Oops no file loaded or unknown");
    }
    EXPECT_EQ(ReadBytes(ReportLog()), first);

    // Loaded again, the same log comes out, with the pilot name once.
    Load("fp_duration.txt");
    Prepare();
    EXPECT_TRUE(SameAsFixture("fp_duration.expected.log", ReportLog()));
}

TEST_F(FlightplannerReader, TheFormatCheckLooksAtTheShownText) {
    // s is checked, Memo is parsed: a shown text not from FlightPlanner is refused...
    LoadLines(FixtureLines("fp_duration.txt"));
    state.s[0] = "flightplanner 3.0";
    const SelectPlanState before = state;
    EXPECT_THROW(Prepare(), Error);
    EXPECT_EQ(state.s, before.s);
    EXPECT_EQ(state.Memo, before.Memo);
    EXPECT_TRUE(state.record.scratchPath.empty());
    EXPECT_EQ(state.MieStringhe.Testa, before.MieStringhe.Testa);
    EXPECT_FALSE(platform::FileExists(ReportLog()));
    // ...and an empty screen too.
    state = SelectPlanState{};
    EXPECT_THROW(Prepare(), Error);
}

TEST_F(FlightplannerReader, FailuresLeaveReportLogAsItWas) {
    struct Case {
        const char* what;
        size_t line;  // line of fp_duration.txt to change
        long long column;
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"leg distance", 16, 80, " x4", "' x4' is not a valid integer value"},
        {"leg time", 17, 88, "00:6x", "'00:6x' is not a valid time"},
        {"leg time past 59 minutes", 19, 88, "01:72", "'01:72' is not a valid time"},
        {"total distance", 12, 79, " 33O", "' 33O' is not a valid integer value"},
        {"approach distance", 23, 80, "six", "'six' is not a valid integer value"},
        {"departure clock", 11, 88, "9h30m", "'9h:0m' is not a valid time"},
        {"fuel required", 27, 33, "( 43. gallons fuel required)", "'43.' is not a valid integer value"},
        {"no fuel line", 27, 1, "", "'' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> lines = FixtureLines("fp_duration.txt");
        std::string& line = lines.at(c.line);
        if (c.text.empty()) {
            line.clear();
        } else {
            line.replace(static_cast<size_t>(c.column - 1), c.text.size(), c.text);
        }
        for (const bool present : {false, true}) {
            if (present) navlog_test::WriteBytes(ReportLog(), "old log\r\n\xB0");
            state = SelectPlanState{};
            LoadLines(lines);
            try {
                Prepare();
                ADD_FAILURE() << "no error";
            } catch (const Error& e) {
                EXPECT_EQ(e.what(), c.message);
            }
            if (present)
                EXPECT_EQ(ReadBytes(ReportLog()), "old log\r\n\xB0");
            else
                EXPECT_FALSE(platform::FileExists(ReportLog()));
            EXPECT_FALSE(platform::FileExists(state.record.scratchPath));
        }
        std::remove(ReportLog().c_str());
    }
}

TEST_F(FlightplannerReader, DepartureOnlyGivesNoFlightMinutesForTheFuel) {
    navlog_test::WriteBytes(ReportLog(), "kept\r\n");
    Load("fp_departure_only.txt");
    try {
        Prepare();
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Floating point division by zero");
    }
    EXPECT_EQ(ReadBytes(ReportLog()), "kept\r\n");
    EXPECT_FALSE(platform::FileExists(state.record.scratchPath));
    // The shown text holds the one-line table built so far.
    const size_t chk = 8;
    ASSERT_GT(state.s.size(), chk + 5);
    EXPECT_EQ(state.s[chk + 3], "LIRF    |      |      | 310|      |      |  -/0000|-    |09:30|");
    EXPECT_EQ(state.s[chk + 4], std::string(67, '-'));
    EXPECT_EQ(state.s[chk + 5], "TOTALS: DISTANCE =0 Miles   Time= 00:00 Approach Time =00:00");
}

TEST_F(FlightplannerReader, TheLocaleTimeSeparatorAndDateFormatAreUsed) {
    locale.timeSeparator = '.';
    locale.longTimeFormat = "hh:nn:ss";
    Load("fp_clock_midnight.txt");
    Flightplanner(state, context, locale, "04.12.2001");
    const std::vector<std::string> log = platform::LoadLines(ReportLog());
    EXPECT_EQ(log[4], "Date           :04.12.2001");
    EXPECT_EQ(log[11], "LICC    |      |      | 285|      |      |  -/0110|-    |23.20|");
    EXPECT_EQ(log[12], "CTN     |115.20|      | 290|FL065 |      |022/0088|11   |23.31|");
    EXPECT_EQ(log[13], "        |      |      |    |      |      |        |--   |--.--|");
    EXPECT_EQ(log[21], "TOTALS: DISTANCE =110 Miles   Time= 01.11 Approach Time =00.07");
    EXPECT_EQ(log[22 + 9], "    |           | 23.20|      |            |        |      |     |");
}

// A route of many checkpoints loses none of them.
TEST_F(FlightplannerReader, LongRoutesKeepEveryCheckpoint) {
    const int legs = 150;
    auto place = [](std::string& line, size_t column, const std::string& text) {
        if (line.size() < column - 1 + text.size()) line.resize(column - 1 + text.size(), ' ');
        line.replace(column - 1, text.size(), text);
    };
    std::vector<std::string> lines = {"Flightplanner 3.0", "", "", "", "", "", "", "", "# Leg", ""};
    std::string from, to;
    place(from, 19, "LIRF");
    place(from, 88, "06:00");
    place(to, 19, "LICJ");
    place(to, 79, "1500");
    place(to, 88, "18:30");
    lines.push_back(from);
    lines.push_back(to);
    std::string dep = "1   Depart:";
    place(dep, 15, "LIRF");
    place(dep, 74, " 180");
    lines.push_back(dep);
    for (int i = 1; i <= legs; ++i) {
        std::string leg = std::to_string(i + 1);
        place(leg, 15, "P" + std::to_string(i));
        place(leg, 74, " 180");
        place(leg, 80, " 10");
        place(leg, 88, "00:05");
        lines.push_back(leg);
    }
    lines.push_back("Fuel: (100 gallons fuel required)");
    LoadLines(lines);
    Prepare();
    ASSERT_EQ(state.record.checkpointNames.size(), static_cast<size_t>(legs));
    EXPECT_EQ(state.record.checkpointNames.back(), "P150");
    const std::vector<std::string> log = platform::LoadLines(ReportLog());
    // The route lines, continuation blanks taken out, name every checkpoint in order.
    std::string route = log[6];
    size_t next = 7;
    for (; log[next][0] == ' '; ++next) {
        EXPECT_LE(log[next - 1].size(), 60u + 5u);
        route += log[next].substr(1);
    }
    std::string expected = "Clearance:LIRF    ";
    for (int i = 1; i <= legs; ++i) expected += "->P" + std::to_string(i);
    EXPECT_EQ(route, expected);
    EXPECT_EQ(log[next], std::string(68, '-'));
    EXPECT_EQ(log[next + 4 + 2 * legs - 1], "P150    |      |      | 180|      |      |010/0000|05   |18:30|");
}

}  // namespace
