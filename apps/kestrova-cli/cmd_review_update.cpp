#include <iostream>

#include "cli.h"
#include "core/lines.h"
#include "platform/platform.h"
#include "review/log_save.h"
#include "review/log_update.h"

namespace kestrova::cli {

namespace {

// update [LOGFILE]: merges ./FS98.log into the log (./Report.log by default)
// and saves it with its backup. A failure before the table is rewritten
// leaves the log and its backup alone; a fuel failure still saves the rest.
int Run(const std::vector<std::string>& args, const Globals& globals) {
    if (args.size() > 1) {
        std::cerr << "usage: kestrova-cli update [LOGFILE]\n";
        return 2;
    }
    const std::string logPath =
        args.empty() ? platform::FindFileNoCase(globals.workingDirectory, "Report.log") : args[0];
    const std::vector<std::string> lines = platform::LoadLines(logPath);
    const review::LogUpdateResult result =
        review::UpdateLog(lines, globals.workingDirectory, platform::CurrentLocaleFormats());
    // An update that changes nothing (a second run) keeps the backup of the
    // version before the first.
    if (result.changed) review::SaveWithBackup(logPath, JoinLines(result.lines));
    for (const std::string& message : result.messages) std::cerr << message << "\n";
    return result.messages.empty() ? 0 : 1;
}

const Registrar reg("update", "update [LOGFILE]   merge ./FS98.log into LOGFILE (./Report.log), keeping a .BAK", &Run);

}  // namespace

}  // namespace kestrova::cli
