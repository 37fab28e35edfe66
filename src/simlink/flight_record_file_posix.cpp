#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "core/error.h"
#include "core/lines.h"
#include "core/messages.h"
#include "platform/platform.h"
#include "simlink/flight_record_file.h"

namespace kestrova {

std::vector<std::string> LoadFlightRecord(const std::string& workingDirectory) {
    const std::string path = FlightRecordPath(workingDirectory);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw Error(msg::Format(msg::kCannotOpenFile, path));
    // A recorder holds LOCK_EX for as long as it writes; refuse to share with it.
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        ::close(fd);
        throw Error(msg::Format(msg::kCannotOpenFile, path));
    }
    std::string contents;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            throw Error(msg::Format(msg::kCannotOpenFile, path));
        }
        if (n == 0) break;
        if (contents.size() + static_cast<size_t>(n) > platform::kMaxFileSize) {
            ::close(fd);
            throw Error(msg::Format(msg::kFileTooLarge, path));
        }
        contents.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return SplitLines(contents);
}

bool FlightRecordWriter::Open(const std::string& path, bool append) {
    Close();
    // No O_TRUNC here: the file is emptied only once it is ours, never under a reader.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : 0), 0666);
    if (fd < 0) return false;
    // A reader holds its shared lock only while it reads the file: wait briefly for it.
    bool locked = false;
    for (int attempt = 0; attempt < 40 && !locked; ++attempt) {
        locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (!locked) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!locked || (!append && ::ftruncate(fd, 0) != 0)) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return false;
    }
    handle_ = fd;
    return true;
}

bool FlightRecordWriter::WriteLine(const std::string& line) {
    if (handle_ == kNoHandle) return false;
    const int fd = static_cast<int>(handle_);
    const std::string data = line + "\r\n";
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return ::fdatasync(fd) == 0 || errno == EINVAL;
}

bool FlightRecordWriter::Close() {
    if (handle_ == kNoHandle) return true;
    const int fd = static_cast<int>(handle_);
    handle_ = kNoHandle;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    const bool closed = ::close(fd) == 0;
    if (closed && !synced) errno = error;
    return closed && synced;
}

}  // namespace kestrova
