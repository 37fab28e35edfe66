// The stand-in's scenario language on any text: each line is run or refused
// with a reason. Lines that wait by design (await, sleep) are passed over.
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
        const auto first = line.find_first_not_of(" \t");
        if (first != std::string::npos && (line.compare(first, 5, "await") == 0 || line.compare(first, 5, "sleep") == 0))
            continue;
        std::string error;
        if (!scenario.Execute(line, error) && error.empty()) std::abort();  // a refusal always says why
    }
    return 0;
}
