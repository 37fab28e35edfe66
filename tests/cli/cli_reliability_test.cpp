#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../common/test_files.h"
#include "../common/unprivileged.h"

namespace fs = std::filesystem;

namespace {

using kestrova::test_support::ReadBytes;
using kestrova::test_support::RunShell;
using kestrova::test_support::ShellResult;
using kestrova::test_support::TempDir;
using kestrova::test_support::WriteBytes;

const std::string kNavlog = std::string(TESTS_DIR) + "/navlog/fixtures/fp_duration.txt";
const std::string kPlan = std::string(TESTS_DIR) + "/conversion/fixtures/fpf-all-types.fpf";

class CliReliability : public ::testing::Test {
protected:
    void SetUp() override { ::chmod(dir_.path().c_str(), 0777); }
    // The command in the test directory with its own settings file; standard
    // error joins standard output after the redirections given in args.
    std::string Cli(const std::string& args) const {
        return "cd '" + dir_.path() + "' && LC_ALL=C TMPDIR='" + dir_.path() + "' '" KESTROVA_CLI "' --settings '" +
               dir_.File("Kestrova.INI") + "' " + args;
    }
    // Runs the command as a user that the permission bits bind (not root).
    ShellResult RunAsUser(const std::string& args) const {
        const std::string out = dir_.File("user.out");
        const std::string command = Cli(args) + " >'" + out + "' 2>&1";
        ShellResult r;
        r.exitCode = kestrova::test_support::RunUnprivileged([&] { return std::system(command.c_str()) == 0; }) ? 0 : 1;
        r.out = ReadBytes(out);
        fs::remove(out);
        return r;
    }
    TempDir dir_;
};

TEST_F(CliReliability, OutputThatCannotBeWrittenIsAFailure) {
    ASSERT_EQ(RunShell(Cli("prepare flightplanner '" + kNavlog + "' --date 12/04/01 --store AZ1 >/dev/null")).exitCode,
              0);
    const std::vector<std::string> commands = {
        "flights list",
        "flights show 1",
        "settings get General Pilot None",
        "convert fpf '" + kPlan + "' pln",
        "prepare flightplanner '" + kNavlog + "' --date 12/04/01",
        "--help",
    };
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        const ShellResult ok = RunShell(Cli(command + " 2>&1 >/dev/null"));
        EXPECT_EQ(ok.exitCode, 0) << ok.out;
        const ShellResult full = RunShell(Cli(command + " 2>&1 >/dev/full"));
        EXPECT_EQ(full.exitCode, 1);
        EXPECT_EQ(full.out, "Unable to write to standard output: No space left on device\n");
    }
}

// A protected file in a writable folder is refused as a write open would
// refuse it, and keeps its bytes.
TEST_F(CliReliability, WriteProtectedTargetsAreRefusedAndKept) {
    struct Case {
        const char* name;
        std::string file;
        std::string args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"Report.log", "Report.log", "prepare flightplanner '" + kNavlog + "' --date 12/04/01",
         "Cannot create file " + dir_.File("Report.log")},
        {"settings file", "Kestrova.INI", "settings set General Pilot NEW",
         "Unable to write to " + dir_.File("Kestrova.INI")},
        {"convert -o target", "route.pln", "convert fpf '" + kPlan + "' pln -o '" + dir_.File("route.pln") + "'",
         "Cannot create file " + dir_.File("route.pln")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir_.File(c.file);
        ASSERT_TRUE(WriteBytes(path, "protected\r\n"));
        ::chmod(path.c_str(), 0444);
        const ShellResult r = RunAsUser(c.args);
        EXPECT_NE(r.exitCode, 0);
        EXPECT_NE(r.out.find(c.message + "\n"), std::string::npos) << r.out;
        EXPECT_EQ(ReadBytes(path), "protected\r\n");
        fs::remove(path);
    }
}

// An endless input stops at the size limit with a message, and nothing is written.
TEST_F(CliReliability, EndlessInputStopsAtTheSizeLimit) {
    for (const std::string command : {"prepare flightplanner /dev/zero --date 12/04/01 --store AZ1",
                                      "convert fpf /dev/zero pln", "convert flt /dev/zero prg -o out.prg"}) {
        SCOPED_TRACE(command);
        const ShellResult r = RunShell(Cli(command + " 2>&1"));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, "File /dev/zero is too large: the limit is 64 MB\n");
    }
    EXPECT_FALSE(fs::exists(dir_.File("Report.log")));
    EXPECT_FALSE(fs::exists(dir_.File("out.prg")));
}

TEST_F(CliReliability, SettingsThatWouldNotReadBackAreRefused) {
    struct Case {
        std::string args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"General 'a=b' X", "Invalid setting key 'a=b': it contains \"=\""},
        {"'Gen]eral' Pilot X", "Invalid setting section 'Gen]eral': it contains \"]\""},
        {"General Pilot \"$(printf 'MARIO\\nROSSI')\"", "Invalid setting value for key 'Pilot': it contains a line break"},
        {"General \"$(printf 'Pi\\rlot')\" X", "Invalid setting key 'Pi\rlot': it contains a line break"},
        {"General ' Pilot' X", "Invalid setting key ' Pilot': it begins or ends with a blank"},
        {"General ';Pilot' X", "Invalid setting key ';Pilot': it begins with \";\", \"#\" or \"[\""},
        {"'' Pilot X", "Invalid setting section '': it is empty"},
        {"General '' X", "Invalid setting key '': it is empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const ShellResult r = RunShell(Cli("settings set " + c.args + " 2>&1"));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, c.message + "\n");
        EXPECT_FALSE(fs::exists(dir_.File("Kestrova.INI")));
    }
    // Names that do read back are still taken, odd as they are.
    for (const char* names : {"'Pilot Info' 'Pilot Name'", "'a[b' 'Pilot#1'"}) {
        SCOPED_TRACE(names);
        EXPECT_EQ(RunShell(Cli(std::string("settings set ") + names + " 'value = with ] and ;'")).exitCode, 0);
        EXPECT_EQ(RunShell(Cli(std::string("settings get ") + names)).out, "value = with ] and ;\n");
    }
}

}  // namespace
