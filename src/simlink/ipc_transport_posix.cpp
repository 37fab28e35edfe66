#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>

#include "simlink/wire_words.h"
#include "simlink/ipc_transport.h"
#include "simlink/posix_wire.h"

namespace kestrova {

namespace posixwire {

std::string RuntimeDirectory() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && *xdg != '\0') return xdg;
    const std::string dir = "/tmp/kestrova-run-" + std::to_string(::geteuid());
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return {};
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return {};
    if ((st.st_mode & 0077) != 0 && ::chmod(dir.c_str(), 0700) != 0) return {};
    return dir;
}

std::string WindowSocketPath(const std::string& windowClass) {
    const std::string dir = RuntimeDirectory();
    if (dir.empty()) return {};
    return dir + "/" + windowClass;
}

}  // namespace posixwire

namespace {

using wire::PutWord;

using Clock = std::chrono::steady_clock;

int ConnectTo(const std::string& path) {
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) return -1;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Reads the 4-byte reply, waiting at most until the deadline.
bool ReceiveReply(int fd, Clock::time_point deadline, uint32_t& reply) {
    uint8_t buf[4];
    size_t got = 0;
    while (got < sizeof buf) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p {fd, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        const ssize_t n = ::recv(fd, buf + got, sizeof buf - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<size_t>(n);
    }
    reply = static_cast<uint32_t>(buf[0]) | static_cast<uint32_t>(buf[1]) << 8 | static_cast<uint32_t>(buf[2]) << 16 |
            static_cast<uint32_t>(buf[3]) << 24;
    return true;
}

bool Exchange(int fd, uint32_t message, uint16_t atom, const std::string& name, uint32_t timeoutMs,
              uint32_t& reply) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t frame[posixwire::kFrameHeaderSize + posixwire::kMaxBlockNameLength];
    if (name.size() > posixwire::kMaxBlockNameLength) return false;
    PutWord(frame, message);
    PutWord(frame + 4, atom);
    PutWord(frame + 8, static_cast<uint32_t>(name.size()));
    std::memcpy(frame + posixwire::kFrameHeaderSize, name.data(), name.size());
    if (!SendAll(fd, frame, posixwire::kFrameHeaderSize + name.size())) return false;
    return ReceiveReply(fd, deadline, reply);
}

class PosixTransport final : public IpcTransport {
public:
    SimWindow FindSimulatorWindow(const std::string& windowClass) override {
        // The window is there when its socket accepts a connection and says
        // which simulator instance it is.
        const std::string path = posixwire::WindowSocketPath(windowClass);
        const int fd = ConnectTo(path);
        if (fd < 0) return {};
        uint32_t instance = 0;
        const bool answered = Exchange(fd, posixwire::kHelloMessage, 0, {}, 2000, instance) && instance != 0;
        ::close(fd);
        if (!answered) return {};
        return SimWindow{instance, path};
    }

    uint32_t RegisterMessage(const char* name) override {
        return (name != nullptr && *name != '\0') ? posixwire::kRequestMessage : 0;
    }

    uint32_t CurrentProcessId() override { return static_cast<uint32_t>(::getpid()); }

    uint16_t AddAtom(const std::string& name) override {
        if (name.empty() || name.size() + 1 > posixwire::kMaxBlockNameLength) return 0;
        for (uint16_t atom = 0xC000; atom != 0; ++atom) {
            if (atoms_.count(atom) == 0) {
                atoms_[atom] = name;
                return atom;
            }
        }
        return 0;
    }

    void DeleteAtom(uint16_t atom) override { atoms_.erase(atom); }

    std::intptr_t CreateMapping(const std::string& name, uint32_t size) override {
        const std::string shmName = posixwire::SharedMemoryName(name);
        // Exclusive, as a name that already exists must fail the open.
        const int fd = ::shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) return 0;
        if (::ftruncate(fd, size) != 0) {
            ::close(fd);
            ::shm_unlink(shmName.c_str());
            return 0;
        }
        mappings_[fd] = shmName;
        return fd;
    }

    void* MapView(std::intptr_t mapping, uint32_t size) override {
        void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, static_cast<int>(mapping), 0);
        return view == MAP_FAILED ? nullptr : view;
    }

    void UnmapView(void* view, uint32_t size) override { ::munmap(view, size); }

    void CloseMapping(std::intptr_t mapping) override {
        const int fd = static_cast<int>(mapping);
        if (auto it = mappings_.find(fd); it != mappings_.end()) {
            ::shm_unlink(it->second.c_str());
            mappings_.erase(it);
        }
        ::close(fd);
    }

    bool SendRequest(const SimWindow& window, uint32_t message, uint16_t atom, uint32_t timeoutMs,
                     uint32_t& reply) override {
        const auto name = atoms_.find(atom);
        if (!window || name == atoms_.end()) return false;
        if (connection_ < 0 || connectedTo_ != window.address) {
            ReleaseWindow();
            connection_ = ConnectTo(window.address);
            if (connection_ < 0) return false;
            connectedTo_ = window.address;
            // Only the simulator instance the window was found on will do.
            uint32_t instance = 0;
            if (!Exchange(connection_, posixwire::kHelloMessage, 0, {}, timeoutMs, instance) ||
                instance != window.handle) {
                ReleaseWindow();
                return false;
            }
        }
        if (Exchange(connection_, message, atom, posixwire::SharedMemoryName(name->second), timeoutMs, reply))
            return true;
        // A late reply must not be taken for the next request's: start afresh.
        ReleaseWindow();
        return false;
    }

    void ReleaseWindow() override {
        if (connection_ >= 0) ::close(connection_);
        connection_ = -1;
        connectedTo_.clear();
    }

private:
    std::map<uint16_t, std::string> atoms_;
    std::map<int, std::string> mappings_;
    int connection_ = -1;
    std::string connectedTo_;
};

}  // namespace

IpcTransport& PlatformTransport() {
    static PosixTransport transport;
    return transport;
}

}  // namespace kestrova
