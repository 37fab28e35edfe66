#include <gtest/gtest.h>

#include "../common/test_files.h"
#include "platform/platform.h"
#include "settings/settings_file.h"

using namespace kestrova;

namespace {

struct LocationCase {
    const char* name;
    bool fileBesideExecutable;
    bool writable;
    const char* xdg;
    const char* home;
    const char* expected;  // "<exe>" stands for the portable path
};

}  // namespace

TEST(ChooseSettingsPath, PortableUnlessTheExecutableFolderIsReadOnly) {
    const LocationCase cases[] = {
        {"writable folder, no file", false, true, "/cfg", "/home/p", "<exe>"},
        {"read-only folder with its file", true, false, "/cfg", "/home/p", "<exe>"},
        {"writable folder with its file", true, true, "/cfg", "/home/p", "<exe>"},
        {"system install", false, false, "/cfg", "/home/p", "/cfg/kestrova/Kestrova.INI"},
        {"config home with separator", false, false, "/cfg/", "/home/p", "/cfg/kestrova/Kestrova.INI"},
        {"no XDG_CONFIG_HOME", false, false, "", "/home/p", "/home/p/.config/kestrova/Kestrova.INI"},
        {"relative XDG_CONFIG_HOME is ignored", false, false, "cfg", "/home/p", "/home/p/.config/kestrova/Kestrova.INI"},
        {"nowhere else to go", false, false, "", "", "<exe>"},
    };
    for (const auto& c : cases) {
        test_support::TempDir exe;
        if (c.fileBesideExecutable) {
            ASSERT_TRUE(test_support::WriteBytes(exe.File("Kestrova.INI"), "[General]\n"));
        }
        SettingsLocation location;
        location.executableDirectory = exe.path() + "/";
        location.executableDirectoryWritable = c.writable;
        location.xdgConfigHome = c.xdg;
        location.home = c.home;
        const std::string expected = std::string(c.expected) == "<exe>" ? exe.File("Kestrova.INI") : c.expected;
        EXPECT_EQ(ChooseSettingsPath(location), expected) << c.name;
    }
}

TEST(DefaultSettingsPath, WritableFolderOfTheTestProgramIsPortable) {
    ASSERT_TRUE(platform::IsWritableDirectory(platform::ExecutableDirectory()));
    EXPECT_EQ(DefaultSettingsPath(), platform::ExecutableDirectory() + "Kestrova.INI");
}
