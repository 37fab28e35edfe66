// kestrova-sim: the simulator's side of the link, for tests and rehearsal
// without a simulator.
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "scenario.h"
#include "simlink/sim_server.h"

namespace {

#ifndef _WIN32
char gSocketPath[512];

// The socket must not outlive the process, or the recorder would keep finding
// a window that never answers.
extern "C" void OnSignal(int signal) {
    if (gSocketPath[0] != '\0') ::unlink(gSocketPath);
    ::_exit(128 + signal);
}
#endif

void PrintUsage(std::ostream& out) {
    out << "usage: kestrova-sim SCENARIO | kestrova-sim - | kestrova-sim --demo\n\n"
           "Serves the simulator link and runs the scenario's commands (from standard input with -);\n"
           "after the last one it serves until the client closes its link. The set lines a SCENARIO\n"
           "file (or the demo) starts with take effect before the link is served. Texts the client\n"
           "shows in the simulator are printed as 'message: TEXT'.\n\n"
           "commands, one a line ('#' starts a comment line):\n"
           "  set OFFSET TYPE VALUE   OFFSET hex (0x0238); TYPE u8 u16 u32 u64 s8 s16 s32 s64 f64 str;\n"
           "                          VALUE decimal or 0x hex (str: the rest of the line)\n"
           "  press waypoint|end      the pilot presses the hot key\n"
           "  await waypoint|end      waits (at most 10 s) until the client handled the key\n"
           "  await connect           waits until a client linked and armed both hot keys\n"
           "  sleep MS\n"
           "  echo TEXT\n"
           "  fault reply N | fault stall MS | fault code N | fault off\n";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kestrova;
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintUsage(argc == 2 ? std::cout : std::cerr);
        return argc == 2 ? 0 : 2;
    }
    const std::string source = argv[1];
    // A scenario at hand whole (a file, the demo) has its leading set lines in
    // place before the link is served, as a running simulator's values are
    // before anyone connects: a client retrying its link never reads them unset.
    std::vector<std::string> lines;
    if (source == "--demo") {
        lines = sim::DemoScenario();
    } else if (source != "-") {
        std::ifstream file(source);
        if (!file) {
            std::cerr << "kestrova-sim: cannot open " << source << "\n";
            return 1;
        }
        for (std::string line; std::getline(file, line);) lines.push_back(line);
    }
    const size_t preamble = sim::LeadingSetLines(lines);
    const std::vector<std::string> first(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(preamble));
    const std::vector<std::string> rest(lines.begin() + static_cast<std::ptrdiff_t>(preamble), lines.end());
    const std::string name = source == "--demo" ? "demo" : source;

    SimServer server;
    server.OnMessage([](const std::string& text) { std::cout << "message: " << text << std::endl; });
    sim::Scenario scenario(server);
    std::string failure;
    if (!scenario.Run(first, failure)) {
        std::cerr << "kestrova-sim: " << name << ": " << failure << "\n";
        return 1;
    }
    const std::string error = server.Start();
    if (!error.empty()) {
        std::cerr << "kestrova-sim: " << error << "\n";
        return 1;
    }
#ifndef _WIN32
    std::strncpy(gSocketPath, server.SocketPath().c_str(), sizeof gSocketPath - 1);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGHUP, OnSignal);
#endif
    std::cerr << "kestrova-sim: serving " << server.SocketPath() << std::endl;

    const bool ok = source == "-" ? scenario.Run(std::cin, failure)
                                  : scenario.Run(rest, failure, static_cast<int>(preamble) + 1);
    if (!ok) {
        std::cerr << "kestrova-sim: " << name << ": " << failure << "\n";
        server.Stop();
        return 1;
    }
    while (!server.AwaitLinksClosed(std::chrono::hours(1))) {
    }
    server.Stop();
    return 0;
}
