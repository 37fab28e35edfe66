#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "conversion/conversion_result.h"

// The FSNavigator route file "Altam.fsn", a little-endian binary file of
// 400 + 14 * N bytes.
namespace kestrova::conversion {

// One waypoint; 10 bytes packed in the file (code, latitude, longitude).
struct FSNREC {
    int16_t code = 0;
    float latitude = 0.0F;   // signed degrees, north positive
    float longitude = 0.0F;  // signed degrees, with the sign the planner stored
};

int16_t FpfFsnCode(int16_t type);
int16_t FltFsnCode(int16_t type);

// The whole file for the records, one per waypoint of the plan's count.
std::string FsnFileBytes(const std::vector<FSNREC>& records);

// Writes "Altam.fsn" into the directory from the records (their number is the
// plan's count, read or not) and sets the conversion result to it, kind 3.
// Throws Error("Cannot create file <path>") without setting the result.
std::string WriteFsnFile(const std::vector<FSNREC>& records, const std::string& outputDirectory);

// Read the whole plan, then write the file, also when the reading ends
// through an error (the records not reached stay zero). The file is not
// created when the plan file cannot be opened or its count not read.
ConversionReport FpfToFsn(const std::string& planPath);
ConversionReport FpfToFsn(const std::string& planPath, const std::string& outputDirectory);
ConversionReport FltToFsn(const std::string& planPath);
ConversionReport FltToFsn(const std::string& planPath, const std::string& outputDirectory);

}  // namespace kestrova::conversion
