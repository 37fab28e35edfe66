#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "simlink/sim_values.h"

// FlightGear's values, in FlightGear's units, turned into the simulator's
// offsets in the units and scales the recorder reads there, so that a line
// recorded from FlightGear reads like one recorded from the Windows simulators.
namespace kestrova::fg {

struct FgTank {
    double levelGal = 0;     // US gallons
    double capacityGal = 0;
};

// One poll's worth of FlightGear properties (read under /kestrova/sim, where the
// add-on aliases them).
struct FgState {
    int utcHour = 0;
    int utcMinute = 0;
    int utcSecond = 0;
    double localOffsetSeconds = 0;  // local time minus UTC at the aircraft
    double latitudeDeg = 0;         // south negative
    double longitudeDeg = 0;        // west negative
    double altitudeFt = 0;
    double trueAirspeedKt = 0;
    double headingDeg = 0;          // true
    double magneticVariationDeg = 0;  // east positive
    double visibilityM = 0;
    double qnhInHg = 0;
    double windFromDeg = 0;         // true
    double windSpeedKt = 0;
    double temperatureDegC = 0;
    std::vector<FgTank> tanks;      // in FlightGear's order
    std::vector<std::string> cloudCoverages;  // "clear", "few", "scattered", "broken", "overcast", "cirrus"
    std::string title;              // UTF-8
    std::string version;            // "2020.3.16"
};

// The simulator kind the bridge reports: 0, "Any", since FlightGear has no
// entry of its own among the kinds the recorder names.
inline constexpr uint16_t kFlightGearKind = 0;

// 64-bit fixed point (whole part in the high word, 2^-32 in the low word) of
// degrees of latitude, degrees of longitude and metres of altitude.
int64_t LatitudeRaw(double degrees);
int64_t LongitudeRaw(double degrees);
int64_t AltitudeRaw(double feet);
// True airspeed, knots x 128.
uint32_t SpeedRaw(double knots);
// Full circle = 2^32.
uint32_t HeadingRaw(double degrees);
// Full circle = 65536: magnetic variation (east positive) and wind direction.
uint16_t AngleRaw16(double degrees);
// Hundredths of a statute mile, at most 65535.
uint16_t VisibilityRaw(double metres);
// Hectopascals x 16.
uint16_t PressureRaw(double inHg);
// Whole knots.
uint16_t WindSpeedRaw(double knots);
// Degrees Celsius x 256, two's complement.
uint16_t TemperatureRaw(double degC);
// The seven tank pairs (centre, left main, left aux, left tip, right main,
// right aux, right tip): level with full = 8388608, capacity in whole gallons.
std::array<FuelTank, 7> FuelSlots(const std::vector<FgTank>& tanks);
// The cloud cover code of the cloudiest layer.
uint16_t CloudRaw(const std::vector<std::string>& coverages);
// Hour, minute, second of local time.
std::array<uint8_t, 3> LocalTime(int utcHour, int utcMinute, int utcSecond, double offsetSeconds);
// The title as 8-bit text (UTF-8 letters outside Latin-1 become '?'), at most 254 bytes.
std::string TitleBytes(const std::string& utf8);
// "2020.3.16" -> 0x20200003: the year's four digits in the top nibbles, the
// release in the low byte, which the recorder shows as "2.020c".
uint32_t InterfaceVersion(const std::string& version);

// Writes every value the recorder reads into the offset space through write.
// Never touches the hot key slots or the message area, which belong to the
// recorder and the pilot.
using OffsetWriter = std::function<void(uint32_t offset, const void* data, size_t size)>;
void FillOffsets(const FgState& state, const OffsetWriter& write);

}  // namespace kestrova::fg
