#pragma once

#include <string>

#include "conversion/conversion_result.h"
#include "conversion/plan_files.h"

// The GPS route list "FS98.txt": one line per waypoint, a name column and the
// flagged degrees-minutes-seconds position.
namespace kestrova::conversion {

std::string FpfGpsLine(const PuntiVolo& waypoint);
std::string FltGpsLine(const FltBlock& block);  // block lines 8, 0 and 1

// Both write "FS98.txt" into the output directory (the system's temporary
// directory when none is given) and set the conversion result to it, kind 2.
ConversionReport FpfToTxt(const std::string& planPath);
ConversionReport FpfToTxt(const std::string& planPath, const std::string& outputDirectory);
ConversionReport FltToTxt(const std::string& planPath);
ConversionReport FltToTxt(const std::string& planPath, const std::string& outputDirectory);

}  // namespace kestrova::conversion
