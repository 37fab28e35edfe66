#include "simlink/sim_values.h"

#include <charconv>
#include <cmath>

#include "simlink/ipc_client.h"

namespace kestrova {

namespace {

constexpr long double kLatitudeScale = 8.99842527557677E-6L;
constexpr long double kLongitudeScale = 8.38190317153931E-8L;

bool ReadPosition(const fsInfo& info, SimSnapshot& snapshot) {
    IpcBegin();
    IpcRead(info.positionOffset, 24, &snapshot.latitude);
    return IpcProcess();
}

std::string WholeText(long double value) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(value));
    return std::string(buf, res.ptr);
}

}  // namespace

bool ReadSnapshot(const fsInfo& info, SimSnapshot& snapshot) {
    // The zulu hour comes with a second byte that nobody uses; it lands here.
    // Seeded with the old hour, so that a failed send leaves the hour as it was.
    uint8_t zulu[2] = {snapshot.zuluHour, 0};
    IpcBegin();
    IpcRead(info.positionOffset, 24, &snapshot.latitude);
    IpcRead(info.timeOffset, 3, &snapshot.hour);
    IpcRead(info.speedOffset, 4, &snapshot.speed);
    IpcRead(info.headingOffset, 4, &snapshot.heading);
    IpcRead(info.altitudeOffset, 4, &snapshot.altitudeMetres);
    IpcRead(info.visibilityOffset, 2, &snapshot.visibility);
    IpcRead(info.pressureOffset, 2, &snapshot.pressure);
    IpcRead(info.windDirectionOffset, 2, &snapshot.windDirection);
    IpcRead(info.windSpeedOffset, 2, &snapshot.windSpeed);
    IpcRead(info.temperatureOffset, 2, &snapshot.temperature);
    IpcRead(info.fuelOffset, 56, snapshot.fuel);
    IpcRead(info.cloudsOffset, 2, &snapshot.clouds);
    IpcRead(info.zuluHourOffset, 2, zulu);
    IpcRead(info.variationOffset, 2, &snapshot.variation);
    IpcRead(info.waypointKeyOffset, 4, &snapshot.waypointSlot);
    IpcRead(info.endKeyOffset, 4, &snapshot.endSlot);
    const bool ok = IpcProcess();
    snapshot.zuluHour = zulu[0];
    return ok;
}

long double FixedPointValue(int64_t raw) { return static_cast<long double>(raw) / 4294967296.0L; }

long double LatitudeDegrees(int64_t raw) { return FixedPointValue(raw) * kLatitudeScale; }

long double LongitudeDegrees(int64_t raw) { return FixedPointValue(raw) * kLongitudeScale; }

bool PositionText(const fsInfo& info, SimSnapshot& snapshot, std::string& latitudeText, std::string& longitudeText,
                  size_t maxLength) {
    if (!ReadPosition(info, snapshot)) {
        latitudeText.clear();
        longitudeText.clear();
        return false;
    }
    latitudeText = DegreesToDms(LatitudeDegrees(snapshot.latitude)).substr(0, maxLength);
    longitudeText = DegreesToDms(LongitudeDegrees(snapshot.longitude)).substr(0, maxLength);
    return true;
}

bool PositionDegrees(const fsInfo& info, SimSnapshot& snapshot, long double& latitude, long double& longitude) {
    if (!ReadPosition(info, snapshot)) {
        latitude = 0;
        longitude = 0;
        return false;
    }
    latitude = LatitudeDegrees(snapshot.latitude);
    longitude = LongitudeDegrees(snapshot.longitude);
    return true;
}

long double HeadingDegrees(long double angle) {
    long double a = ((angle / 256.0L) / 16777216.0L) * 360.0L;
    if (a > 180.0L) a -= 360.0L;
    if (a < 0.0L) a += 360.0L;
    return a;
}

std::string DegreesToDms(long double x) {
    const long double d = std::trunc(x);
    const long double m = (x - d) * 60.0L;
    const long double whole = std::trunc(m);
    const long double s = (m - whole) * 60.0L;

    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(s), std::chars_format::fixed, 2);
    // The padding looks at the values before rounding: 9.996 s is "010.00".
    const char* degreePad = std::fabs(d) < 10.0L ? "0" : "";
    const char* minutePad = std::fabs(whole) < 10.0L ? "0" : "";
    const char* secondPad = std::fabs(s) < 10.0L ? "0" : "";
    const char* sign = x < 0.0L ? "-" : "+";
    std::string text = sign;
    text.append(degreePad).append(WholeText(std::fabs(d))).append("d");
    text.append(minutePad).append(WholeText(std::fabs(whole))).append("'");
    text.append(secondPad).append(buf, res.ptr).append("\"");
    return text;
}

}  // namespace kestrova
