#include <cerrno>
#include <cstdio>
#include <exception>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "cli.h"
#include "core/error.h"
#include "core/messages.h"
#include "platform/platform.h"
#include "settings/settings_file.h"

namespace kestrova::cli {

namespace {

struct Command {
    std::string usage;
    CommandFn fn;
};

std::map<std::string, Command>& Commands() {
    static std::map<std::string, Command> commands;
    return commands;
}

void PrintHelp(std::ostream& out) {
    out << "usage: kestrova-cli [--settings INIFILE] COMMAND [ARGS...]\n\n"
           "The data files (Report.log, FS98.log, Voli.cds) are those of the current directory;\n"
           "the settings file Kestrova.INI lies beside the executable, or in $XDG_CONFIG_HOME/kestrova\n"
           "(~/.config/kestrova) when that folder is read-only, unless --settings names another.\n\n"
           "commands:\n";
    for (const auto& [name, command] : Commands()) out << "  " << command.usage << "\n";
}

}  // namespace

int CheckStandardOutput(int code) {
    // Output cut off by a full disk or a closed pipe is a failure, not a result.
    errno = 0;
    std::cout.flush();
    const bool flushed = std::fflush(stdout) == 0;
    const int error = errno;
    if (flushed && std::cout && !std::ferror(stdout)) return code;
    std::string message = msg::Format(msg::kUnableToWrite, "standard output");
    if (error != 0) message += ": " + platform::ErrorText(error);
    Fail(message);
    return code == 0 ? 1 : code;
}

Registrar::Registrar(const char* name, const char* usage, CommandFn fn) { Commands()[name] = {usage, fn}; }

int Fail(const std::string& message) {
    std::cerr << message << "\n";
    return 1;
}

}  // namespace kestrova::cli

int main(int argc, char** argv) {
    using namespace kestrova;
    std::vector<std::string> args(argv + 1, argv + argc);
    cli::Globals globals;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            cli::PrintHelp(std::cout);
            return cli::CheckStandardOutput(0);
        }
        if (args[i] == "--settings") {
            if (i + 1 >= args.size()) return cli::Fail("--settings needs a file name");
            globals.settingsPath = args[++i];
            continue;
        }
        break;
    }
    if (i >= args.size()) {
        cli::PrintHelp(std::cerr);
        return 2;
    }
    const auto it = cli::Commands().find(args[i]);
    if (it == cli::Commands().end()) {
        std::cerr << "unknown command '" << args[i] << "'\n";
        cli::PrintHelp(std::cerr);
        return 2;
    }
    try {
        if (globals.settingsPath.empty()) globals.settingsPath = DefaultSettingsPath();
        globals.workingDirectory = platform::CurrentDirectory();
        const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
        return cli::CheckStandardOutput(it->second.fn(rest, globals));
    } catch (const Error& e) {
        return cli::CheckStandardOutput(cli::Fail(e.what()));
    } catch (const std::exception& e) {
        return cli::CheckStandardOutput(cli::Fail(e.what()));
    }
}
