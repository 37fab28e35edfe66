#include <dirent.h>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"
#include "core/messages.h"
#include "platform/platform.h"

namespace kestrova::platform {

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return (v != nullptr && *v != '\0') ? std::string(v) : fallback;
}

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

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Makes sure dir exists, is ours, is a real directory and is closed to others.
bool EnsurePrivateDirectory(const std::string& dir) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        errno = EPERM;
        return false;
    }
    if ((st.st_mode & 0077) != 0 && ::chmod(dir.c_str(), 0700) != 0) return false;
    return true;
}

// Converts a strftime pattern of the locale into our pattern tokens and
// picks the separator that follows the first field.
std::string FromStrftime(std::string_view in, bool& twelveHour) {
    std::string out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '%' || i + 1 >= in.size()) {
            out += in[i];
            continue;
        }
        char c = in[++i];
        bool noPad = false;
        while ((c == '-' || c == '_' || c == '0' || c == 'E' || c == 'O') && i + 1 < in.size()) {
            noPad = noPad || c == '-' || c == '_';
            c = in[++i];
        }
        switch (c) {
            case 'H': out += noPad ? "h" : "hh"; break;
            case 'k': out += "h"; break;
            case 'I': out += noPad ? "h" : "hh"; twelveHour = true; break;
            case 'l': out += "h"; twelveHour = true; break;
            case 'M': out += noPad ? "n" : "nn"; break;
            case 'S': out += noPad ? "s" : "ss"; break;
            case 'p': case 'P': out += "ampm"; twelveHour = true; break;
            case 'T': out += "hh:nn:ss"; break;
            case 'R': out += "hh:nn"; break;
            case 'r': out += "hh:nn:ss ampm"; twelveHour = true; break;
            case 'd': out += noPad ? "d" : "dd"; break;
            case 'e': out += "d"; break;
            case 'm': out += noPad ? "m" : "mm"; break;
            case 'y': out += "yy"; break;
            case 'Y': out += "yyyy"; break;
            case 'D': out += "mm/dd/yy"; break;
            case 'F': out += "yyyy-mm-dd"; break;
            case '%': out += '%'; break;
            default: break;  // fields we do not show (weekday names, time zone)
        }
    }
    return out;
}

// The first character after the first field of a converted pattern that is
// not a field letter or a blank; that is the locale's separator.
char SeparatorAfterFirstField(const std::string& pattern, std::string_view letters, char fallback) {
    size_t i = pattern.find_first_of(letters);
    if (i == std::string::npos) return fallback;
    while (i < pattern.size() && letters.find(pattern[i]) != std::string_view::npos) ++i;
    if (i < pattern.size() && pattern[i] != ' ') return pattern[i];
    return fallback;
}

std::string ReplaceChar(std::string s, char from, char to) {
    for (char& c : s)
        if (c == from) c = to;
    return s;
}

// Temporaries of a save of "name" are ".name.<pid>.XXXXXX" beside it.
std::string TemporaryPrefix(const std::string& base) { return "." + base + "."; }

bool ProcessAlive(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

// A save killed between creating its temporary and the rename leaves the
// temporary behind. Removes those of this file whose writer is gone; a live
// writer's own file is never touched.
void RemoveStaleTemporaries(const std::string& dir, const std::string& base) {
    const std::string prefix = TemporaryPrefix(base);
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) return;
    std::vector<std::string> stale;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (name.size() <= prefix.size() + 8 || name.substr(0, prefix.size()) != prefix) continue;
        const std::string_view rest = name.substr(prefix.size());  // "<pid>.XXXXXX"
        const auto dot = rest.find('.');
        if (dot == std::string_view::npos || rest.size() - dot - 1 != 6) continue;
        pid_t pid = 0;
        const auto [end, ec] = std::from_chars(rest.data(), rest.data() + dot, pid);
        if (ec != std::errc() || end != rest.data() + dot || pid <= 0 || ProcessAlive(pid)) continue;
        stale.emplace_back(name);
    }
    ::closedir(d);
    for (const std::string& name : stale) {
        const std::string path = JoinPath(dir, name);
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
            ::unlink(path.c_str());
    }
}

}  // namespace

std::string SystemTempDirectory() {
    std::string base = EnvOr("TMPDIR", "/tmp");
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    const std::string dir = base + "/kestrova-" + std::to_string(::geteuid());
    if (!EnsurePrivateDirectory(dir)) throw Error(msg::Format(msg::kCannotCreateFile, dir));
    return dir + "/";
}

std::string CreateUniqueTempFile(const std::string& directory, const std::string& prefix) {
    std::string pattern = JoinPath(directory, prefix + "XXXXXX");
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) throw Error(msg::Format(msg::kCannotCreateFile, pattern));
    ::close(fd);
    return pattern;
}

bool MoveToRecycleBin(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    const std::string home = EnvOr("HOME", "");
    const std::string dataHome = EnvOr("XDG_DATA_HOME", home.empty() ? "" : home + "/.local/share");
    if (!dataHome.empty()) {
        const std::string trash = dataHome + "/Trash";
        ::mkdir(dataHome.c_str(), 0700);
        if (EnsurePrivateDirectory(trash) && EnsurePrivateDirectory(trash + "/files") &&
            EnsurePrivateDirectory(trash + "/info")) {
            std::string absolute = path;
            if (absolute.empty() || absolute[0] != '/') absolute = JoinPath(CurrentDirectory(), path);
            const auto slash = absolute.find_last_of('/');
            const std::string base = absolute.substr(slash + 1);
            // Claim a free name in info/ first (O_EXCL), as the trash layout asks.
            for (int n = 0; n < 1000; ++n) {
                const std::string name = n == 0 ? base : base + "." + std::to_string(n);
                const std::string info = trash + "/info/" + name + ".trashinfo";
                const int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
                if (fd < 0) {
                    if (errno == EEXIST) continue;
                    break;
                }
                std::string encoded;
                static const char* hex = "0123456789ABCDEF";
                for (unsigned char c : absolute) {
                    if (std::isalnum(c) || std::strchr("/-_.~", c) != nullptr) {
                        encoded += static_cast<char>(c);
                    } else {
                        encoded += '%';
                        encoded += hex[c >> 4];
                        encoded += hex[c & 15];
                    }
                }
                char when[32];
                const std::time_t now = std::time(nullptr);
                std::tm tm {};
                ::localtime_r(&now, &tm);
                std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", &tm);
                const std::string body =
                    "[Trash Info]\nPath=" + encoded + "\nDeletionDate=" + std::string(when) + "\n";
                const bool written = WriteAll(fd, body);
                ::close(fd);
                if (written && ::rename(absolute.c_str(), (trash + "/files/" + name).c_str()) == 0) return true;
                ::unlink(info.c_str());
                break;
            }
        }
    }
    // No trash on this file system: delete it, as the caller asked it gone.
    return ::unlink(path.c_str()) == 0;
}

LocaleFormats CurrentLocaleFormats() {
    LocaleFormats formats;
    locale_t loc = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (loc == static_cast<locale_t>(nullptr)) return formats;
    bool twelveHour = false;
    std::string timePattern = FromStrftime(::nl_langinfo_l(T_FMT, loc), twelveHour);
    bool unused = false;
    std::string datePattern = FromStrftime(::nl_langinfo_l(D_FMT, loc), unused);
    ::freelocale(loc);
    if (!timePattern.empty()) {
        formats.timeSeparator = SeparatorAfterFirstField(timePattern, "hns", ':');
        formats.longTimeFormat = ReplaceChar(timePattern, formats.timeSeparator, ':');
    }
    if (!datePattern.empty()) {
        formats.dateSeparator = SeparatorAfterFirstField(datePattern, "dmy", '/');
        formats.shortDateFormat = ReplaceChar(datePattern, formats.dateSeparator, '/');
    }
    return formats;
}

double CurrentDateTime() {
    struct timespec ts {};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm {};
    ::localtime_r(&ts.tv_sec, &tm);
    return EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) +
           EncodeTime(tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ts.tv_nsec / 1000000));
}

std::string CurrentDirectory() {
    std::string buf(4096, '\0');
    while (::getcwd(buf.data(), buf.size()) == nullptr) {
        if (errno != ERANGE) return ".";
        buf.resize(buf.size() * 2);
    }
    buf.resize(std::strlen(buf.c_str()));
    return buf;
}

std::string ExecutableDirectory() {
    std::string buf(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return CurrentDirectory() + "/";
    buf.resize(static_cast<size_t>(n));
    return DirectoryOf(buf) == "/" ? "/" : DirectoryOf(buf) + "/";
}

std::string FindFileNoCase(const std::string& directory, const std::string& name) {
    const std::string exact = JoinPath(directory, name);
    if (FileExists(exact)) return exact;
    const std::string wanted = Lower(name);
    if (DIR* d = ::opendir(directory.empty() ? "." : directory.c_str())) {
        std::string found;
        while (const dirent* e = ::readdir(d)) {
            if (Lower(e->d_name) == wanted) {
                found = e->d_name;
                break;
            }
        }
        ::closedir(d);
        if (!found.empty()) return JoinPath(directory, found);
    }
    return exact;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::string data;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int saved = errno;
            ::close(fd);
            errno = saved;
            return false;
        }
        if (n == 0) break;
        // A device or a file still growing would otherwise take all memory.
        if (data.size() + static_cast<size_t>(n) > kMaxFileSize) {
            ::close(fd);
            errno = EFBIG;
            return false;
        }
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    contents = std::move(data);
    return true;
}

int ReplaceFileAtomically(const std::string& path, std::string_view contents) {
    return ReplaceFileAtomically(path, contents, {});
}

int ReplaceFileAtomically(const std::string& path, std::string_view contents,
                          const std::function<void()>& beforeReplace) {
    const std::string dir = DirectoryOf(path);
    const auto slash = path.find_last_of('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    // The rename below ignores the target's mode: a file that a write open
    // would refuse is refused here, before anything is written.
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return errno;
    RemoveStaleTemporaries(dir, base);
    // The pid in the name tells a later save whether the writer is still alive.
    std::string temp = JoinPath(dir, TemporaryPrefix(base) + std::to_string(::getpid()) + ".XXXXXX");
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return errno;
    // Keep the permissions of the file being replaced; new files get the usual 0666 & ~umask.
    if (exists) {
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    int error = 0;
    if (!WriteAll(fd, contents) || ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && beforeReplace) beforeReplace();
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return error;
    }
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return 0;
}

bool LinkOrMove(const std::string& from, const std::string& to) {
    struct stat a {}, b {};
    if (::stat(from.c_str(), &a) == 0 && ::stat(to.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino)
        return true;
    // A link under a name of its own, renamed over the target: the old target
    // stays until the new one takes its place, whatever fails.
    const std::string temporary = to + "." + std::to_string(::getpid()) + ".lnk";
    ::unlink(temporary.c_str());
    if (::link(from.c_str(), temporary.c_str()) == 0) {
        if (::rename(temporary.c_str(), to.c_str()) == 0) return true;
        ::unlink(temporary.c_str());
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ErrorText(int error) { return std::strerror(error); }

}  // namespace kestrova::platform

namespace kestrova::platform {

bool IsWritableDirectory(const std::string& path) {
    return IsDirectory(path) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::string EnvironmentValue(const std::string& name) {
    const char* v = std::getenv(name.c_str());
    return v == nullptr ? std::string() : std::string(v);
}

}  // namespace kestrova::platform
