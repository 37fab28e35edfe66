#include "conversion/coord_forms.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kestrova::conversion {
namespace {

TEST(DegMinText, FormsMinutesInASixCharacterField) {
    EXPECT_EQ(DegMinText(41.80668, 'N', "m"), "N 41* 48.401m");
    EXPECT_EQ(DegMinText(42.25, 'S', "'"), "S 42* 15.000'");
    EXPECT_EQ(DegMinText(0.1, 'E', "m"), "E 0*  6.000m");
    EXPECT_EQ(DegMinText(-42.25, 'N', "m"), "N 42* 15.000m") << "the sign reaches the text only through the letter";
    // Rounded only when formatted: the degree stays, the minutes show 60.
    EXPECT_EQ(DegMinText(41.9999933, 'N', "m"), "N 41* 60.000m");
}

TEST(GpsDmsText, CutsSecondsAndPadsToTwoDigits) {
    EXPECT_EQ(GpsDmsText(41.80668, '0'), "0:41:48:24");
    EXPECT_EQ(GpsDmsText(122.30873, '1'), "1:122:18:31");
    EXPECT_EQ(GpsDmsText(0.0, '1'), "1:00:00:00");
    EXPECT_EQ(GpsDmsText(-5.123, '0'), "0:05:07:22");
    EXPECT_EQ(GpsDmsText(41.9999933, '0'), "0:41:59:59") << "cut seconds never reach 60";
}

TEST(PlannerDegrees, UseTheDivisorsAsWritten) {
    EXPECT_DOUBLE_EQ(FpfLatDegrees(55565277), 1000.0);
    EXPECT_DOUBLE_EQ(FpfLonDegrees(46603377), 1000.0);
    EXPECT_DOUBLE_EQ(FltDegrees(-750), -12.5);
}

struct FpfRow {
    const char* member;
    std::function<std::string(int32_t)> form;
    int32_t value;
    const char* expected;
};

TEST(CoordinateMembers, FlightPlannerRows) {
    const std::vector<FpfRow> rows = {
        {"AcsFpfLatitude", AcsFpfLatitude, 2323000, "N 41* 48.401m"},
        {"AcsFpfLatitude", AcsFpfLatitude, -2323000, "S 41* 48.401m"},
        {"AcsFpfLatitude", AcsFpfLatitude, 0, "S 0*  0.000m"},
        {"AcsFpfLongitude", AcsFpfLongitude, 570000, "E 12* 13.852m"},
        {"AcsFpfLongitude", AcsFpfLongitude, -570000, "W 12* 13.852m"},
        {"AcsFpfLongitude", AcsFpfLongitude, 5700000, "E 122* 18.524m"},
        {"AcsFpfLongitude", AcsFpfLongitude, 0, "W 0*  0.000m"},
        {"PlnFpfLatitude", PlnFpfLatitude, 2323000, "N 41* 48.401'"},
        {"PlnFpfLatitude", PlnFpfLatitude, 0, "S 0*  0.000'"},
        {"PlnFpfLongitude", PlnFpfLongitude, -570000, "W 12* 13.852'"},
        {"GpsFpfLatitude", GpsFpfLatitude, 2323000, "0:41:48:24"},
        {"GpsFpfLatitude", GpsFpfLatitude, -2323000, "1:41:48:24"},
        {"GpsFpfLatitude", GpsFpfLatitude, 0, "1:00:00:00"},
        {"GpsFpfLongitude", GpsFpfLongitude, 570000, "1:12:13:51"},
        {"GpsFpfLongitude", GpsFpfLongitude, -570000, "0:12:13:51"},
        {"GpsFpfLongitude", GpsFpfLongitude, 5700000, "1:122:18:31"},
        {"GpsFpfLongitude", GpsFpfLongitude, 0, "0:00:00:00"},
    };
    for (const auto& row : rows) EXPECT_EQ(row.form(row.value), row.expected) << row.member << "(" << row.value << ")";
}

struct FltRow {
    const char* member;
    std::function<std::string(double)> form;
    double minutes;
    const char* expected;
};

TEST(CoordinateMembers, WinPlannerRows) {
    const std::vector<FltRow> rows = {
        {"AcsFltLatitude", AcsFltLatitude, 2542.5, "N 42* 22.500m"},
        {"AcsFltLatitude", AcsFltLatitude, 2519.9996, "N 41* 60.000m"},
        {"AcsFltLatitude", AcsFltLatitude, 0.0, "S 0*  0.000m"},
        {"AcsFltLatitude", AcsFltLatitude, -600.0, "S 10*  0.000m"},
        // A positive WinPlanner longitude is west here, unlike every other row.
        {"AcsFltLongitude", AcsFltLongitude, 750.0, "W 12* 30.000m"},
        {"AcsFltLongitude", AcsFltLongitude, -750.0, "E 12* 30.000m"},
        {"AcsFltLongitude", AcsFltLongitude, 0.0, "E 0*  0.000m"},
        {"GpsFltLatitude", GpsFltLatitude, 2542.5, "0:42:22:30"},
        {"GpsFltLatitude", GpsFltLatitude, 2519.9996, "0:41:59:59"},
        {"GpsFltLatitude", GpsFltLatitude, -600.0, "1:10:00:00"},
        {"GpsFltLongitude", GpsFltLongitude, 750.0, "1:12:30:00"},
        {"GpsFltLongitude", GpsFltLongitude, -750.0, "0:12:30:00"},
        {"GpsFltLongitude", GpsFltLongitude, 0.0, "0:00:00:00"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.form(row.minutes), row.expected) << row.member << "(" << row.minutes << ")";
}

}  // namespace
}  // namespace kestrova::conversion
