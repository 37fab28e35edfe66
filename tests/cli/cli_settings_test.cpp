#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "../common/test_files.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

using Result = kestrova::test_support::ShellResult;
using kestrova::test_support::RunShell;

class CliSettings : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kestrova-cli-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
        ini_ = dir_ + "/my settings.ini";
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Cli(const std::string& args) {
        return "cd '" + dir_ + "' && LC_ALL=C '" KESTROVA_CLI "' --settings '" + ini_ + "' " + args;
    }
    std::string dir_;
    std::string ini_;
};

}  // namespace

TEST_F(CliSettings, SetThenGetThroughTheNamedFile) {
    EXPECT_EQ(RunShell(Cli("settings get General Pilot None")).out, "None\n");
    EXPECT_EQ(RunShell(Cli("settings set General Pilot 'MARIO ROSSI'")).exitCode, 0);
    EXPECT_EQ(RunShell(Cli("settings get general pilot")).out, "MARIO ROSSI\n");
    std::string text;
    ASSERT_TRUE(kestrova::platform::ReadWholeFile(ini_, text));
    EXPECT_EQ(text, "[General]\r\nPilot=MARIO ROSSI\r\n");
}

TEST_F(CliSettings, RefusedWriteReportsTheFullPath) {
    ini_ = dir_ + "/missing-folder/Kestrova.INI";
    const Result r = RunShell(Cli("settings set General Pilot X 2>&1"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Unable to write to " + ini_ + "\n");
}

TEST_F(CliSettings, HelpAndBadUsage) {
    const Result help = RunShell("'" KESTROVA_CLI "' --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("settings get SECTION KEY"), std::string::npos);
    EXPECT_EQ(RunShell(Cli("no-such-command 2>/dev/null")).exitCode, 2);
    EXPECT_EQ(RunShell(Cli("settings get 2>/dev/null")).exitCode, 2);
    EXPECT_EQ(RunShell("'" KESTROVA_CLI "' --settings 2>/dev/null").exitCode, 1);
}
