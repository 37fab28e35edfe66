#include "review/log_save.h"

#include "core/messages.h"
#include "platform/platform.h"

namespace kestrova::review {

std::string BackupFileName(const std::string& path) {
#ifdef _WIN32
    const auto nameStart = path.find_last_of("/\\:");
#else
    const auto nameStart = path.find_last_of('/');
#endif
    const size_t name = nameStart == std::string::npos ? 0 : nameStart + 1;
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || dot <= name) return path + ".BAK";
    return path.substr(0, dot) + ".BAK";
}

Error CannotCreateFile(std::string_view path) { return Error(msg::Format(msg::kCannotCreateFile, path)); }

void SaveWithBackup(const std::string& path, std::string_view contents) {
    if (platform::IsDirectory(path)) throw CannotCreateFile(path);
    const bool exists = platform::FileExists(path);
    // Nothing moves until the new content is safely on disk. A backup that
    // cannot be made does not stop the save; the hard link keeps the previous
    // version under the file's own name until the new one takes its place.
    const int error = platform::ReplaceFileAtomically(path, contents, [&] {
        if (exists) platform::LinkOrMove(path, BackupFileName(path));
    });
    if (error != 0) throw CannotCreateFile(path);
}

}  // namespace kestrova::review
