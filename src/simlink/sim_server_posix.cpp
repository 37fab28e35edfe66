#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>

#include "simlink/wire_words.h"
#include "simlink/ipc_client.h"
#include "simlink/posix_wire.h"
#include "simlink/recorder.h"
#include "simlink/sim_server.h"

namespace kestrova {

namespace {

using wire::GetWord;
using wire::PutWord;

bool ReadFull(int fd, uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::recv(fd, data, size, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void SendWord(int fd, uint32_t value) {
    uint8_t buf[4];
    PutWord(buf, value);
    size_t done = 0;
    while (done < sizeof buf) {
        const ssize_t n = ::send(fd, buf + done, sizeof buf - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

bool ValidBlockName(const std::string& name) {
    const std::string prefix = posixwire::SharedMemoryName(kIpcMessageName) + ":";
    return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           name.find('/', 1) == std::string::npos;
}

}  // namespace

struct SimServer::Client : LinkKeys {
    int fd = -1;
    bool link = false;  // has sent a request (a ping-only connection is no link)
    std::string blockName;
    uint8_t* block = nullptr;
    size_t blockSize = 0;

    void Unmap() {
        if (block != nullptr) ::munmap(block, blockSize);
        block = nullptr;
        blockSize = 0;
        blockName.clear();
    }
};

std::string SimServer::Start() {
    if (thread_.joinable()) return {};
    socketPath_ = posixwire::WindowSocketPath(windowClass_);
    if (socketPath_.empty()) return "no runtime directory for the simulator socket";
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    if (socketPath_.size() >= sizeof addr.sun_path) return "socket path too long: " + socketPath_;
    std::memcpy(addr.sun_path, socketPath_.c_str(), socketPath_.size() + 1);

    // A socket file nobody answers on is left from a simulator that died.
    if (const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0); probe >= 0) {
        const bool live = ::connect(probe, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
        ::close(probe);
        if (live) return "another simulator is already serving " + socketPath_;
    }
    ::unlink(socketPath_.c_str());

    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) return "cannot create a socket";
    if (::bind(listenFd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 16) != 0) {
        const std::string error = "cannot listen on " + socketPath_ + ": " + std::strerror(errno);
        ::close(listenFd_);
        listenFd_ = -1;
        return error;
    }
    if (::pipe2(wakePipe_, O_CLOEXEC) != 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        ::unlink(socketPath_.c_str());
        return "cannot create a pipe";
    }
    // A new number for every start, never 0.
    std::random_device random;
    do {
        instance_ = random() ^ static_cast<uint32_t>(::getpid()) ^
                    static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    } while (instance_ == 0);
    thread_ = std::thread(&SimServer::Serve, this);
    return {};
}

void SimServer::Stop() {
    if (!thread_.joinable()) return;
    const char wake = 'x';
    [[maybe_unused]] const ssize_t n = ::write(wakePipe_[1], &wake, 1);
    thread_.join();
    for (Client* c : clients_) {
        c->Unmap();
        ::close(c->fd);
        delete c;
    }
    clients_.clear();
    ::close(listenFd_);
    listenFd_ = -1;
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
    wakePipe_[0] = wakePipe_[1] = -1;
    ::unlink(socketPath_.c_str());
    std::lock_guard lock(mutex_);
    openLinks_ = 0;
    changed_.notify_all();
}

bool SimServer::WaitWake(std::chrono::milliseconds delay, int clientFd) {
    // Ends early when the server stops or the client gives up on the answer.
    pollfd p[2] = {{wakePipe_[0], POLLIN, 0}, {clientFd, POLLIN, 0}};
    return ::poll(p, 2, static_cast<int>(delay.count())) > 0;
}

void SimServer::Serve() {
    for (;;) {
        std::vector<pollfd> fds;
        fds.push_back({wakePipe_[0], POLLIN, 0});
        fds.push_back({listenFd_, POLLIN, 0});
        for (Client* c : clients_) fds.push_back({c->fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents != 0) return;
        if ((fds[1].revents & POLLIN) != 0) {
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                // A client that stops half-way through a frame must not hold the simulator.
                timeval tv {2, 0};
                ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
                auto* client = new Client;
                client->fd = fd;
                clients_.push_back(client);
            }
        }
        for (size_t i = 2; i < fds.size(); ++i) {
            if (fds[i].revents == 0) continue;
            Client* c = clients_[i - 2];
            if (!HandleFrame(*c)) {
                c->Unmap();
                ::close(c->fd);
                c->fd = -1;
                if (c->link) LinkClosed();
            }
        }
        clients_.erase(std::remove_if(clients_.begin(), clients_.end(),
                                      [](Client* c) {
                                          if (c->fd >= 0) return false;
                                          delete c;
                                          return true;
                                      }),
                       clients_.end());
    }
}

bool SimServer::HandleFrame(Client& client) {
    uint8_t header[posixwire::kFrameHeaderSize];
    if (!ReadFull(client.fd, header, sizeof header)) return false;
    const uint32_t message = GetWord(header);
    const uint32_t length = GetWord(header + 8);
    if (length > posixwire::kMaxBlockNameLength) return false;
    std::string name(length, '\0');
    if (length > 0 && !ReadFull(client.fd, reinterpret_cast<uint8_t*>(name.data()), length)) return false;

    if (message == posixwire::kHelloMessage && name.empty()) {
        SendWord(client.fd, instance_);
        return true;
    }
    if (message != posixwire::kRequestMessage || !ValidBlockName(name)) {
        SendWord(client.fd, 0);
        return true;
    }
    if (!client.link) {
        client.link = true;
        LinkOpened();
    }
    if (client.blockName != name) {
        client.Unmap();
        const int fd = ::shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0);
        struct stat st {};
        if (fd >= 0 && ::fstat(fd, &st) == 0 && st.st_size >= 4) {
            void* view = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            if (view != MAP_FAILED) {
                client.block = static_cast<uint8_t*>(view);
                client.blockSize = static_cast<size_t>(st.st_size);
                client.blockName = name;
            }
        }
        if (fd >= 0) ::close(fd);
        if (client.block == nullptr) {
            SendWord(client.fd, 0);
            return true;
        }
        NoteBlockName(name.substr(1));
    }
    if (Silent()) return true;  // taken in, never answered
    const std::chrono::milliseconds delay = ReplyDelay();
    if (delay.count() > 0 && WaitWake(delay, client.fd)) return false;
    SendWord(client.fd, Process(client.block, client.blockSize, client));
    return true;
}

}  // namespace kestrova
