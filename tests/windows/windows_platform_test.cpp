#include <windows.h>
#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "core/app_context.h"
#include "platform/platform.h"
#include "review/log_save.h"

namespace kestrova {
namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string TempPath() {
    char buf[MAX_PATH + 1];
    const DWORD n = ::GetTempPathA(sizeof buf, buf);
    return std::string(buf, n);
}

// A fresh folder under %TEMP%, as Windows names it (drive letter, "\").
class WindowsDir {
public:
    WindowsDir() {
        std::random_device random;
        do path_ = TempPath() + "kestrova-windows-test-" + std::to_string(random());
        while (!::CreateDirectoryA(path_.c_str(), nullptr));
    }
    ~WindowsDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

TEST(WindowsPaths, WorkingDirectoryWithADriveLetter) {
    WindowsDir dir;
    char old[MAX_PATH + 1];
    ::GetCurrentDirectoryA(sizeof old, old);
    ASSERT_TRUE(::SetCurrentDirectoryA(dir.path().c_str()));
    const std::string current = platform::CurrentDirectory();
    ::SetCurrentDirectoryA(old);

    ASSERT_GE(current.size(), 3u);
    EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(current[0])) && current.substr(1, 2) == ":\\") << current;
    EXPECT_EQ(current.back() == '\\', false) << current;
    EXPECT_EQ(::_stricmp(current.c_str(), dir.path().c_str()), 0) << current;

    AppContext context;
    context.workingDirectory = current;
    EXPECT_EQ(DataFilePath(context, "Report.log"), current + "\\Report.log");
    context.workingDirectory = "C:\\";
    EXPECT_EQ(DataFilePath(context, "FS98.log"), "C:\\FS98.log");
    EXPECT_EQ(platform::JoinPath("D:\\Flights", "Voli.cds"), "D:\\Flights\\Voli.cds");
    EXPECT_EQ(platform::JoinPath("D:\\", "Voli.cds"), "D:\\Voli.cds");

    // A name stored in another case is found under its stored name.
    Put(dir.File("report.LOG"), "x");
    EXPECT_EQ(platform::FindFileNoCase(current, "Report.log"), current + "\\report.LOG");
    EXPECT_EQ(platform::FindFileNoCase(current, "FS98.log"), current + "\\FS98.log");
}

TEST(WindowsPaths, TemporaryFolderFollowsTemp) {
    WindowsDir dir;
    // GetTempPath looks at TMP first, then TEMP.
    char oldTmp[MAX_PATH + 1] = "", oldTemp[MAX_PATH + 1] = "";
    const bool hadTmp = ::GetEnvironmentVariableA("TMP", oldTmp, sizeof oldTmp) > 0;
    const bool hadTemp = ::GetEnvironmentVariableA("TEMP", oldTemp, sizeof oldTemp) > 0;
    ::SetEnvironmentVariableA("TMP", nullptr);
    ::SetEnvironmentVariableA("TEMP", dir.path().c_str());
    std::string temp;
    try {
        temp = platform::SystemTempDirectory();
    } catch (...) {
    }
    ::SetEnvironmentVariableA("TMP", hadTmp ? oldTmp : nullptr);
    ::SetEnvironmentVariableA("TEMP", hadTemp ? oldTemp : nullptr);

    EXPECT_EQ(temp, dir.path() + "\\kestrova\\");
    EXPECT_TRUE(platform::IsDirectory(dir.File("kestrova")));
    const std::string file = platform::CreateUniqueTempFile(temp);
    EXPECT_EQ(file.compare(0, temp.size() + 3, temp + "tmp"), 0) << file;
    EXPECT_TRUE(platform::FileExists(file));
    EXPECT_NE(platform::CreateUniqueTempFile(temp), file);
}

// Sets a user-locale value for the scope of a test, as Control Panel does.
class UserLocaleValue {
public:
    UserLocaleValue(LCTYPE type, const char* value) : type_(type) {
        char buf[80];
        if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf) > 0) old_ = buf;
        set_ = ::SetLocaleInfoA(LOCALE_USER_DEFAULT, type, value) != 0;
    }
    ~UserLocaleValue() {
        if (set_) ::SetLocaleInfoA(LOCALE_USER_DEFAULT, type_, old_.c_str());
    }
    bool Set() const { return set_; }

private:
    LCTYPE type_;
    std::string old_;
    bool set_ = false;
};

TEST(WindowsLocale, TimeSeparatorOfTheUserLocale) {
    struct Case {
        const char* separator;
        const char* timeFormat;
        char expected;
        const char* expectedFormat;  // ':' stands for the separator
    };
    const Case cases[] = {
        {".", "HH.mm.ss", '.', "hh:nn:ss"},
        {":", "H:mm:ss", ':', "h:nn:ss"},
        {"-", "hh-mm-ss tt", '-', "hh:nn:ss ampm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.timeFormat);
        const UserLocaleValue separator(LOCALE_STIME, c.separator);
        const UserLocaleValue format(LOCALE_STIMEFORMAT, c.timeFormat);
        ASSERT_TRUE(separator.Set() && format.Set());
        const LocaleFormats formats = platform::CurrentLocaleFormats();
        EXPECT_EQ(formats.timeSeparator, c.expected);
        EXPECT_EQ(formats.longTimeFormat, c.expectedFormat);
    }
}

TEST(WindowsShell, RecycleBinTakesTheFile) {
    WindowsDir dir;
    const std::string file = dir.File("FS98.prg");
    Put(file, "route\r\n");
    SHQUERYRBINFO before {};
    before.cbSize = sizeof before;
    ASSERT_EQ(::SHQueryRecycleBinA(nullptr, &before), S_OK);

    EXPECT_TRUE(platform::MoveToRecycleBin(file));
    EXPECT_FALSE(platform::FileExists(file));
    SHQUERYRBINFO after {};
    after.cbSize = sizeof after;
    ASSERT_EQ(::SHQueryRecycleBinA(nullptr, &after), S_OK);
    // In the bin, not merely deleted.
    EXPECT_EQ(after.i64NumItems, before.i64NumItems + 1);
    EXPECT_GE(after.i64Size, before.i64Size + 7);
}

TEST(WindowsBackup, LinkOrMoveReplacesTheOldBackupOnlyWithTheNewOne) {
    WindowsDir dir;
    const std::string log = dir.File("Report.log");
    const std::string backup = dir.File("Report.BAK");
    Put(log, "second\r\n");
    Put(backup, "first\r\n");

    // The source gone (both the link and the move fail): the old backup stays.
    EXPECT_FALSE(platform::LinkOrMove(dir.File("missing.log"), backup));
    EXPECT_EQ(Slurp(backup), "first\r\n");
    // A target that is a folder cannot be replaced; it stays too.
    std::filesystem::create_directory(dir.File("Folder.BAK"));
    EXPECT_FALSE(platform::LinkOrMove(log, dir.File("Folder.BAK")));
    EXPECT_TRUE(platform::IsDirectory(dir.File("Folder.BAK")));
    EXPECT_EQ(Slurp(log), "second\r\n");

    EXPECT_TRUE(platform::LinkOrMove(log, backup));
    EXPECT_EQ(Slurp(backup), "second\r\n");
    EXPECT_TRUE(platform::FileExists(log));  // a link: the file keeps its own name
    EXPECT_TRUE(platform::LinkOrMove(log, dir.File("REPORT.LOG")));  // the same file
    EXPECT_EQ(Slurp(log), "second\r\n");

    // No stray files from the fresh names.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 2);
}

TEST(WindowsBackup, SaveKeepsOneBackupBesideTheLog) {
    WindowsDir dir;
    const std::string log = dir.File("Report.log");
    review::SaveWithBackup(log, "one\r\n");
    EXPECT_FALSE(platform::FileExists(dir.File("Report.BAK")));
    review::SaveWithBackup(log, "two\r\n");
    review::SaveWithBackup(log, "three\r\n");
    EXPECT_EQ(Slurp(log), "three\r\n");
    EXPECT_EQ(Slurp(dir.File("Report.BAK")), "two\r\n");

    struct Case {
        const char* path;
        const char* backup;
    };
    const Case cases[] = {
        {"C:\\Logs\\Report.log", "C:\\Logs\\Report.BAK"},
        {"C:\\Logs.old\\Report", "C:\\Logs.old\\Report.BAK"},
        {"D:Report.log", "D:Report.BAK"},
        {"C:\\Logs\\Flight.2.txt", "C:\\Logs\\Flight.2.BAK"},
    };
    for (const Case& c : cases) EXPECT_EQ(review::BackupFileName(c.path), c.backup) << c.path;
}

}  // namespace
}  // namespace kestrova
