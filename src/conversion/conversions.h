#pragma once

#include <cstdint>
#include <string>

#include "conversion/conversion_result.h"
#include "conversion/fs2000_plan_writer.h"
#include "conversion/fsn_writer.h"
#include "conversion/gps_list_writer.h"
#include "conversion/prg_writer.h"

// Which conversion serves a planner and a target, for the screen and the CLI.
namespace kestrova::conversion {

enum class PlanSource { FlightPlanner, WinPlanner };

using Conversion = ConversionReport (*)(const std::string& planPath, const std::string& outputDirectory);

// The conversion for a source and a kind (1 ACS-GPS, 2 GPS, 3 FSNavigator,
// 4 FS2000); nullptr where none exists, as for WinPlanner to FS2000, which
// callers answer with "Not implemeted".
Conversion FindConversion(PlanSource source, int16_t kind);

}  // namespace kestrova::conversion
