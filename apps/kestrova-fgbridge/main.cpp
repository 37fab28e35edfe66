// kestrova-fgbridge: the simulator's side of the link, fed by FlightGear.
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "fg_bridge.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

extern "C" void OnSignal(int) { gStop = 1; }

void PrintUsage(std::ostream& out) {
    out << "usage: kestrova-fgbridge [--host HOST] [--port PORT] [--exit-without-flightgear] [--exit-with-parent]\n\n"
           "Serves the simulator link for Kestrova from a running FlightGear, read through its\n"
           "property server (fgfs --httpd=PORT, default 5400, on localhost) and the Kestrova add-on\n"
           "(fgfs --addon=DIR, DIR being the add-on folder shipped with Kestrova). Waits for\n"
           "FlightGear to answer and closes the link when it stops answering.\n"
           "In FlightGear, Ctrl-K registers a waypoint and Ctrl-E ends the recording.\n\n"
           "  --exit-without-flightgear  end at once, quietly, with status 3 when FlightGear does not\n"
           "                             answer the first request (later silences are waited out)\n"
           "  --exit-with-parent         end when the program that started this one ends\n"
           "Kestrova starts the bridge itself with both options when FlightGear answers.\n";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kestrova;
    std::string host = "localhost";
    int port = 5400;
    bool exitWithoutFlightGear = false;
    bool exitWithParent = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(std::cout);
            return 0;
        }
        if (arg == "--exit-without-flightgear") {
            exitWithoutFlightGear = true;
            continue;
        }
        if (arg == "--exit-with-parent") {
            exitWithParent = true;
            continue;
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

    // The parent as it is now: a parent that ends leaves this process to
    // another one, and getppid() changes.
    const pid_t parent = ::getppid();
    // The first round's words are held back: a bridge started on the chance
    // that FlightGear runs ends silently when it does not.
    std::ostringstream firstRound;
    std::ostream log(exitWithoutFlightGear ? firstRound.rdbuf() : std::cerr.rdbuf());

    SimServer server;
    fg::FgBridge bridge(
        server,
        // FlightGear answers once a frame; a software-rendered frame on a busy
        // machine can take seconds.
        [&](const std::string& method, const std::string& path, const std::string& body) {
            return fg::HttpExchange(host, port, method, path, body, std::chrono::seconds(10));
        },
        log);
    log << "kestrova-fgbridge: reading FlightGear at " << host << ":" << port << std::endl;
    bool first = true;
    while (gStop == 0 && !(exitWithParent && ::getppid() != parent)) {
        const fg::FgBridge::Round round = bridge.Step();
        if (first && exitWithoutFlightGear) {
            if (round == fg::FgBridge::Round::NoAnswer) return 3;
            std::cerr << firstRound.str() << std::flush;
            log.rdbuf(std::cerr.rdbuf());
        }
        first = false;
        // FlightGear answers once a frame; between frames there is nothing new.
        // Slept in slices, so that a stop request ends the bridge at once.
        const int slices = round == fg::FgBridge::Round::Served ? 1 : 10;
        for (int i = 0; i < slices && gStop == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    bridge.Finish();
    return 0;
}
