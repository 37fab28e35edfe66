#include "simlink/flightgear_autostart.h"

#include <charconv>
#include <thread>

#include "platform/platform.h"
#include "simlink/ipc_client.h"
#include "simlink/sim_values.h"

namespace kestrova {

namespace {

constexpr const char* kPortVariable = "KESTROVA_FLIGHTGEAR_PORT";
constexpr const char* kBridgeName = "kestrova-fgbridge";
// The bridge's status when FlightGear did not answer its first request.
constexpr int kNoFlightGearStatus = 3;

}  // namespace

FlightGearOptions FlightGearOptionsFrom(const std::string& portValue) {
    FlightGearOptions options;
    if (portValue.empty()) return options;
    if (portValue == "off" || portValue == "0") {
        options.enabled = false;
        return options;
    }
    int port = 0;
    const auto r = std::from_chars(portValue.data(), portValue.data() + portValue.size(), port);
    if (r.ec != std::errc() || r.ptr != portValue.data() + portValue.size() || port < 1 || port > 65535) {
        options.enabled = false;
        options.problem = std::string(kPortVariable) + " is neither a port number nor off: " + portValue;
        return options;
    }
    options.port = port;
    return options;
}

FlightGearOptions FlightGearOptionsFromEnvironment() {
    return FlightGearOptionsFrom(platform::EnvironmentValue(kPortVariable));
}

std::string FindFlightGearBridge(const FlightGearOptions& options) {
    if (!options.bridge.empty()) return options.bridge;
    const std::string here = platform::ExecutableDirectory();
    return platform::FindProgram(kBridgeName, {here, here + "../" + kBridgeName});
}

FlightGearAutostart::FlightGearAutostart(FlightGearOptions options) : options_(std::move(options)) {}

FlightGearAutostart::~FlightGearAutostart() { bridge_.Terminate(); }

long FlightGearAutostart::BridgeId() { return bridge_.Running() ? bridge_.Id() : 0; }

bool FlightGearAutostart::FindOrStartSimulator(std::string& why) {
    why.clear();
    if (FindSimulatorWindow(kFsInfo.windowClass)) return true;
    if (!platform::ChildProcess::Available()) return false;
    if (!options_.problem.empty()) {
        why = options_.problem;
        return false;
    }
    if (!options_.enabled) return false;

    const std::string where = "localhost:" + std::to_string(options_.port);
    // A bridge started by an earlier call that still runs is waiting for
    // FlightGear's aircraft: it is waited for again rather than doubled.
    if (!bridge_.Running()) {
        const std::string program = FindFlightGearBridge(options_);
        if (program.empty()) {
            why = std::string(kBridgeName) + " not found beside this program or on PATH";
            return false;
        }
        if (!bridge_.Start(program,
                           {"--port", std::to_string(options_.port), "--exit-without-flightgear", "--exit-with-parent"},
                           why))
            return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + options_.wait;
    for (;;) {
        if (FindSimulatorWindow(kFsInfo.windowClass)) return true;
        if (!bridge_.Running()) {
            why = bridge_.ExitStatus() == kNoFlightGearStatus
                      ? "FlightGear does not answer on " + where + " (fgfs --httpd=" + std::to_string(options_.port) + ")"
                      : std::string(kBridgeName) + " ended with status " + std::to_string(bridge_.ExitStatus());
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // Kept running: the next Connect finds the window once the aircraft is in.
    why = "FlightGear answers on " + where + ", but the simulator link is not served yet (aircraft still loading, or " +
          "fgfs started without the Kestrova add-on?)";
    return false;
}

}  // namespace kestrova
