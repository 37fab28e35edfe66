#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

// Text to lines at CR LF, LF or a lone CR; a line end after the last line
// opens no further line.
std::vector<std::string> SplitLines(std::string_view text);

// Lines to text, every line (the last included) ended by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace kestrova
