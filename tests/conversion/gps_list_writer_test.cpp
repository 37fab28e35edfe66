#include "conversion/gps_list_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace kestrova::conversion {
namespace {

using namespace testing;

TEST(FpfGpsLine, IdentifierColumnAndNameStart) {
    PuntiVolo w;
    w.latitude = 2323000;
    w.longitude = 570000;
    w.name = "ALPHA FIELD" + std::string(23, ' ');
    const std::string position = "0:41:48:24:1:12:13:51";
    struct Row {
        const char* identifier;
        std::string line;
    };
    const std::vector<Row> rows = {
        {"ABCD ", "ABCD ALPHA FIELD         " + position},
        {"     ", "ALPHAALPHA FIELD         " + position},  // blank identifier: the name's start
        {"KL", "KL   ALPHA FIELD         " + position},     // short, padded, not replaced
        {"    ", "     ALPHA FIELD         " + position},   // four spaces are not five
    };
    for (const auto& row : rows) {
        w.identifier = row.identifier;
        EXPECT_EQ(FpfGpsLine(w), row.line) << "[" << row.identifier << "]";
    }
}

struct FileCase {
    const char* name;
    Conversion convert;
    std::string plan;
    std::string expected;
    bool badFileFormat;
    std::string error;
};

void CheckCases(const std::vector<FileCase>& cases) {
    const TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RunOutcome run = RunConversion(c.convert, c.plan, dir, "FS98.txt", kKindGps);
        EXPECT_EQ(run.error, c.error);
        EXPECT_TRUE(SameBytes(run.output, c.expected));
        EXPECT_TRUE(run.resultSet);
        if (c.error.empty()) {
            EXPECT_EQ(run.report.badFileFormat, c.badFileFormat);
        }
    }
}

TEST(FpfToTxt, OneLinePerWaypointWithoutALineCheck) {
    const std::string first = "AAAA FIRST               0:41:48:24:1:12:13:51";
    const std::string second = "BBBB SECOND              1:41:48:24:0:12:13:51";
    CheckCases({
        {"every type", &FpfToTxt, Fixture("fpf-all-types.fpf"), ReadBytes(Fixture("expected/fpf-all-types.txt")),
         false, ""},
        {"14 N - 1 lines", &FpfToTxt, Fixture("fpf-14n-minus-1-lines.fpf"), CrLf({first, second}), false, ""},
        {"extra lines", &FpfToTxt, Fixture("fpf-extra-lines-after-blocks.fpf"), CrLf({first, second}), false, ""},
        {"10 lines for 2", &FpfToTxt, Fixture("fpf-10-lines-count-2.fpf"), CrLf({first}), false, ""},
        {"empty VOR frequency", &FpfToTxt, Fixture("fpf-empty-vor-frequency.fpf"),
         CrLf({first, "VVV  VICTOR              0:43:11:32:1:12:52:28",
               "NNN  NOVEMBER            1:41:48:24:0:12:13:51"}),
         false, ""},
        {"count 0", &FpfToTxt, Fixture("fpf-count-0.fpf"), "", true, ""},
        {"cut inside a block", &FpfToTxt, Fixture("fpf-cut-inside-block.fpf"), CrLf({first}), false,
         "Line 21 is missing from " + Fixture("fpf-cut-inside-block.fpf")},
    });
}

TEST(FltToTxt, NameColumnOf26Characters) {
    CheckCases({
        {"route", &FltToTxt, Fixture("flt-route.flt"), ReadBytes(Fixture("expected/flt-route.txt")), false, ""},
        {"count 0", &FltToTxt, Fixture("flt-count-0.flt"), "", false, ""},
        // The third block lacks line 27, which this list does not need.
        {"count beyond the blocks", &FltToTxt, Fixture("flt-count-beyond-blocks.flt"),
         CrLf({"AAAA FIRST                0:10:00:00:0:10:00:00", "BBBB SECOND               1:10:00:00:1:10:00:00",
               "CCCC THIRD                0:20:00:00:1:20:00:00"}),
         false, "Line 107 is missing from " + Fixture("flt-count-beyond-blocks.flt")},
    });
}

}  // namespace
}  // namespace kestrova::conversion
