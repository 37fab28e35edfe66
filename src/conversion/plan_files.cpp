#include "conversion/plan_files.h"

#include <charconv>
#include <cmath>
#include <utility>

#include "core/error.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "core/text.h"
#include "platform/platform.h"

namespace kestrova::conversion {

ACSREC MakeAcsRec(std::string_view identifier, std::string_view description, std::string_view latitude,
                  std::string_view longitude, std::string_view kind) {
    ACSREC record;
    record.identifier = LeftChars(identifier, 6);
    record.description = LeftChars(description, 255);
    record.latitude = LeftChars(latitude, 30);
    record.longitude = LeftChars(longitude, 30);
    record.kind = std::string(kind);
    return record;
}

PlanFile::PlanFile(std::string path, std::vector<std::string> lines)
    : path_(std::move(path)), lines_(std::move(lines)) {}

PlanFile PlanFile::Load(const std::string& path) { return PlanFile(path, platform::LoadLines(path)); }

const std::string& PlanFile::Line(int64_t index) const {
    if (index < 0 || index >= LineCount())
        throw Error(msg::Format(msg::Format(msg::kLineMissing, std::to_string(index + 1)), path_));
    return lines_[static_cast<size_t>(index)];
}

bool TryStrToFloat(std::string_view text, double& value) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && text[begin] == ' ') ++begin;
    while (end > begin && text[end - 1] == ' ') --end;
    std::string_view s = text.substr(begin, end - begin);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // from_chars alone would also take "inf", "nan" and hex forms.
    size_t i = 0;
    size_t digits = 0;
    while (i < s.size() && IsDecimalDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDecimalDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < s.size() && IsDecimalDigit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    if (i != s.size()) return false;
    // The sign is already taken off: from_chars refuses a leading '+'.
    double parsed = 0.0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), parsed);
    if (ec != std::errc() || ptr != s.data() + s.size() || !std::isfinite(parsed)) return false;
    value = negative ? -parsed : parsed;
    return true;
}

double StrToFloat(std::string_view text) {
    double value = 0.0;
    if (!TryStrToFloat(text, value)) throw Error(msg::Format(msg::kInvalidFloat, text));
    return value;
}

int32_t ReadFpfCount(const PlanFile& plan) { return StrToInt(RemoveBlanks(plan.Line(2))); }

bool FpfLinesSuffice(const PlanFile& plan, int32_t count) {
    return plan.LineCount() >= 14 * static_cast<int64_t>(count);
}

PuntiVolo ReadFpfBlock(const PlanFile& plan, int64_t start) {
    PuntiVolo waypoint;
    // The record keeps the type in 16 bits, as the plan format does.
    waypoint.type = static_cast<int16_t>(StrToInt(RemoveBlanks(plan.Line(start))));
    const std::string& names = plan.Line(start + 1);
    waypoint.identifier = ColumnText(names, 1, 5);
    waypoint.name = ColumnText(names, 6, 34);
    waypoint.frequency = RemoveBlanks(ColumnText(names, 40, 5));
    waypoint.latitude = StrToInt(RemoveBlanks(plan.Line(start + 3)));
    waypoint.longitude = StrToInt(RemoveBlanks(plan.Line(start + 4)));
    return waypoint;
}

void ForEachFpfWaypoint(const PlanFile& plan, int32_t count,
                        const std::function<void(int32_t, const PuntiVolo&)>& hand) {
    int64_t position = 3;
    for (int32_t i = 0; i < count; ++i) {
        hand(i, ReadFpfBlock(plan, position));
        position += 14;
        // A block that would start on the last line or beyond is not begun;
        // one cut short later in its lines fails on the missing line.
        if (position >= plan.LineCount() - 1) break;
    }
}

int32_t ReadFltCount(const PlanFile& plan) { return StrToInt(plan.Line(1)); }

double FltBlock::Latitude() const { return StrToFloat(Line(0)); }

double FltBlock::Longitude() const { return StrToFloat(Line(1)); }

int16_t FltBlock::Type() const { return static_cast<int16_t>(StrToInt(Line(26))); }

void ForEachFltBlock(const PlanFile& plan, int32_t count,
                     const std::function<void(int32_t, const FltBlock&)>& hand) {
    for (int32_t i = 0; i < count; ++i) hand(i, FltBlock(plan, 2 + 32 * static_cast<int64_t>(i)));
}

double FpfFrequencyValue(const PuntiVolo& waypoint) {
    switch (waypoint.type) {
        case 2: return StrToInt(waypoint.frequency) / 100.0 + 100.0;
        case 4: return StrToInt(waypoint.frequency) / 10.0;
        default: return 0.0;
    }
}

}  // namespace kestrova::conversion
