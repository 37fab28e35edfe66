#pragma once

#include <string>
#include <vector>

#include "core/app_context.h"

namespace kestrova {

// The settings file in INI form. Every operation opens the file, does its one
// job and closes it, so two objects on the same file never disagree.
class SettingsFile {
public:
    explicit SettingsFile(std::string path);

    const std::string& Path() const { return path_; }

    // The value of the key (at most 2047 characters), or the default when the
    // file, the section or the key is absent. Names match without regard to case.
    std::string ReadSetting(const std::string& section, const std::string& key,
                            const std::string& defaultValue) const;

    // Stores the value, creating file, section and key as needed, and keeps
    // every other line of the file; only its first line is stored. Throws
    // Error("Unable to write to <path>"), or Error(Unstorable(...)) for a
    // section or key that could not be read back.
    void WriteSetting(const std::string& section, const std::string& key, const std::string& value) const;

    // prefix0, prefix1, ... up to the first absent or empty key, at most maximum entries.
    std::vector<std::string> ReadSettingList(const std::string& section, const std::string& prefix,
                                             int maximum) const;

    // Replaces the whole section with prefix0.. for the first maximum entries.
    // Throws Error("Unable to write to <path>").
    void WriteSettingList(const std::string& section, const std::string& prefix, int maximum,
                          const std::vector<std::string>& list) const;

    // Why the setting would not read back as written (a key with "=", a
    // section with "]", a line break, blanks at either end, an empty name),
    // or empty when it would.
    static std::string Unstorable(const std::string& section, const std::string& key, const std::string& value);

private:
    std::string path_;
};

// Where the settings file lies when none is named on the command line:
// "Kestrova.INI" beside the executable when one stands there or the directory
// is writable (the portable layout); otherwise, as in a system install under
// /usr/bin, UserSettingsPath(), whose folder is made on the first write.
std::string DefaultSettingsPath();

// The facts DefaultSettingsPath() decides on, apart from the file's presence.
struct SettingsLocation {
    std::string executableDirectory;  // with a trailing separator
    bool executableDirectoryWritable = true;
    std::string xdgConfigHome;  // $XDG_CONFIG_HOME, empty when unset
    std::string home;           // $HOME, empty when unset
};
std::string ChooseSettingsPath(const SettingsLocation& location);

// $XDG_CONFIG_HOME/kestrova/Kestrova.INI, or ~/.config/kestrova/Kestrova.INI
// when that is unset or not absolute; empty when neither is known.
std::string UserSettingsPath(const std::string& xdgConfigHome, const std::string& home);

// The start-up values of the application context: the working directory and
// the pilot data of section "General" (default "None"), resume flag 0.
AppContext LoadApplicationContext(const SettingsFile& settings, const std::string& workingDirectory);

}  // namespace kestrova
