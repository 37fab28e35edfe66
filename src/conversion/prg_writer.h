#pragma once

#include <string>

#include "conversion/conversion_result.h"
#include "conversion/plan_files.h"

// The ACS-GPS route file "FS98.prg": five lines per waypoint, nothing else.
namespace kestrova::conversion {

// The record of a FlightPlanner waypoint. Throws Error("'<text>' is not a valid
// integer value") for a VOR or NDB whose frequency is not a whole number.
ACSREC FpfAcsRecord(const PuntiVolo& waypoint);

// The record of a WinPlanner block (lines 8, 27, 0 and 1).
ACSREC FltAcsRecord(const FltBlock& block);

// Both write "FS98.prg" into the output directory (the system's temporary
// directory when none is given) and set the conversion result to it, kind 1.
// "Bad File Format. Check It!" leaves the file empty; a parse error or a
// missing line throws after the earlier waypoints are written and the result set.
ConversionReport FpfToPrg(const std::string& planPath);
ConversionReport FpfToPrg(const std::string& planPath, const std::string& outputDirectory);
ConversionReport FltToPrg(const std::string& planPath);
ConversionReport FltToPrg(const std::string& planPath, const std::string& outputDirectory);

}  // namespace kestrova::conversion
