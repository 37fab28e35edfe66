#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "core/error.h"
#include "core/lines.h"
#include "core/messages.h"
#include "platform/platform.h"
#include "simlink/flight_record_file.h"

namespace kestrova {

std::string FlightRecordPath(const std::string& workingDirectory) {
    return platform::FindFileNoCase(workingDirectory, kFlightRecordName);
}

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
        contents.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return SplitLines(contents);
}

}  // namespace kestrova
