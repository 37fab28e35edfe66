#include "platform/child_process.h"

// The FlightGear bridge, the only helper program, exists on POSIX only.
namespace kestrova::platform {

ChildProcess::~ChildProcess() = default;

bool ChildProcess::Available() { return false; }

bool ChildProcess::Start(const std::string&, const std::vector<std::string>&, std::string& error) {
    error = "not available";
    return false;
}

bool ChildProcess::Running() { return false; }

void ChildProcess::Terminate(std::chrono::milliseconds) {}

std::string FindProgram(const std::string&, const std::vector<std::string>&) { return {}; }

}  // namespace kestrova::platform
