#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "../common/test_files.h"
#include "conversion/conversions.h"
#include "core/error.h"

namespace kestrova::conversion::testing {

using test_support::ReadBytes;
using test_support::RunShell;
using test_support::ShellResult;
using test_support::TempDir;

// Writes a file the test needs, failing the test when it cannot.
inline void WriteBytes(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(test_support::WriteBytes(path, bytes)) << path;
}

inline std::string Fixture(const std::string& name) { return std::string(FIXTURE_DIR) + "/" + name; }

// Lines joined with CR LF after each, the form of every text output.
inline std::string CrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) out += line + "\r\n";
    return out;
}

inline std::string Visible(const std::string& line) {
    std::string out;
    for (char c : line) {
        if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

// Byte-for-byte comparison that names the first differing line.
inline ::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    size_t start = 0;
    int line = 1;
    for (;;) {
        const size_t endA = actual.find('\n', start);
        const size_t endE = expected.find('\n', start);
        const std::string a = actual.substr(start, endA == std::string::npos ? std::string::npos : endA + 1 - start);
        const std::string e =
            expected.substr(start, endE == std::string::npos ? std::string::npos : endE + 1 - start);
        if (a != e || endA == std::string::npos || endE == std::string::npos) {
            return ::testing::AssertionFailure()
                   << "first difference in line " << line << "\n  actual:   [" << Visible(a) << "]\n  expected: ["
                   << Visible(e) << "]\n  sizes: actual " << actual.size() << ", expected " << expected.size();
        }
        start = endA + 1;
        ++line;
    }
}

// One conversion call with everything a test looks at afterwards.
struct RunOutcome {
    ConversionReport report;
    std::string error;         // what() of the error that ended it, if any
    bool resultSet = false;    // SetConversionResult was called with the output
    bool outputExists = false;
    std::string output;        // the output file's bytes
};

inline RunOutcome RunConversion(Conversion convert, const std::string& planPath, const TempDir& dir,
                                const std::string& fileName, int16_t kind) {
    std::filesystem::remove(dir.File(fileName));
    SetConversionResult("", 0);
    RunOutcome outcome;
    try {
        outcome.report = convert(planPath, dir.path());
    } catch (const Error& e) {
        outcome.error = e.what();
    }
    outcome.resultSet = LastOutputFile() == dir.File(fileName) && LastOutputKind() == kind;
    outcome.outputExists = std::filesystem::exists(dir.File(fileName));
    if (outcome.outputExists) outcome.output = ReadBytes(dir.File(fileName));
    return outcome;
}

}  // namespace kestrova::conversion::testing
