#pragma once

#include <string>
#include <vector>

// What a preparation hands from the planner reader to the fill-in steps and
// on to the next preparation. It belongs to the Select Plan screen and lives
// as long as the screen.
namespace kestrova::navlog {

struct WorkingRecord {
    // Checkpoint names in route order, blanks removed; name k is element k-1.
    // As many as the navlog has: a long route must not lose checkpoints. An
    // empty name is skipped by the route step.
    std::vector<std::string> checkpointNames;
    // 8 characters each, blanks kept. Set by the FlightPlanner reader only and
    // never cleared, so they outlive later WinPlanner preparations.
    std::string departure;
    std::string arrival;
    std::string dateText;     // the date as written into the log
    std::string scratchPath;  // the scratch file of the current preparation
    std::string flightId;     // the ID under which the log was last stored
};

// A new empty scratch file ("tmp" prefix) in the system's temporary directory;
// its path goes into the record. Throws Error("Cannot create file ...").
void NewScratchFile(WorkingRecord& record);

// Replaces the scratch file's content with the lines, each ended by CR LF.
// Throws Error("Cannot create file <path>").
void WriteScratch(const WorkingRecord& record, const std::vector<std::string>& lines);

// The lines of the scratch file. Throws Error("Cannot open file <path>").
std::vector<std::string> ReadScratch(const WorkingRecord& record);

// Removes the scratch file of a preparation when it goes out of scope, so
// none is left behind whether the preparation succeeds or fails.
class ScratchFileGuard {
public:
    explicit ScratchFileGuard(std::string path) : path_(std::move(path)) {}
    ~ScratchFileGuard();
    ScratchFileGuard(const ScratchFileGuard&) = delete;
    ScratchFileGuard& operator=(const ScratchFileGuard&) = delete;

    // Moves the file into the recycle bin now instead of deleting it.
    void Recycle();

private:
    std::string path_;
};

}  // namespace kestrova::navlog
