#include <gtest/gtest.h>

#include "core/time_value.h"
#include "navlog/layout.h"

using namespace kestrova;
using namespace kestrova::navlog;

namespace {

std::string Rep(char c, size_t n) { return std::string(n, c); }

TEST(Templates, EveryLineAsTheLayoutGivesIt) {
    const TemplateList t = LoadTemplates();
    ASSERT_EQ(t.Testa.size(), 11u);
    ASSERT_EQ(t.Coda.size(), 38u);
    struct Row {
        bool head;
        size_t line;
        size_t length;
        std::string text;
    };
    const Row rows[] = {
        {true, 0, 66, "ALTAMARINOLA AIRLINES" + Rep(' ', 31) + "NAVIGATION LOG"},
        {true, 1, 66, Rep('-', 66)},
        {true, 2, 17, "Aircraft Ident : "},
        {true, 3, 16, "Pilot          :"},
        {true, 4, 16, "Date           :"},
        {true, 5, 66, Rep('-', 66)},
        {true, 6, 10, "Clearance:"},
        {true, 7, 68, Rep('-', 68)},
        {true, 8, 67, "CHK-PNT | Frequency   | HDG| ALT  | Wind |Distance| ETE | ETO |NOTE"},
        {true, 9, 63, "or FIXES| VOR  | NDB  |    | (FL) |      |Leg/Rema| ATE | ATO |"},
        {true, 10, 68, Rep('-', 68)},
        {false, 0, 67, Rep('-', 67)},
        {false, 1, 69, "Alternat|      |      |    |      |      |        |     |     |      "},
        {false, 2, 67, Rep('-', 67)},
        {false, 3, 0, ""},
        {false, 4, 67, Rep('-', 67)},
        {false, 5, 16, "TAKE-OFF DATA   "},
        {false, 6, 68, Rep('-', 68)},
        {false, 7, 66, "RWY | Trans Lev | Time | Wind | Visibility | Clouds | Temp | QNH |"},
        {false, 8, 68, Rep('-', 68)},
        {false, 9, 66, "    |           |      |      |            |        |      |     |"},
        {false, 10, 66, Rep('-', 66)},
        {false, 11, 44, "LANDING DATA" + Rep(' ', 32)},
        {false, 12, 68, Rep('-', 68)},
        {false, 13, 66, "RWY | Trans Lev | Time | Wind | Visibility | Clouds | Temp | QNH |"},
        {false, 14, 68, Rep('-', 68)},
        {false, 15, 66, "    |           |      |      |            |        |      |     |"},
        {false, 16, 68, Rep('-', 68)},
        {false, 17, 0, ""},
        {false, 18, 68, Rep('-', 68)},
        {false, 19, 34, "FUEL CALCULATION AND FUEL REQUIRED"},
        {false, 20, 68, Rep('-', 68)},
        {false, 21, 31, "Fuel rate:" + Rep(' ', 21)},
        {false, 22, 0, ""},
        {false, 23, 66, "Subtotal to first landing - Minutes/Gallons(Liters):" + Rep(' ', 5) + "/" + Rep(' ', 7) + "l"},
        {false, 24, 58, "Subtotal to alternate - Minutes/Gallons(Liters)" + Rep(' ', 4) + ":" + Rep(' ', 5) + "/"},
        {false, 25, 66, "Reserve - Minutes/Gallons(Lites)" + Rep(' ', 19) + ":" + Rep(' ', 5) + "/" + Rep(' ', 7) + "l"},
        {false, 26, 60, "Taxy / Run-up - Gallons(Liters)" + Rep(' ', 26) + ":" + Rep(' ', 2)},
        {false, 27, 0, ""},
        {false, 28, 66, "TOTAL" + Rep(' ', 52) + ":" + Rep(' ', 7) + "l"},
        {false, 29, 66, Rep('-', 66)},
        {false, 30, 6, "Notes:"},
        {false, 31, 0, ""},
        {false, 32, 0, ""},
        {false, 33, 0, ""},
        {false, 34, 0, ""},
        {false, 35, 66, Rep('-', 66)},
        {false, 36, 12, "Prepared by:"},
        {false, 37, 66, Rep('-', 66)},
    };
    for (const Row& r : rows) {
        const std::string& line = (r.head ? t.Testa : t.Coda).at(r.line);
        SCOPED_TRACE((r.head ? "Testa line " : "Coda line ") + std::to_string(r.line));
        EXPECT_EQ(line.size(), r.length);
        EXPECT_EQ(line, r.text);
    }
}

TEST(Templates, PilotDataGoInOncePerRun) {
    TemplateList t = LoadTemplates();
    FillPilotName(t, "MARIO ROSSI");
    FillPreparer(t, "AZ0123", "42");
    // Pilot data edited later in the run reach no template.
    FillPilotName(t, "GINO BIANCHI");
    FillPreparer(t, "AZ9999", "7");
    EXPECT_EQ(t.Testa[3], "Pilot          :MARIO ROSSI");
    EXPECT_EQ(t.Coda[36], "Prepared by:AZ0123 42");
}

TEST(Templates, MarkersStandOnceAndWhereTheOtherLinesAreFound) {
    const TemplateList t = LoadTemplates();
    for (auto marker : {kMarkerCheckpointHeader, kMarkerAircraft}) {
        const size_t at = FindMarker(t.Testa, marker);
        ASSERT_NE(at, std::string::npos) << marker;
        EXPECT_EQ(FindMarker(t.Testa, marker, at + 1), std::string::npos) << marker;
        EXPECT_EQ(FindMarker(t.Coda, marker), std::string::npos) << marker;
    }
    for (auto marker : {kMarkerTakeOff, kMarkerLanding, kMarkerFuelRate}) {
        const size_t at = FindMarker(t.Coda, marker);
        ASSERT_NE(at, std::string::npos) << marker;
        EXPECT_EQ(FindMarker(t.Coda, marker, at + 1), std::string::npos) << marker;
    }
    EXPECT_EQ(FindMarker(t.Coda, kMarkerTakeOff) + kDataRowBelowBlockTitle, 9u);
    EXPECT_EQ(FindMarker(t.Coda, kMarkerLanding) + kDataRowBelowBlockTitle, 15u);
    const size_t fuel = FindMarker(t.Coda, kMarkerFuelRate);
    EXPECT_EQ(t.Coda[fuel + kTripBelowFuelRate].rfind("Subtotal to first landing", 0), 0u);
    EXPECT_EQ(t.Coda[fuel + kReserveBelowFuelRate].rfind("Reserve", 0), 0u);
    EXPECT_EQ(t.Coda[fuel + kTaxiBelowFuelRate].rfind("Taxy", 0), 0u);
    EXPECT_EQ(t.Coda[fuel + kTotalBelowFuelRate].rfind("TOTAL", 0), 0u);
}

TEST(TableLines, ActualsLineCarriesThePlaceholdersWithTheTimeSeparator) {
    LocaleFormats dot;
    dot.timeSeparator = '.';
    EXPECT_EQ(ActualsLine(LocaleFormats{}), "        |      |      |    |      |      |        |--   |--:--|");
    EXPECT_EQ(ActualsLine(dot), "        |      |      |    |      |      |        |--   |--.--|");
    EXPECT_EQ(TableEndLine(), Rep('-', 67));
}

TEST(ClockAndDateTexts, FollowTheLocale) {
    struct Row {
        char sep;
        std::string longTime;
        double value;
        std::string clock;
    };
    const Row rows[] = {
        {':', "hh:nn:ss", EncodeTime(9, 5), "09:05"},
        {'.', "hh:nn:ss", EncodeTime(23, 59), "23.59"},
        // Formats whose first five characters are no two-digit 24-hour clock.
        {':', "h:nn:ss", EncodeTime(9, 5), "09:05"},
        {':', "hh:nn:ss ampm", EncodeTime(13, 5), "13:05"},
        // A sum past midnight shows the time of day.
        {':', "hh:nn:ss", EncodeTime(23, 50) + EncodeTime(0, 20), "00:10"},
    };
    for (const Row& r : rows) {
        LocaleFormats loc;
        loc.timeSeparator = r.sep;
        loc.longTimeFormat = r.longTime;
        EXPECT_EQ(ClockText(r.value, loc), r.clock) << r.longTime;
    }
    LocaleFormats us;
    EXPECT_EQ(DateText(EncodeDate(2001, 12, 4), us), "12/04/01");
    LocaleFormats de;
    de.dateSeparator = '.';
    de.shortDateFormat = "dd/mm/yyyy";
    EXPECT_EQ(DateText(EncodeDate(2001, 12, 4), de), "04.12.2001");
    EXPECT_EQ(WithTimeSeparator("01.11", LocaleFormats{}), "01:11");
    EXPECT_EQ(WithTimeSeparator("", LocaleFormats{}), "");
}

}  // namespace
