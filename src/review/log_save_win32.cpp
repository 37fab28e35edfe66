#include <windows.h>

#include <cstring>

#include "core/error.h"
#include "review/log_save.h"

namespace kestrova::review {

namespace {

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return ".";
    return path.substr(0, slash + 1);
}

// The new content in a temporary file beside the target, flushed to disk.
// Empty when it cannot be made.
std::string WriteDurableTemp(const std::string& path, std::string_view contents) {
    char temp[MAX_PATH];
    if (GetTempFileNameA(DirectoryOf(path).c_str(), "tmp", 0, temp) == 0) return {};
    HANDLE h = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DeleteFileA(temp);
        return {};
    }
    bool ok = true;
    while (ok && !contents.empty()) {
        const DWORD chunk = contents.size() > 1u << 30 ? 1u << 30 : static_cast<DWORD>(contents.size());
        DWORD written = 0;
        ok = WriteFile(h, contents.data(), chunk, &written, nullptr) != 0 && written > 0;
        contents.remove_prefix(written);
    }
    ok = ok && FlushFileBuffers(h) != 0;
    ok = CloseHandle(h) != 0 && ok;
    if (!ok) {
        DeleteFileA(temp);
        return {};
    }
    return temp;
}

}  // namespace

void SaveWithBackup(const std::string& path, std::string_view contents) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) throw CannotCreateFile(path);

    // Nothing moves until the new content is safely on disk.
    const std::string temp = WriteDurableTemp(path, contents);
    if (temp.empty()) throw CannotCreateFile(path);

    if (exists) {
        const std::string backup = BackupFileName(path);
        // A backup that cannot be made does not stop the save. A hard link
        // keeps the previous version under the file's own name until the new
        // one takes its place; where links are not supported the file moves.
        if (_stricmp(backup.c_str(), path.c_str()) != 0) {
            DeleteFileA(backup.c_str());
            if (CreateHardLinkA(backup.c_str(), path.c_str(), nullptr) == 0)
                MoveFileExA(path.c_str(), backup.c_str(), MOVEFILE_WRITE_THROUGH);
        }
    }

    if (MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        DeleteFileA(temp.c_str());
        throw CannotCreateFile(path);
    }
}

}  // namespace kestrova::review
