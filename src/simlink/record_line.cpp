#include "simlink/record_line.h"

#include <cmath>

#include "core/messages.h"
#include "core/numbers.h"
#include "core/text.h"

namespace kestrova {

namespace {

constexpr const char* kSimulatorNames[] = {"Any", "FS98", "FS2K", "CFS2", "CF1", "FLY", "FS2K2"};

std::string Int(int64_t value) { return std::to_string(value); }

}  // namespace

long double MagneticHeading(uint32_t heading, uint16_t variation) {
    // The product stays an integer; only the division is in floating point.
    long double v = static_cast<long double>(static_cast<uint32_t>(variation) * 360u) / 65536.0L;
    if (v > 180.0L) v -= 360.0L;
    long double m = HeadingDegrees(static_cast<long double>(heading)) - v;
    if (m > 360.0L) m -= 360.0L;
    if (m < 0.0L) m += 360.0L;
    return m;
}

long double FuelSum(const FuelTank (&tanks)[7]) {
    long double sum = 0;
    for (const int pair : {1, 2, 5, 3, 6}) {
        const FuelTank& t = tanks[pair - 1];
        sum += (static_cast<long double>(t.level) / 8388608.0L) * static_cast<long double>(t.capacity);
    }
    return sum;
}

std::string CloudText(uint16_t clouds) {
    switch (clouds) {
        case 0x0000: return "Haze";
        case 0x2000: return "Few 1/8";
        case 0x4000: return "Few 2/8";
        case 0x6000: return "Sct 3/8";
        case 0x8000: return "Sct 4/8";
        case 0xA000: return "Brk 5/8";
        case 0xC000: return "Brk 6/8";
        case 0xE000: return "Brk 7/8";
        case 0xFFFF: return "Overcas";
        default: return "N/A";
    }
}

std::string VisibilityText(uint16_t visibility) {
    const long double miles = static_cast<long double>(visibility) / 100.0L;
    if (miles > 50.0L) return "> 50";
    return FormatGeneral(miles);
}

std::string VersionText(uint32_t version) {
    std::string text;
    for (int shift = 28; shift >= 16; shift -= 4) {
        text += static_cast<char>('0' + ((version >> shift) & 0xF));
        if (shift == 28) text += '.';
    }
    if ((version & 0xFFFF) != 0) text += static_cast<char>(static_cast<uint8_t>((version & 0xFF) + 0x60));
    return text;
}

std::string SimulatorName(uint16_t kind) {
    if (kind < std::size(kSimulatorNames)) return kSimulatorNames[kind];
    return "Unknown";
}

std::string ConnectedTitle(uint16_t kind, uint32_t version) {
    return std::string(msg::kStatusConnected) + SimulatorName(kind) + "  IPC " + VersionText(version);
}

std::string RecordLine(const SimSnapshot& s, const RecordPosition& position, const std::string& title,
                       char timeSeparator) {
    const std::string sep(1, timeSeparator);
    std::string line;
    bool first = true;
    auto field = [&line, &first](const std::string& text) {
        if (!first) line += ',';
        first = false;
        line += text;
    };
    field(LeftChars(Int(s.zuluHour), 2) + sep + Int(s.minute));
    field(Int(TruncToInt(MagneticHeading(s.heading, s.variation))));
    field(Int(TruncToInt((static_cast<long double>(s.speed) / 256.0L) * 1.997L)));
    field(Int(TruncToInt(FixedPointValue(s.altitude) * 3.281L)));
    field(VisibilityText(s.visibility));
    field(Int(RoundHalfEven(static_cast<long double>(s.pressure) / 16.0L)));
    field(Int(RoundHalfEven(static_cast<long double>(static_cast<uint32_t>(s.windDirection) * 360u) / 65536.0L)));
    field(Int(s.windSpeed));
    field(Int(TruncToInt(static_cast<long double>(s.temperature) / 256.0L)));
    field(Int(RoundHalfEven(FuelSum(s.fuel))));
    field(CloudText(s.clouds));
    field(position.latitudeText);
    field(position.longitudeText);
    field(Int(s.hour) + sep + Int(s.minute));
    field("0");
    field(Int(s.altitudeMetres));
    field(title);
    field(FormatGeneral(position.latitude));
    field(FormatGeneral(position.longitude));
    return line;
}

}  // namespace kestrova
