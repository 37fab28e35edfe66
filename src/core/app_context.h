#pragma once

#include <cstdint>
#include <string>

namespace kestrova {

// The process-wide record filled once at start-up and read by every workflow.
struct AppContext {
    std::string workingDirectory;  // current directory at start-up, no trailing separator
    std::string pilotName = "None";
    std::string pilotId = "None";
    std::string pilotNumber = "None";
    uint8_t resumeConnection = 0;  // 1: the recorder appends to the existing flight record
};

// The one instance of the process.
AppContext& Context();

// A data file of the working directory ("Report.log", "FS98.log", "Voli.cds").
std::string DataFilePath(const AppContext& context, const std::string& fileName);

}  // namespace kestrova
