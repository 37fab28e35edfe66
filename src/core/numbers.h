#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Number reading and writing with "." as the decimal separator, independent of
// the process locale.
namespace kestrova {

// A whole number: optional leading blanks, an optional sign, decimal digits and
// nothing else, within 32 bits. Throws Error("'<text>' is not a valid integer value").
int32_t StrToInt(std::string_view text);

// As StrToInt, but reports failure instead of throwing.
bool TryStrToInt(std::string_view text, int32_t& value);

// The general number format: the shortest text with at most 15 significant
// digits, no trailing zeros, no point for whole numbers ("114.9", "385", "0").
// Exponent form ("1E20", "1.5E-5") below 1E-4 and from 1E15 on.
std::string FormatGeneral(double value);
std::string FormatGeneral(long double value);

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
int64_t RoundHalfEven(double value);
int64_t RoundHalfEven(long double value);

// Whole part, truncated towards zero.
int64_t TruncToInt(long double value);

// a / b with the system's failures: x / 0 throws "Floating point division by
// zero", 0 / 0 throws "Invalid floating point operation".
double Divide(double a, double b);
long double Divide(long double a, long double b);

}  // namespace kestrova
