#include "platform/platform.h"

#include <cerrno>

#include "core/error.h"
#include "core/lines.h"
#include "core/messages.h"

namespace kestrova::platform {

std::string JoinPath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    const char last = directory.back();
    if (last == '/' || last == '\\') return directory + name;
#ifdef _WIN32
    return directory + "\\" + name;
#else
    return directory + "/" + name;
#endif
}

std::vector<std::string> LoadLines(const std::string& path) {
    std::string contents;
    if (!ReadWholeFile(path, contents))
        throw Error(msg::Format(errno == EFBIG ? msg::kFileTooLarge : msg::kCannotOpenFile, path));
    return SplitLines(contents);
}

void SaveLines(const std::string& path, const std::vector<std::string>& lines) {
    if (ReplaceFileAtomically(path, JoinLines(lines)) != 0)
        throw Error(msg::Format(msg::kCannotCreateFile, path));
}

void CopyFileReplacing(const std::string& from, const std::string& to) {
    std::string contents;
    if (!ReadWholeFile(from, contents))
        throw Error(msg::Format(errno == EFBIG ? msg::kFileTooLarge : msg::kCannotOpenFile, from));
    if (ReplaceFileAtomically(to, contents) != 0) throw Error(msg::Format(msg::kCannotCreateFile, to));
}

}  // namespace kestrova::platform
