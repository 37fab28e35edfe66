// The stand-in's scenario language on any text: each line is run or refused
// with a reason. Lines that wait or restart the server by design are passed over.
#include <string>
#include <vector>

#include "../apps/kestrova-sim/scenario.h"
#include "core/lines.h"
#include "fuzz_support.h"
#include "simlink/sim_server.h"

using namespace kestrova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SimServer server;  // never started: the offset space alone
    sim::Scenario scenario(server);
    scenario.awaitLimit = std::chrono::milliseconds(0);
    for (const std::string& line : SplitLines(std::string(fuzz::AsText(data, size)))) {
        if (sim::WaitsByDesign(line)) continue;
        std::string error;
        if (!scenario.Execute(line, error) && error.empty()) std::abort();  // a refusal always says why
    }
    return 0;
}
