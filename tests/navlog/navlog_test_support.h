#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../common/test_files.h"
#include "core/app_context.h"
#include "core/lines.h"
#include "platform/platform.h"

namespace navlog_test {

using kestrova::test_support::ReadBytes;
using kestrova::test_support::RunShell;
using kestrova::test_support::ShellResult;
using kestrova::test_support::TempDir;

// Writes a file the test needs, failing the test when it cannot.
inline void WriteBytes(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(kestrova::test_support::WriteBytes(path, bytes)) << path;
}

namespace fs = std::filesystem;

inline std::string Fixture(const std::string& name) { return std::string(FIXTURE_DIR) + "/" + name; }

inline std::vector<std::string> FixtureLines(const std::string& name) {
    return kestrova::SplitLines(ReadBytes(Fixture(name)));
}

// Byte-for-byte comparison that names the first differing line (line ends included).
inline ::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
    if (expected == actual) return ::testing::AssertionSuccess();
    size_t line = 0;
    size_t start = 0;
    size_t i = 0;
    for (; i < expected.size() && i < actual.size() && expected[i] == actual[i]; ++i) {
        if (expected[i] == '\n') {
            ++line;
            start = i + 1;
        }
    }
    auto lineAt = [&](const std::string& text) {
        const size_t end = text.find('\n', start);
        return text.substr(start, end == std::string::npos ? std::string::npos : end - start + 1);
    };
    return ::testing::AssertionFailure() << "first difference in line " << line << " (from 0), column "
                                         << (i - start + 1) << "\n expected: [" << lineAt(expected)
                                         << "]\n actual:   [" << lineAt(actual) << "]";
}

inline ::testing::AssertionResult SameAsFixture(const std::string& expectedFixture, const std::string& actualPath) {
    std::string actual;
    if (!kestrova::platform::ReadWholeFile(actualPath, actual))
        return ::testing::AssertionFailure() << "cannot read " << actualPath;
    return SameBytes(ReadBytes(Fixture(expectedFixture)), actual);
}

inline kestrova::AppContext PilotContext(const std::string& workingDirectory) {
    kestrova::AppContext c;
    c.workingDirectory = workingDirectory;
    c.pilotName = "MARIO ROSSI";
    c.pilotId = "AZ0123";
    c.pilotNumber = "42";
    return c;
}

inline constexpr const char* kDate = "12/04/01";

}  // namespace navlog_test
