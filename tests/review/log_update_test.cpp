#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "review/log_update.h"
#include "review_test_support.h"

namespace kestrova::review {
namespace {

using testing::ExpectSameLines;
using testing::FixtureLines;
using testing::TempDir;
using testing::WriteRecord;

const LocaleFormats kLocale{};  // ':' and "hh:nn:ss"

std::string Message(const LogUpdateResult& r) { return r.messages.empty() ? "" : r.messages.front(); }

// Index of the first line holding the text.
size_t LineWith(const std::vector<std::string>& lines, const std::string& text) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].find(text) != std::string::npos) return i;
    ADD_FAILURE() << "no line with " << text;
    return 0;
}

TEST(LogUpdate, NormalFlightMatchesTheHandWrittenLog) {
    TempDir dir;
    WriteRecord(dir.path(), testing::NormalFlightRecord());
    const auto before = FixtureLines("normal_flight.log");
    const LogUpdateResult r = UpdateLog(before, dir.path(), kLocale);
    EXPECT_TRUE(r.messages.empty()) << Message(r);
    EXPECT_TRUE(r.recordRead);
    EXPECT_TRUE(r.rewritten);
    EXPECT_TRUE(r.changed);
    ExpectSameLines(r.lines, FixtureLines("normal_flight_updated.log"));
}

TEST(LogUpdate, WorkedExamples) {
    // Revised estimates 33 and 22 (22.5 cut) with 10:37, a negative altitude,
    // the totals line, take-off and landing rows (wind "  90/5"), fuel 500/380/80.
    TempDir dir;
    WriteRecord(dir.path(), testing::WorkedExamplesRecord());
    const LogUpdateResult r = UpdateLog(FixtureLines("worked_examples.log"), dir.path(), kLocale);
    EXPECT_TRUE(r.messages.empty()) << Message(r);
    ExpectSameLines(r.lines, FixtureLines("worked_examples_updated.log"));
}

TEST(LogUpdate, RunningTwiceGivesTheSameText) {
    TempDir dir;
    WriteRecord(dir.path(), testing::NormalFlightRecord());
    const LogUpdateResult once = UpdateLog(FixtureLines("normal_flight.log"), dir.path(), kLocale);
    const LogUpdateResult twice = UpdateLog(once.lines, dir.path(), kLocale);
    EXPECT_TRUE(twice.messages.empty()) << Message(twice);
    EXPECT_TRUE(twice.rewritten);
    EXPECT_FALSE(twice.changed);
    ExpectSameLines(twice.lines, once.lines);
}

TEST(LogUpdate, LocaleTimeFormsAreUsed) {
    TempDir dir;
    auto record = testing::WorkedExamplesRecord();
    for (auto& line : record) line[line.find(':')] = '.';
    WriteRecord(dir.path(), record);
    LocaleFormats dotted;
    dotted.timeSeparator = '.';
    dotted.longTimeFormat = "h:nn:ss";
    const LogUpdateResult r = UpdateLog(FixtureLines("worked_examples.log"), dir.path(), dotted);
    ASSERT_TRUE(r.messages.empty()) << Message(r);
    const auto& out = r.lines;
    const size_t table = LineWith(out, "CHK-PNT") + 3;
    EXPECT_EQ(out[table], "LIRA    |      |      |    |      |      |  -/0125|-    |09.05|");
    EXPECT_EQ(out[table + 3], "BRAVO   |      |      | 120|2500  |   200|030/0045|33   |10.33|");
    EXPECT_EQ(out[table + 4], "        |      |      |    |      |      |        |00.15|10.15|");
    EXPECT_EQ(out[LineWith(out, "TOTALS:")], "TOTALS: DISTANCE =123 Miles   Time=1.20");
    // The long-time prefix keeps five characters of "9.05.00".
    EXPECT_EQ(out[LineWith(out, "TAKE-OFF DATA") + 4],
              "    |           | 9.05.|270/12|> 50 mi     |Few 1/8 |15    |1013 |");
    EXPECT_EQ(out[LineWith(out, "LANDING DATA") + 4],
              "    |           | 10.25|  90/5|10 mi       |Sct 3/8 |17    |1009 |");
}

// A minimal log: the three caption lines, the table and the totals line, no tail.
std::vector<std::string> SmallLog(const std::vector<std::string>& table,
                                  const std::string& totals = "TOTALS: DISTANCE =99 Miles   Time= 00:30 Approach Time =00:10") {
    std::vector<std::string> log = {"Clearance:LIRA    ->ALPHA->BRAVO", std::string(68, '-'),
                                    "CHK-PNT | Frequency   | HDG| ALT  | Wind |Distance| ETE | ETO |NOTE",
                                    "or FIXES| VOR  | NDB  |    | (FL) |      |Leg/Rema| ATE | ATO |", std::string(68, '-')};
    log.insert(log.end(), table.begin(), table.end());
    log.push_back(std::string(67, '-'));
    log.push_back(totals);
    return log;
}

const std::string kActuals = "        |      |      |    |      |      |        |--   |--:--|";
const std::string kActualsHead = "        |      |      |    |      |      |        |";

TEST(LogUpdate, MidnightCrossing) {
    TempDir dir;
    WriteRecord(dir.path(), {"23:50,0,0,100,20,1013,10,5,10,300,Haze",
                             "0:10,0,0,3000,20,1013,20,5,10,290,Haze",
                             "0:10,0,0,3500,20,1013,30,5,10,280,Haze"});
    const auto before = SmallLog({"LIRA    |      |      |    |      |      |  -/0060|-    |23:45|",
                                  "ALPHA   |      |      | 090| 3000 |      |040/0020|20   |00:05|", kActuals,
                                  "BRAVO   |      |      | 090| 3000 |      |020/0000|10   |00:15|", kActuals});
    const LogUpdateResult r = UpdateLog(before, dir.path(), kLocale);
    // No fuel block in this log: nothing written and nothing to say.
    EXPECT_TRUE(r.messages.empty()) << Message(r);
    const std::vector<std::string> table(r.lines.begin() + 5, r.lines.end());
    ExpectSameLines(table, {"LIRA    |      |      |    |      |      |  -/0060|-    |23:50|",
                            "ALPHA   |      |      | 090|3000  |    20|040/0020|00:20|00:10|",
                            kActualsHead + "00:20|00:10|",
                            // (20 / 40) x 20 minutes; the same minute twice is a leg of 00:00
                            "BRAVO   |      |      | 090|3500  |    30|020/0000|10   |00:20|",
                            kActualsHead + "00:00|00:10|", std::string(67, '-'),
                            "TOTALS: DISTANCE =99 Miles   Time=0:20"});
}

TEST(LogUpdate, RevisedEstimatePastMidnightAndBelowTenMinutes) {
    TempDir dir;
    WriteRecord(dir.path(), {"23:30,0,0,0,20,1013,0,0,10,300,Haze", "23:50,0,0,0,20,1013,0,0,10,290,Haze",
                             "0:25,0,0,0,20,1013,0,0,10,280,Haze", "0:31,0,0,0,20,1013,0,0,10,270,Haze"});
    const auto before = SmallLog({"LIRA    |      |      |    |      |      |  -/0090|-    |23:30|",
                                  "ALPHA   |      |      |    |      |      |040/0050|20   |23:50|", kActuals,
                                  "BRAVO   |      |      |    |      |      |080/0010|40   |00:30|", kActuals,
                                  "CHARLIE |      |      |    |      |      |010/0000|05   |00:35|", kActuals});
    const LogUpdateResult r = UpdateLog(before, dir.path(), kLocale);
    EXPECT_TRUE(r.messages.empty()) << Message(r);
    // BRAVO: 80/40 x 20 = 40 minutes after 23:50; CHARLIE: 10/80 x 35 = 4.375.
    EXPECT_EQ(r.lines[8], "BRAVO   |      |      |    |0     |     0|080/0010|40   |00:30|");
    EXPECT_EQ(r.lines[9], kActualsHead + "00:35|00:25|");
    EXPECT_EQ(r.lines[10], "CHARLIE |      |      |    |0     |     0|010/0000|04   |00:29|");
    EXPECT_EQ(r.lines.back(), "TOTALS: DISTANCE =99 Miles   Time=1:01");
}

TEST(LogUpdate, ExactWholeRevisedEstimateIsNotCutShort) {
    // 13 / 3 x 27 is exactly 117; a binary fraction of 13 / 3 would give 116.99...
    TempDir dir;
    WriteRecord(dir.path(), {"10:0,0,0,0,20,1013,0,0,10,300,Haze", "10:27,0,0,0,20,1013,0,0,10,290,Haze",
                             "12:24,0,0,0,20,1013,0,0,10,280,Haze"});
    const auto before = SmallLog({"LIRA    |      |      |    |      |      |  -/0016|-    |10:00|",
                                  "ALPHA   |      |      |    |      |      |003/0013|02   |10:02|", kActuals,
                                  "BRAVO   |      |      |    |      |      |013/0000|09   |10:11|", kActuals});
    const LogUpdateResult r = UpdateLog(before, dir.path(), kLocale);
    EXPECT_EQ(r.lines[8], "BRAVO   |      |      |    |0     |     0|013/0000|117  |12:24|");
}

TEST(LogUpdate, OneCheckpointAndNoCheckpoint) {
    TempDir dir;
    WriteRecord(dir.path(), {"8:0,0,0,0,20,1013,0,0,10,300,Haze", "8:42,0,0,-7,20,1013,360,0,10,290,Haze"});
    const LogUpdateResult one =
        UpdateLog(SmallLog({"LIRA    |      |      |    |      |      |  -/0040|-    |08:00|",
                            "ALPHA   |      |      |    |      |      |040/0000|30   |08:30|", kActuals}),
                  dir.path(), kLocale);
    EXPECT_TRUE(one.messages.empty()) << Message(one);
    EXPECT_EQ(one.lines[6], "ALPHA   |      |      |    |-7    |   360|040/0000|00:42|08:42|");
    EXPECT_EQ(one.lines.back(), "TOTALS: DISTANCE =99 Miles   Time=0:42");

    // A table of the departure alone; the fuel did not change.
    WriteRecord(dir.path(), {"8:0,0,0,0,20,1013,0,0,10,300,Haze"});
    const LogUpdateResult alone =
        UpdateLog(SmallLog({"LIRA    |      |      |    |      |      |  -/0000|-    |07:55|"}), dir.path(), kLocale);
    EXPECT_EQ(alone.messages, std::vector<std::string>{"Attention with Fuel"});
    EXPECT_EQ(alone.lines[5], "LIRA    |      |      |    |      |      |  -/0000|-    |08:00|");
    EXPECT_EQ(alone.lines.back(), "TOTALS: DISTANCE =99 Miles   Time=0:00");
}

TEST(LogUpdate, FailuresBeforeTheTableLeaveTheTextUnchanged) {
    const auto record = testing::NormalFlightRecord();
    auto withLine = [&](size_t at, const std::string& line) {
        auto r = record;
        r[at] = line;
        return r;
    };
    auto more = record;
    more.push_back(record.back());
    auto fewer = record;
    fewer.pop_back();
    auto blankInside = record;
    blankInside.insert(blankInside.begin() + 3, "");
    const std::string pointsMessage = "Points recorded with FSimulator not equals FlightPlan points";

    struct Case {
        const char* name;
        std::vector<std::string> record;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"one record line too many", more, pointsMessage},
        {"one record line too few", fewer, pointsMessage},
        {"empty record", {}, pointsMessage},
        {"bad time", withLine(2, "9h24,310,121,4510,20,1012,280,18,9,475,Sct 3/8"), "'9h24' is not a valid time"},
        {"empty line", blankInside, "'' is not a valid time"},
        {"non-numeric altitude", withLine(1, "9:9,253,118,29z0,25,1012,265,14,12,492,Sct 3/8"),
         "'29z0' is not a valid integer value"},
        {"too few fields", withLine(6, "10:4,2,0,12,12.75,1010,315,8"), "'' is not a valid integer value"},
        {"fuel with a point", withLine(0, "9:2,163,0,15,> 50,1013,270,12,15,500.5,Few 1/8"),
         "'500.5' is not a valid integer value"},
    };
    const auto before = FixtureLines("normal_flight.log");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteRecord(dir.path(), c.record);
        const LogUpdateResult r = UpdateLog(before, dir.path(), kLocale);
        EXPECT_EQ(r.messages, std::vector<std::string>{c.message});
        EXPECT_FALSE(r.rewritten);
        EXPECT_FALSE(r.changed);
        EXPECT_EQ(r.lines, before);
    }
}

TEST(LogUpdate, BrokenTablesLeaveTheTextUnchanged) {
    const auto normal = FixtureLines("normal_flight.log");
    const size_t table = LineWith(normal, "CHK-PNT") + 3;
    auto edit = [&](size_t at, const std::string& line) {
        auto log = normal;
        log[at] = line;
        return log;
    };
    auto withoutTotals = normal;
    withoutTotals.erase(withoutTotals.begin() + static_cast<long>(LineWith(normal, "TOTALS:")));
    auto withoutCaptions = normal;
    withoutCaptions.erase(withoutCaptions.begin() + static_cast<long>(table) - 3);
    auto totalsFirst = normal;
    totalsFirst.insert(totalsFirst.begin(), "TOTALS: DISTANCE =120 Miles   Time= 00:59");
    totalsFirst.erase(totalsFirst.begin() + static_cast<long>(LineWith(normal, "TOTALS:")) + 1);
    // An extra line shifts the pairing: the actuals line below it is read as a planned line.
    auto blankInside = normal;
    blankInside.insert(blankInside.begin() + static_cast<long>(table) + 3, "");
    // An unnamed pair of lines keeps the names in step with the points but not the rows.
    auto unnamedPair = normal;
    unnamedPair.insert(unnamedPair.begin() + static_cast<long>(LineWith(normal, "TOTALS:")) - 1,
                       {"        |      |      |    |      |      |010/0000|05   |10:04|",
                        "        |      |      |    |      |      |        |--   |--:--|"});
    const std::string pointsMessage = "Points recorded with FSimulator not equals FlightPlan points";

    struct Case {
        const char* name;
        std::vector<std::string> log;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"distance of two digits", edit(table + 7, "ELBAISLE|      | 376.0| 343| 3500 |      |12/0019 |06   |09:49|"),
         "'12/' is not a valid integer value"},
        {"empty document", {}, pointsMessage},
        {"no totals line", withoutTotals, pointsMessage},
        {"no captions line", withoutCaptions, pointsMessage},
        {"totals above the captions", totalsFirst, pointsMessage},
        {"blank line inside the table", blankInside, "'' is not a valid integer value"},
        {"unnamed pair of lines", unnamedPair, pointsMessage},
        {"first leg of zero miles", edit(table + 1, "OSTIA   |114.90|      | 253| 3000 |      |000/0106|06   |09:06|"),
         "Floating point division by zero"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteRecord(dir.path(), testing::NormalFlightRecord());
        const LogUpdateResult r = UpdateLog(c.log, dir.path(), kLocale);
        EXPECT_EQ(r.messages, std::vector<std::string>{c.message});
        EXPECT_FALSE(r.rewritten);
        EXPECT_EQ(r.lines, c.log);
    }
}

TEST(LogUpdate, ZeroLegDistances) {
    TempDir dir;
    WriteRecord(dir.path(), {"10:0,0,0,0,20,1013,0,0,10,300,Haze", "10:10,0,0,0,20,1013,0,0,10,290,Haze",
                             "10:20,0,0,0,20,1013,0,0,10,280,Haze"});
    const std::string departure = "LIRA    |      |      |    |      |      |  -/0020|-    |10:00|";
    const std::string planned2 = "BRAVO   |      |      |    |      |      |000/0000|05   |10:15|";

    // Zero over zero is the other floating point failure.
    const auto both = SmallLog({departure, "ALPHA   |      |      |    |      |      |000/0020|10   |10:10|", kActuals,
                                planned2, kActuals});
    const LogUpdateResult r = UpdateLog(both, dir.path(), kLocale);
    EXPECT_EQ(r.messages, std::vector<std::string>{"Invalid floating point operation"});
    EXPECT_EQ(r.lines, both);

    // Only legs that divide must not be zero: the last one may.
    const auto last = SmallLog({departure, "ALPHA   |      |      |    |      |      |020/0000|10   |10:10|", kActuals,
                                planned2, kActuals});
    const LogUpdateResult ok = UpdateLog(last, dir.path(), kLocale);
    EXPECT_TRUE(ok.messages.empty()) << Message(ok);
    EXPECT_EQ(ok.lines[8], "BRAVO   |      |      |    |0     |     0|000/0000|00   |10:10|");
}

TEST(LogUpdate, FuelNotUsedKeepsTheFuelBlockButWritesTheRest) {
    TempDir dir;
    auto record = testing::NormalFlightRecord();
    // Last point with more fuel than the first (refuelled in flight).
    record.back() = "10:4,2,0,12,12.75,1010,315,8,14,510,Brk 6/8";
    WriteRecord(dir.path(), record);
    const auto before = FixtureLines("normal_flight.log");
    const LogUpdateResult r = UpdateLog(before, dir.path(), kLocale);
    EXPECT_EQ(r.messages, std::vector<std::string>{"Attention with Fuel"});
    EXPECT_TRUE(r.rewritten);
    auto expected = FixtureLines("normal_flight_updated.log");
    const size_t fuel = LineWith(expected, "Fuel rate:");
    for (size_t i = fuel; i <= fuel + 7; ++i) expected[i] = before[i];
    ExpectSameLines(r.lines, expected);

    // Fuel unchanged is no better.
    record.back() = "10:4,2,0,12,12.75,1010,315,8,14,500,Brk 6/8";
    WriteRecord(dir.path(), record);
    EXPECT_EQ(UpdateLog(before, dir.path(), kLocale).messages, std::vector<std::string>{"Attention with Fuel"});
}

TEST(LogUpdate, FlightUnderAMinuteFailsOnlyTheFuelBlock) {
    TempDir dir;
    WriteRecord(dir.path(), {"10:0,0,0,0,20,1013,0,0,10,300,Haze", "10:0,0,0,0,20,1013,0,0,10,299,Haze"});
    const auto before = FixtureLines("worked_examples.log");
    auto log = SmallLog({"LIRA    |      |      |    |      |      |  -/0001|-    |10:00|",
                         "ALPHA   |      |      |    |      |      |001/0000|01   |10:01|", kActuals});
    log.insert(log.end(), before.begin() + static_cast<long>(LineWith(before, "TOTALS:")) + 1, before.end());
    const LogUpdateResult r = UpdateLog(log, dir.path(), kLocale);
    EXPECT_EQ(r.messages, std::vector<std::string>{"Floating point division by zero"});
    EXPECT_TRUE(r.rewritten);
    EXPECT_EQ(r.lines[6], "ALPHA   |      |      |    |0     |     0|001/0000|00:00|10:00|");
    EXPECT_EQ(r.lines[LineWith(r.lines, "TAKE-OFF DATA") + 4],
              "    |           | 10:00|   0/0|20 mi       |Haze    |10    |1013 |");
    EXPECT_EQ(r.lines[LineWith(r.lines, "Fuel rate:")], "Fuel rate: 27 gal/h (Estimated)");
}

TEST(LogUpdate, MissingOrLockedRecord) {
    TempDir dir;
    const auto before = FixtureLines("normal_flight.log");
    int started = 0;
    const LogUpdateHooks hooks{[&] { ++started; }, [&] {}};
    const LogUpdateResult missing = UpdateLog(before, dir.path(), kLocale, hooks);
    EXPECT_EQ(missing.messages, std::vector<std::string>{"Cannot open file " + dir.path() + "/FS98.log"});
    EXPECT_FALSE(missing.recordRead);
    EXPECT_EQ(started, 0);
    EXPECT_EQ(missing.lines, before);

    // A recorder holds the record under an exclusive lock while it writes.
    WriteRecord(dir.path(), testing::NormalFlightRecord());
    const int fd = ::open(dir.File("FS98.log").c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const LogUpdateResult locked = UpdateLog(before, dir.path(), kLocale, hooks);
    ::close(fd);
    EXPECT_EQ(locked.messages, std::vector<std::string>{"Cannot open file " + dir.path() + "/FS98.log"});
    EXPECT_EQ(locked.lines, before);
    EXPECT_EQ(started, 0);

    // Once the recorder has let go, the same record is read; the name's case does not matter.
    ::rename(dir.File("FS98.log").c_str(), dir.File("Fs98.LOG").c_str());
    EXPECT_TRUE(UpdateLog(before, dir.path(), kLocale).messages.empty());
}

TEST(LogUpdate, ReadingHooksArePairedAlsoOnFailure) {
    TempDir dir;
    std::string calls;
    const LogUpdateHooks hooks{[&] { calls += "started "; }, [&] { calls += "finished "; }};
    WriteRecord(dir.path(), {"nonsense"});
    const LogUpdateResult bad = UpdateLog(FixtureLines("normal_flight.log"), dir.path(), kLocale, hooks);
    EXPECT_EQ(calls, "started finished ");
    EXPECT_TRUE(bad.recordRead);  // the screen's title has already changed
    EXPECT_EQ(bad.messages, std::vector<std::string>{"'nonsense' is not a valid time"});
}

TEST(LogUpdate, MarkersPastColumnEightyAreIgnored) {
    TempDir dir;
    WriteRecord(dir.path(), testing::NormalFlightRecord());
    auto before = FixtureLines("normal_flight.log");
    const size_t notes = LineWith(before, "Notes:") + 1;
    before[notes] = std::string(74, ' ') + "CHK-PNT TOTALS: Fuel rate:";
    auto expected = FixtureLines("normal_flight_updated.log");
    expected[notes] = before[notes];
    // A long remark in the NOTE column goes with the rebuilt line.
    const size_t table = LineWith(before, "CHK-PNT") + 3;
    before[table + 2] += "remark written by the pilot beyond the eightieth column of the line";
    const LogUpdateResult r = UpdateLog(before, dir.path(), kLocale);
    EXPECT_TRUE(r.messages.empty()) << Message(r);
    ExpectSameLines(r.lines, expected);
}

TEST(LogUpdate, NarrowFieldsKeepTheirLowBitsAndLength) {
    const LocaleFormats locale;
    const auto points = ReadRecordPoints(
        {"12:0,65537,70000,-1234567,123456,66549,65896,300,257,65636,Overcast clouds over everything",
         "12:3,0,0,0,5,0,0,0,0,0,"},
        locale);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].heading, 1);
    EXPECT_EQ(points[0].speed, 70000 - 65536);
    EXPECT_EQ(points[0].altitude, -1234567);
    EXPECT_EQ(points[0].visibility, "1234");
    EXPECT_EQ(points[0].qnh, 66549 - 65536);
    EXPECT_EQ(points[0].windDirection, 360);
    EXPECT_EQ(points[0].windSpeed, 300 - 256);
    EXPECT_EQ(points[0].temperature, 1);
    EXPECT_EQ(points[0].fuel, 100);
    EXPECT_EQ(points[0].clouds, "Overcast clouds over");
    EXPECT_EQ(points[0].legTime, 0.0);
    EXPECT_EQ(DecodeTime(points[1].legTime).minute, 3);
    EXPECT_EQ(points[1].clouds, "");
}

}  // namespace
}  // namespace kestrova::review
