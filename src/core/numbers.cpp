#include "core/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/error.h"
#include "core/messages.h"

namespace kestrova {

bool TryStrToInt(std::string_view text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size()) return false;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > int64_t{1} << 31) return false;
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int32_t>::max() ||
        signedValue < std::numeric_limits<int32_t>::min())
        return false;
    value = static_cast<int32_t>(signedValue);
    return true;
}

int32_t StrToInt(std::string_view text) {
    int32_t value = 0;
    if (!TryStrToInt(text, value)) throw Error(msg::Format(msg::kInvalidInteger, text));
    return value;
}

namespace {

// Builds the general format from the 15 significant digits of the value.
std::string GeneralFromScientific(const char* begin, const char* end) {
    // begin..end holds "[-]d.ddddddddddddddde[+-]xx"
    std::string_view s(begin, static_cast<size_t>(end - begin));
    bool negative = false;
    if (!s.empty() && s.front() == '-') {
        negative = true;
        s.remove_prefix(1);
    }
    const auto ePos = s.find('e');
    std::string digits;
    for (char c : s.substr(0, ePos))
        if (c != '.') digits.push_back(c);
    int exponent = 0;
    auto expText = s.substr(ePos + 1);
    if (!expText.empty() && expText.front() == '+') expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    if (digits == "0") return "0";

    std::string out = negative ? "-" : "";
    const int n = static_cast<int>(digits.size());
    if (exponent < -4 || exponent >= 15) {
        out += digits[0];
        if (n > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent < 0) {
        out += "0.";
        out.append(static_cast<size_t>(-exponent - 1), '0');
        out += digits;
    } else if (n <= exponent + 1) {
        out += digits;
        out.append(static_cast<size_t>(exponent + 1 - n), '0');
    } else {
        out += digits.substr(0, static_cast<size_t>(exponent + 1));
        out += '.';
        out += digits.substr(static_cast<size_t>(exponent + 1));
    }
    return out;
}

}  // namespace

std::string FormatGeneral(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    return GeneralFromScientific(buf, res.ptr);
}

std::string FormatGeneral(long double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    char buf[80];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    return GeneralFromScientific(buf, res.ptr);
}

int64_t RoundHalfEven(double value) {
    const double r = std::nearbyint(value);  // default rounding mode: to nearest, ties to even
    return static_cast<int64_t>(r);
}

int64_t RoundHalfEven(long double value) {
    const long double r = std::nearbyint(value);
    return static_cast<int64_t>(r);
}

int64_t TruncToInt(long double value) { return static_cast<int64_t>(std::trunc(value)); }

double Divide(double a, double b) {
    if (b == 0.0) {
        if (a == 0.0 || std::isnan(a)) throw Error(std::string(msg::kInvalidFloatOp));
        throw Error(std::string(msg::kDivisionByZero));
    }
    return a / b;
}

long double Divide(long double a, long double b) {
    if (b == 0.0L) {
        if (a == 0.0L || std::isnan(a)) throw Error(std::string(msg::kInvalidFloatOp));
        throw Error(std::string(msg::kDivisionByZero));
    }
    return a / b;
}

}  // namespace kestrova
