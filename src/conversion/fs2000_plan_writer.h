#pragma once

#include <string>
#include <vector>

#include "conversion/conversion_result.h"
#include "conversion/output_files.h"
#include "conversion/plan_files.h"

// The FS2000 flight plan "FS98.pln", written from FlightPlanner plans only.
namespace kestrova::conversion {

// Lines 1 to 6, written before the plan file is read.
void WritePlnHeader(TextOutput& out);

// The record of a FlightPlanner waypoint. Throws Error("'<text>' is not a valid
// integer value") for a VOR or NDB whose frequency is not a whole number.
ACSREC PlnRecord(const PuntiVolo& waypoint);

// Departure, destination and alternate lines from the first and last record,
// then one waypoint line per record. Needs at least one record.
void WritePlnTail(TextOutput& out, const std::vector<ACSREC>& records);

// Writes "FS98.pln" into the output directory (the system's temporary
// directory when none is given) and sets the conversion result to it, kind 4.
// "Bad File Format. Check It!" writes the lines from empty records (only the
// header for a count below 1); a parse error or a missing line throws after
// the tail is written from the records read so far.
ConversionReport FpfToPln(const std::string& planPath);
ConversionReport FpfToPln(const std::string& planPath, const std::string& outputDirectory);

}  // namespace kestrova::conversion
