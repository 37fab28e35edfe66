#include <windows.h>
#include <shellapi.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "core/error.h"
#include "core/messages.h"
#include "platform/platform.h"

namespace kestrova::platform {

namespace {

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    return path.substr(0, slash);
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string LocaleText(LCTYPE type, const std::string& fallback) {
    char buf[128];
    const int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf);
    if (n <= 1) return fallback;
    return std::string(buf, static_cast<size_t>(n - 1));
}

// A Windows date or time picture (dd/MM/yyyy, HH:mm:ss, h:mm:ss tt) in our
// pattern tokens, with the separator given as ':' or '/'.
std::string FromWindowsPicture(const std::string& in, char separator, char token) {
    std::string out;
    for (size_t i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c == '\'') {  // quoted literal
            const auto end = in.find('\'', i + 1);
            out += in.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
            if (end == std::string::npos) break;
            i = end;
            continue;
        }
        size_t run = 1;
        while (i + run < in.size() && in[i + run] == c) ++run;
        switch (c) {
            case 'H': case 'h': out += run >= 2 ? "hh" : "h"; break;
            case 'm': out += token == ':' ? (run >= 2 ? "nn" : "n") : (run >= 2 ? "mm" : "m"); break;
            case 'M': out += run >= 2 ? "mm" : "m"; break;
            case 's': out += run >= 2 ? "ss" : "s"; break;
            case 't': out += "ampm"; break;
            case 'd': out += run >= 2 ? "dd" : "d"; break;
            case 'y': out += run >= 3 ? "yyyy" : "yy"; break;
            default:
                for (size_t k = 0; k < run; ++k) out += (c == separator ? token : c);
                break;
        }
        i += run - 1;
    }
    return out;
}

}  // namespace

std::string SystemTempDirectory() {
    char buf[MAX_PATH + 1];
    const DWORD n = ::GetTempPathA(sizeof buf, buf);
    if (n == 0 || n > sizeof buf) throw Error(msg::Format(msg::kCannotCreateFile, "%TEMP%"));
    const std::string dir = JoinPath(std::string(buf, n), "kestrova");
    if (!::CreateDirectoryA(dir.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        throw Error(msg::Format(msg::kCannotCreateFile, dir));
    return dir + "\\";
}

std::string CreateUniqueTempFile(const std::string& directory, const std::string& prefix) {
    char buf[MAX_PATH + 1];
    if (::GetTempFileNameA(directory.c_str(), prefix.c_str(), 0, buf) == 0)
        throw Error(msg::Format(msg::kCannotCreateFile, JoinPath(directory, prefix)));
    return buf;
}

bool MoveToRecycleBin(const std::string& path) {
    // The shell wants a list ended by two zero characters.
    std::string from = path;
    from.push_back('\0');
    from.push_back('\0');
    SHFILEOPSTRUCTA op {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT;
    if (::SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted && !FileExists(path)) return true;
    return ::DeleteFileA(path.c_str()) != 0;
}

LocaleFormats CurrentLocaleFormats() {
    LocaleFormats formats;
    const std::string timeSep = LocaleText(LOCALE_STIME, ":");
    const std::string dateSep = LocaleText(LOCALE_SDATE, "/");
    formats.timeSeparator = timeSep.empty() ? ':' : timeSep[0];
    formats.dateSeparator = dateSep.empty() ? '/' : dateSep[0];
    formats.longTimeFormat = FromWindowsPicture(LocaleText(LOCALE_STIMEFORMAT, "HH:mm:ss"), formats.timeSeparator, ':');
    formats.shortDateFormat = FromWindowsPicture(LocaleText(LOCALE_SSHORTDATE, "MM/dd/yy"), formats.dateSeparator, '/');
    return formats;
}

double CurrentDateTime() {
    SYSTEMTIME t {};
    ::GetLocalTime(&t);
    return EncodeDate(t.wYear, t.wMonth, t.wDay) + EncodeTime(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

std::string CurrentDirectory() {
    char buf[MAX_PATH + 1];
    const DWORD n = ::GetCurrentDirectoryA(sizeof buf, buf);
    if (n == 0 || n > sizeof buf) return ".";
    std::string dir(buf, n);
    if (dir.size() > 3 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    return dir;
}

std::string ExecutableDirectory() {
    char buf[MAX_PATH + 1];
    const DWORD n = ::GetModuleFileNameA(nullptr, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf) return CurrentDirectory() + "\\";
    return DirectoryOf(std::string(buf, n)) + "\\";
}

std::string FindFileNoCase(const std::string& directory, const std::string& name) {
    const std::string exact = JoinPath(directory, name);
    // Windows matches names without regard to case already; FindFirstFileA
    // gives the name as it is stored.
    WIN32_FIND_DATAA data {};
    HANDLE find = ::FindFirstFileA(exact.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return exact;
    ::FindClose(find);
    if (Lower(data.cFileName) != Lower(name)) return exact;
    return JoinPath(directory, data.cFileName);
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ReadWholeFile(const std::string& path, std::string& contents) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        errno = ENOENT;
        return false;
    }
    std::string data;
    char buf[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buf, sizeof buf, &got, nullptr)) {
            ::CloseHandle(file);
            errno = EIO;
            return false;
        }
        if (got == 0) break;
        data.append(buf, got);
    }
    ::CloseHandle(file);
    contents = std::move(data);
    return true;
}

int ReplaceFileAtomically(const std::string& path, std::string_view contents) {
    return ReplaceFileAtomically(path, contents, {});
}

int ReplaceFileAtomically(const std::string& path, std::string_view contents,
                          const std::function<void()>& beforeReplace) {
    const std::string dir = DirectoryOf(path);
    char temp[MAX_PATH + 1];
    if (::GetTempFileNameA(dir.c_str(), "tmp", 0, temp) == 0) return EACCES;
    HANDLE file = ::CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ::DeleteFileA(temp);
        return EACCES;
    }
    bool ok = true;
    size_t done = 0;
    while (ok && done < contents.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(contents.size() - done, 1u << 20));
        ok = ::WriteFile(file, contents.data() + done, chunk, &written, nullptr) != 0 && written == chunk;
        done += written;
    }
    ok = ::FlushFileBuffers(file) != 0 && ok;
    ok = ::CloseHandle(file) != 0 && ok;
    if (ok && beforeReplace) beforeReplace();
    if (ok) ok = ::MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) {
        ::DeleteFileA(temp);
        return EIO;
    }
    return 0;
}

bool LinkOrMove(const std::string& from, const std::string& to) {
    if (::_stricmp(from.c_str(), to.c_str()) == 0) return true;
    // The old file of that name goes only when the new one takes its place in
    // the same step: a link is made under a fresh name beside it first, since
    // a link cannot replace a file.
    char fresh[MAX_PATH + 1];
    if (::GetTempFileNameA(DirectoryOf(to).c_str(), "tmp", 0, fresh) != 0) {
        ::DeleteFileA(fresh);
        if (::CreateHardLinkA(fresh, from.c_str(), nullptr) != 0) {
            if (::MoveFileExA(fresh, to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) return true;
            ::DeleteFileA(fresh);
        }
    }
    // No links on this volume (FAT, some shares): move the file over it.
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool IsDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ErrorText(int error) { return std::strerror(error); }

}  // namespace kestrova::platform

namespace kestrova::platform {

// Attributes do not tell (Program Files is read-only by its ACL), so try.
bool IsWritableDirectory(const std::string& path) {
    if (!IsDirectory(path)) return false;
    char name[MAX_PATH];
    if (::GetTempFileNameA(path.c_str(), "tmp", 0, name) == 0) return false;
    ::DeleteFileA(name);
    return true;
}

std::string EnvironmentValue(const std::string& name) {
    const DWORD n = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (n == 0) return std::string();
    std::string value(n, '\0');
    const DWORD got = ::GetEnvironmentVariableA(name.c_str(), value.data(), n);
    value.resize(got);
    return value;
}

}  // namespace kestrova::platform
