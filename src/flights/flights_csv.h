#pragma once

#include <string>
#include <vector>

#include "flights/flights_table.h"

namespace kestrova {

// The records as RFC 4180 CSV: a header row "ID,DESCRIZIONE,PIANO_DI_VOLO,TIPO",
// then one row per record, every row ended by CR LF. A field holding a comma,
// a double quote, CR or LF is quoted (quotes doubled); the log is always
// quoted, its CR LF line ends kept inside the field. The stored bytes are
// written unchanged, so the file has the 8-bit encoding of the logs (Latin-1).
std::string FlightsCsv(const std::vector<FlightRecord>& records);

// Writes FlightsCsv(records) to the file, replacing it atomically.
// Throws Error("Cannot create file <path>").
void WriteFlightsCsv(const std::string& path, const std::vector<FlightRecord>& records);

}  // namespace kestrova
