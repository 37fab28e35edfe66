#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The two planners' plan files as the conversions read them, their reading
// loops and the records the route writers build.
namespace kestrova::conversion {

// One waypoint of a FlightPlanner plan.
struct PuntiVolo {
    int16_t type = 0;
    std::string identifier;  // columns 1-5 of block line 1, trailing spaces kept
    std::string name;        // columns 6-39
    std::string frequency;   // columns 40-44, spaces removed, still text
    int32_t latitude = 0;    // FlightPlanner units
    int32_t longitude = 0;
};

// One route waypoint as the text writers build it.
struct ACSREC {
    std::string identifier;   // at most 6 characters
    std::string description;  // at most 255
    std::string latitude;     // at most 30
    std::string longitude;    // at most 30
    std::string kind;
};

// A record with every text cut at its field's capacity.
ACSREC MakeAcsRec(std::string_view identifier, std::string_view description, std::string_view latitude,
                  std::string_view longitude, std::string_view kind);

// The lines of a plan file, with its path for the messages.
class PlanFile {
public:
    PlanFile(std::string path, std::vector<std::string> lines);

    // Throws Error("Cannot open file <path>").
    static PlanFile Load(const std::string& path);

    int64_t LineCount() const { return static_cast<int64_t>(lines_.size()); }

    // Line `index` counted from 0. Throws Error("Line <index+1> is missing from <path>").
    const std::string& Line(int64_t index) const;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::vector<std::string> lines_;
};

// A decimal number with "." as separator: optional blanks around it, an
// optional sign, digits with an optional fraction and exponent.
// Throws Error("'<text>' is not a valid floating point value").
double StrToFloat(std::string_view text);
bool TryStrToFloat(std::string_view text, double& value);

// FlightPlanner: the waypoint count on line 2, every space removed.
int32_t ReadFpfCount(const PlanFile& plan);

// The one validity check, made by the ACS-GPS and FS2000 conversions only: the
// file holds at least 14 lines per waypoint, header included.
bool FpfLinesSuffice(const PlanFile& plan, int32_t count);

// The block that starts on line `start`.
PuntiVolo ReadFpfBlock(const PlanFile& plan, int64_t start);

// The frequency of a VOR (type 2, hundredths of a megahertz above 100 MHz) or
// an NDB (type 4, tenths of a kilohertz); 0 for every other type, whose
// frequency text is never parsed. Throws the integer message for bad text.
double FpfFrequencyValue(const PuntiVolo& waypoint);

// Hands waypoints 0, 1, ... to `hand` in file order; stops after `count`
// waypoints or when the next block would start on the last line or beyond.
void ForEachFpfWaypoint(const PlanFile& plan, int32_t count,
                        const std::function<void(int32_t index, const PuntiVolo& waypoint)>& hand);

// WinPlanner: the waypoint count, the whole of line 1.
int32_t ReadFltCount(const PlanFile& plan);

// A 32-line WinPlanner block; each writer reads the lines it needs, in its own order.
class FltBlock {
public:
    FltBlock(const PlanFile& plan, int64_t start) : plan_(plan), start_(start) {}

    const std::string& Line(int blockLine) const { return plan_.Line(start_ + blockLine); }
    double Latitude() const;   // block line 0, minutes of arc
    double Longitude() const;  // block line 1, minutes of arc
    int16_t Type() const;      // block line 26

private:
    const PlanFile& plan_;
    int64_t start_;
};

// Hands blocks 0 ... count-1 to `hand`; a block line past the end of the file
// throws when the writer reads it.
void ForEachFltBlock(const PlanFile& plan, int32_t count,
                     const std::function<void(int32_t index, const FltBlock& block)>& hand);

}  // namespace kestrova::conversion
