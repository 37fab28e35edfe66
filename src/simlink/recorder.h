#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "core/app_context.h"

// The flight recorder: a worker thread that links to the simulator, arms the
// waypoint and end hot keys, and writes one FS98.log line per waypoint press.
namespace kestrova {

// Hot key words written to the simulator's key slots; the simulator sets the
// top byte when the pilot presses the key.
inline constexpr uint32_t kWaypointKey = 0x000103BD;
inline constexpr uint32_t kEndKey = 0x000103BE;

inline constexpr uint32_t kVersionOffset = 0x3304;
inline constexpr uint32_t kSimulatorKindOffset = 0x3308;
inline constexpr uint32_t kMessageTextOffset = 0x3380;
inline constexpr uint32_t kMessageControlOffset = 0x32FA;
inline constexpr uint32_t kTitleOffset = 0x3D00;
inline constexpr uint32_t kBlockSize = 65536;
inline constexpr uint32_t kLinkTimeoutMs = 2000;

// Runs an action on the thread that started the recorder and returns once it
// has run there. The GUI implements it with a blocking queued call.
class CallerThread {
public:
    virtual ~CallerThread() = default;
    virtual void RunAndWait(const std::function<void()>& action) = 0;
};

// The recorder's status reports, each with the main window's new title. They
// run on the caller's thread (through CallerThread) while the recorder waits.
class RecorderStatus {
public:
    virtual ~RecorderStatus() = default;
    virtual void ReportConnected(const std::string& title) = 0;
    virtual void ReportFilePrepared(const std::string& title) = 0;
    virtual void ReportThreadError(const std::string& title) = 0;
};

// A CallerThread for a caller without an event loop (the command line, the
// tests): the recorder queues its actions and the caller runs them in Serve.
class CallQueue final : public CallerThread {
public:
    void RunAndWait(const std::function<void()>& action) override;

    // Runs queued actions on this thread until done() holds.
    void Serve(const std::function<bool()>& done);

    // From now on actions are dropped instead of queued, and waiting ones are
    // released unrun, so that a recorder never waits for a caller that left.
    void Close();

private:
    struct Item {
        const std::function<void()>* action;
        bool taken = false;
        bool done = false;
    };
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Item*> queue_;
    bool closed_ = false;
};

// Settings of a run that the pilot never sees.
struct RecorderOptions {
    char timeSeparator = ':';                               // the locale's, for the times of a line
    std::chrono::milliseconds pollPause {1000};             // between two polls
    std::chrono::milliseconds retryPause {1000};            // between failed reconnect attempts
};

// How a run ended.
enum class RecorderOutcome {
    Running,
    NoSimulator,   // no simulator window at start: nothing happened
    Completed,     // the end hot key closed the record
    Terminated,    // Terminate() was asked for
    RecordFailed,  // the record could not be opened or written
};

class TTest2000 {
public:
    // Starts recording at once, reading the working directory and the resume
    // flag from the context. Throws Error(kRecorderRunning) while another
    // recorder of this process runs. status and caller must outlive it.
    TTest2000(const AppContext& context, RecorderStatus& status, CallerThread& caller, RecorderOptions options = {});

    // Asks the run to end and waits for it.
    ~TTest2000();

    TTest2000(const TTest2000&) = delete;
    TTest2000& operator=(const TTest2000&) = delete;

    // Asks the run to end at the top of its next poll; it closes the record and the link.
    void Terminate();

    // Waits until the run has ended.
    void Wait();

    bool Finished() const { return outcome_.load() != RecorderOutcome::Running; }
    RecorderOutcome Outcome() const { return outcome_.load(); }

    // Why the run ended RecordFailed: the system's message for the flight
    // record ("Cannot create file <path>", "Unable to write to <path>") and
    // the operating system's reason. Read it once Finished() holds.
    const std::string& Failure() const { return failure_; }

    // Whether a recorder of this process is running.
    static bool AnyRunning();

private:
    void Execute();
    RecorderOutcome Run();
    void Report(void (RecorderStatus::*report)(const std::string&), const std::string& title);
    bool Pause(std::chrono::milliseconds duration);  // false when asked to end meanwhile
    bool Reconnect();
    void ShowMessage(const std::string& text);

    std::string workingDirectory_;
    bool append_;
    RecorderStatus& status_;
    CallerThread& caller_;
    RecorderOptions options_;
    std::atomic<RecorderOutcome> outcome_ {RecorderOutcome::Running};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool terminate_ = false;
    char message_[129] = {};
    std::string failure_;
    std::thread thread_;
};

}  // namespace kestrova
