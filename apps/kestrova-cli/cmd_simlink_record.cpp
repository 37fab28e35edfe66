#include <iostream>

#include "cli.h"
#include "core/app_context.h"
#include "core/error.h"
#include "core/messages.h"
#include "platform/platform.h"
#include "simlink/flightgear_autostart.h"
#include "simlink/ipc_client.h"
#include "simlink/recorder.h"
#include "simlink/sim_values.h"

namespace kestrova::cli {

namespace {

// Each status title on a line of its own, as the main window would show it.
class PrintStatus final : public RecorderStatus {
public:
    void ReportConnected(const std::string& title) override { Print(title); }
    void ReportFilePrepared(const std::string& title) override { Print(title); }
    void ReportThreadError(const std::string& title) override { Print(title); }

private:
    static void Print(const std::string& title) { std::cout << title << std::endl; }
};

int Run(const std::vector<std::string>& args, const Globals& globals) {
    bool resume = false;
    for (const std::string& arg : args) {
        if (arg == "--resume") {
            resume = true;
        } else {
            std::cerr << "usage: kestrova-cli record [--resume]\n";
            return 2;
        }
    }
    // With no simulator window, FlightGear's bridge is started when FlightGear
    // answers; it serves for as long as this command runs and is ended with it.
    FlightGearAutostart flightGear;
    // No window waits on this command: a busy FlightGear may take its time
    // for the bridge's first read.
    flightGear.Options().wait = std::chrono::seconds(15);
    std::string why;
    if (!flightGear.FindOrStartSimulator(why)) {
        if (!why.empty()) std::cerr << why << "\n";
        throw Error(std::string(msg::kFsNotRunning));
    }

    AppContext context;
    context.workingDirectory = globals.workingDirectory;
    context.resumeConnection = resume ? 1 : 0;
    RecorderOptions options;
    options.timeSeparator = platform::CurrentLocaleFormats().timeSeparator;

    PrintStatus status;
    CallQueue queue;
    TTest2000 recorder(context, status, queue, options);
    queue.Serve([&] { return recorder.Finished(); });
    recorder.Wait();
    switch (recorder.Outcome()) {
        case RecorderOutcome::Completed: return 0;
        case RecorderOutcome::NoSimulator: throw Error(std::string(msg::kFsNotRunning));
        default:
            return Fail(recorder.Failure().empty() ? std::string(msg::kStatusThreadError) : recorder.Failure());
    }
}

const Registrar reg("record", "record [--resume]   record the flight from the simulator into FS98.log", &Run);

}  // namespace

}  // namespace kestrova::cli
