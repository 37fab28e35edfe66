#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fg_bridge.h"
#include "fg_props.h"

// Fakes of FlightGear for the bridge's tests: the property server's answers,
// and the same answers over real HTTP for the bridge program.
namespace kestrova::fg {

// FlightGear's property server as the bridge sees it: the add-on's tree with
// key counters the test turns, and the texts written to the message node.
class FakeFlightGear {
public:
    HttpReply Exchange(const std::string& method, const std::string& path, const std::string& body) {
        std::lock_guard lock(mutex_);
        if (!running) return {0, "", "connection refused"};
        if (method == "POST" && path == kMessagePath) {
            std::string error;
            const auto props = ParsePropertyTree(body, error);
            if (props && props->count("text")) shown.push_back(props->at("text") + "|" + props->at("seconds"));
            return {200, "{}", ""};
        }
        if (method != "GET" || path != kReadPath) return {404, "", ""};
        if (!addon) return {404, "", ""};
        return {200, Tree(), ""};
    }
    std::string Tree() const {
        auto leaf = [](const std::string& name, const std::string& value) {
            return "{\"name\":\"" + name + "\",\"index\":0,\"value\":" + value + ",\"nChildren\":0}";
        };
        return "{\"name\":\"kestrova\",\"children\":[" + leaf("ready", ready ? "1" : "0") +
               ",{\"name\":\"keys\",\"children\":[" + leaf("waypoint", std::to_string(waypoints)) + "," +
               leaf("end", std::to_string(ends)) + "]},{\"name\":\"sim\",\"children\":[" + leaf("utc-hour", "14") +
               "," + leaf("utc-minute", std::to_string(minute)) + "," + leaf("altitude-ft", "4500") + "," +
               leaf("title", "\"c172p\"") + ",{\"name\":\"tank\",\"index\":0,\"children\":[" +
               leaf("level-gal_us", "20") + "," + leaf("capacity-gal_us", "20") + "]}]}]}";
    }
    std::vector<std::string> Shown() {
        std::lock_guard lock(mutex_);
        return shown;
    }
    void Set(const std::function<void(FakeFlightGear&)>& change) {
        std::lock_guard lock(mutex_);
        change(*this);
    }

    std::mutex mutex_;
    bool running = true;
    bool addon = true;
    bool ready = true;
    long waypoints = 0;
    long ends = 0;
    int minute = 0;
    std::vector<std::string> shown;
};

// FakeFlightGear over HTTP on a free port of 127.0.0.1, one request per
// connection, as FlightGear's property server answers the bridge.
class FakeFlightGearServer {
public:
    explicit FakeFlightGearServer(FakeFlightGear& fg) : fg_(fg) {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof addr;
        if (::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listen_, 16) != 0 ||
            ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &length) != 0)
            return;
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeFlightGearServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        ::close(listen_);
    }
    int Port() const { return port_; }
    int Requests() const { return requests_; }

private:
    void Serve() {
        while (!stop_) {
            pollfd p {listen_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            Answer(fd);
            ::close(fd);
        }
    }
    void Answer(int fd) {
        std::string request;
        char buf[4096];
        size_t headerEnd = std::string::npos;
        size_t wanted = 0;
        for (;;) {
            pollfd p {fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0) return;
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) return;
            request.append(buf, static_cast<size_t>(n));
            if (headerEnd == std::string::npos && (headerEnd = request.find("\r\n\r\n")) != std::string::npos) {
                const size_t at = request.find("Content-Length: ");
                size_t length = 0;
                if (at != std::string::npos && at < headerEnd)
                    std::from_chars(request.data() + at + 16, request.data() + headerEnd, length);
                wanted = headerEnd + 4 + length;
            }
            if (headerEnd != std::string::npos && request.size() >= wanted) break;
        }
        const size_t space1 = request.find(' '), space2 = request.find(' ', space1 + 1);
        const HttpReply reply = fg_.Exchange(request.substr(0, space1), request.substr(space1 + 1, space2 - space1 - 1),
                                             request.substr(headerEnd + 4));
        ++requests_;
        if (reply.status == 0) return;  // a FlightGear that does not answer
        const std::string answer = "HTTP/1.1 " + std::to_string(reply.status) +
                                   " X\r\nContent-Type: application/json\r\nContent-Length: " +
                                   std::to_string(reply.body.size()) + "\r\nConnection: close\r\n\r\n" + reply.body;
        [[maybe_unused]] const ssize_t n = ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
    }

    FakeFlightGear& fg_;
    int listen_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_ {false};
    std::atomic<int> requests_ {0};
    std::thread thread_;
};

// A port nobody listens on (just given back by the system): FlightGear not running.
inline int ClosedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    ::close(fd);
    return ntohs(addr.sin_port);
}

}  // namespace kestrova::fg
