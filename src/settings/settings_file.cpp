#include "settings/settings_file.h"

#include <cerrno>
#include <filesystem>
#include <optional>

#include "core/error.h"
#include "core/lines.h"
#include "core/messages.h"
#include "platform/platform.h"

namespace kestrova {

namespace {

constexpr size_t kMaxValueLength = 2047;

std::string Trim(std::string_view s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return std::string(s.substr(b, e - b));
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The name of a section line "[name]", or nothing.
std::optional<std::string> SectionName(std::string_view line) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    const auto close = t.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(std::string_view(t).substr(1, close - 1));
}

bool IsComment(std::string_view line) {
    const std::string t = Trim(line);
    return !t.empty() && (t.front() == ';' || t.front() == '#');
}

// Key and value of a "key=value" line.
bool KeyValue(std::string_view line, std::string& key, std::string& value) {
    if (IsComment(line)) return false;
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
    return !key.empty();
}

// A value on one line: anything after a line break would become lines of its own.
std::string OneLine(const std::string& value) {
    const auto brk = value.find_first_of("\r\n");
    return brk == std::string::npos ? value : value.substr(0, brk);
}

struct IniText {
    std::vector<std::string> lines;
    bool lfOnly = false;  // a file with LF ends is written back with LF ends
    bool tooLarge = false;  // read as empty, and never written over
};

IniText Load(const std::string& path) {
    IniText ini;
    std::string contents;
    if (!platform::ReadWholeFile(path, contents)) {
        ini.tooLarge = errno == EFBIG;
        return ini;
    }
    const auto lf = contents.find('\n');
    if (lf != std::string::npos && (lf == 0 || contents[lf - 1] != '\r')) ini.lfOnly = true;
    ini.lines = SplitLines(contents);
    return ini;
}

// The user's settings folder is ours to make (private, as configuration
// folders are); any other missing folder is the caller's mistake and fails.
void MakeUserSettingsFolder(const std::string& path) {
    namespace fs = std::filesystem;
    if (path != UserSettingsPath(platform::EnvironmentValue("XDG_CONFIG_HOME"), platform::EnvironmentValue("HOME")))
        return;
    const fs::path folder = fs::path(path).parent_path();
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return;
    const bool parentMissing = !fs::exists(folder.parent_path(), ec);
    if (!fs::create_directories(folder, ec)) return;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
    if (parentMissing) fs::permissions(folder.parent_path(), fs::perms::owner_all, fs::perm_options::replace, ec);
}

void Store(const std::string& path, const IniText& ini) {
    if (ini.tooLarge) throw Error(msg::Format(msg::kUnableToWrite, path));
    MakeUserSettingsFolder(path);
    std::string text;
    const std::string_view lineEnd = ini.lfOnly ? "\n" : "\r\n";
    for (const auto& l : ini.lines) text.append(l).append(lineEnd);
    if (platform::ReplaceFileAtomically(path, text) != 0)
        throw Error(msg::Format(msg::kUnableToWrite, path));
}

// Index range [begin, end) of the body of the first section of that name;
// begin is the header line. Returns false when absent.
bool FindSection(const std::vector<std::string>& lines, const std::string& section, size_t& header,
                 size_t& end) {
    for (size_t i = 0; i < lines.size(); ++i) {
        auto name = SectionName(lines[i]);
        if (!name || !EqualNoCase(*name, section)) continue;
        header = i;
        end = i + 1;
        while (end < lines.size() && !SectionName(lines[end])) ++end;
        return true;
    }
    return false;
}

std::optional<std::string> Lookup(const std::vector<std::string>& lines, const std::string& section,
                                  const std::string& key) {
    size_t header = 0, end = 0;
    if (!FindSection(lines, section, header, end)) return std::nullopt;
    std::string k, v;
    for (size_t i = header + 1; i < end; ++i)
        if (KeyValue(lines[i], k, v) && EqualNoCase(k, key))
            return v.size() > kMaxValueLength ? v.substr(0, kMaxValueLength) : v;
    return std::nullopt;
}

void SetKey(std::vector<std::string>& lines, const std::string& section, const std::string& key,
            const std::string& value) {
    const std::string entry = key + "=" + OneLine(value);
    size_t header = 0, end = 0;
    if (!FindSection(lines, section, header, end)) {
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
        return;
    }
    std::string k, v;
    size_t lastKey = header;
    for (size_t i = header + 1; i < end; ++i) {
        if (!KeyValue(lines[i], k, v)) continue;
        if (EqualNoCase(k, key)) {
            lines[i] = k + "=" + OneLine(value);
            return;
        }
        lastKey = i;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastKey + 1), entry);
}

bool HasEdgeBlank(std::string_view s) {
    return !s.empty() && (s.front() == ' ' || s.front() == '\t' || s.back() == ' ' || s.back() == '\t');
}

}  // namespace

std::string SettingsFile::Unstorable(const std::string& section, const std::string& key, const std::string& value) {
    const auto refuse = [](const char* what, const std::string& name, const char* why) {
        return std::string("Invalid setting ") + what + " '" + name + "': " + why;
    };
    const auto hasBreak = [](const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; };
    if (section.empty()) return refuse("section", section, "it is empty");
    if (hasBreak(section)) return refuse("section", section, "it contains a line break");
    if (section.find(']') != std::string::npos) return refuse("section", section, "it contains \"]\"");
    if (HasEdgeBlank(section)) return refuse("section", section, "it begins or ends with a blank");
    if (key.empty()) return refuse("key", key, "it is empty");
    if (hasBreak(key)) return refuse("key", key, "it contains a line break");
    if (key.find('=') != std::string::npos) return refuse("key", key, "it contains \"=\"");
    if (HasEdgeBlank(key)) return refuse("key", key, "it begins or ends with a blank");
    if (key.front() == ';' || key.front() == '#' || key.front() == '[')
        return refuse("key", key, "it begins with \";\", \"#\" or \"[\"");
    if (hasBreak(value)) return "Invalid setting value for key '" + key + "': it contains a line break";
    return {};
}

SettingsFile::SettingsFile(std::string path) : path_(std::move(path)) {}

std::string SettingsFile::ReadSetting(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) const {
    const IniText ini = Load(path_);
    return Lookup(ini.lines, section, key).value_or(defaultValue);
}

void SettingsFile::WriteSetting(const std::string& section, const std::string& key,
                                const std::string& value) const {
    // A name the reading would not find again is refused; a value is kept to its first line.
    if (std::string problem = Unstorable(section, key, ""); !problem.empty()) throw Error(problem);
    IniText ini = Load(path_);
    SetKey(ini.lines, section, key, value);
    Store(path_, ini);
}

std::vector<std::string> SettingsFile::ReadSettingList(const std::string& section, const std::string& prefix,
                                                       int maximum) const {
    const IniText ini = Load(path_);
    std::vector<std::string> list;
    for (int i = 0; i < maximum; ++i) {
        auto v = Lookup(ini.lines, section, prefix + std::to_string(i));
        if (!v || v->empty()) break;
        list.push_back(*v);
    }
    return list;
}

void SettingsFile::WriteSettingList(const std::string& section, const std::string& prefix, int maximum,
                                    const std::vector<std::string>& list) const {
    IniText ini = Load(path_);
    size_t header = 0, end = 0;
    // Every section of that name goes, as erasing a section does.
    while (FindSection(ini.lines, section, header, end))
        ini.lines.erase(ini.lines.begin() + static_cast<std::ptrdiff_t>(header),
                        ini.lines.begin() + static_cast<std::ptrdiff_t>(end));
    for (int i = 0; i < maximum && i < static_cast<int>(list.size()); ++i)
        SetKey(ini.lines, section, prefix + std::to_string(i), list[static_cast<size_t>(i)]);
    Store(path_, ini);
}

std::string UserSettingsPath(const std::string& xdgConfigHome, const std::string& home) {
    std::string base;
    if (!xdgConfigHome.empty() && xdgConfigHome.front() == '/') {
        base = xdgConfigHome;
    } else if (!home.empty()) {
        base = platform::JoinPath(home, ".config");
    } else {
        return std::string();
    }
    return platform::JoinPath(platform::JoinPath(base, "kestrova"), "Kestrova.INI");
}

std::string ChooseSettingsPath(const SettingsLocation& location) {
    const std::string portable = location.executableDirectory + "Kestrova.INI";
    if (location.executableDirectoryWritable || platform::FileExists(portable)) return portable;
    const std::string user = UserSettingsPath(location.xdgConfigHome, location.home);
    return user.empty() ? portable : user;
}

std::string DefaultSettingsPath() {
    SettingsLocation location;
    location.executableDirectory = platform::ExecutableDirectory();
    location.executableDirectoryWritable = platform::IsWritableDirectory(location.executableDirectory);
    location.xdgConfigHome = platform::EnvironmentValue("XDG_CONFIG_HOME");
    location.home = platform::EnvironmentValue("HOME");
    return ChooseSettingsPath(location);
}

AppContext LoadApplicationContext(const SettingsFile& settings, const std::string& workingDirectory) {
    AppContext context;
    context.workingDirectory = workingDirectory;
    context.resumeConnection = 0;
    context.pilotName = settings.ReadSetting("General", "Pilot", "None");
    context.pilotId = settings.ReadSetting("General", "PilotID", "None");
    context.pilotNumber = settings.ReadSetting("General", "PilotNum", "None");
    return context;
}

}  // namespace kestrova
