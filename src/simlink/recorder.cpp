#include "simlink/recorder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "core/error.h"
#include "core/messages.h"
#include "simlink/flight_record_file.h"
#include "simlink/ipc_client.h"
#include "simlink/record_line.h"
#include "simlink/sim_values.h"

namespace kestrova {

namespace {

// One recorder at a time: it owns the process-wide link.
std::atomic<bool> gRecorderRunning {false};

// The simulator's versions survive from one run to the next, so a run whose
// first read fails still shows the last ones known.
uint32_t gInterfaceVersion = 0;
uint16_t gSimulatorKind = 0;

constexpr uint16_t kShowMessage = 5;

uint8_t TopByte(uint32_t slot) { return static_cast<uint8_t>(slot >> 24); }

}  // namespace

void CallQueue::RunAndWait(const std::function<void()>& action) {
    std::unique_lock lock(mutex_);
    if (closed_) return;
    Item item {&action};
    queue_.push_back(&item);
    changed_.notify_all();
    changed_.wait(lock, [&] {
        return item.done || (closed_ && std::find(queue_.begin(), queue_.end(), &item) == queue_.end() && !item.taken);
    });
}

void CallQueue::Serve(const std::function<bool()>& done) {
    std::unique_lock lock(mutex_);
    while (!done()) {
        if (queue_.empty()) {
            changed_.wait_for(lock, std::chrono::milliseconds(20));
            continue;
        }
        Item* item = queue_.front();
        queue_.pop_front();
        item->taken = true;
        lock.unlock();
        (*item->action)();
        lock.lock();
        item->done = true;
        changed_.notify_all();
    }
}

void CallQueue::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    for (Item* item : queue_) item->taken = false;
    queue_.clear();
    changed_.notify_all();
}

TTest2000::TTest2000(const AppContext& context, RecorderStatus& status, CallerThread& caller, RecorderOptions options)
    : workingDirectory_(context.workingDirectory),
      append_(context.resumeConnection == 1),
      status_(status),
      caller_(caller),
      options_(options) {
    if (gRecorderRunning.exchange(true)) throw Error(std::string(msg::kRecorderRunning));
    try {
        thread_ = std::thread(&TTest2000::Execute, this);
    } catch (...) {
        gRecorderRunning = false;
        throw;
    }
}

TTest2000::~TTest2000() {
    Terminate();
    Wait();
}

bool TTest2000::AnyRunning() { return gRecorderRunning.load(); }

void TTest2000::Terminate() {
    std::lock_guard lock(mutex_);
    terminate_ = true;
    wake_.notify_all();
}

void TTest2000::Wait() {
    if (thread_.joinable()) thread_.join();
}

void TTest2000::Execute() {
    RecorderOutcome outcome = RecorderOutcome::RecordFailed;
    try {
        outcome = Run();
    } catch (...) {
        IpcClose();
    }
    gRecorderRunning = false;
    outcome_ = outcome;
}

void TTest2000::Report(void (RecorderStatus::*report)(const std::string&), const std::string& title) {
    caller_.RunAndWait([&] { (status_.*report)(title); });
}

bool TTest2000::Pause(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, duration, [this] { return terminate_; });
}

void TTest2000::ShowMessage(const std::string& text) {
    // Bytes after the terminator keep what a longer earlier text left.
    const size_t n = std::min(text.size(), sizeof message_ - 1);
    std::memcpy(message_, text.data(), n);
    message_[n] = '\0';
}

// Brings a lost link back: a new simulator window, a new link, the versions
// read again and the hot keys armed where the simulator no longer holds them.
// Returns false only when the run was asked to end meanwhile.
bool TTest2000::Reconnect() {
    Report(&RecorderStatus::ReportThreadError, std::string(msg::kStatusThreadError));
    IpcClose();
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (terminate_) return false;
        }
        const SimWindow window = FindSimulatorWindow(kFsInfo.windowClass);
        if (window && IpcOpen(window, kBlockSize, kLinkTimeoutMs)) {
            uint32_t version = 0, waypointSlot = 0, endSlot = 0;
            uint16_t kind = 0;
            IpcBegin();
            IpcRead(kVersionOffset, 4, &version);
            IpcRead(kSimulatorKindOffset, 2, &kind);
            IpcRead(kFsInfo.waypointKeyOffset, 4, &waypointSlot);
            IpcRead(kFsInfo.endKeyOffset, 4, &endSlot);
            bool linked = IpcProcess();
            // A key the simulator still holds keeps any press not yet handled.
            const bool armWaypoint = (waypointSlot & 0x00FFFFFF) != kWaypointKey;
            const bool armEnd = (endSlot & 0x00FFFFFF) != kEndKey;
            if (linked && (armWaypoint || armEnd)) {
                IpcBegin();
                if (armWaypoint) IpcWrite(kFsInfo.waypointKeyOffset, 4, &kWaypointKey);
                if (armEnd) IpcWrite(kFsInfo.endKeyOffset, 4, &kEndKey);
                linked = IpcProcess();
            }
            if (linked) {
                gInterfaceVersion = version;
                gSimulatorKind = kind;
                Report(&RecorderStatus::ReportConnected, ConnectedTitle(gSimulatorKind, gInterfaceVersion));
                return true;
            }
            IpcClose();
        }
        Pause(options_.retryPause);
    }
}

RecorderOutcome TTest2000::Run() {
    const SimWindow window = FindSimulatorWindow(kFsInfo.windowClass);
    if (!window) return RecorderOutcome::NoSimulator;

    const fsInfo info = kFsInfo;
    // A refused open (a link already open) goes unnoticed here: the first
    // failed poll brings the link back.
    IpcOpen(window, kBlockSize, kLinkTimeoutMs);
    IpcBegin();
    IpcRead(kVersionOffset, 4, &gInterfaceVersion);
    IpcRead(kSimulatorKindOffset, 2, &gSimulatorKind);
    IpcProcess();
    Report(&RecorderStatus::ReportConnected, ConnectedTitle(gSimulatorKind, gInterfaceVersion));

    FlightRecordWriter record;
    const std::string recordPath = FlightRecordPath(workingDirectory_);
    auto fail = [&](std::string_view message) {
        // Never silently: the error stays as the status, the reason is kept
        // for the caller, and the link goes.
        const int error = errno;
        failure_ = msg::Format(message, recordPath);
        if (error != 0) failure_ += ": " + std::string(std::strerror(error));
        IpcClose();
        record.Close();
        Report(&RecorderStatus::ReportThreadError, std::string(msg::kStatusThreadError));
        return RecorderOutcome::RecordFailed;
    };
    errno = 0;
    if (!record.Open(recordPath, append_)) return fail(msg::kCannotCreateFile);

    uint32_t waypoints = 0;
    char title[256] = {};
    ShowMessage(std::string(msg::kSimWelcome));
    IpcBegin();
    IpcWrite(info.waypointKeyOffset, 4, &kWaypointKey);
    IpcWrite(info.endKeyOffset, 4, &kEndKey);
    IpcWrite(kMessageTextOffset, 128, message_);
    IpcWrite(kMessageControlOffset, 2, &kShowMessage);
    IpcRead(kTitleOffset, 255, title);
    IpcProcess();

    SimSnapshot snapshot;
    for (;;) {
        bool terminate = false;
        {
            std::lock_guard lock(mutex_);
            terminate = terminate_;
        }
        if (terminate) {
            IpcClose();
            record.Close();
            Report(&RecorderStatus::ReportFilePrepared, std::string(msg::kStatusFilePrepared));
            return RecorderOutcome::Terminated;
        }
        if (!ReadSnapshot(info, snapshot)) {
            Reconnect();
            continue;
        }
        RecordPosition position;
        PositionText(info, snapshot, position.latitudeText, position.longitudeText, 20);
        PositionDegrees(info, snapshot, position.latitude, position.longitude);
        const bool waypoint = TopByte(snapshot.waypointSlot) != 0;
        const bool end = TopByte(snapshot.endSlot) != 0;

        if (waypoint) {
            ++waypoints;
            IpcBegin();
            IpcWrite(info.waypointKeyOffset, 4, &kWaypointKey);
            IpcProcess();
            errno = 0;
            if (!record.WriteLine(RecordLine(snapshot, position, title, options_.timeSeparator)))
                return fail(msg::kUnableToWrite);
            ShowMessage(std::string(msg::kSimWaypoint) + std::to_string(waypoints));
            IpcBegin();
            IpcWrite(kMessageTextOffset, 128, message_);
            IpcWrite(kMessageControlOffset, 2, &kShowMessage);
            IpcProcess();
        }

        Pause(options_.pollPause);

        if (end) {
            ShowMessage(std::string(msg::kSimGoodbye));
            IpcBegin();
            IpcWrite(info.endKeyOffset, 4, &kEndKey);
            IpcWrite(kMessageTextOffset, 128, message_);
            IpcWrite(kMessageControlOffset, 2, &kShowMessage);
            IpcProcess();
            IpcClose();
            errno = 0;
            if (!record.Close()) return fail(msg::kUnableToWrite);
            Report(&RecorderStatus::ReportFilePrepared, std::string(msg::kStatusFilePrepared));
            return RecorderOutcome::Completed;
        }
    }
}

}  // namespace kestrova
