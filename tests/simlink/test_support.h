#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "simlink/ipc_client.h"
#include "simlink/sim_values.h"

namespace kestrova::test {

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
inline bool WaitForSimulator(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (FindSimulatorWindow(kFsInfo.windowClass)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

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

}  // namespace kestrova::test
