#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>

#include "fg_http.h"
#include "fg_props.h"
#include "simlink/sim_server.h"

// The bridge between FlightGear and the simulator side of our link: each round
// reads FlightGear's values in one HTTP exchange, writes them into the offset
// space, turns the add-on's key counters into key presses and passes the
// recorder's texts back to FlightGear's screen.
namespace kestrova::fg {

// Where the add-on keeps its properties, and one read of all of them.
inline constexpr const char* kAddonNode = "/kestrova";
inline constexpr const char* kReadPath = "/json/kestrova?d=4";
inline constexpr const char* kMessagePath = "/json/kestrova/message";

using Exchange = std::function<HttpReply(const std::string& method, const std::string& path, const std::string& body)>;

// The presses of one key counted by the add-on, passed on one at a time: the
// next press waits until the recorder has handled the last one (top byte back
// to 0). Presses with no recorder linked are dropped, as the simulator drops a
// hot key nobody has armed.
class KeyRelay {
public:
    explicit KeyRelay(uint32_t slotOffset) : slot_(slotOffset) {}
    // The add-on's count from a read; the first read only sets the base, and a
    // count that went down (FlightGear restarted) sets it again.
    void Count(long count);
    enum class Outcome { Nothing, Pressed, Dropped };
    // Presses the key if one is pending and the slot is free.
    Outcome Press(SimServer& server);
    void Reset() { known_ = false, pending_ = 0; }
    long Pending() const { return pending_; }

private:
    uint32_t slot_;
    bool known_ = false;
    long last_ = 0;
    long pending_ = 0;
};

class FgBridge {
public:
    enum class Round {
        Served,     // values written, keys and texts passed on
        NoAnswer,   // FlightGear did not answer
        NoAddon,    // FlightGear answers, without the add-on
        NotReady,   // the add-on waits for the aircraft
    };

    // lossTimeout: how long FlightGear may stay silent before the link is
    // closed, so that the recorder notices and reconnects later.
    FgBridge(SimServer& server, Exchange exchange, std::ostream& log,
             std::chrono::milliseconds lossTimeout = std::chrono::seconds(30));
    ~FgBridge();

    Round Step(std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());

    // True while the simulator link is served (FlightGear answered with the add-on).
    bool Serving() const { return serving_; }
    // Stops serving, removing the simulator window.
    void Close();
    // As Close, after showing the texts still held. The recorder's goodbye
    // comes just before the program that started this bridge ends it.
    void Finish();

private:
    void Lost(const std::string& why, std::chrono::steady_clock::time_point now);
    void PassMessages();

    SimServer& server_;
    Exchange exchange_;
    std::ostream& log_;
    std::chrono::milliseconds lossTimeout_;
    bool serving_ = false;
    bool failing_ = false;
    std::chrono::steady_clock::time_point failingSince_ {};
    std::string lastProblem_;
    KeyRelay waypoint_;
    KeyRelay end_;
    std::mutex mutex_;
    std::deque<std::string> messages_;
};

}  // namespace kestrova::fg
