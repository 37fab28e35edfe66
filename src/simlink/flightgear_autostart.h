#pragma once

#include <chrono>
#include <string>

#include "platform/child_process.h"

// Linux pilots fly FlightGear, whose simulator window is served by the
// separate program kestrova-fgbridge. When Connect (or the command line's
// record) finds no simulator window, the bridge is started here if it is not
// running yet; it keeps serving for the rest of the program's life (so that
// the recorder's reconnect works across a FlightGear restart) and is ended
// with the object that started it.
namespace kestrova {

struct FlightGearOptions {
    // False: no bridge is ever started (KESTROVA_FLIGHTGEAR_PORT=off).
    bool enabled = true;
    // The port of FlightGear's property server on localhost (fgfs --httpd=PORT).
    int port = 5400;
    // The bridge program; empty: beside this program, then on PATH.
    std::string bridge;
    // How long Connect waits for the window after starting the bridge. The
    // GUI waits on its own thread: keep this short.
    std::chrono::milliseconds wait = std::chrono::seconds(5);
    // Why the options are not the default ones read from the environment
    // failed (a value that is no port); empty when all was well.
    std::string problem;
};

// KESTROVA_FLIGHTGEAR_PORT: unset or empty for 5400, a port number, or "off"
// (also "0") to never start the bridge. Anything else turns it off, with the
// reason in `problem`.
FlightGearOptions FlightGearOptionsFrom(const std::string& portValue);
FlightGearOptions FlightGearOptionsFromEnvironment();

// The bridge program: named in the options, else kestrova-fgbridge beside
// this program (installed layout: one bin folder), in the build tree's
// apps/kestrova-fgbridge, or on PATH. Empty when none is found.
std::string FindFlightGearBridge(const FlightGearOptions& options);

class FlightGearAutostart {
public:
    explicit FlightGearAutostart(FlightGearOptions options = FlightGearOptionsFromEnvironment());
    // Ends the bridge started here (SIGTERM, then reaped).
    ~FlightGearAutostart();
    FlightGearAutostart(const FlightGearAutostart&) = delete;
    FlightGearAutostart& operator=(const FlightGearAutostart&) = delete;

    // True when a simulator window is there: at once, or once the bridge
    // started here (or still running from an earlier call) serves it within
    // options.wait. The bridge, started only while no window exists, ends
    // by itself at once when FlightGear does not answer. False with the
    // reason in `why` otherwise; `why` stays empty when no bridge was tried
    // (turned off, or a system without the bridge).
    bool FindOrStartSimulator(std::string& why);

    // The process id of the bridge started here while it runs, else 0.
    long BridgeId();

    const FlightGearOptions& Options() const { return options_; }
    FlightGearOptions& Options() { return options_; }

private:
    FlightGearOptions options_;
    platform::ChildProcess bridge_;
};

}  // namespace kestrova
