#include "conversion/plan_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/error.h"

namespace kestrova::conversion {
namespace {

TEST(StrToFloat, ReadsDecimalNumbersWithAPoint) {
    const std::vector<std::pair<const char*, double>> good = {
        {"12.5", 12.5}, {"-750", -750.0}, {" 2542.5 ", 2542.5}, {"+3", 3.0},
        {"1E2", 100.0}, {"2.5e-1", 0.25}, {".5", 0.5},         {"5.", 5.0},
    };
    for (const auto& [text, value] : good) EXPECT_DOUBLE_EQ(StrToFloat(text), value) << "[" << text << "]";

    for (const char* text : {"", " ", "12,5", "1.2.3", "inf", "nan", "0x10", "1e", "--1", "abc", "1 2", "1e999"}) {
        try {
            StrToFloat(text);
            ADD_FAILURE() << "[" << text << "] was accepted";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid floating point value");
        }
    }
}

// A FlightPlanner plan of `lineCount` lines whose waypoint i has latitude i.
std::vector<std::string> FpfLines(int lineCount, const std::string& countLine) {
    std::vector<std::string> lines = {"01", "HEADER", countLine};
    while (static_cast<int>(lines.size()) < lineCount) {
        const int b = (static_cast<int>(lines.size()) - 3) % 14;
        const int i = (static_cast<int>(lines.size()) - 3) / 14;
        if (b == 0) lines.push_back("6");
        else if (b == 1) lines.push_back("W" + std::to_string(i) + "   NAME");
        else if (b == 3) lines.push_back(std::to_string(i));
        else if (b == 4) lines.push_back("200");
        else lines.push_back("not a number");
    }
    return lines;
}

TEST(FlightPlannerLoop, StopsAtTheCountOrBeforeABlockOnTheLastLine) {
    struct Row {
        int lines;
        int32_t count;
        int handed;
        const char* error;  // nullptr: the loop ends normally
    };
    const std::vector<Row> rows = {
        {31, 2, 2, nullptr},  // 3 + 14 N lines
        {28, 2, 2, nullptr},  // 14 N lines: the last block is still whole enough
        {33, 2, 2, nullptr},  // lines after the last block are never a block
        {32, 3, 2, nullptr},  // the third block would start on the last line
        {10, 2, 1, nullptr},
        {8, 1, 1, nullptr},
        {33, 3, 2, "Line 35 is missing from mem.fpf"},  // third block starts but has no latitude
        {20, 2, 1, "Line 21 is missing from mem.fpf"},
        {7, 1, 0, "Line 8 is missing from mem.fpf"},
        {3, 1, 0, "Line 4 is missing from mem.fpf"},
    };
    for (const auto& row : rows) {
        const PlanFile plan("mem.fpf", FpfLines(row.lines, std::to_string(row.count)));
        std::vector<int32_t> latitudes;
        std::string error;
        try {
            ForEachFpfWaypoint(plan, row.count, [&](int32_t i, const PuntiVolo& w) {
                EXPECT_EQ(i, static_cast<int32_t>(latitudes.size()));
                latitudes.push_back(w.latitude);
            });
        } catch (const Error& e) {
            error = e.what();
        }
        EXPECT_EQ(static_cast<int>(latitudes.size()), row.handed) << row.lines << " lines, count " << row.count;
        for (size_t i = 0; i < latitudes.size(); ++i) EXPECT_EQ(latitudes[i], static_cast<int32_t>(i));
        EXPECT_EQ(error, row.error ? row.error : "") << row.lines << " lines, count " << row.count;
    }
}

TEST(FlightPlannerLoop, LineCheckBoundaryIsFourteenLinesPerWaypoint) {
    EXPECT_TRUE(FpfLinesSuffice(PlanFile("p", FpfLines(28, "2")), 2));
    EXPECT_FALSE(FpfLinesSuffice(PlanFile("p", FpfLines(27, "2")), 2));
    EXPECT_TRUE(FpfLinesSuffice(PlanFile("p", FpfLines(27, "0")), 0));
}

TEST(FlightPlannerBlock, ReadsColumnsAndDropsSpacesInNumbers) {
    const PlanFile plan("p.fpf", {"01", "H", " 1 2", " 8 ", "ABCD NAME OF THE WAYPOINT" + std::string(14, ' ') + " 11 5",
                                  "x", "- 2 345", "+70 000"});
    EXPECT_EQ(ReadFpfCount(plan), 12);
    const PuntiVolo w = ReadFpfBlock(plan, 3);
    EXPECT_EQ(w.type, 8);
    EXPECT_EQ(w.identifier, "ABCD ") << "trailing space kept";
    EXPECT_EQ(w.name, "NAME OF THE WAYPOINT" + std::string(14, ' '));
    EXPECT_EQ(w.frequency, "115");
    EXPECT_EQ(w.latitude, -2345);
    EXPECT_EQ(w.longitude, 70000);

    const PlanFile shortLine("p.fpf", {"01", "H", "1", "2", "KL", "", "1", "2"});
    const PuntiVolo s = ReadFpfBlock(shortLine, 3);
    EXPECT_EQ(s.identifier, "KL");
    EXPECT_EQ(s.name, "");
    EXPECT_EQ(s.frequency, "");
}

TEST(FlightPlannerBlock, ReportsTheTextThatIsNotANumber) {
    struct Row {
        std::vector<std::string> lines;
        const char* error;
    };
    const std::vector<Row> rows = {
        {{"01", "H", "1", "VOR", "ABCD", "", "1", "2"}, "'VOR' is not a valid integer value"},
        {{"01", "H", "1", "2", "ABCD", "", "41.5", "2"}, "'41.5' is not a valid integer value"},
        {{"01", "H", "1", "2", "ABCD", "", "1", ""}, "'' is not a valid integer value"},
        {{"01", "H", "1 x"}, nullptr},  // the count, read on its own
    };
    for (const auto& row : rows) {
        const PlanFile plan("p.fpf", row.lines);
        try {
            if (row.error) {
                ReadFpfBlock(plan, 3);
            } else {
                ReadFpfCount(plan);
            }
            ADD_FAILURE() << "no error for " << row.lines.back();
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), row.error ? row.error : "'1x' is not a valid integer value");
        }
    }
}

TEST(WinPlannerPlan, CountIsTheWholeLineAndBlocksAre32Lines) {
    EXPECT_EQ(ReadFltCount(PlanFile("p.flt", {"W", " 3"})), 3);
    EXPECT_THROW(ReadFltCount(PlanFile("p.flt", {"W", "3 "})), Error);
    EXPECT_THROW(ReadFltCount(PlanFile("p.flt", {"W"})), Error);

    std::vector<std::string> lines = {"W", "2"};
    for (int i = 0; i < 64; ++i) lines.push_back("L" + std::to_string(i));
    lines[2 + 32 + 0] = "-12.5";
    lines[2 + 32 + 1] = "60";
    lines[2 + 32 + 26] = "4";
    const PlanFile plan("p.flt", lines);
    std::vector<std::string> names;
    ForEachFltBlock(plan, 2, [&](int32_t, const FltBlock& block) { names.push_back(block.Line(8)); });
    EXPECT_EQ(names, (std::vector<std::string>{"L8", "L40"}));
    const FltBlock second(plan, 34);
    EXPECT_DOUBLE_EQ(second.Latitude(), -12.5);
    EXPECT_DOUBLE_EQ(second.Longitude(), 60.0);
    EXPECT_EQ(second.Type(), 4);
    try {
        FltBlock(plan, 66).Line(8);
        ADD_FAILURE() << "a block past the end was read";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Line 75 is missing from p.flt");
    }
}

TEST(AcsRecord, CutsTextsAtTheirCapacity) {
    const ACSREC r = MakeAcsRec("ABCDEFGH", std::string(300, 'd'), std::string(40, 'a'), std::string(31, 'o'), "VOR");
    EXPECT_EQ(r.identifier, "ABCDEF");
    EXPECT_EQ(r.description, std::string(255, 'd'));
    EXPECT_EQ(r.latitude, std::string(30, 'a'));
    EXPECT_EQ(r.longitude, std::string(30, 'o'));
    EXPECT_EQ(r.kind, "VOR");
}

}  // namespace
}  // namespace kestrova::conversion
