#include "fg_bridge.h"

#include "fg_offsets.h"
#include "simlink/recorder.h"

namespace kestrova::fg {

void KeyRelay::Count(long count) {
    if (known_ && count >= last_) pending_ += count - last_;
    known_ = true;
    last_ = count;
}

KeyRelay::Outcome KeyRelay::Press(SimServer& server) {
    if (pending_ == 0) return Outcome::Nothing;
    // Armed: a recorder is linked and has written its key word into the slot.
    if (server.OpenLinks() == 0 || (server.Get<uint32_t>(slot_) & 0x00FFFFFF) == 0) {
        pending_ = 0;
        return Outcome::Dropped;
    }
    if (server.Get<uint8_t>(slot_ + 3) != 0) return Outcome::Nothing;  // the last press is not handled yet
    server.PressKey(slot_);
    --pending_;
    return Outcome::Pressed;
}

FgBridge::FgBridge(SimServer& server, Exchange exchange, std::ostream& log, std::chrono::milliseconds lossTimeout)
    : server_(server),
      exchange_(std::move(exchange)),
      log_(log),
      lossTimeout_(lossTimeout),
      waypoint_(kFsInfo.waypointKeyOffset),
      end_(kFsInfo.endKeyOffset) {
    server_.OnMessage([this](const std::string& text) {
        std::lock_guard lock(mutex_);
        messages_.push_back(text);
    });
}

FgBridge::~FgBridge() {
    Close();
    server_.OnMessage(nullptr);
}

void FgBridge::Close() {
    if (serving_) {
        server_.Stop();
        log_ << "kestrova-fgbridge: simulator link closed" << std::endl;
    }
    serving_ = false;
    failing_ = false;
    waypoint_.Reset();
    end_.Reset();
    std::lock_guard lock(mutex_);
    messages_.clear();
}

void FgBridge::Finish() {
    // FlightGear silent: the texts could not be shown, and each try would wait.
    if (serving_ && !failing_) PassMessages();
    Close();
}

void FgBridge::Lost(const std::string& why, std::chrono::steady_clock::time_point now) {
    if (why != lastProblem_) log_ << "kestrova-fgbridge: " << why << std::endl;
    lastProblem_ = why;
    if (!serving_) return;
    if (!failing_) {
        failing_ = true;
        failingSince_ = now;
    } else if (now - failingSince_ >= lossTimeout_) {
        Close();
    }
}

FgBridge::Round FgBridge::Step(std::chrono::steady_clock::time_point now) {
    const HttpReply reply = exchange_("GET", kReadPath, "");
    if (reply.status == 404) {
        Lost("FlightGear answers, but without the Kestrova add-on: start fgfs with --addon=DIR", now);
        return Round::NoAddon;
    }
    if (reply.status != 200) {
        Lost(reply.status == 0 ? "no answer from FlightGear (" + reply.error + ")"
                               : "FlightGear answers with HTTP status " + std::to_string(reply.status),
             now);
        return Round::NoAnswer;
    }
    std::string error;
    const std::optional<PropertyMap> props = ParsePropertyTree(reply.body, error);
    if (!props) {
        Lost("unreadable answer from FlightGear: " + error, now);
        return Round::NoAnswer;
    }
    failing_ = false;
    if (NumberOf(*props, "ready") != 1) {
        if (lastProblem_ != "not ready") log_ << "kestrova-fgbridge: FlightGear answers, waiting for the aircraft" << std::endl;
        lastProblem_ = "not ready";
        return Round::NotReady;
    }
    FillOffsets(StateFromProperties(*props), [this](uint32_t offset, const void* data, size_t size) {
        server_.Write(offset, data, size);
    });
    if (!serving_) {
        const std::string startError = server_.Start();
        if (!startError.empty()) {
            Lost("cannot serve the simulator link: " + startError, now);
            return Round::NoAnswer;
        }
        serving_ = true;
        log_ << "kestrova-fgbridge: FlightGear answers, serving the simulator link" << std::endl;
    }
    lastProblem_.clear();

    const KeyCounts counts = KeyCountsFromProperties(*props);
    waypoint_.Count(counts.waypoint);
    end_.Count(counts.end);
    for (auto [relay, name] : {std::pair {&waypoint_, "waypoint"}, std::pair {&end_, "end"}}) {
        switch (relay->Press(server_)) {
            case KeyRelay::Outcome::Pressed: log_ << "kestrova-fgbridge: " << name << " key" << std::endl; break;
            case KeyRelay::Outcome::Dropped:
                log_ << "kestrova-fgbridge: " << name << " key ignored: no recorder connected" << std::endl;
                break;
            case KeyRelay::Outcome::Nothing: break;
        }
    }
    PassMessages();
    return Round::Served;
}

void FgBridge::PassMessages() {
    for (;;) {
        std::string text;
        {
            std::lock_guard lock(mutex_);
            if (messages_.empty()) return;
            text = std::move(messages_.front());
            messages_.pop_front();
        }
        const int seconds = server_.Get<uint16_t>(kMessageControlOffset);
        const HttpReply reply = exchange_("POST", kMessagePath, MessageRequestBody(text, seconds));
        log_ << "kestrova-fgbridge: message: " << text << (reply.status == 200 ? "" : " (not shown)") << std::endl;
    }
}

}  // namespace kestrova::fg
