#include "simlink/altitude_profile.h"

#include <algorithm>

#include "core/numbers.h"

namespace kestrova {

std::string NthRun(std::string_view text, int n, char delimiter) {
    size_t pos = 0;
    for (int run = 1; pos < text.size(); ++run) {
        pos = text.find_first_not_of(delimiter, pos);
        if (pos == std::string_view::npos) break;
        const size_t end = std::min(text.find(delimiter, pos), text.size());
        if (run == n) return std::string(text.substr(pos, end - pos));
        pos = end;
    }
    return {};
}

std::vector<int32_t> RecordAltitudes(const std::vector<std::string>& lines) {
    std::vector<int32_t> altitudes;
    altitudes.reserve(lines.size());
    // The chart reads the fourth run, not the fourth field: fields 1 to 3 of
    // a record line are never empty, so both are the altitude in feet.
    for (const std::string& line : lines) altitudes.push_back(StrToInt(NthRun(line, 4, ',')));
    return altitudes;
}

}  // namespace kestrova
