#include "review/log_save.h"

#include "core/messages.h"

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

}  // namespace kestrova::review
