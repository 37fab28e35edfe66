#pragma once

#include <chrono>
#include <string>
#include <vector>

// A helper program run in the background for as long as its owner wants it:
// started, asked whether it still runs, ended and reaped. POSIX only; on
// Windows nothing starts (no helper program exists there).
namespace kestrova::platform {

class ChildProcess {
public:
    ChildProcess() = default;
    // Ends a program still running (as Terminate does).
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Whether this system can start helper programs at all.
    static bool Available();

    // Starts program with the arguments (argv[0] is the program itself). Its
    // standard input and output are /dev/null, its standard error is ours; it
    // inherits no other open file. False, with the reason in error, when it
    // could not be started. Ends a program started earlier first.
    bool Start(const std::string& program, const std::vector<std::string>& args, std::string& error);

    // True while the program runs; reaps it once it has ended.
    bool Running();
    // The exit status once ended (128 + signal for a signal), -1 before.
    int ExitStatus() const { return exitStatus_; }
    // The process id while started and not yet reaped, else 0.
    long Id() const { return pid_; }

    // SIGTERM, up to `grace` for the end, then SIGKILL; reaped either way.
    void Terminate(std::chrono::milliseconds grace = std::chrono::seconds(5));

private:
    long pid_ = 0;
    int exitStatus_ = -1;
};

// The first of directories (each with or without a trailing separator) that
// holds an executable file `name`, else the first on PATH; empty when none.
std::string FindProgram(const std::string& name, const std::vector<std::string>& directories);

}  // namespace kestrova::platform
