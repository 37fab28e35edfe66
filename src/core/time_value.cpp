#include "core/time_value.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "core/error.h"
#include "core/messages.h"

namespace kestrova {

namespace {

constexpr int64_t kMsPerDay = 86'400'000;

// Days from 1970-01-01 for a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

constexpr int64_t kEpochOffsetDays = 25569;  // 1899-12-30 to 1970-01-01

std::string TwoDigits(int v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

bool StartsWithNoCase(std::string_view text, size_t pos, std::string_view word) {
    if (text.size() - pos < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        char a = text[pos + i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (a != word[i]) return false;
    }
    return true;
}

}  // namespace

double EncodeTime(int hour, int minute, int second, int millisecond) {
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / kMsPerDay;
}

TimeParts DecodeTime(double value) {
    int64_t ms = std::llround(value * static_cast<double>(kMsPerDay));
    ms = std::llabs(ms) % kMsPerDay;
    TimeParts t;
    t.millisecond = static_cast<int>(ms % 1000);
    ms /= 1000;
    t.second = static_cast<int>(ms % 60);
    ms /= 60;
    t.minute = static_cast<int>(ms % 60);
    t.hour = static_cast<int>(ms / 60);
    return t;
}

bool TryStrToTime(std::string_view text, char timeSeparator, double& value) {
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && text[i] == ' ') ++i;
    };
    auto number = [&](int& out) {
        skipBlanks();
        const size_t start = i;
        int64_t v = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            v = v * 10 + (text[i] - '0');
            if (v > 100000) return false;
            ++i;
        }
        if (i == start) return false;
        out = static_cast<int>(v);
        return true;
    };
    int h = 0, m = 0, s = 0;
    if (!number(h)) return false;
    skipBlanks();
    if (i >= text.size() || text[i] != timeSeparator) return false;
    ++i;
    if (!number(m)) return false;
    skipBlanks();
    if (i < text.size() && text[i] == timeSeparator) {
        ++i;
        if (!number(s)) return false;
        skipBlanks();
    }
    if (i != text.size()) return false;
    if (h > 23 || m > 59 || s > 59) return false;
    value = EncodeTime(h, m, s);
    return true;
}

double StrToTime(std::string_view text, char timeSeparator) {
    double value = 0;
    if (!TryStrToTime(text, timeSeparator, value)) throw Error(msg::Format(msg::kInvalidTime, text));
    return value;
}

double EncodeDate(int year, int month, int day) {
    return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                               kEpochOffsetDays);
}

void DecodeDate(double value, int& year, int& month, int& day) {
    // Rounded to the millisecond first, as the time of day is.
    const int64_t ms = std::llround(value * static_cast<double>(kMsPerDay));
    const int64_t days = ms / kMsPerDay;  // the date part truncates towards zero
    CivilFromDays(days - kEpochOffsetDays, year, month, day);
}

std::string FormatDateTime(std::string_view pattern, double value, const LocaleFormats& locale) {
    const TimeParts t = DecodeTime(value);
    int year = 0, month = 0, day = 0;
    DecodeDate(value, year, month, day);
    const bool twelveHour = pattern.find("ampm") != std::string_view::npos ||
                            pattern.find("AMPM") != std::string_view::npos;
    std::string out;
    size_t i = 0;
    auto run = [&](char c) {
        size_t n = 0;
        while (i + n < pattern.size() && (pattern[i + n] == c || pattern[i + n] == c - 'a' + 'A')) ++n;
        return n;
    };
    while (i < pattern.size()) {
        const char c = pattern[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (StartsWithNoCase(pattern, i, "ampm")) {
            out += t.hour < 12 ? "AM" : "PM";
            i += 4;
            continue;
        }
        switch (lower) {
            case 'h': {
                const size_t n = run('h');
                int h = t.hour;
                if (twelveHour) h = h % 12 == 0 ? 12 : h % 12;
                out += n >= 2 ? TwoDigits(h) : std::to_string(h);
                i += n;
                break;
            }
            case 'n': {
                const size_t n = run('n');
                out += n >= 2 ? TwoDigits(t.minute) : std::to_string(t.minute);
                i += n;
                break;
            }
            case 's': {
                const size_t n = run('s');
                out += n >= 2 ? TwoDigits(t.second) : std::to_string(t.second);
                i += n;
                break;
            }
            case 'd': {
                const size_t n = run('d');
                out += n >= 2 ? TwoDigits(day) : std::to_string(day);
                i += n;
                break;
            }
            case 'm': {
                const size_t n = run('m');
                out += n >= 2 ? TwoDigits(month) : std::to_string(month);
                i += n;
                break;
            }
            case 'y': {
                const size_t n = run('y');
                if (n >= 4) {
                    std::string y = std::to_string(year);
                    out += y.size() < 4 ? std::string(4 - y.size(), '0') + y : y;
                } else {
                    out += TwoDigits(year % 100);
                }
                i += n;
                break;
            }
            case ':':
                out += locale.timeSeparator;
                ++i;
                break;
            case '/':
                out += locale.dateSeparator;
                ++i;
                break;
            default:
                out += c;
                ++i;
        }
    }
    return out;
}

std::string LongTimePrefix(double value, const LocaleFormats& locale) {
    return FormatDateTime(locale.longTimeFormat, value, locale).substr(0, 5);
}

}  // namespace kestrova
