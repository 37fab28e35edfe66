#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "../common/test_files.h"
#include "../common/unprivileged.h"

namespace fs = std::filesystem;
using namespace kestrova::test_support;

namespace {

// The command-line program copied into a folder of its own, as an installed
// copy lies in /usr/bin, run by an ordinary user with its own HOME.
class InstalledCli : public ::testing::Test {
protected:
    void SetUp() override {
        ::chmod(root_.path().c_str(), 0755);
        bin_ = root_.File("bin");
        home_ = root_.File("home");
        fs::create_directory(bin_);
        fs::create_directory(home_);
        fs::copy_file(KESTROVA_CLI, bin_ + "/kestrova-cli");
        ::chmod(home_.c_str(), 0777);
    }
    // Runs "settings set General Pilot <pilot>" as "nobody"; true when it succeeded.
    bool SetPilot(const std::string& env, const std::string& pilot) {
        const std::string command = "cd '" + home_ + "' && env -i HOME='" + home_ + "' " + env + " '" + bin_ +
                                    "/kestrova-cli' settings set General Pilot " + pilot + " >/dev/null 2>&1";
        return RunUnprivileged([command] { return std::system(command.c_str()) == 0; });
    }
    TempDir root_;
    std::string bin_;
    std::string home_;
};

}  // namespace

TEST_F(InstalledCli, ReadOnlyProgramFolderKeepsSettingsInTheConfigFolder) {
    ::chmod(bin_.c_str(), 0555);
    ASSERT_TRUE(SetPilot("", "FIRST"));
    const std::string user = home_ + "/.config/kestrova/Kestrova.INI";
    EXPECT_EQ(ReadBytes(user), "[General]\r\nPilot=FIRST\r\n");
    EXPECT_EQ(fs::status(home_ + "/.config/kestrova").permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(bin_ + "/Kestrova.INI"));

    ASSERT_TRUE(SetPilot("XDG_CONFIG_HOME='" + home_ + "/xdg'", "SECOND"));
    EXPECT_EQ(ReadBytes(home_ + "/xdg/kestrova/Kestrova.INI"), "[General]\r\nPilot=SECOND\r\n");
}

TEST_F(InstalledCli, SettingsFileBesideTheProgramWins) {
    ASSERT_TRUE(WriteBytes(bin_ + "/Kestrova.INI", "[General]\r\nPilot=OLD\r\n"));
    ::chmod((bin_ + "/Kestrova.INI").c_str(), 0666);
    ::chmod(bin_.c_str(), 0555);
    // The folder is read-only, so the atomic replace cannot put a new file
    // there: the write fails and the file stays whole, never moved elsewhere.
    EXPECT_FALSE(SetPilot("", "PORTABLE"));
    EXPECT_FALSE(fs::exists(home_ + "/.config"));
    EXPECT_EQ(ReadBytes(bin_ + "/Kestrova.INI"), "[General]\r\nPilot=OLD\r\n");
}

TEST_F(InstalledCli, WritableProgramFolderStaysPortable) {
    ::chmod(bin_.c_str(), 0777);
    ASSERT_TRUE(SetPilot("", "PORTABLE"));
    EXPECT_EQ(ReadBytes(bin_ + "/Kestrova.INI"), "[General]\r\nPilot=PORTABLE\r\n");
    EXPECT_FALSE(fs::exists(home_ + "/.config"));
}

TEST_F(InstalledCli, SettingsOptionWins) {
    ::chmod(bin_.c_str(), 0555);
    const std::string named = home_ + "/named.ini";
    const std::string command = "cd '" + home_ + "' && env -i HOME='" + home_ + "' '" + bin_ +
                                "/kestrova-cli' --settings '" + named + "' settings set General Pilot NAMED";
    ASSERT_TRUE(RunUnprivileged([command] { return std::system(command.c_str()) == 0; }));
    EXPECT_EQ(ReadBytes(named), "[General]\r\nPilot=NAMED\r\n");
    EXPECT_FALSE(fs::exists(home_ + "/.config"));
}
