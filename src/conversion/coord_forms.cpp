#include "conversion/coord_forms.h"

#include <charconv>
#include <cmath>

#include "core/text.h"

namespace kestrova::conversion {

namespace {

// A non-negative whole number held in a double, written without sign or point.
std::string WholeText(double whole) {
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, whole, std::chars_format::fixed, 0);
    return std::string(buf, res.ptr);
}

}  // namespace

double FpfLatDegrees(int32_t value) { return value / 55565.277; }

double FpfLonDegrees(int32_t value) { return value / 46603.377; }

double FltDegrees(double minutes) { return minutes / 60.0; }

std::string DegMinText(double degrees, char letter, std::string_view mark) {
    const double a = std::fabs(degrees);
    const double whole = std::trunc(a);
    const double minutes = (a - whole) * 60.0;
    // Rounded only here, so 59.9996 shows as "60.000" under the same degree.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, minutes, std::chars_format::fixed, 3);
    std::string text(1, letter);
    text += ' ';
    text += WholeText(whole);
    text += "* ";
    text += PadLeft(std::string_view(buf, static_cast<size_t>(res.ptr - buf)), 6, ' ');
    text += mark;
    return text;
}

std::string GpsDmsText(double degrees, char flag) {
    const double a = std::fabs(degrees);
    const double whole = std::trunc(a);
    const double fraction = (a - whole) * 60.0;
    const double minutes = std::trunc(fraction);
    const double seconds = std::trunc((fraction - minutes) * 60.0);
    std::string text(1, flag);
    text += ':';
    text += PadLeft(WholeText(whole), 2, '0');
    text += ':';
    text += PadLeft(WholeText(minutes), 2, '0');
    text += ':';
    text += PadLeft(WholeText(seconds), 2, '0');
    return text;
}

std::string AcsFpfLatitude(int32_t value) { return DegMinText(FpfLatDegrees(value), value > 0 ? 'N' : 'S', "m"); }

std::string AcsFpfLongitude(int32_t value) { return DegMinText(FpfLonDegrees(value), value > 0 ? 'E' : 'W', "m"); }

std::string AcsFltLatitude(double minutes) { return DegMinText(FltDegrees(minutes), minutes > 0 ? 'N' : 'S', "m"); }

// Unlike the other rows, ACS-GPS names a positive WinPlanner longitude west.
std::string AcsFltLongitude(double minutes) { return DegMinText(FltDegrees(minutes), minutes > 0 ? 'W' : 'E', "m"); }

std::string GpsFpfLatitude(int32_t value) { return GpsDmsText(FpfLatDegrees(value), value > 0 ? '0' : '1'); }

std::string GpsFpfLongitude(int32_t value) { return GpsDmsText(FpfLonDegrees(value), value > 0 ? '1' : '0'); }

std::string GpsFltLatitude(double minutes) { return GpsDmsText(FltDegrees(minutes), minutes > 0 ? '0' : '1'); }

std::string GpsFltLongitude(double minutes) { return GpsDmsText(FltDegrees(minutes), minutes > 0 ? '1' : '0'); }

std::string PlnFpfLatitude(int32_t value) { return DegMinText(FpfLatDegrees(value), value > 0 ? 'N' : 'S', "'"); }

std::string PlnFpfLongitude(int32_t value) { return DegMinText(FpfLonDegrees(value), value > 0 ? 'E' : 'W', "'"); }

}  // namespace kestrova::conversion
