#include <cmath>

#include <gtest/gtest.h>

#include "simlink/record_line.h"
#include "simlink/sim_values.h"

namespace kestrova {
namespace {

constexpr int64_t kOne = int64_t {1} << 32;  // 1.0 in the simulator's fixed point

TEST(HeadingDegreesTest, FullCircleIsTwoToThe32) {
    EXPECT_EQ(HeadingDegrees(0), 0.0L);
    EXPECT_EQ(HeadingDegrees(2147483648.0L), 180.0L);
    EXPECT_EQ(HeadingDegrees(1073741824.0L), 90.0L);
    const long double top = HeadingDegrees(4294967295.0L);
    EXPECT_LT(top, 360.0L);
    EXPECT_GT(top, 359.9999999L);
    EXPECT_EQ(HeadingDegrees(-1073741824.0L), 270.0L);  // a negative angle comes back into the circle
}

TEST(DegreesToDmsTest, Examples) {
    const struct {
        long double degrees;
        const char* text;
    } cases[] = {
        {45.0520138888889L, "+45d03'07.25\""},
        {9.5L, "+09d30'00.00\""},
        {-0.5L, "-00d30'00.00\""},
        {-123.25L, "-123d15'00.00\""},
        {0.0L, "+00d00'00.00\""},
        {10.9999999L, "+10d59'60.00\""},          // seconds rounding to 60 are not carried
        {9.996L / 3600.0L, "+00d00'010.00\""},    // padded by the unrounded 9.996
        {-0.0001L, "-00d00'00.36\""},
        {8.99842527557677L, "+08d59'54.33\""},
        {45.175L, "+45d10'30.00\""},             // ten minutes take no padding
    };
    for (const auto& c : cases) EXPECT_EQ(DegreesToDms(c.degrees), c.text) << static_cast<double>(c.degrees);
}

TEST(PositionDecodeTest, HighWordWholeLowWordFraction) {
    EXPECT_EQ(FixedPointValue(1524 * kOne), 1524.0L);
    EXPECT_EQ(FixedPointValue(-10 * kOne), -10.0L);
    EXPECT_EQ(FixedPointValue(kOne / 2), 0.5L);
    EXPECT_EQ(FixedPointValue(-1), -1.0L / 4294967296.0L);
    EXPECT_EQ(LatitudeDegrees(1000000 * kOne), 8.99842527557677L);
    // 2^28 units of longitude are 22.5 degrees give or take the constant's 15 digits.
    EXPECT_NEAR(static_cast<double>(LongitudeDegrees(-(int64_t {1} << 60))), -22.5, 1e-12);
    EXPECT_NEAR(static_cast<double>(LongitudeDegrees(int64_t {1} << 62)), 90.0, 1e-12);
}

TEST(StatusTextTest, VersionAndSimulatorName) {
    EXPECT_EQ(VersionText(0x26900002), "2.690b");
    EXPECT_EQ(VersionText(0), "0.000");
    EXPECT_EQ(VersionText(0x19990001), "1.999a");
    EXPECT_EQ(VersionText(0xAB000000), ":.;00");  // nibbles above 9 give the characters after '9'
    EXPECT_EQ(VersionText(0x26900100), "2.690`");  // low byte 0, low word not zero
    EXPECT_EQ(SimulatorName(0), "Any");
    EXPECT_EQ(SimulatorName(6), "FS2K2");
    EXPECT_EQ(SimulatorName(7), "Unknown");
    EXPECT_EQ(ConnectedTitle(2, 0x26900002), "Altamarinola Reporter 2002 -->Connected with FS2K  IPC 2.690b");
    EXPECT_EQ(ConnectedTitle(40, 0), "Altamarinola Reporter 2002 -->Connected with Unknown  IPC 0.000");
}

TEST(RecordFieldTest, CloudsAndVisibility) {
    const struct {
        uint16_t value;
        const char* text;
    } clouds[] = {{0x0000, "Haze"},    {0x2000, "Few 1/8"}, {0x4000, "Few 2/8"}, {0x6000, "Sct 3/8"},
                  {0x8000, "Sct 4/8"}, {0xA000, "Brk 5/8"}, {0xC000, "Brk 6/8"}, {0xE000, "Brk 7/8"},
                  {0xFFFF, "Overcas"}, {0x1000, "N/A"},     {0xE001, "N/A"}};
    for (const auto& c : clouds) EXPECT_EQ(CloudText(c.value), c.text) << c.value;
    EXPECT_EQ(VisibilityText(5000), "50");
    EXPECT_EQ(VisibilityText(5001), "> 50");
    EXPECT_EQ(VisibilityText(1250), "12.5");
    EXPECT_EQ(VisibilityText(1234), "12.34");
    EXPECT_EQ(VisibilityText(0), "0");
}

TEST(RecordFieldTest, MagneticHeadingWrapsIntoTheCircle) {
    const uint32_t kDegree = 11930465;  // 2^32 / 360, rounded down
    // 359.5 true with 3 west (65536 - 546: 2.9993 degrees short of the circle) is 362.499, written 2
    EXPECT_EQ(static_cast<int>(MagneticHeading(4289002837u, 65536 - 546)), 2);
    // 1 true with 3 east
    EXPECT_EQ(static_cast<int>(MagneticHeading(1 * kDegree + 1000, 546)), 358);
    EXPECT_EQ(static_cast<int>(MagneticHeading(1u << 30, 0)), 90);
}

TEST(RecordFieldTest, FuelSumsPairsOneTwoFiveThreeSix) {
    const FuelTank tanks[7] = {{8388608, 40}, {4194304, 40}, {8388608, 6},  {8388608, 100},
                               {2097152, 10}, {0, 30},       {8388608, 100}};
    EXPECT_EQ(FuelSum(tanks), 68.5L);  // 40 + 20 + 2.5 + 6 + 0; pairs 4 and 7 left out
}

// A snapshot whose every field has a value worked out by hand below.
SimSnapshot HandSnapshot() {
    SimSnapshot s;
    s.hour = 11;
    s.minute = 7;
    s.zuluHour = 9;
    s.latitude = 1000000 * kOne;
    s.longitude = -(int64_t {1} << 60);
    s.altitude = 1524 * kOne;                 // 1524 x 3.281 = 5000.244
    s.speed = 120 * 256;                      // 120 x 1.997 = 239.64
    s.heading = 1u << 30;                     // 90 true
    s.altitudeMetres = 1524;
    s.visibility = 1250;
    s.pressure = 16213;                       // 1013.3125
    s.windSpeed = 14;
    s.windDirection = 43691;                  // 43691 x 360 / 65536 = 240.0006
    s.temperature = 3968;                     // 15.5
    const FuelTank tanks[7] = {{8388608, 40}, {4194304, 40}, {8388608, 6},  {8388608, 100},
                               {2097152, 10}, {0, 30},       {8388608, 100}};
    std::copy(std::begin(tanks), std::end(tanks), s.fuel);
    s.clouds = 0x6000;
    s.variation = 64990;                      // 357.0007 -> -2.9993: magnetic 92.9993
    return s;
}

TEST(RecordLineTest, EveryFieldOfAHandBuiltSnapshot) {
    const SimSnapshot s = HandSnapshot();
    RecordPosition position {"+08d59'54.33\"", "-22d30'00.00\"", LatitudeDegrees(s.latitude),
                             LongitudeDegrees(s.longitude)};
    EXPECT_EQ(RecordLine(s, position, "Cessna 172, Skyhawk, N123", ':'),
              "9:7,92,239,5000,12.5,1013,240,14,15,68,Sct 3/8,+08d59'54.33\",-22d30'00.00\",11:7,0,1524,"
              "Cessna 172, Skyhawk, N123,8.99842527557677,-22.5");
}

TEST(RecordLineTest, FailedPositionReadAndOtherSeparator) {
    SimSnapshot s;
    s.zuluHour = 123;  // at most two characters of the zulu hour
    s.minute = 59;
    s.hour = 0;
    s.altitude = -10 * kOne;  // below sea level
    s.altitudeMetres = -10;
    s.visibility = 5001;
    s.clouds = 0x1000;
    s.pressure = 16200;       // 1012.5 rounds to the even 1012
    s.windDirection = 4096;   // 22.5 rounds to 22
    EXPECT_EQ(RecordLine(s, RecordPosition {}, "", '.'), "12.59,0,0,-32,> 50,1012,22,0,0,0,N/A,,,0.59,0,-10,,0,0");
    s.pressure = 16232;        // 1014.5 -> 1014
    s.windDirection = 12288;   // 67.5 -> 68
    const std::string line = RecordLine(s, RecordPosition {}, "", ':');
    EXPECT_NE(line.find(",1014,68,"), std::string::npos) << line;
}

}  // namespace
}  // namespace kestrova
