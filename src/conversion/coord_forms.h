#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Planner positions in degrees and the text forms the route writers use.
namespace kestrova::conversion {

// Signed degrees from the planners' units. The divisors are the FlightPlanner
// constants exactly as written, not their repeating-decimal cousins.
double FpfLatDegrees(int32_t value);  // value / 55565.277
double FpfLonDegrees(int32_t value);  // value / 46603.377
double FltDegrees(double minutes);    // minutes / 60

// letter + " " + whole degrees + "* " + minutes as "%6.3f" + mark, from |degrees|.
std::string DegMinText(double degrees, char letter, std::string_view mark);

// flag + ":" + D + ":" + M + ":" + S from |degrees|, each at least two digits;
// seconds are cut, never rounded.
std::string GpsDmsText(double degrees, char flag);

// One function per coordinate of each writer, since the letter and flag rules
// differ between them. A zero value counts as not positive everywhere.
std::string AcsFpfLatitude(int32_t value);   // N / S, mark "m"
std::string AcsFpfLongitude(int32_t value);  // E / W, mark "m"
std::string AcsFltLatitude(double minutes);  // N / S, mark "m"
std::string AcsFltLongitude(double minutes); // W for a positive value, else E; mark "m"
std::string GpsFpfLatitude(int32_t value);   // flag 0 north, 1 south
std::string GpsFpfLongitude(int32_t value);  // flag 1 east, 0 west
std::string GpsFltLatitude(double minutes);  // flag 0 for a positive value
std::string GpsFltLongitude(double minutes); // flag 1 for a positive value
std::string PlnFpfLatitude(int32_t value);   // N / S, mark "'"
std::string PlnFpfLongitude(int32_t value);  // E / W, mark "'"

}  // namespace kestrova::conversion
