#include <iostream>

#include "cli.h"
#include "settings/settings_file.h"

namespace kestrova::cli {

namespace {

int Run(const std::vector<std::string>& args, const Globals& globals) {
    const SettingsFile settings(globals.settingsPath);
    if (args.size() >= 3 && args.size() <= 4 && args[0] == "get") {
        std::cout << settings.ReadSetting(args[1], args[2], args.size() == 4 ? args[3] : "") << "\n";
        return 0;
    }
    if (args.size() == 4 && args[0] == "set") {
        if (const std::string problem = SettingsFile::Unstorable(args[1], args[2], args[3]); !problem.empty())
            return Fail(problem);
        settings.WriteSetting(args[1], args[2], args[3]);
        return 0;
    }
    std::cerr << "usage: kestrova-cli settings get SECTION KEY [DEFAULT] | settings set SECTION KEY VALUE\n";
    return 2;
}

const Registrar reg("settings", "settings get SECTION KEY [DEFAULT] | settings set SECTION KEY VALUE", &Run);

}  // namespace

}  // namespace kestrova::cli
