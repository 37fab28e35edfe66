#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Shared by the fuzz targets: one private scratch folder per process, on a
// memory file system where there is one (the savers fsync every file).
namespace kestrova::fuzz {

inline const std::string& ScratchDirectory() {
    static const std::string dir = [] {
        const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/kestrova-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) ::abort();
        // The readers' scratch files and the conversions' outputs land here too.
        ::setenv("TMPDIR", pattern.c_str(), 1);
        return pattern;
    }();
    return dir;
}

inline std::string ScratchFile(const std::string& name) { return ScratchDirectory() + "/" + name; }

// Plain write, no fsync: the fuzzed input of a reader.
inline void PutFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) ::abort();
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n <= 0) ::abort();
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    ::close(fd);
}

inline std::string_view AsText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace kestrova::fuzz
