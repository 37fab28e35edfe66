#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

// The simulator's offsets read on a poll, the snapshot they are read into,
// and the conversions of raw positions and angles. Positions are computed in
// long double (80-bit extended on x86).
namespace kestrova {

static_assert(std::endian::native == std::endian::little, "the snapshot takes simulator values as they lie in memory");

// The offset table.
struct fsInfo {
    const char* windowClass;
    uint32_t timeOffset;
    uint32_t positionOffset;
    uint32_t speedOffset;
    uint32_t headingOffset;
    uint32_t altitudeOffset;
    uint16_t visibilityOffset;
    uint16_t pressureOffset;
    uint16_t windSpeedOffset;
    uint16_t windDirectionOffset;
    uint16_t temperatureOffset;
    uint16_t fuelOffset;
    uint16_t cloudsOffset;
    uint32_t zuluHourOffset;
    uint16_t variationOffset;
    uint32_t waypointKeyOffset;
    uint32_t endKeyOffset;
};

inline constexpr fsInfo kFsInfo = {"FS98MAIN", 0x0238, 0x0560, 0x02B8, 0x0580, 0x0574, 0x04C0, 0x0EC6, 0x0E90,
                                   0x0E92,     0x0F42, 0x0B74, 0x0EA6, 0x023B, 0x02A0, 0x3210, 0x3214};

struct FuelTank {
    uint32_t level;     // full = 8388608
    uint32_t capacity;
};

// Raw simulator values of one poll. Fields read together in one request lie
// next to each other (checked below).
struct SimSnapshot {
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
    int64_t latitude = 0;   // fixed point: whole part in the high word, 2^-32 units in the low word
    int64_t longitude = 0;
    int64_t altitude = 0;   // metres, same fixed point
    uint32_t speed = 0;
    uint32_t heading = 0;   // full circle = 2^32
    int32_t altitudeMetres = 0;
    uint16_t visibility = 0;
    uint16_t pressure = 0;
    uint16_t windSpeed = 0;
    uint16_t windDirection = 0;
    uint16_t temperature = 0;
    FuelTank fuel[7] = {};
    uint16_t clouds = 0;
    uint8_t zuluHour = 0;
    uint16_t variation = 0;  // full circle = 65536
    uint32_t waypointSlot = 0;
    uint32_t endSlot = 0;
};

static_assert(offsetof(SimSnapshot, minute) == offsetof(SimSnapshot, hour) + 1);
static_assert(offsetof(SimSnapshot, second) == offsetof(SimSnapshot, hour) + 2);
static_assert(offsetof(SimSnapshot, longitude) == offsetof(SimSnapshot, latitude) + 8);
static_assert(offsetof(SimSnapshot, altitude) == offsetof(SimSnapshot, latitude) + 16);
static_assert(sizeof(FuelTank) * 7 == 56);

// One transaction of the sixteen reads of a poll. False when it failed; a
// reply other than success still leaves the values read in the snapshot.
bool ReadSnapshot(const fsInfo& info, SimSnapshot& snapshot);

// Reads the position into the snapshot and gives latitude and longitude as
// degrees-minutes-seconds texts cut to maxLength. Empty texts and false when
// the read failed.
bool PositionText(const fsInfo& info, SimSnapshot& snapshot, std::string& latitudeText, std::string& longitudeText,
                  size_t maxLength = 20);

// As PositionText, in degrees (west negative); 0 and 0 when the read failed.
bool PositionDegrees(const fsInfo& info, SimSnapshot& snapshot, long double& latitude, long double& longitude);

// Fixed-point raw values to degrees and metres.
long double FixedPointValue(int64_t raw);
long double LatitudeDegrees(int64_t raw);
long double LongitudeDegrees(int64_t raw);

// A 32-bit angle (full circle 2^32) in degrees, in [0, 360).
long double HeadingDegrees(long double angle);

// "+45d03'07.25\"": sign, degrees (at least two digits), minutes, seconds with
// two decimals; the minutes are not carried when the seconds round to 60.
std::string DegreesToDms(long double degrees);

}  // namespace kestrova
