#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/error.h"
#include "platform/platform.h"
#include "review/log_save.h"

namespace kestrova::review {

namespace {

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// The new content in a temporary file beside the target, flushed to disk, with
// the permissions of the file it will replace. Empty when it cannot be made.
std::string WriteDurableTemp(const std::string& path, const struct stat* old, std::string_view contents) {
    const auto slash = path.find_last_of('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = platform::JoinPath(DirectoryOf(path), "." + base + ".XXXXXX");
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return {};
    if (old != nullptr) {
        ::fchmod(fd, old->st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    bool ok = WriteAll(fd, contents) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(temp.c_str());
        return {};
    }
    return temp;
}

}  // namespace

void SaveWithBackup(const std::string& path, std::string_view contents) {
    struct stat current {};
    const bool exists = ::stat(path.c_str(), &current) == 0;
    if (exists && !S_ISREG(current.st_mode)) throw CannotCreateFile(path);

    // Nothing moves until the new content is safely on disk.
    const std::string temp = WriteDurableTemp(path, exists ? &current : nullptr, contents);
    if (temp.empty()) throw CannotCreateFile(path);

    if (exists) {
        const std::string backup = BackupFileName(path);
        struct stat old {};
        const bool sameFile = ::stat(backup.c_str(), &old) == 0 && old.st_dev == current.st_dev &&
                              old.st_ino == current.st_ino;
        // A backup that cannot be made does not stop the save. A hard link
        // keeps the previous version under the file's own name until the new
        // one takes its place; where links are not supported the file moves.
        if (!sameFile) {
            ::unlink(backup.c_str());
            if (::link(path.c_str(), backup.c_str()) != 0) ::rename(path.c_str(), backup.c_str());
        }
    }

    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw CannotCreateFile(path);
    }
    const int dfd = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

}  // namespace kestrova::review
