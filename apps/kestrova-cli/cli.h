#pragma once

#include <string>
#include <vector>

namespace kestrova::cli {

// What every subcommand gets besides its own arguments.
struct Globals {
    std::string settingsPath;      // --settings, else DefaultSettingsPath()
    std::string workingDirectory;  // the current directory at start
};

using CommandFn = int (*)(const std::vector<std::string>& args, const Globals& globals);

// Subcommands register themselves from their own file:
//   static const kestrova::cli::Registrar reg("name", "usage text", &Run);
struct Registrar {
    Registrar(const char* name, const char* usage, CommandFn fn);
};

// Prints the message of a failure to standard error; returns the exit code 1.
int Fail(const std::string& message);

// Flushes standard output; when that or an earlier write failed, says so on
// standard error and turns a success into exit code 1.
int CheckStandardOutput(int code);

}  // namespace kestrova::cli
