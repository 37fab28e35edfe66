#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "scenario.h"

namespace kestrova::sim {

namespace {

// Raw fixed-point values: whole part in the high word, 2^-32 units in the low word.
int64_t Fixed(long double value) { return static_cast<int64_t>(std::llround(value * 4294967296.0L)); }

std::string Set(const char* offset, const char* type, const std::string& value) {
    return std::string("set ") + offset + " " + type + " " + value;
}

struct Leg {
    double latitude, longitude;  // degrees
    double altitudeMetres;
    double knots;
    double headingDegrees;
    int visibility;              // hundredths of a mile
    int cloud;
    double fuelFraction;         // of full tanks
    int windDirection, windSpeed;
};

}  // namespace

// A short flight east along the Po valley: departure, climb, cruise, descent
// and arrival, one checkpoint every few seconds.
std::vector<std::string> DemoScenario() {
    static const Leg legs[] = {
        {45.6306, 8.7231, 234, 0, 260, 1200, 0x2000, 0.95, 240, 6},
        {45.5900, 9.0500, 1250, 120, 101, 2500, 0x4000, 0.88, 250, 12},
        {45.5400, 9.4300, 2450, 132, 97, 5001, 0x6000, 0.80, 260, 18},
        {45.4800, 9.8200, 2440, 135, 99, 5001, 0x8000, 0.73, 270, 20},
        {45.4400, 10.1900, 1300, 118, 96, 3000, 0xA000, 0.67, 280, 14},
        {45.4028, 10.6653, 73, 0, 40, 1500, 0xFFFF, 0.62, 290, 8},
    };
    std::vector<std::string> out = {
        "# built-in demonstration flight",
        Set("0x3304", "u32", "0x26900002"),
        Set("0x3308", "u16", "2"),
        Set("0x3D00", "str", "Kestrova Demo Cessna 182"),
        Set("0x0EC6", "u16", std::to_string(1013 * 16)),
        Set("0x0F42", "u16", std::to_string(15 * 256)),
        Set("0x02A0", "u16", std::to_string(65536 - 2 * 65536 / 360)),  // 2 degrees west
        "echo waiting for the recorder (kestrova-cli record)",
        "await connect",
    };
    int minute = 5;
    for (const Leg& leg : legs) {
        const long double latRaw = leg.latitude / 8.99842527557677E-6L;
        const long double lonRaw = leg.longitude / 8.38190317153931E-8L;
        out.push_back(Set("0x0238", "u8", "14"));
        out.push_back(Set("0x0239", "u8", std::to_string(minute)));
        out.push_back(Set("0x023A", "u8", "0"));
        out.push_back(Set("0x023B", "u8", "12"));
        out.push_back(Set("0x0560", "s64", std::to_string(Fixed(latRaw))));
        out.push_back(Set("0x0568", "s64", std::to_string(Fixed(lonRaw))));
        out.push_back(Set("0x0570", "s64", std::to_string(Fixed(leg.altitudeMetres))));
        out.push_back(Set("0x0574", "s32", std::to_string(static_cast<int32_t>(leg.altitudeMetres))));
        out.push_back(Set("0x02B8", "u32", std::to_string(static_cast<uint32_t>(leg.knots * 128))));
        out.push_back(Set("0x0580", "u32",
                          std::to_string(static_cast<uint32_t>(leg.headingDegrees / 360.0 * 4294967296.0))));
        out.push_back(Set("0x04C0", "u16", std::to_string(leg.visibility)));
        out.push_back(Set("0x0EA6", "u16", std::to_string(leg.cloud)));
        out.push_back(Set("0x0E92", "u16", std::to_string(leg.windDirection * 65536 / 360)));
        out.push_back(Set("0x0E90", "u16", std::to_string(leg.windSpeed)));
        const auto level = static_cast<uint32_t>(leg.fuelFraction * 8388608);
        for (int tank = 0; tank < 2; ++tank) {
            char offset[8];
            std::snprintf(offset, sizeof offset, "0x%04X", 0x0B74 + tank * 8);
            out.push_back(Set(offset, "u32", std::to_string(level)));
            std::snprintf(offset, sizeof offset, "0x%04X", 0x0B74 + tank * 8 + 4);
            out.push_back(Set(offset, "u32", "46"));
        }
        out.push_back("sleep 3000");
        out.push_back("press waypoint");
        out.push_back("await waypoint");
        minute += 9;
    }
    out.push_back("sleep 1500");
    out.push_back("press end");
    out.push_back("await end");
    return out;
}

}  // namespace kestrova::sim
