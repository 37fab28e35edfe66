#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <string>

#include "core/error.h"
#include "review/log_save.h"
#include "review_test_support.h"

namespace kestrova::review {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::set<std::string> Names(const std::string& directory) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(LogSave, BackupFileNames) {
    const struct {
        const char* path;
        const char* backup;
    } cases[] = {
        {"/w/Report.log", "/w/Report.BAK"},
        {"/w/flight", "/w/flight.BAK"},
        {"flight", "flight.BAK"},
        {"/w/flight.v2/notes", "/w/flight.v2/notes.BAK"},
        {"/w/archive.tar.gz", "/w/archive.tar.BAK"},
        {"/w/.notes", "/w/.notes.BAK"},
        {"/w/Report.BAK", "/w/Report.BAK"},
    };
    for (const auto& c : cases) EXPECT_EQ(BackupFileName(c.path), c.backup) << c.path;
}

TEST(LogSave, KeepsOneBackupGeneration) {
    TempDir dir;
    const std::string log = dir.File("Report.log");
    WriteBytes(log, "first\r\n");
    WriteBytes(dir.File("Report.BAK"), "older backup\r\n");
    SaveWithBackup(log, "second\r\n");
    EXPECT_EQ(ReadBytes(log), "second\r\n");
    EXPECT_EQ(ReadBytes(dir.File("Report.BAK")), "first\r\n");
    SaveWithBackup(log, "third\r\n");
    EXPECT_EQ(ReadBytes(log), "third\r\n");
    EXPECT_EQ(ReadBytes(dir.File("Report.BAK")), "second\r\n");
    // Nothing else is left behind in the directory.
    EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"Report.BAK", "Report.log"}));
}

TEST(LogSave, NameWithoutExtension) {
    TempDir dir;
    WriteBytes(dir.File("flight"), "old");
    SaveWithBackup(dir.File("flight"), "new");
    EXPECT_EQ(ReadBytes(dir.File("flight")), "new");
    EXPECT_EQ(ReadBytes(dir.File("flight.BAK")), "old");
}

TEST(LogSave, NewFileKeepsAnUnrelatedBackup) {
    TempDir dir;
    WriteBytes(dir.File("Report.BAK"), "backup of a log since deleted");
    SaveWithBackup(dir.File("Report.log"), "new");
    EXPECT_EQ(ReadBytes(dir.File("Report.log")), "new");
    EXPECT_EQ(ReadBytes(dir.File("Report.BAK")), "backup of a log since deleted");
}

TEST(LogSave, FileNamedLikeItsBackupIsStillSaved) {
    TempDir dir;
    WriteBytes(dir.File("Report.BAK"), "old");
    SaveWithBackup(dir.File("Report.BAK"), "new");
    EXPECT_EQ(ReadBytes(dir.File("Report.BAK")), "new");
    EXPECT_EQ(Names(dir.path()), std::set<std::string>{"Report.BAK"});
}

TEST(LogSave, KeepsThePermissionsOfTheFile) {
    TempDir dir;
    const std::string log = dir.File("Report.log");
    WriteBytes(log, "old");
    ASSERT_EQ(::chmod(log.c_str(), 0600), 0);
    SaveWithBackup(log, "new");
    struct stat st {};
    ASSERT_EQ(::stat(log.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST(LogSave, DirectoryInPlaceOfTheFileFails) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("Report.log"));
    try {
        SaveWithBackup(dir.File("Report.log"), "new");
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + dir.File("Report.log"));
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("Report.log")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("Report.BAK")));
}

// Runs the save in a child process prepared by the given step (limits, user)
// and returns its error text, empty when it succeeded.
std::string SaveInChild(const std::string& path, const std::string& contents, bool (*prepare)()) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        std::string result;
        if (!prepare()) {
            result = "cannot prepare the child";
        } else {
            try {
                SaveWithBackup(path, contents);
            } catch (const Error& e) {
                result = e.what();
            }
        }
        [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string result;
    char buf[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;) result.append(buf, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return result;
}

// As root the permission bits would not stop us, so the child drops to "nobody".
bool DropToNobody() { return ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0); }

// Files may grow to 8 bytes only: the write of the new content fails half way.
bool LimitFileSize() {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{8, 8};
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

TEST(LogSave, FailedWriteLeavesBothFilesAsTheyWere) {
    TempDir dir;
    const std::string log = dir.File("Report.log");
    WriteBytes(log, "current\r\n");
    WriteBytes(dir.File("Report.BAK"), "previous\r\n");
    EXPECT_EQ(SaveInChild(log, "a new text longer than the limit\r\n", &LimitFileSize), "Cannot create file " + log);
    EXPECT_EQ(ReadBytes(log), "current\r\n");
    EXPECT_EQ(ReadBytes(dir.File("Report.BAK")), "previous\r\n");
    EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"Report.BAK", "Report.log"}));
}

TEST(LogSave, FailureInAReadOnlyDirectoryChangesNothing) {
    TempDir dir;
    const std::string log = dir.File("Report.log");
    WriteBytes(log, "current\r\n");
    WriteBytes(dir.File("Report.BAK"), "previous\r\n");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    const std::string message = SaveInChild(log, "new\r\n", &DropToNobody);
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(message, "Cannot create file " + log);
    EXPECT_EQ(ReadBytes(log), "current\r\n");
    EXPECT_EQ(ReadBytes(dir.File("Report.BAK")), "previous\r\n");
    EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"Report.BAK", "Report.log"}));
}

}  // namespace
}  // namespace kestrova::review
