#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The altitudes of a flight record, one per registered checkpoint, for the
// altitude chart.
namespace kestrova {

// The n-th run (from 1) of characters other than the delimiter: runs of
// delimiters count as one and leading ones are skipped. Empty when the text
// has fewer runs.
std::string NthRun(std::string_view text, int n, char delimiter);

// Field 4 (altitude in feet) of every line, in line order. Throws
// Error("'<field>' is not a valid integer value") at the first line whose
// field is not a whole number, an empty line included.
std::vector<int32_t> RecordAltitudes(const std::vector<std::string>& lines);

}  // namespace kestrova
