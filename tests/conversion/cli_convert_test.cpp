#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace kestrova::conversion {
namespace {

using namespace testing;

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs kestrova-cli with its temporary directory and recycle bin inside dir.
CliRun Cli(const TempDir& dir, const std::vector<std::string>& args) {
    std::string command = "cd " + Quote(dir.path()) + " && TMPDIR=" + Quote(dir.path()) +
                          " HOME=" + Quote(dir.path()) + " XDG_DATA_HOME=" + Quote(dir.File("share")) + " " +
                          Quote(KESTROVA_CLI) + " convert";
    for (const auto& a : args) command += " " + Quote(a);
    command += " >" + Quote(dir.File("out.txt")) + " 2>" + Quote(dir.File("err.txt"));
    const int status = std::system(command.c_str());
    CliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadBytes(dir.File("out.txt"));
    run.err = ReadBytes(dir.File("err.txt"));
    return run;
}

std::string TempOutput(const TempDir& dir, const std::string& name) {
    return dir.path() + "/kestrova-" + std::to_string(::geteuid()) + "/" + name;
}

TEST(CliConvert, PrintsThePathOfTheConvertedFile) {
    const TempDir dir;
    const CliRun run = Cli(dir, {"fpf", Fixture("fpf-all-types.fpf"), "txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, TempOutput(dir, "FS98.txt") + "\n");
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(SameBytes(ReadBytes(TempOutput(dir, "FS98.txt")), ReadBytes(Fixture("expected/fpf-all-types.txt"))));
}

// The temporary output is deleted, not recycled: a script converting many
// plans must not fill the recycle bin.
TEST(CliConvert, SavesOverAnExistingFileAndDeletesTheTemporaryOne) {
    const TempDir dir;
    WriteBytes(dir.File("route.pln"), "an older plan");
    const CliRun run = Cli(dir, {"fpf", Fixture("fpf-all-types.fpf"), "pln", "-o", "route.pln"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "route.pln\n");
    EXPECT_TRUE(SameBytes(ReadBytes(dir.File("route.pln")), ReadBytes(Fixture("expected/fpf-all-types.pln"))));
    EXPECT_FALSE(std::filesystem::exists(TempOutput(dir, "FS98.pln")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("share/Trash/files/FS98.pln")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("share/Trash/info/FS98.pln.trashinfo")));

    const CliRun fsn = Cli(dir, {"flt", Fixture("flt-route.flt"), "fsn", "-o", dir.File("route.fsn")});
    EXPECT_EQ(fsn.exitCode, 0) << fsn.err;
    EXPECT_EQ(std::filesystem::file_size(dir.File("route.fsn")), 456u);
}

TEST(CliConvert, MessagesGoToStandardErrorWithAFailingExit) {
    const TempDir dir;
    struct Row {
        std::vector<std::string> args;
        std::string err;
        bool saved;  // -o target written
    };
    const std::vector<Row> rows = {
        {{"flt", Fixture("flt-route.flt"), "pln", "-o", "x.pln"}, "Not implemeted\n", false},
        // The reduced file still goes out, as on the screen.
        {{"fpf", Fixture("fpf-14n-minus-1-lines.fpf"), "prg", "-o", "x.prg"}, "Bad File Format. Check It!\n", true},
        {{"fpf", Fixture("fpf-empty-vor-frequency.fpf"), "prg", "-o", "y.prg"}, "'' is not a valid integer value\n",
         false},
        {{"fpf", "absent.fpf", "txt"}, "Cannot open file absent.fpf\n", false},
    };
    for (const auto& row : rows) {
        const CliRun run = Cli(dir, row.args);
        EXPECT_EQ(run.exitCode, 1) << row.args[1];
        EXPECT_EQ(run.err, row.err);
        if (row.args.size() == 5) {
            EXPECT_EQ(std::filesystem::exists(dir.File(row.args[4])), row.saved) << row.err;
        }
    }
    EXPECT_EQ(ReadBytes(dir.File("x.prg")), "");
    EXPECT_FALSE(std::filesystem::exists(TempOutput(dir, "FS98.pln"))) << "WinPlanner to FS2000 writes nothing";
    // The failed conversion still left its earlier waypoint in the temporary file.
    EXPECT_EQ(ReadBytes(TempOutput(dir, "FS98.prg")),
              CrLf({"AAAA ", "FIRST     XXXX:0", "E 12* 13.852m", "N 41* 48.401m", " "}));
}

TEST(CliConvert, WrongArgumentsShowTheUsage) {
    const TempDir dir;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"fpf", "a.fpf"}, {"xyz", "a.fpf", "prg"}, {"fpf", "a.fpf", "doc"}, {"fpf", "a.fpf", "prg", "-o"}}) {
        const CliRun run = Cli(dir, args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find("usage: kestrova-cli convert fpf|flt PLANFILE prg|txt|fsn|pln [-o OUTFILE]"),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace kestrova::conversion
