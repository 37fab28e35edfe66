// kestrova-fgbridge: the simulator's side of the link, fed by FlightGear.
#include <csignal>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "fg_bridge.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

extern "C" void OnSignal(int) { gStop = 1; }

void PrintUsage(std::ostream& out) {
    out << "usage: kestrova-fgbridge [--host HOST] [--port PORT]\n\n"
           "Serves the simulator link for Kestrova from a running FlightGear, read through its\n"
           "property server (fgfs --httpd=PORT, default 5400, on localhost) and the Kestrova add-on\n"
           "(fgfs --addon=DIR, DIR being the add-on folder shipped with Kestrova). Waits for\n"
           "FlightGear to answer and closes the link when it stops answering.\n"
           "In FlightGear, Ctrl-K registers a waypoint and Ctrl-E ends the recording.\n";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kestrova;
    std::string host = "localhost";
    int port = 5400;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(std::cout);
            return 0;
        }
        if ((arg == "--host" || arg == "--port") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--host") {
                host = value;
                continue;
            }
            char* end = nullptr;
            const long p = std::strtol(value.c_str(), &end, 10);
            if (end != value.c_str() && *end == '\0' && p > 0 && p < 65536) {
                port = static_cast<int>(p);
                continue;
            }
        }
        PrintUsage(std::cerr);
        return 2;
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

    SimServer server;
    fg::FgBridge bridge(
        server,
        // FlightGear answers once a frame; a software-rendered frame on a busy
        // machine can take seconds.
        [&](const std::string& method, const std::string& path, const std::string& body) {
            return fg::HttpExchange(host, port, method, path, body, std::chrono::seconds(10));
        },
        std::cerr);
    std::cerr << "kestrova-fgbridge: reading FlightGear at " << host << ":" << port << std::endl;
    while (gStop == 0) {
        const fg::FgBridge::Round round = bridge.Step();
        // FlightGear answers once a frame; between frames there is nothing new.
        std::this_thread::sleep_for(round == fg::FgBridge::Round::Served ? std::chrono::milliseconds(100)
                                                                         : std::chrono::seconds(1));
    }
    bridge.Close();
    return 0;
}
