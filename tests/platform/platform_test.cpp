#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/error.h"
#include "platform/platform.h"
#include "../common/test_files.h"
#include "../common/unprivileged.h"

namespace fs = std::filesystem;
using namespace kestrova;

namespace {

using test_support::TempDir;

std::string Slurp(const std::string& path) {
    std::string s;
    EXPECT_TRUE(platform::ReadWholeFile(path, s)) << path;
    return s;
}

// Sets an environment variable for the scope of a test.
class EnvOverride {
public:
    EnvOverride(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvOverride() {
        if (had_) ::setenv(name_, old_.c_str(), 1);
        else ::unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

}  // namespace

TEST(SystemTempDirectory, PrivatePerUserFolderWithTrailingSeparator) {
    TempDir base;
    EnvOverride tmp("TMPDIR", base.path());
    const std::string dir = platform::SystemTempDirectory();
    EXPECT_EQ(dir, base.path() + "/kestrova-" + std::to_string(::geteuid()) + "/");
    struct stat st {};
    ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(platform::SystemTempDirectory(), dir);  // the same folder again
}

TEST(SystemTempDirectory, RefusesAPlantedLink) {
    TempDir base;
    TempDir elsewhere;
    EnvOverride tmp("TMPDIR", base.path());
    const std::string planted = base.path() + "/kestrova-" + std::to_string(::geteuid());
    ASSERT_EQ(::symlink(elsewhere.path().c_str(), planted.c_str()), 0);
    EXPECT_THROW(platform::SystemTempDirectory(), Error);
}

TEST(SystemTempDirectory, TightensAnOpenFolderOfOurs) {
    TempDir base;
    EnvOverride tmp("TMPDIR", base.path());
    const std::string dir = base.path() + "/kestrova-" + std::to_string(::geteuid());
    ASSERT_EQ(::mkdir(dir.c_str(), 0777), 0);
    ::chmod(dir.c_str(), 0777);
    platform::SystemTempDirectory();
    struct stat st {};
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(CreateUniqueTempFile, NewEmptyFilesWithThePrefix) {
    TempDir dir;
    const std::string a = platform::CreateUniqueTempFile(dir.path());
    const std::string b = platform::CreateUniqueTempFile(dir.path() + "/");
    EXPECT_NE(a, b);
    EXPECT_EQ(fs::path(a).filename().string().substr(0, 3), "tmp");
    EXPECT_EQ(fs::path(a).parent_path(), fs::path(dir.path()));
    EXPECT_EQ(fs::file_size(a), 0u);
    EXPECT_THROW(platform::CreateUniqueTempFile(dir.path() + "/missing"), Error);
}

TEST(ReplaceFileAtomically, WritesWholeAndKeepsNoTemporary) {
    TempDir dir;
    const std::string path = dir.path() + "/Report.log";
    ASSERT_EQ(platform::ReplaceFileAtomically(path, "old\r\n"), 0);
    ASSERT_EQ(platform::ReplaceFileAtomically(path, std::string("new\xB0\r\n")), 0);
    EXPECT_EQ(Slurp(path), "new\xB0\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(ReplaceFileAtomically, FailureLeavesTheOldFile) {
    TempDir dir;
    const std::string path = dir.path() + "/Report.log";
    ASSERT_EQ(platform::ReplaceFileAtomically(path, "old"), 0);
    ::chmod(path.c_str(), 0644);
    ::chmod(dir.path().c_str(), 0555);
    EXPECT_TRUE(test_support::RunUnprivileged([&] { return platform::ReplaceFileAtomically(path, "new") != 0; }));
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(Slurp(path), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// A rename would replace a protected file; the save must refuse it as a write
// open would (checked without root, which permission bits do not stop).
TEST(ReplaceFileAtomically, WriteProtectedFileIsRefusedAndKept) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0777);
    const std::string path = dir.path() + "/Report.log";
    ASSERT_EQ(platform::ReplaceFileAtomically(path, "protected"), 0);
    ::chmod(path.c_str(), 0444);
    EXPECT_TRUE(test_support::RunUnprivileged([&] {
        bool refused = platform::ReplaceFileAtomically(path, "new") == EACCES;
        try {
            platform::SaveLines(path, {"new"});
            refused = false;
        } catch (const Error& e) {
            refused = refused && std::string(e.what()) == "Cannot create file " + path;
        }
        return refused;
    }));
    EXPECT_EQ(Slurp(path), "protected");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// Temporaries left by killed saves go with the next save of the same file;
// a live writer's temporary, other files' temporaries and other names stay.
TEST(ReplaceFileAtomically, NextSaveRemovesTemporariesOfDeadWriters) {
    TempDir dir;
    const std::string path = dir.path() + "/Report.log";
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string live = std::to_string(::getpid());
    const std::vector<std::string> stale = {".Report.log." + std::to_string(dead) + ".a1B2c3"};
    const std::vector<std::string> kept = {
        ".Report.log." + live + ".x9Y8z7",                    // its writer still runs
        ".Kestrova.INI." + std::to_string(dead) + ".a1B2c3",  // another file's save
        ".Report.log.a1B2c3",                                 // not our naming
        ".Report.log." + std::to_string(dead) + ".toolong7",
        "Report.log.BAK",
    };
    for (const auto& name : stale) ASSERT_TRUE(test_support::WriteBytes(dir.path() + "/" + name, "partial"));
    for (const auto& name : kept) ASSERT_TRUE(test_support::WriteBytes(dir.path() + "/" + name, "x"));
    ASSERT_EQ(platform::ReplaceFileAtomically(path, "new"), 0);
    for (const auto& name : stale) EXPECT_FALSE(fs::exists(dir.path() + "/" + name)) << name;
    for (const auto& name : kept) EXPECT_TRUE(fs::exists(dir.path() + "/" + name)) << name;
    EXPECT_EQ(Slurp(path), "new");
}

// The whole story: a save killed before its rename leaves a temporary that
// the next save of the file clears away.
TEST(ReplaceFileAtomically, SaveKilledBeforeTheRenameIsClearedByTheNext) {
    TempDir dir;
    const std::string path = dir.path() + "/Report.log";
    ASSERT_EQ(platform::ReplaceFileAtomically(path, "old"), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        platform::ReplaceFileAtomically(path, "lost", [] { ::_exit(9); });
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 9);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
    EXPECT_EQ(Slurp(path), "old");
    ASSERT_EQ(platform::ReplaceFileAtomically(path, "new"), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    EXPECT_EQ(Slurp(path), "new");
}

TEST(ReplaceFileAtomically, MissingDirectoryFailsWithoutThrowing) {
    TempDir dir;
    EXPECT_NE(platform::ReplaceFileAtomically(dir.path() + "/no/such/file", "x"), 0);
    EXPECT_THROW(platform::SaveLines(dir.path() + "/no/such/file", {"x"}), Error);
    try {
        platform::SaveLines(dir.path() + "/no/x", {"x"});
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + dir.path() + "/no/x");
    }
}

TEST(Lines, SaveAndLoad) {
    TempDir dir;
    const std::string path = dir.path() + "/a.txt";
    platform::SaveLines(path, {"one", "", "thr\xE9"});
    EXPECT_EQ(Slurp(path), "one\r\n\r\nthr\xE9\r\n");
    EXPECT_EQ(platform::LoadLines(path), (std::vector<std::string>{"one", "", "thr\xE9"}));
    try {
        platform::LoadLines(dir.path() + "/missing.txt");
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.path() + "/missing.txt");
    }
}

TEST(FindFileNoCase, MatchesAnyCaseAndFallsBackToTheCanonicalName) {
    TempDir dir;
    EXPECT_EQ(platform::FindFileNoCase(dir.path(), "FS98.log"), dir.path() + "/FS98.log");
    std::ofstream(dir.path() + "/Fs98.LOG") << "x";
    EXPECT_EQ(platform::FindFileNoCase(dir.path(), "FS98.log"), dir.path() + "/Fs98.LOG");
    EXPECT_EQ(platform::FindFileNoCase(dir.path() + "/", "fs98.log"), dir.path() + "/Fs98.LOG");
}

TEST(CopyFileReplacing, CopiesOverAndReportsMissingSource) {
    TempDir dir;
    std::ofstream(dir.path() + "/from") << "route";
    std::ofstream(dir.path() + "/to") << "older and longer";
    platform::CopyFileReplacing(dir.path() + "/from", dir.path() + "/to");
    EXPECT_EQ(Slurp(dir.path() + "/to"), "route");
    EXPECT_THROW(platform::CopyFileReplacing(dir.path() + "/none", dir.path() + "/to"), Error);
}

// The backup step: the old backup goes only when the new one takes its place.
TEST(LinkOrMove, ReplacesTheTargetOrLeavesIt) {
    TempDir dir;
    const std::string log = dir.path() + "/Report.log";
    const std::string backup = dir.path() + "/Report.BAK";
    std::ofstream(log) << "new";
    std::ofstream(backup) << "old backup";
    EXPECT_TRUE(platform::LinkOrMove(log, backup));
    EXPECT_EQ(Slurp(backup), "new");
    EXPECT_EQ(Slurp(log), "new");  // linked: the file itself is still there
    // Nothing to link or move: the backup there is kept.
    EXPECT_FALSE(platform::LinkOrMove(dir.path() + "/missing.log", backup));
    EXPECT_EQ(Slurp(backup), "new");
    // No temporary name is left behind either way.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 2u);
}

TEST(MoveToRecycleBin, GoesIntoTheUsersTrashWithItsInfo) {
    TempDir home;
    TempDir work;
    EnvOverride data("XDG_DATA_HOME", home.path());
    const std::string file = work.path() + "/FS98 route.prg";
    std::ofstream(file) << "data";
    ASSERT_TRUE(platform::MoveToRecycleBin(file));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(Slurp(home.path() + "/Trash/files/FS98 route.prg"), "data");
    const std::string info = Slurp(home.path() + "/Trash/info/FS98 route.prg.trashinfo");
    EXPECT_NE(info.find("[Trash Info]\nPath=" + work.path() + "/FS98%20route.prg\nDeletionDate="),
              std::string::npos)
        << info;
    // A second file of the same name does not overwrite the first.
    std::ofstream(file) << "again";
    ASSERT_TRUE(platform::MoveToRecycleBin(file));
    EXPECT_EQ(Slurp(home.path() + "/Trash/files/FS98 route.prg"), "data");
    EXPECT_EQ(Slurp(home.path() + "/Trash/files/FS98 route.prg.1"), "again");
    EXPECT_FALSE(platform::MoveToRecycleBin(file));  // nothing left to move
}

TEST(LocaleFormats, CLocaleFallback) {
    EnvOverride all("LC_ALL", "C");
    const LocaleFormats f = platform::CurrentLocaleFormats();
    EXPECT_EQ(f.timeSeparator, ':');
    EXPECT_EQ(f.dateSeparator, '/');
    EXPECT_EQ(f.longTimeFormat, "hh:nn:ss");
    EXPECT_EQ(f.shortDateFormat, "mm/dd/yy");
}

TEST(ProcessFacts, Directories) {
    const std::string exeDir = platform::ExecutableDirectory();
    ASSERT_FALSE(exeDir.empty());
    EXPECT_EQ(exeDir.back(), '/');
    EXPECT_TRUE(fs::exists(exeDir + "platform_tests"));
    const std::string cwd = platform::CurrentDirectory();
    EXPECT_EQ(fs::path(cwd), fs::current_path());
    EXPECT_NE(cwd.back(), '/');
}

TEST(CurrentDateTime, AgreesWithTheClock) {
    const double now = platform::CurrentDateTime();
    const std::time_t t = std::time(nullptr);
    std::tm tm {};
    ::localtime_r(&t, &tm);
    EXPECT_NEAR(now, EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) +
                         EncodeTime(tm.tm_hour, tm.tm_min, tm.tm_sec),
                2.0 / 86400);
}
