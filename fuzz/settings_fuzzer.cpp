// The settings reader on any file, and a write into it that must read back.
#include <cstdlib>

#include "core/error.h"
#include "fuzz_support.h"
#include "settings/settings_file.h"

using namespace kestrova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::ScratchFile("Kestrova.INI");
    fuzz::PutFile(path, fuzz::AsText(data, size));
    const SettingsFile ini(path);
    const AppContext context = LoadApplicationContext(ini, fuzz::ScratchDirectory());
    ini.ReadSettingList("FView.MRUList", "H", 8);
    try {
        ini.WriteSetting("General", "PilotID", "AZ 100");
        if (ini.ReadSetting("General", "PilotID", "lost") != "AZ 100") std::abort();
        // Every other value stays readable as it was.
        if (ini.ReadSetting("General", "Pilot", "None") != context.pilotName) std::abort();
        ini.WriteSettingList("FView.MRUList", "H", 8, {"/a", "/b"});
        if (ini.ReadSettingList("FView.MRUList", "H", 8) != std::vector<std::string>{"/a", "/b"}) std::abort();
    } catch (const Error&) {
    }
    return 0;
}
