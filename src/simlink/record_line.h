#pragma once

#include <cstdint>
#include <string>

#include "simlink/sim_values.h"

// The texts the recorder builds: one flight record line, the status titles
// and their parts.
namespace kestrova {

// What a record line is made of besides the snapshot.
struct RecordPosition {
    std::string latitudeText;   // empty when the read failed
    std::string longitudeText;
    long double latitude = 0;   // 0 when the read failed
    long double longitude = 0;
};

// The 19 comma-separated fields of a registered checkpoint, without the line end.
std::string RecordLine(const SimSnapshot& snapshot, const RecordPosition& position, const std::string& title,
                       char timeSeparator);

// Field 2: the true heading less the magnetic variation, 0..360.
long double MagneticHeading(uint32_t heading, uint16_t variation);

// Field 10: sum of level / 8388608 x capacity over tank pairs 1, 2, 5, 3, 6.
long double FuelSum(const FuelTank (&tanks)[7]);

// Field 11.
std::string CloudText(uint16_t clouds);

// Field 5: visibility in miles, "> 50" beyond 50.
std::string VisibilityText(uint16_t visibility);

// "2.690b" of interface version 0x26900002.
std::string VersionText(uint32_t version);

// The simulator's name by kind; "Unknown" beyond the known kinds.
std::string SimulatorName(uint16_t kind);

// The status title of a live link.
std::string ConnectedTitle(uint16_t kind, uint32_t version);

}  // namespace kestrova
