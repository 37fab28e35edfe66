#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../common/test_files.h"
#include "core/lines.h"
#include "platform/platform.h"

namespace kestrova::review::testing {

using test_support::ReadBytes;
using test_support::RunShell;
using test_support::ShellResult;
using test_support::TempDir;

// Writes a file the test needs, failing the test when it cannot.
inline void WriteBytes(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(test_support::WriteBytes(path, bytes)) << path;
}

inline std::string FixturePath(const std::string& name) { return std::string(FIXTURE_DIR) + "/" + name; }

inline std::vector<std::string> FixtureLines(const std::string& name) {
    return platform::LoadLines(FixturePath(name));
}

// Line by line, naming the first line that differs.
inline void ExpectSameLines(const std::vector<std::string>& actual, const std::vector<std::string>& expected) {
    const size_t common = std::min(actual.size(), expected.size());
    for (size_t i = 0; i < common; ++i) {
        if (actual[i] != expected[i]) {
            ADD_FAILURE() << "first difference at line " << i << "\n  actual:   [" << actual[i]
                          << "]\n  expected: [" << expected[i] << "]";
            return;
        }
    }
    EXPECT_EQ(actual.size(), expected.size()) << "same first " << common << " lines, different line count";
}

// The flight of normal_flight.log: departure and six checkpoints, the aircraft
// title with commas in it.
inline std::vector<std::string> NormalFlightRecord() {
    const std::string tail = ",Cessna Skylane RG, Altamarinola, I-KEST,41.8,12.2";
    return {
        "9:2,163,0,15,> 50,1013,270,12,15,500,Few 1/8,N41 48' 0.00\",E12 14' 0.00\",11:2,0,5" + tail,
        "9:9,253,118,2980,25,1012,265,14,12,492,Sct 3/8,N41 44' 1.20\",E12 16' 3.00\",11:9,0,908" + tail,
        "9:24,310,121,4510,20,1012,280,18,9,475,Sct 3/8,N42 4' 0.00\",E11 50' 0.00\",11:24,0,1374" + tail,
        "9:45,321,125,4490,18.5,1011,290,20,9,451,Sct 4/8,N42 45' 0.00\",E11 6' 0.00\",11:45,0,1368" + tail,
        "9:52,343,119,3520,15,1011,300,16,10,443,Brk 5/8,N42 48' 0.00\",E10 20' 0.00\",11:52,0,1072" + tail,
        "9:58,355,110,2005,12.5,1010,310,10,12,436,Brk 5/8,N43 39' 0.00\",E10 24' 0.00\",11:58,0,611" + tail,
        "10:4,2,0,12,12.75,1010,315,8,14,430,Brk 6/8,N43 41' 0.00\",E10 23' 0.00\",12:4,0,4" + tail,
    };
}

// The flight of worked_examples.log.
inline std::vector<std::string> WorkedExamplesRecord() {
    return {
        "9:5,90,0,0,> 50,1013,270,12,15,500,Few 1/8,,,11:5,0,0,Piper,0,0",
        "10:0,90,120,-12,> 50,1013,180,10,15,440,Few 1/8,,,12:0,0,-4,Piper,0,0",
        "10:15,120,118,2500,20,1011,200,8,14,410,Sct 3/8,,,12:15,0,762,Piper,0,0",
        "10:25,180,0,1800,10,1009,90,5,17,380,Sct 3/8,,,12:25,0,549,Piper,0,0",
    };
}

inline void WriteRecord(const std::string& directory, const std::vector<std::string>& lines) {
    WriteBytes(directory + "/FS98.log", JoinLines(lines));
}

}  // namespace kestrova::review::testing
