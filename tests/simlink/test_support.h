#pragma once

#ifdef _WIN32
#include <windows.h>

#include <csignal>
#include <random>
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "simlink/ipc_client.h"
#include "simlink/recorder.h"
#include "simlink/sim_values.h"

namespace kestrova::test {

#ifdef _WIN32
// A private working directory under %TEMP%, removed at the end. Windows has
// one simulator window per desktop, so tests that start one run one at a time.
class PrivateDirs {
public:
    PrivateDirs() {
        char temp[MAX_PATH + 1];
        const DWORD n = ::GetTempPathA(sizeof temp, temp);
        std::random_device random;
        for (;;) {
            root_ = std::string(temp, n) + "kestrova-simlink-test-" + std::to_string(random());
            if (::CreateDirectoryA(root_.c_str(), nullptr)) break;
        }
        work_ = root_ + "\\work";
        std::filesystem::create_directory(work_);
    }
    ~PrivateDirs() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    const std::string& Work() const { return work_; }
    const std::string& Root() const { return root_; }
    std::string WorkFile(const std::string& name) const { return work_ + "\\" + name; }

private:
    std::string root_, work_;
};
#else
// A private runtime directory (so parallel tests never share a simulator
// socket) and a working directory, both removed at the end.
class PrivateDirs {
public:
    PrivateDirs() {
        char pattern[] = "/tmp/kestrova-simlink-test-XXXXXX";
        root_ = ::mkdtemp(pattern);
        runtime_ = root_ + "/run";
        work_ = root_ + "/work";
        std::filesystem::create_directory(runtime_);
        std::filesystem::create_directory(work_);
        std::filesystem::permissions(runtime_, std::filesystem::perms::owner_all);
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        hadOld_ = old != nullptr;
        if (hadOld_) old_ = old;
        ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    }
    ~PrivateDirs() {
        if (hadOld_) ::setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
        else ::unsetenv("XDG_RUNTIME_DIR");
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    const std::string& Work() const { return work_; }
    const std::string& Root() const { return root_; }
    std::string WorkFile(const std::string& name) const { return work_ + "/" + name; }

private:
    std::string root_, runtime_, work_, old_;
    bool hadOld_ = false;
};
#endif

inline std::string ReadFile(const std::string& path) {
    std::string out;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

inline void WriteFile(const std::string& path, const std::string& contents) {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(contents.data(), 1, contents.size(), f);
    std::fclose(f);
}

inline bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

// Waits until a simulator answers on the window socket.
// The recorder's titles as letters: C connected, P file prepared, E error.
class TitleLetters final : public RecorderStatus {
public:
    void ReportConnected(const std::string&) override { list += "C"; }
    void ReportFilePrepared(const std::string&) override { list += "P"; }
    void ReportThreadError(const std::string&) override { list += "E"; }
    std::string list;
};

// Serves the recorder's calls on this thread until it ends. Past the limit it
// is terminated and served to its end; false then.
inline bool ServeUntilFinished(CallQueue& queue, TTest2000& recorder, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    queue.Serve([&] { return recorder.Finished() || std::chrono::steady_clock::now() > deadline; });
    if (recorder.Finished()) return true;
    recorder.Terminate();
    queue.Serve([&] { return recorder.Finished(); });
    return false;
}

inline bool WaitForSimulator(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (FindSimulatorWindow(kFsInfo.windowClass)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

#ifdef _WIN32
// A process id as the block names carry it.
inline uint32_t ProcessId() { return ::GetCurrentProcessId(); }

// Holds a block name as another process's link would, for as long as it lives.
class HeldBlockName {
public:
    explicit HeldBlockName(const std::string& name)
        : mapping_(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, name.c_str())) {}
    ~HeldBlockName() {
        if (mapping_ != nullptr) ::CloseHandle(mapping_);
    }
    bool Held() const { return mapping_ != nullptr; }

private:
    HANDLE mapping_;
};

// Windows has no SIGKILL; Kill ends the process the hard way whatever it is given.
inline constexpr int kKillSignal = 9;

// A child process with its standard input, output and error on pipes. Output
// is read as text, CR LF becoming LF, as the C runtime reads a console.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::string& directory = {}) {
        SECURITY_ATTRIBUTES inherit {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE inRead = nullptr, outWrite = nullptr, errWrite = nullptr;
        if (!::CreatePipe(&inRead, &stdin_, &inherit, 0) || !::CreatePipe(&stdout_, &outWrite, &inherit, 0) ||
            !::CreatePipe(&stderr_, &errWrite, &inherit, 0))
            return;
        ::SetHandleInformation(stdin_, HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(stdout_, HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(stderr_, HANDLE_FLAG_INHERIT, 0);
        std::string commandLine;
        for (size_t i = 0; i < argv.size(); ++i)
            commandLine += (i > 0 ? " \"" : "\"") + (i == 0 ? NativePath(argv[i]) : argv[i]) + '"';
        STARTUPINFOA startup {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = inRead;
        startup.hStdOutput = outWrite;
        startup.hStdError = errWrite;
        PROCESS_INFORMATION info {};
        if (::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                             directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
            process_ = info.hProcess;
            ::CloseHandle(info.hThread);
        }
        ::CloseHandle(inRead);
        ::CloseHandle(outWrite);
        ::CloseHandle(errWrite);
        readers_[0] = std::thread([this] { Gather(stdout_, out_); });
        readers_[1] = std::thread([this] { Gather(stderr_, err_); });
    }
    ~Child() {
        Kill(kKillSignal);
        Wait();
        CloseInput();
        for (std::thread& reader : readers_)
            if (reader.joinable()) reader.join();
        for (HANDLE h : {stdout_, stderr_, process_})
            if (h != nullptr) ::CloseHandle(h);
    }

    void Send(const std::string& text) {
        DWORD written = 0;
        ::WriteFile(stdin_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    void CloseInput() {
        if (stdin_ != nullptr) ::CloseHandle(stdin_);
        stdin_ = nullptr;
    }
    void Kill(int) {
        if (process_ != nullptr && exit_ < 0) ::TerminateProcess(process_, 137);
    }

    int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
        if (process_ == nullptr) return -1;
        if (exit_ < 0) {
            if (::WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return -1;
            DWORD code = 0;
            ::GetExitCodeProcess(process_, &code);
            exit_ = static_cast<int>(code);
            ended_ = true;
        }
        // The pipes end with the process (and any child holding them).
        for (std::thread& reader : readers_)
            if (reader.joinable()) reader.join();
        return exit_;
    }

    bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (Out().find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    std::string Out() const {
        std::lock_guard lock(mutex_);
        return out_;
    }
    std::string Err() const {
        std::lock_guard lock(mutex_);
        return err_;
    }

    // A path of the build (a Unix path under Wine) in the form Windows takes.
    static std::string NativePath(std::string path) {
        if (!path.empty() && path[0] == '/') path = "Z:" + path;
        for (char& c : path)
            if (c == '/') c = '\\';
        return path;
    }

private:
    // Reads until the pipe breaks, or is empty once the process has ended: a
    // process the child started may hold the pipe open after it.
    void Gather(HANDLE pipe, std::string& into) {
        char buf[4096];
        for (;;) {
            DWORD available = 0;
            if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return;
            if (available == 0) {
                if (ended_) return;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            DWORD got = 0;
            if (!::ReadFile(pipe, buf, std::min<DWORD>(available, sizeof buf), &got, nullptr) || got == 0) return;
            std::lock_guard lock(mutex_);
            into.append(buf, got);
            for (size_t at; (at = into.find("\r\n")) != std::string::npos;) into.erase(at, 1);
        }
    }

    HANDLE process_ = nullptr;
    HANDLE stdin_ = nullptr, stdout_ = nullptr, stderr_ = nullptr;
    std::thread readers_[2];
    std::atomic<bool> ended_ {false};
    int exit_ = -1;
    mutable std::mutex mutex_;
    std::string out_, err_;
};
#else
inline uint32_t ProcessId() { return static_cast<uint32_t>(::getpid()); }

// Holds a block name as another process's link would, for as long as it lives.
class HeldBlockName {
public:
    explicit HeldBlockName(const std::string& name)
        : name_("/" + name), fd_(::shm_open(name_.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600)) {}
    ~HeldBlockName() {
        if (fd_ < 0) return;
        ::close(fd_);
        ::shm_unlink(name_.c_str());
    }
    bool Held() const { return fd_ >= 0; }

private:
    std::string name_;
    int fd_;
};

inline constexpr int kKillSignal = SIGKILL;

// A child process with its standard input, output and error on pipes.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::string& directory = {}) {
        int in[2], out[2], err[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
        // Everything is made ready before the fork: the child of a process with
        // other threads must not allocate before exec.
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            if (!directory.empty() && ::chdir(directory.c_str()) != 0) ::_exit(126);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        stdin_ = in[1];
        stdout_ = out[0];
        stderr_ = err[0];
    }
    ~Child() {
        Kill(SIGKILL);
        Wait();
        for (int fd : {stdin_, stdout_, stderr_})
            if (fd >= 0) ::close(fd);
    }

    void Send(const std::string& text) {
        [[maybe_unused]] const ssize_t n = ::write(stdin_, text.data(), text.size());
    }
    void CloseInput() {
        if (stdin_ >= 0) ::close(stdin_);
        stdin_ = -1;
    }
    void Kill(int signal) {
        if (pid_ > 0 && exit_ < 0) ::kill(pid_, signal);
    }

    // Waits for the end and gathers the rest of both outputs; the exit code,
    // or -1 when it did not end in time.
    int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (exit_ < 0 && pid_ > 0) {
            Drain(20);
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exit_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            if (std::chrono::steady_clock::now() > deadline) return -1;
        }
        Drain(0);
        return exit_;
    }

    // Waits until standard output holds the text.
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (out_.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            Drain(20);
        }
        return true;
    }

    const std::string& Out() const { return out_; }
    const std::string& Err() const { return err_; }

private:
    void Drain(int waitMs) {
        for (;;) {
            pollfd fds[2] = {{stdout_, POLLIN, 0}, {stderr_, POLLIN, 0}};
            if (::poll(fds, 2, waitMs) <= 0) return;
            waitMs = 0;
            bool got = false;
            char buf[4096];
            if (fds[0].revents != 0) {
                const ssize_t n = ::read(stdout_, buf, sizeof buf);
                if (n > 0) out_.append(buf, static_cast<size_t>(n)), got = true;
            }
            if (fds[1].revents != 0) {
                const ssize_t n = ::read(stderr_, buf, sizeof buf);
                if (n > 0) err_.append(buf, static_cast<size_t>(n)), got = true;
            }
            if (!got) return;
        }
    }

    pid_t pid_ = -1;
    int stdin_ = -1, stdout_ = -1, stderr_ = -1;
    int exit_ = -1;
    std::string out_, err_;
};
#endif

}  // namespace kestrova::test
