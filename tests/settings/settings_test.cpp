#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "../common/unprivileged.h"
#include "core/error.h"
#include "platform/platform.h"
#include "settings/settings_file.h"

namespace fs = std::filesystem;
using namespace kestrova;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kestrova-ini-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
        path_ = dir_ + "/Kestrova.INI";
    }
    void TearDown() override {
        ::chmod(dir_.c_str(), 0700);
        fs::remove_all(dir_);
    }
    void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
    std::string Read() {
        std::string s;
        platform::ReadWholeFile(path_, s);
        return s;
    }
    std::string dir_;
    std::string path_;
};

}  // namespace

TEST_F(SettingsTest, MissingFileGivesDefaultsAndNoFile) {
    const SettingsFile ini(path_);
    EXPECT_EQ(ini.ReadSetting("General", "Pilot", "None"), "None");
    EXPECT_TRUE(ini.ReadSettingList("FView.MRUList", "H", 8).empty());
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(SettingsTest, ReadsTheUsualConventions) {
    Write("; written by hand\r\n"
          "Pilot=outside any section\r\n"
          "[Xeneral]\r\n"  // differs from General in the first letter only
          "XilotNum=7\r\n"
          "[general]\r\n"
          "  PILOT = Mario Rossi  \r\n"
          "pilotid=AZ123\r\n"
          "PilotID=second one is ignored\r\n"
          "a line without equals\r\n"
          "Empty=\r\n"
          "\r\n"
          "[Other]\r\n"
          "Pilot=not this one\r\n");
    const SettingsFile ini(path_);
    EXPECT_EQ(ini.ReadSetting("General", "Pilot", "None"), "Mario Rossi");
    EXPECT_EQ(ini.ReadSetting("GENERAL", "PilotID", "None"), "AZ123");
    EXPECT_EQ(ini.ReadSetting("General", "Empty", "None"), "");  // present but empty is not the default
    EXPECT_EQ(ini.ReadSetting("General", "PilotNum", "None"), "None");
    EXPECT_EQ(ini.ReadSetting("Missing", "Pilot", "dflt"), "dflt");
}

TEST_F(SettingsTest, LfEndsAndEmptyFiles) {
    Write("[General]\nFont=Courier New\n");
    EXPECT_EQ(SettingsFile(path_).ReadSetting("General", "Font", "Courier"), "Courier New");
    Write("");
    EXPECT_EQ(SettingsFile(path_).ReadSetting("General", "Font", "Courier"), "Courier");
    Write("Font=Arial\r\n");  // no section at all
    EXPECT_EQ(SettingsFile(path_).ReadSetting("General", "Font", "Courier"), "Courier");
}

TEST_F(SettingsTest, LongValuesAreCutAt2047) {
    Write("[General]\r\nPilot=" + std::string(3000, 'x') + "\r\n");
    EXPECT_EQ(SettingsFile(path_).ReadSetting("General", "Pilot", "None"), std::string(2047, 'x'));
}

TEST_F(SettingsTest, WriteCreatesFileSectionAndKey) {
    const SettingsFile ini(path_);
    ini.WriteSetting("General", "Pilot", "MARIO");
    ini.WriteSetting("General", "PilotID", "");
    EXPECT_EQ(Read(), "[General]\r\nPilot=MARIO\r\nPilotID=\r\n");
    EXPECT_EQ(ini.ReadSetting("General", "PilotID", "None"), "");
}

TEST_F(SettingsTest, WriteKeepsEverythingElse) {
    Write("; comment\r\n[General]\r\nPilot=OLD\r\nFont=Arial\r\n\r\n[FView.MRUList]\r\nH0=c:\\a.log\r\n");
    const SettingsFile ini(path_);
    ini.WriteSetting("general", "PILOT", "NEW");
    ini.WriteSetting("General", "PilotNum", "7");
    ini.WriteSetting("Extra", "Key", "v");
    EXPECT_EQ(Read(),
              "; comment\r\n[General]\r\nPilot=NEW\r\nFont=Arial\r\nPilotNum=7\r\n\r\n"
              "[FView.MRUList]\r\nH0=c:\\a.log\r\n\r\n[Extra]\r\nKey=v\r\n");
}

TEST_F(SettingsTest, WriteKeepsLfEndsOfAnLfFile) {
    Write("[General]\nPilot=OLD\n");
    SettingsFile(path_).WriteSetting("General", "Pilot", "NEW");
    EXPECT_EQ(Read(), "[General]\nPilot=NEW\n");
}

TEST_F(SettingsTest, ValueCannotInjectLines) {
    const SettingsFile ini(path_);
    ini.WriteSetting("General", "Pilot", "EVIL\r\n[General]\r\nPilotID=X");
    EXPECT_EQ(ini.ReadSetting("General", "Pilot", "None"), "EVIL");
    EXPECT_EQ(ini.ReadSetting("General", "PilotID", "None"), "None");
}

TEST_F(SettingsTest, ListsStopAtTheFirstGapAndWriteReplacesTheSection) {
    Write("[FView.MRUList]\r\nH0=/a\r\nH1=/b\r\nH3=/d\r\nOther=x\r\n[General]\r\nPilot=P\r\n");
    const SettingsFile ini(path_);
    EXPECT_EQ(ini.ReadSettingList("FView.MRUList", "H", 8), (std::vector<std::string>{"/a", "/b"}));
    Write("[FView.MRUList]\r\nH0=/a\r\nH1=\r\nH2=/c\r\n");
    EXPECT_EQ(ini.ReadSettingList("FView.MRUList", "H", 8), (std::vector<std::string>{"/a"}));

    Write("[FView.MRUList]\r\nH0=/old\r\nOther=x\r\n[General]\r\nPilot=P\r\n");
    std::vector<std::string> ten;
    for (int i = 0; i < 10; ++i) ten.push_back("/f" + std::to_string(i));
    ini.WriteSettingList("FView.MRUList", "H", 8, ten);
    const auto back = ini.ReadSettingList("FView.MRUList", "H", 8);
    EXPECT_EQ(back, std::vector<std::string>(ten.begin(), ten.begin() + 8));
    EXPECT_EQ(ini.ReadSetting("FView.MRUList", "Other", "gone"), "gone");
    EXPECT_EQ(ini.ReadSetting("FView.MRUList", "H8", "absent"), "absent");
    EXPECT_EQ(ini.ReadSetting("General", "Pilot", "None"), "P");
}

TEST_F(SettingsTest, RefusedWriteSaysUnableToWriteAndLeavesTheFile) {
    Write("[General]\r\nPilot=OLD\r\n");
    ::chmod(path_.c_str(), 0644);
    ::chmod(dir_.c_str(), 0555);
    const std::string path = path_;
    EXPECT_TRUE(test_support::RunUnprivileged([path] {
        try {
            SettingsFile(path).WriteSetting("General", "Pilot", "NEW");
        } catch (const Error& e) {
            return std::string(e.what()) == "Unable to write to " + path;
        }
        return false;
    }));
    ::chmod(dir_.c_str(), 0700);
    EXPECT_EQ(Read(), "[General]\r\nPilot=OLD\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(SettingsTest, ApplicationContextStartUpValues) {
    AppContext none = LoadApplicationContext(SettingsFile(path_), "/work/dir");
    EXPECT_EQ(none.workingDirectory, "/work/dir");
    EXPECT_EQ(none.pilotName, "None");
    EXPECT_EQ(none.pilotId, "None");
    EXPECT_EQ(none.pilotNumber, "None");
    EXPECT_EQ(none.resumeConnection, 0);
    Write("[General]\r\nPilot=MARIO\r\nPilotID=AZ1\r\nPilotNum=\r\n");
    AppContext set = LoadApplicationContext(SettingsFile(path_), "/w");
    EXPECT_EQ(set.pilotName, "MARIO");
    EXPECT_EQ(set.pilotId, "AZ1");
    EXPECT_EQ(set.pilotNumber, "");
}

TEST(DefaultSettingsPath, BesideTheExecutable) {
    EXPECT_EQ(DefaultSettingsPath(), platform::ExecutableDirectory() + "Kestrova.INI");
}
