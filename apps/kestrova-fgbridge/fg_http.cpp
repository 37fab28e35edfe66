#include "fg_http.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace kestrova::fg {

namespace {

class Socket {
public:
    ~Socket() {
        if (fd_ >= 0) ::close(fd_);
    }
    int fd_ = -1;
};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

bool DecodeChunked(const std::string& chunked, std::string& body) {
    body.clear();
    size_t pos = 0;
    for (;;) {
        const size_t eol = chunked.find("\r\n", pos);
        if (eol == std::string::npos) return false;
        size_t size = 0;
        const auto r = std::from_chars(chunked.data() + pos, chunked.data() + eol, size, 16);
        if (r.ec != std::errc() || r.ptr == chunked.data() + pos) return false;
        pos = eol + 2;
        if (size == 0) return true;
        if (chunked.size() < pos + size + 2) return false;
        body.append(chunked, pos, size);
        pos += size + 2;
    }
}

HttpReply HttpExchange(const std::string& host, int port, const std::string& method, const std::string& path,
                       const std::string& body, std::chrono::milliseconds timeout) {
    HttpReply reply;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || found == nullptr) {
        reply.error = "unknown host " + host;
        return reply;
    }
    Socket sock;
    int lastErrno = 0;
    for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
        sock.fd_ = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (sock.fd_ < 0) continue;
        if (::connect(sock.fd_, a->ai_addr, a->ai_addrlen) == 0) break;
        lastErrno = errno;
        ::close(sock.fd_);
        sock.fd_ = -1;
    }
    ::freeaddrinfo(found);
    if (sock.fd_ < 0) {
        reply.error = "cannot connect to " + host + ":" + std::to_string(port) + ": " + std::strerror(lastErrno);
        return reply;
    }

    std::string request = method + " " + path + " HTTP/1.1\r\nHost: " + host + ":" + std::to_string(port) +
                          "\r\nConnection: close\r\n";
    if (!body.empty() || method == "POST")
        request += "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    request += "\r\n" + body;
    size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(sock.fd_, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            reply.error = std::string("cannot send the request: ") + std::strerror(errno);
            return reply;
        }
        sent += static_cast<size_t>(n);
    }

    std::string raw;
    char buf[16384];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            reply.error = "no answer within " + std::to_string(timeout.count()) + " ms";
            return reply;
        }
        pollfd p {sock.fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        const ssize_t n = ::recv(sock.fd_, buf, sizeof buf, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            reply.error = std::string("connection broken: ") + std::strerror(errno);
            return reply;
        }
        if (n == 0) break;
        raw.append(buf, static_cast<size_t>(n));
        // Stop at a complete Content-Length body; some servers keep the line open.
        const size_t headEnd = raw.find("\r\n\r\n");
        if (headEnd != std::string::npos) {
            const std::string head = Lower(raw.substr(0, headEnd));
            const size_t cl = head.find("\r\ncontent-length:");
            if (cl != std::string::npos) {
                size_t length = 0;
                size_t at = cl + 17;
                while (at < head.size() && head[at] == ' ') ++at;
                std::from_chars(head.data() + at, head.data() + head.size(), length);
                if (raw.size() >= headEnd + 4 + length) {
                    raw.resize(headEnd + 4 + length);
                    break;
                }
            }
        }
    }
    const size_t headEnd = raw.find("\r\n\r\n");
    if (raw.compare(0, 5, "HTTP/") != 0 || headEnd == std::string::npos) {
        reply.error = "not an HTTP answer";
        return reply;
    }
    const size_t space = raw.find(' ');
    std::from_chars(raw.data() + space + 1, raw.data() + raw.size(), reply.status);
    const std::string head = Lower(raw.substr(0, headEnd));
    reply.body = raw.substr(headEnd + 4);
    if (head.find("transfer-encoding: chunked") != std::string::npos) {
        std::string decoded;
        if (!DecodeChunked(reply.body, decoded)) {
            reply.status = 0;
            reply.error = "bad chunked body";
            return reply;
        }
        reply.body = decoded;
    }
    return reply;
}

}  // namespace kestrova::fg
