#include <cstdlib>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "fg_offsets.h"
#include "simlink/record_line.h"
#include "simlink/recorder.h"
#include "simlink/sim_values.h"

namespace kestrova::fg {
namespace {

constexpr int64_t kOne = int64_t {1} << 32;

// The offset space as the recorder sees it, filled from FlightGear's values.
class Space {
public:
    explicit Space(uint8_t fill = 0) : bytes_(65536, fill) {}
    OffsetWriter Writer() {
        return [this](uint32_t offset, const void* data, size_t size) {
            ASSERT_LE(offset + size, bytes_.size());
            std::memcpy(bytes_.data() + offset, data, size);
        };
    }
    template <class T>
    T Get(uint32_t offset) const {
        T value;
        std::memcpy(&value, bytes_.data() + offset, sizeof value);
        return value;
    }
    // What the recorder's poll reads: the same offsets and sizes as its snapshot read.
    SimSnapshot Snapshot() const {
        SimSnapshot s;
        std::memcpy(&s.latitude, &bytes_[0x0560], 24);
        std::memcpy(&s.hour, &bytes_[0x0238], 3);
        s.speed = Get<uint32_t>(0x02B8);
        s.heading = Get<uint32_t>(0x0580);
        s.altitudeMetres = Get<int32_t>(0x0574);
        s.visibility = Get<uint16_t>(0x04C0);
        s.pressure = Get<uint16_t>(0x0EC6);
        s.windDirection = Get<uint16_t>(0x0E92);
        s.windSpeed = Get<uint16_t>(0x0E90);
        s.temperature = Get<uint16_t>(0x0F42);
        std::memcpy(s.fuel, &bytes_[0x0B74], 56);
        s.clouds = Get<uint16_t>(0x0EA6);
        s.zuluHour = bytes_[0x023B];
        s.variation = Get<uint16_t>(0x02A0);
        return s;
    }
    std::string Title() const { return std::string(reinterpret_cast<const char*>(&bytes_[0x3D00])); }
    uint8_t Byte(uint32_t offset) const { return bytes_[offset]; }

private:
    std::vector<uint8_t> bytes_;
};

std::string LineFor(const Space& space) {
    const SimSnapshot s = space.Snapshot();
    RecordPosition position;
    position.latitude = LatitudeDegrees(s.latitude);
    position.longitude = LongitudeDegrees(s.longitude);
    position.latitudeText = DegreesToDms(position.latitude).substr(0, 20);
    position.longitudeText = DegreesToDms(position.longitude).substr(0, 20);
    return RecordLine(s, position, space.Title(), ':');
}

TEST(FgOffsetsTest, PositionFixedPoint) {
    // Whole part in the high word: 10001750 units of latitude are 90 degrees,
    // so -33.393 degrees are -33.393 / 8.99842527557677E-6 = -3710982.25 units,
    // -15938549081982027.47 in 2^-32 units.
    const struct {
        double degrees;
        int64_t raw;
        int32_t high;
    } latitudes[] = {
        {-33.393, -15938549081982027, -3710983},
        {90.0, 42957189152768019, 10001750},
        {-0.5, -238651050848711, -55566},
        {0.0, 0, 0},
    };
    for (const auto& c : latitudes) {
        const int64_t raw = LatitudeRaw(c.degrees);
        EXPECT_LE(std::llabs(raw - c.raw), 4) << c.degrees << ": " << raw;
        EXPECT_EQ(static_cast<int32_t>(raw >> 32), c.high) << c.degrees;
        EXPECT_NEAR(static_cast<double>(LatitudeDegrees(raw)), c.degrees, 1e-12);
    }
    // Longitude: a quarter circle is 2^62 (to the 15 digits of the scale), west negative,
    // and 180 east is the same meridian as 180 west.
    const struct {
        double degrees;
        double back;
    } longitudes[] = {{-90.0, -90.0}, {90.0, 90.0}, {-70.786, -70.786}, {-180.0, -180.0},
                      {180.0, -180.0}, {190.0, -170.0}, {-0.25, -0.25}, {179.9999, 179.9999}};
    for (const auto& c : longitudes) {
        const int64_t raw = LongitudeRaw(c.degrees);
        EXPECT_NEAR(static_cast<double>(LongitudeDegrees(raw)), c.back, 1e-12) << c.degrees;
        EXPECT_EQ(raw < 0, c.back < 0) << c.degrees;
    }
    EXPECT_NEAR(static_cast<double>(LongitudeRaw(-90.0)), -static_cast<double>(int64_t {1} << 62), 1e4);
    // A position on a whole minute reads back on it, not a hair short of it (29'60.00).
    EXPECT_EQ(DegreesToDms(LatitudeDegrees(LatitudeRaw(37.5))), "+37d30'00.00\"");
    EXPECT_EQ(DegreesToDms(LatitudeDegrees(LatitudeRaw(-12.25))), "-12d15'00.00\"");
    EXPECT_EQ(DegreesToDms(LongitudeDegrees(LongitudeRaw(-122.25))), "-122d15'00.00\"");
    EXPECT_EQ(DegreesToDms(LongitudeDegrees(LongitudeRaw(8.0))), "+08d00'00.00\"");
    // Altitude in metres: 1000 ft are 304.8 m; below sea level the high word is
    // the whole metres below (floor), as the recorder's whole-metres offset reads it.
    EXPECT_EQ(AltitudeRaw(1000.0), 1309106031821);  // 304.8 * 2^32 = 1309106031820.8
    EXPECT_EQ(AltitudeRaw(1000.0) >> 32, 304);
    EXPECT_EQ(AltitudeRaw(-100.0) >> 32, -31);      // -30.48 m
    EXPECT_EQ(AltitudeRaw(0.0), 0);
}

TEST(FgOffsetsTest, AnglesSpeedsAndWeather) {
    EXPECT_EQ(HeadingRaw(0.0), 0u);
    EXPECT_EQ(HeadingRaw(90.0), 1u << 30);
    EXPECT_EQ(HeadingRaw(180.0), 1u << 31);
    EXPECT_EQ(HeadingRaw(-90.0), 3u << 30);
    EXPECT_EQ(HeadingRaw(450.0), 1u << 30);
    EXPECT_EQ(HeadingRaw(359.5), 4289002064u);       // 359.5 / 360 * 2^32 = 4289002063.64
    EXPECT_EQ(HeadingRaw(359.99999999999), 0u);      // rounds to the full circle
    EXPECT_EQ(AngleRaw16(359.0), 65354);             // 65353.96
    EXPECT_EQ(AngleRaw16(-3.0), 64990);              // 3 west: 357 / 360 * 65536 = 64989.87
    EXPECT_EQ(AngleRaw16(360.0), 0);
    EXPECT_EQ(AngleRaw16(90.0), 16384);
    EXPECT_EQ(SpeedRaw(100.0), 12800u);              // knots x 128
    EXPECT_EQ(SpeedRaw(-2.0), 0u);
    EXPECT_EQ(VisibilityRaw(16093.44), 1000);        // 10 statute miles
    EXPECT_EQ(VisibilityRaw(9999.0), 621);           // 6.2131 miles
    EXPECT_EQ(VisibilityRaw(1e9), 65535);
    EXPECT_EQ(VisibilityRaw(-1.0), 0);
    EXPECT_EQ(PressureRaw(29.92), 16211);            // 1013.2074 hPa x 16 = 16211.32
    EXPECT_EQ(PressureRaw(29.53), 16000);            // 1000.0006 hPa
    EXPECT_EQ(WindSpeedRaw(12.5), 12);               // halves to the even neighbour
    EXPECT_EQ(WindSpeedRaw(13.5), 14);
    EXPECT_EQ(WindSpeedRaw(-1.0), 0);
    EXPECT_EQ(TemperatureRaw(15.0), 3840);
    EXPECT_EQ(TemperatureRaw(-5.3), 64179);          // -1356.8 -> -1357, two's complement
    EXPECT_EQ(TemperatureRaw(-56.5), 51072);         // -14464
    EXPECT_EQ(TemperatureRaw(-0.001), 0);
    EXPECT_EQ(TemperatureRaw(200.0), 32767);         // beyond 16 signed bits
    EXPECT_EQ(TemperatureRaw(-200.0), 32768);
}

TEST(FgOffsetsTest, CloudsTimeTitleVersion) {
    const struct {
        std::vector<std::string> layers;
        uint16_t code;
    } clouds[] = {{{}, 0x0000},
                  {{"clear", "clear"}, 0x0000},
                  {{"cirrus"}, 0x2000},
                  {{"few"}, 0x4000},
                  {{"clear", "scattered"}, 0x8000},
                  {{"broken", "few"}, 0xC000},
                  {{"scattered", "overcast"}, 0xFFFF},
                  {{"unheard-of"}, 0x0000}};
    for (const auto& c : clouds) EXPECT_EQ(CloudRaw(c.layers), c.code) << c.layers.size();

    const struct {
        int h, m, s;
        double offset;
        std::array<uint8_t, 3> local;
    } times[] = {{23, 59, 30, -10800, {20, 59, 30}},
                 {23, 59, 30, 3600, {0, 59, 30}},   // past midnight
                 {0, 10, 0, -3600, {23, 10, 0}},    // before midnight
                 {12, 0, 0, 19800, {17, 30, 0}}};   // half-hour zone
    for (const auto& t : times) EXPECT_EQ(LocalTime(t.h, t.m, t.s, t.offset), t.local) << t.offset;

    EXPECT_EQ(TitleBytes("Cessna 172P Skyhawk (1982)"), "Cessna 172P Skyhawk (1982)");
    EXPECT_EQ(TitleBytes("Caf\xC3\xA9 \xE2\x80\x93 Pou du Ciel"), "Caf\xE9 ? Pou du Ciel");
    EXPECT_EQ(TitleBytes(std::string(300, 'x')).size(), 254u);
    EXPECT_EQ(InterfaceVersion("2020.3.16"), 0x20200003u);
    EXPECT_EQ(VersionText(InterfaceVersion("2020.3.16")), "2.020c");
    EXPECT_EQ(InterfaceVersion("2024.1.1"), 0x20240001u);
    EXPECT_EQ(InterfaceVersion(""), 0u);
    EXPECT_EQ(InterfaceVersion("next"), 0u);
}

TEST(FgOffsetsTest, FuelTanks) {
    constexpr uint32_t kFull = 8388608;
    // Pairs: 0 centre, 1 left main, 2 left aux, 3 left tip, 4 right main, 5 right aux, 6 right tip.
    auto none = FuelSlots({});
    for (const FuelTank& t : none) EXPECT_EQ(t.level + t.capacity, 0u);

    auto single = FuelSlots({{40.0, 40.0}});
    EXPECT_EQ(single[0].level, kFull);
    EXPECT_EQ(single[0].capacity, 40u);

    // Empty left, full right, an empty centre with a fractional capacity.
    auto c172 = FuelSlots({{0.0, 26.0}, {26.0, 26.0}, {0.0, 33.887043}});
    EXPECT_EQ(c172[1].level, 0u);
    EXPECT_EQ(c172[1].capacity, 26u);
    EXPECT_EQ(c172[4].level, kFull);
    EXPECT_EQ(c172[4].capacity, 26u);
    EXPECT_EQ(c172[0].level, 0u);
    EXPECT_EQ(c172[0].capacity, 34u);

    // A quarter full; overfull and negative levels are kept within the tank; no capacity, no fuel.
    auto odd = FuelSlots({{5.375, 21.5}, {30.0, 20.0}, {-1.0, 10.0}, {3.0, 0.0}, {1.0, 4.0}});
    EXPECT_EQ(odd[1].level, kFull / 4);
    EXPECT_EQ(odd[1].capacity, 22u);  // 21.5 to the even neighbour
    EXPECT_EQ(odd[4].level, kFull);
    EXPECT_EQ(odd[0].level, 0u);
    EXPECT_EQ(odd[2].level + odd[2].capacity, 0u);
    EXPECT_EQ(odd[5].level, kFull / 4);
    EXPECT_EQ(odd[5].capacity, 4u);

    // Tanks past the fifth join the centre, so that the recorder's sum holds them.
    auto seven = FuelSlots({{1, 10}, {2, 10}, {10, 10}, {3, 10}, {4, 10}, {5, 10}, {5, 20}});
    EXPECT_EQ(seven[0].capacity, 40u);
    EXPECT_EQ(seven[0].level, kFull / 2);  // 20 of 40 gallons
    EXPECT_EQ(seven[3].capacity + seven[6].capacity, 0u);
    FuelTank pairs[7];
    std::copy(seven.begin(), seven.end(), pairs);
    EXPECT_DOUBLE_EQ(static_cast<double>(FuelSum(pairs)), 30.0);
}

FgState SantiagoEvening() {
    FgState s;
    s.utcHour = 23;
    s.utcMinute = 59;
    s.utcSecond = 30;
    s.localOffsetSeconds = -10800;
    s.latitudeDeg = -33.393;
    s.longitudeDeg = -70.786;
    s.altitudeFt = 1500.0;
    s.trueAirspeedKt = 120.0;
    s.headingDeg = 359.5;
    s.magneticVariationDeg = -3.0;
    s.visibilityM = 9999.0;
    s.qnhInHg = 29.53;
    s.windFromDeg = 359.0;
    s.windSpeedKt = 12.4;
    s.temperatureDegC = 21.7;
    s.tanks = {{5.375, 21.5}, {21.5, 21.5}, {0.0, 33.887043}};
    s.cloudCoverages = {"clear", "scattered", "broken"};
    s.title = "Cessna 172P Skyhawk (1982)";
    s.version = "2020.3.16";
    return s;
}

TEST(FgOffsetsTest, RecordedLineReadsAsFromTheWindowsSimulators) {
    Space space;
    FillOffsets(SantiagoEvening(), space.Writer());
    // UTC 23:59, magnetic 359.5 + 3 = 2.5, 120 kt read as 119.82, 1500 ft = 457.2 m read
    // back as 1500.07 ft, 6.21 mi, 1000 hPa, wind 359 at 12, 21 degrees, fuel 0.25 * 22 +
    // 22 = 27.5 to the even 28, broken 6/8, local 20:59, 457 whole metres.
    EXPECT_EQ(LineFor(space),
              "23:59,2,119,1500,6.21,1000,359,12,21,28,Brk 6/8,-33d23'34.80\",-70d47'09.60\",20:59,0,457,"
              "Cessna 172P Skyhawk (1982),-33.393,-70.786");
    EXPECT_EQ(space.Get<uint32_t>(kVersionOffset), 0x20200003u);
    EXPECT_EQ(space.Get<uint16_t>(kSimulatorKindOffset), 0);
    EXPECT_EQ(space.Byte(0x023B), 23);
    EXPECT_EQ(space.Byte(0x023C), 59);  // the UTC minute follows the hour
}

TEST(FgOffsetsTest, ColdFullTanksNorthEastAboveTheSea) {
    FgState s = SantiagoEvening();
    s.utcHour = 6;
    s.utcMinute = 5;
    s.localOffsetSeconds = 3600;
    s.latitudeDeg = 60.3172;
    s.longitudeDeg = 5.2167;
    s.altitudeFt = 10000.0;
    s.headingDeg = 1.0;
    s.magneticVariationDeg = 3.0;
    s.windFromDeg = 0.0;
    s.visibilityM = 100000.0;
    s.temperatureDegC = -5.3;
    s.tanks = {{21.5, 21.5}, {21.5, 21.5}};
    s.cloudCoverages = {"overcast"};
    Space space;
    FillOffsets(s, space.Writer());
    EXPECT_EQ(space.Get<uint16_t>(0x0F42), 64179);  // -5.3 degrees x 256, two's complement
    // Magnetic 1 - 3 = -2 -> 358; visibility over 50 miles; full tanks 2 x 22; the recorder
    // takes the temperature word unsigned (64179 / 256 = 250.7).
    EXPECT_EQ(LineFor(space),
              "6:5,358,119,10000,> 50,1000,0,12,250,44,Overcas,+60d19'01.92\",+05d13'00.12\",7:5,0,3048,"
              "Cessna 172P Skyhawk (1982),60.3172,5.2167");
}

TEST(FgOffsetsTest, LeavesKeysAndMessagesAlone) {
    Space space(0xAA);
    FillOffsets(SantiagoEvening(), space.Writer());
    for (uint32_t offset = 0x3210; offset < 0x3218; ++offset) EXPECT_EQ(space.Byte(offset), 0xAA) << offset;
    EXPECT_EQ(space.Byte(kMessageControlOffset), 0xAA);
    EXPECT_EQ(space.Byte(kMessageTextOffset), 0xAA);
    // The title ends within its 255 bytes.
    EXPECT_EQ(space.Byte(0x3D00 + 254), 0);
}

}  // namespace
}  // namespace kestrova::fg
