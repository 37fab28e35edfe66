#pragma once

#include <string>
#include <string_view>

// Date-time values as days since 1899-12-30 with the time of day as the
// fraction (a pure time has date part 0), and their text forms.
namespace kestrova {

// The locale's formats. Patterns use these tokens (anything else is copied):
//   h hh  hours (24 h, or 12 h when the pattern has "ampm")    nn n  minutes
//   s ss  seconds    ampm  "AM"/"PM"    d dd  day    mm m  month
//   yy yyyy  year    ':'  the time separator    '/'  the date separator
struct LocaleFormats {
    char timeSeparator = ':';
    char dateSeparator = '/';
    std::string shortDateFormat = "mm/dd/yy";
    std::string longTimeFormat = "hh:nn:ss";
};

struct TimeParts {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

double EncodeTime(int hour, int minute, int second = 0, int millisecond = 0);

// Time of day of a value, taken after rounding to the nearest millisecond; the
// sign of the value is ignored for the time of day.
TimeParts DecodeTime(double value);

// "h:m" or "h:m:s" with the given separator, leading and trailing blanks
// allowed, hours 0-23, minutes and seconds 0-59.
// Throws Error("'<text>' is not a valid time").
double StrToTime(std::string_view text, char timeSeparator);
bool TryStrToTime(std::string_view text, char timeSeparator, double& value);

// The value (date and time) written with a pattern of the tokens above.
std::string FormatDateTime(std::string_view pattern, double value, const LocaleFormats& locale);

// The first five characters of the time in the long time format ("09:05" of "09:05:00").
std::string LongTimePrefix(double value, const LocaleFormats& locale);

// Days since 1899-12-30 for a civil date and back.
double EncodeDate(int year, int month, int day);
void DecodeDate(double value, int& year, int& month, int& day);

}  // namespace kestrova
