#pragma once

#include <stdexcept>
#include <string>

namespace kestrova {

// A failure the user sees. what() is the exact text to show, already filled in
// with the offending text or path.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace kestrova
