#include <windows.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "core/error.h"
#include "core/lines.h"
#include "core/messages.h"
#include "simlink/flight_record_file.h"

namespace kestrova {

namespace {

// The recorder names the reason of a failed open from errno, as on POSIX.
void SetErrnoFromLastError() {
    switch (::GetLastError()) {
        case ERROR_ACCESS_DENIED: errno = EACCES; break;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: errno = ENOENT; break;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: errno = EBUSY; break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: errno = ENOSPC; break;
        default: errno = EIO; break;
    }
}

}  // namespace

std::vector<std::string> LoadFlightRecord(const std::string& workingDirectory) {
    const std::string path = FlightRecordPath(workingDirectory);
    // Read access shared with readers only: fails while the recorder writes.
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw Error(msg::Format(msg::kCannotOpenFile, path));
    std::string contents;
    char buf[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buf, sizeof buf, &got, nullptr)) {
            ::CloseHandle(file);
            throw Error(msg::Format(msg::kCannotOpenFile, path));
        }
        if (got == 0) break;
        contents.append(buf, got);
    }
    ::CloseHandle(file);
    return SplitLines(contents);
}

bool FlightRecordWriter::Open(const std::string& path, bool append) {
    Close();
    HANDLE file = INVALID_HANDLE_VALUE;
    // A reader keeps the file only while it reads it: wait briefly for it.
    for (int attempt = 0; attempt < 40; ++attempt) {
        file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_SHARING_VIOLATION) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (file == INVALID_HANDLE_VALUE) {
        SetErrnoFromLastError();
        return false;
    }
    LARGE_INTEGER zero {};
    const bool placed = append ? ::SetFilePointerEx(file, zero, nullptr, FILE_END) != 0
                               : ::SetEndOfFile(file) != 0;
    if (!placed) {
        SetErrnoFromLastError();
        ::CloseHandle(file);
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

bool FlightRecordWriter::WriteLine(const std::string& line) {
    if (handle_ == kNoHandle) return false;
    HANDLE file = reinterpret_cast<HANDLE>(handle_);
    const std::string data = line + "\r\n";
    DWORD written = 0;
    if (!::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) ||
        written != data.size())
        return false;
    return ::FlushFileBuffers(file) != 0;
}

bool FlightRecordWriter::Close() {
    if (handle_ == kNoHandle) return true;
    HANDLE file = reinterpret_cast<HANDLE>(handle_);
    handle_ = kNoHandle;
    const bool flushed = ::FlushFileBuffers(file) != 0;
    return ::CloseHandle(file) != 0 && flushed;
}

}  // namespace kestrova
