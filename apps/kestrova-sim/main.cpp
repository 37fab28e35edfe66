// kestrova-sim: the simulator's side of the link, for tests and rehearsal
// without a simulator.
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
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
           "after the last one it serves until the client closes its link. Texts the client shows\n"
           "in the simulator are printed as 'message: TEXT'.\n\n"
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
    std::ifstream file;
    if (source != "-" && source != "--demo") {
        file.open(source);
        if (!file) {
            std::cerr << "kestrova-sim: cannot open " << source << "\n";
            return 1;
        }
    }

    SimServer server;
    server.OnMessage([](const std::string& text) { std::cout << "message: " << text << std::endl; });
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

    sim::Scenario scenario(server);
    std::string failure;
    bool ok = true;
    if (source == "--demo") ok = scenario.Run(sim::DemoScenario(), failure);
    else if (source == "-") ok = scenario.Run(std::cin, failure);
    else ok = scenario.Run(file, failure);
    if (!ok) {
        std::cerr << "kestrova-sim: " << (source == "--demo" ? "demo" : source) << ": " << failure << "\n";
        server.Stop();
        return 1;
    }
    while (!server.AwaitLinksClosed(std::chrono::hours(1))) {
    }
    server.Stop();
    return 0;
}
