#include "conversion/prg_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace kestrova::conversion {
namespace {

using namespace testing;

PuntiVolo Waypoint(int16_t type, const std::string& identifier, const std::string& name, const std::string& frequency) {
    PuntiVolo w;
    w.type = type;
    w.identifier = identifier;
    w.name = name;
    w.frequency = frequency;
    w.latitude = 2323000;
    w.longitude = 570000;
    return w;
}

TEST(FpfAcsRecord, KindAndValueByType) {
    const std::string alpha = "ALPHA" + std::string(29, ' ');
    struct Row {
        PuntiVolo waypoint;
        const char* description;
    };
    const std::vector<Row> rows = {
        {Waypoint(2, "ALP  ", alpha, "1490"), "ALPHA     VOR:114.9"},
        {Waypoint(2, "ALP  ", alpha, "1125"), "ALPHA     VOR:111.25"},
        {Waypoint(2, "ALP  ", alpha, "0"), "ALPHA     VOR:100"},
        {Waypoint(4, "ALP  ", alpha, "3850"), "ALPHA     NDB:385"},
        {Waypoint(4, "ALP  ", alpha, "3855"), "ALPHA     NDB:385.5"},
        {Waypoint(6, "ALP  ", alpha, ""), "ALPHA     XXXX:0"},
        {Waypoint(8, "ALP  ", alpha, "x"), "ALPHA     ISEC:0"},  // frequency not parsed
        {Waypoint(7, "ALP  ", alpha, ""), "ALPHA     XXXX:0"},
        {Waypoint(6, "KILO ", "KILO", ""), "KILOXXXX:0"},  // a short name is not padded
    };
    for (const auto& row : rows) EXPECT_EQ(FpfAcsRecord(row.waypoint).description, row.description);

    const ACSREC r = FpfAcsRecord(Waypoint(2, "ALP  ", alpha, "1490"));
    EXPECT_EQ(r.identifier, "ALP  ");
    EXPECT_EQ(r.latitude, "N 41* 48.401m");
    EXPECT_EQ(r.longitude, "E 12* 13.852m");
    EXPECT_EQ(r.kind, "VOR");

    for (const char* bad : {"", "11.5", "1 1"}) {
        try {
            FpfAcsRecord(Waypoint(4, "N    ", alpha, bad));
            ADD_FAILURE() << "frequency [" << bad << "] accepted";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(bad) + "' is not a valid integer value");
        }
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
        const RunOutcome run = RunConversion(c.convert, c.plan, dir, "FS98.prg", kKindAcsGps);
        EXPECT_EQ(run.error, c.error);
        EXPECT_TRUE(run.outputExists);
        EXPECT_TRUE(SameBytes(run.output, c.expected));
        EXPECT_TRUE(run.resultSet) << "the result is set, also after an error in the loop";
        if (c.error.empty()) {
            EXPECT_EQ(run.report.badFileFormat, c.badFileFormat);
            EXPECT_EQ(run.report.outputFile, dir.File("FS98.prg"));
            EXPECT_EQ(run.report.kind, kKindAcsGps);
        }
    }
}

TEST(FpfToPrg, WritesFiveLinesPerWaypointLongitudeFirst) {
    const std::vector<std::string> twoWaypoints = {
        "AAAA ", "FIRST     XXXX:0", "E 12* 13.852m", "N 41* 48.401m", " ",
        "BBBB ", "SECOND    ISEC:0", "W 12* 13.852m", "S 41* 48.401m", " ",
    };
    CheckCases({
        {"every type", &FpfToPrg, Fixture("fpf-all-types.fpf"), ReadBytes(Fixture("expected/fpf-all-types.prg")),
         false, ""},
        {"14 N lines", &FpfToPrg, Fixture("fpf-exact-14n-lines.fpf"), CrLf(twoWaypoints), false, ""},
        {"extra lines", &FpfToPrg, Fixture("fpf-extra-lines-after-blocks.fpf"), CrLf(twoWaypoints), false, ""},
        {"14 N - 1 lines", &FpfToPrg, Fixture("fpf-14n-minus-1-lines.fpf"), "", true, ""},
        {"10 lines for 2", &FpfToPrg, Fixture("fpf-10-lines-count-2.fpf"), "", true, ""},
        {"cut inside a block", &FpfToPrg, Fixture("fpf-cut-inside-block.fpf"), "", true, ""},
        {"count 0", &FpfToPrg, Fixture("fpf-count-0.fpf"), "", true, ""},
        {"empty VOR frequency", &FpfToPrg, Fixture("fpf-empty-vor-frequency.fpf"),
         CrLf({"AAAA ", "FIRST     XXXX:0", "E 12* 13.852m", "N 41* 48.401m", " "}), false,
         "'' is not a valid integer value"},
    });
}

TEST(FltToPrg, WritesFiveLinesPerWaypointLatitudeFirst) {
    CheckCases({
        {"route", &FltToPrg, Fixture("flt-route.flt"), ReadBytes(Fixture("expected/flt-route.prg")), false, ""},
        {"count 0", &FltToPrg, Fixture("flt-count-0.flt"), "", false, ""},
        {"count beyond the blocks", &FltToPrg, Fixture("flt-count-beyond-blocks.flt"),
         CrLf({"AAAA", "AAAA FIRST: one", "N 10*  0.000m", "E 10*  0.000m", " ",  //
               "BBBB", "BBBB SECOND: two", "S 10*  0.000m", "W 10*  0.000m", " "}),
         false, "Line 94 is missing from " + Fixture("flt-count-beyond-blocks.flt")},
    });
}

TEST(FpfToPrg, FailuresBeforeTheLoopLeaveAnEmptyFileAndNoResult) {
    const TempDir dir;
    for (const auto& [plan, error] : std::vector<std::pair<std::string, std::string>>{
             {Fixture("fpf-count-invalid.fpf"), "'1x' is not a valid integer value"},
             {dir.File("absent.fpf"), "Cannot open file " + dir.File("absent.fpf")},
         }) {
        WriteBytes(dir.File("FS98.prg"), "old content");
        SetConversionResult("", 0);
        try {
            FpfToPrg(plan, dir.path());
            ADD_FAILURE() << plan;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), error);
        }
        EXPECT_EQ(ReadBytes(dir.File("FS98.prg")), "") << "created or truncated first";
        EXPECT_EQ(LastOutputFile(), "");
    }
}

TEST(FpfToPrg, AnOutputThatCannotBeCreatedIsReported) {
    const TempDir dir;
    try {
        FpfToPrg(Fixture("fpf-all-types.fpf"), dir.File("no-such-dir"));
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + dir.File("no-such-dir") + "/FS98.prg");
    }
}

}  // namespace
}  // namespace kestrova::conversion
