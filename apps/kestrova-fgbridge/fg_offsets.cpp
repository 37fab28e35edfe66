#include "fg_offsets.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "core/numbers.h"
#include "simlink/recorder.h"

namespace kestrova::fg {

namespace {

constexpr long double kTwo32 = 4294967296.0L;
// The recorder's own constants, inverted, so that its conversions give back
// FlightGear's degrees.
constexpr long double kLatitudeScale = 8.99842527557677E-6L;
constexpr long double kLongitudeScale = 8.38190317153931E-8L;
constexpr long double kFeetToMetres = 0.3048L;
constexpr double kMetresPerMile = 1609.344;
constexpr double kHectopascalsPerInHg = 33.8638866667;
constexpr uint32_t kFullTank = 8388608;

// Nearest whole number (halves to even) kept within [lo, hi]; NaN gives lo.
int64_t RoundClamped(long double value, int64_t lo, int64_t hi) {
    if (!(value >= static_cast<long double>(lo))) return lo;
    if (value >= static_cast<long double>(hi)) return hi;
    return RoundHalfEven(value);
}

// Degrees brought into [0, 360).
long double Circle(long double degrees) {
    if (!std::isfinite(degrees)) return 0;
    long double d = std::fmod(degrees, 360.0L);
    if (d < 0) d += 360.0L;
    return d;
}

// The slot of FlightGear's tank i among the five pairs the recorder adds up:
// left main, right main, centre, left aux, right aux. Pair indexes count from 0.
constexpr int kCentre = 0;
constexpr int kSlotOfTank[] = {1, 4, kCentre, 2, 5};

}  // namespace

// Away from zero, and one unit more: read back, a position on a whole minute
// must not come out a hair short, or the recorder would write 29'60.00 for 30'.
int64_t AwayFromZero(long double raw) {
    if (raw == 0) return 0;
    const long double magnitude = std::ceil(std::fabs(raw)) + 1.0L;
    if (magnitude >= 9223372036854775808.0L) return raw < 0 ? INT64_MIN : INT64_MAX;
    const auto whole = static_cast<int64_t>(magnitude);
    return raw < 0 ? -whole : whole;
}

int64_t LatitudeRaw(double degrees) {
    if (!std::isfinite(degrees)) return 0;
    const long double units = static_cast<long double>(std::clamp(degrees, -90.0, 90.0)) / kLatitudeScale;
    return AwayFromZero(units * kTwo32);
}

int64_t LongitudeRaw(double degrees) {
    // [-180, 180): 180 east is 180 west, the top of the range has no 64-bit value.
    long double d = Circle(degrees);
    if (d >= 180.0L) d -= 360.0L;
    return AwayFromZero(d / kLongitudeScale * kTwo32);
}

int64_t AltitudeRaw(double feet) {
    return RoundClamped(static_cast<long double>(feet) * kFeetToMetres * kTwo32, INT64_MIN, INT64_MAX);
}

uint32_t SpeedRaw(double knots) {
    return static_cast<uint32_t>(RoundClamped(static_cast<long double>(knots) * 128.0L, 0, UINT32_MAX));
}

uint32_t HeadingRaw(double degrees) {
    // 359.99999999... rounds up to the full circle, which is 0 again.
    return static_cast<uint32_t>(RoundHalfEven(Circle(degrees) / 360.0L * kTwo32) & 0xFFFFFFFF);
}

uint16_t AngleRaw16(double degrees) {
    return static_cast<uint16_t>(RoundHalfEven(Circle(degrees) / 360.0L * 65536.0L) & 0xFFFF);
}

uint16_t VisibilityRaw(double metres) {
    return static_cast<uint16_t>(RoundClamped(metres / kMetresPerMile * 100.0, 0, UINT16_MAX));
}

uint16_t PressureRaw(double inHg) {
    return static_cast<uint16_t>(RoundClamped(inHg * kHectopascalsPerInHg * 16.0, 0, UINT16_MAX));
}

uint16_t WindSpeedRaw(double knots) {
    return static_cast<uint16_t>(RoundClamped(knots, 0, UINT16_MAX));
}

uint16_t TemperatureRaw(double degC) {
    const int64_t value = RoundClamped(degC * 256.0, INT16_MIN, INT16_MAX);
    return static_cast<uint16_t>(static_cast<int16_t>(value));
}

std::array<FuelTank, 7> FuelSlots(const std::vector<FgTank>& tanks) {
    // Gallons are gathered per slot first: a single tank is the centre tank,
    // tanks past the fifth join the centre, so the recorder's sum holds them all.
    double level[7] = {};
    double capacity[7] = {};
    for (size_t i = 0; i < tanks.size(); ++i) {
        const int slot = tanks.size() == 1 || i >= std::size(kSlotOfTank) ? kCentre : kSlotOfTank[i];
        const double cap = std::isfinite(tanks[i].capacityGal) ? std::max(tanks[i].capacityGal, 0.0) : 0.0;
        const double lev = std::isfinite(tanks[i].levelGal) ? std::clamp(tanks[i].levelGal, 0.0, cap) : 0.0;
        level[slot] += lev;
        capacity[slot] += cap;
    }
    std::array<FuelTank, 7> slots {};
    for (int s = 0; s < 7; ++s) {
        if (capacity[s] <= 0) continue;
        slots[s].capacity = static_cast<uint32_t>(RoundClamped(capacity[s], 0, UINT32_MAX));
        slots[s].level = static_cast<uint32_t>(RoundClamped(level[s] / capacity[s] * kFullTank, 0, kFullTank));
    }
    return slots;
}

uint16_t CloudRaw(const std::vector<std::string>& coverages) {
    // Eighths of sky each coverage stands for; the codes run 0x2000 per eighth
    // and 0xFFFF for a closed sky.
    int eighths = 0;
    for (const std::string& c : coverages) {
        int e = 0;
        if (c == "cirrus") e = 1;
        else if (c == "few") e = 2;
        else if (c == "scattered") e = 4;
        else if (c == "broken") e = 6;
        else if (c == "overcast") e = 8;
        eighths = std::max(eighths, e);
    }
    return eighths == 8 ? 0xFFFF : static_cast<uint16_t>(eighths * 0x2000);
}

std::array<uint8_t, 3> LocalTime(int utcHour, int utcMinute, int utcSecond, double offsetSeconds) {
    const int64_t offset = std::isfinite(offsetSeconds) ? RoundClamped(offsetSeconds, -86400, 86400) : 0;
    int64_t seconds = (int64_t {utcHour} * 3600 + utcMinute * 60 + utcSecond + offset) % 86400;
    if (seconds < 0) seconds += 86400;
    return {static_cast<uint8_t>(seconds / 3600), static_cast<uint8_t>(seconds / 60 % 60),
            static_cast<uint8_t>(seconds % 60)};
}

std::string TitleBytes(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size() && out.size() < 254;) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
        if (i + length > utf8.size()) length = 1;
        uint32_t code = c;
        if (length == 2) code = (c & 0x1Fu) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
        else if (length > 2) code = 0x110000;  // beyond Latin-1 in any case
        else if (c >= 0x80) code = 0x110000;   // a stray continuation byte
        out += code == 0 ? '?' : code <= 0xFF ? static_cast<char>(code) : '?';
        i += length;
    }
    return out;
}

uint32_t InterfaceVersion(const std::string& version) {
    unsigned year = 0, release = 0;
    const char* p = version.data();
    const char* end = p + version.size();
    auto r = std::from_chars(p, end, year);
    if (r.ec != std::errc() || year > 9999) return 0;
    if (r.ptr != end && *r.ptr == '.') std::from_chars(r.ptr + 1, end, release);
    uint32_t v = 0;
    for (unsigned div = 1000; div > 0; div /= 10) v = v << 4 | (year / div % 10);
    return v << 16 | std::min(release, 255u);
}

void FillOffsets(const FgState& s, const OffsetWriter& write) {
    auto put = [&write](uint32_t offset, auto value) { write(offset, &value, sizeof value); };
    const std::array<uint8_t, 3> local = LocalTime(s.utcHour, s.utcMinute, s.utcSecond, s.localOffsetSeconds);
    write(kFsInfo.timeOffset, local.data(), local.size());
    const uint8_t utc[2] = {static_cast<uint8_t>(std::clamp(s.utcHour, 0, 23)),
                            static_cast<uint8_t>(std::clamp(s.utcMinute, 0, 59))};
    write(kFsInfo.zuluHourOffset, utc, sizeof utc);
    // Latitude, longitude and altitude lie side by side; the altitude's high
    // word is the whole metres the recorder reads at its own offset.
    const int64_t position[3] = {LatitudeRaw(s.latitudeDeg), LongitudeRaw(s.longitudeDeg), AltitudeRaw(s.altitudeFt)};
    write(kFsInfo.positionOffset, position, sizeof position);
    put(kFsInfo.speedOffset, SpeedRaw(s.trueAirspeedKt));
    put(kFsInfo.headingOffset, HeadingRaw(s.headingDeg));
    put(kFsInfo.variationOffset, AngleRaw16(s.magneticVariationDeg));
    put(kFsInfo.visibilityOffset, VisibilityRaw(s.visibilityM));
    put(kFsInfo.pressureOffset, PressureRaw(s.qnhInHg));
    put(kFsInfo.windDirectionOffset, AngleRaw16(s.windFromDeg));
    put(kFsInfo.windSpeedOffset, WindSpeedRaw(s.windSpeedKt));
    put(kFsInfo.temperatureOffset, TemperatureRaw(s.temperatureDegC));
    const std::array<FuelTank, 7> fuel = FuelSlots(s.tanks);
    write(kFsInfo.fuelOffset, fuel.data(), sizeof fuel);
    put(kFsInfo.cloudsOffset, CloudRaw(s.cloudCoverages));
    put(kVersionOffset, InterfaceVersion(s.version));
    put(kSimulatorKindOffset, kFlightGearKind);
    char title[255] = {};
    const std::string bytes = TitleBytes(s.title);
    std::memcpy(title, bytes.data(), bytes.size());
    write(kTitleOffset, title, sizeof title);
}

}  // namespace kestrova::fg
