#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

#include "platform/child_process.h"
#include "platform/platform.h"

extern char** environ;

namespace kestrova::platform {

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

int StatusOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

}  // namespace

ChildProcess::~ChildProcess() { Terminate(); }

bool ChildProcess::Available() { return true; }

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args, std::string& error) {
    Terminate();
    exitStatus_ = -1;
    std::vector<std::string> argv {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argp;
    for (std::string& a : argv) argp.push_back(a.data());
    argp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Files the caller left inheritable (a lock, a socket) must not live on
    // in the helper: it may outlive the caller by a moment.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
    // The helper gets the signal handling of a fresh program whatever the
    // caller blocks or ignores, so that SIGTERM ends it.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGCHLD}) sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, program.c_str(), &actions, &attr, argp.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        error = "cannot start " + program + ": " + ErrorText(rc);
        return false;
    }
    pid_ = pid;
    return true;
}

bool ChildProcess::Running() {
    if (pid_ == 0) return false;
    int status = 0;
    pid_t r;
    do r = ::waitpid(static_cast<pid_t>(pid_), &status, WNOHANG);
    while (r < 0 && errno == EINTR);
    if (r == 0) return true;
    exitStatus_ = r > 0 ? StatusOf(status) : 255;  // reaped elsewhere: ended all the same
    pid_ = 0;
    return false;
}

void ChildProcess::Terminate(std::chrono::milliseconds grace) {
    if (!Running()) return;
    ::kill(static_cast<pid_t>(pid_), SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (Running()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(static_cast<pid_t>(pid_), SIGKILL);
            int status = 0;
            while (::waitpid(static_cast<pid_t>(pid_), &status, 0) < 0 && errno == EINTR) {
            }
            exitStatus_ = StatusOf(status);
            pid_ = 0;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string FindProgram(const std::string& name, const std::vector<std::string>& directories) {
    for (const std::string& dir : directories) {
        const std::string path = JoinPath(dir, name);
        if (IsExecutableFile(path)) return path;
    }
    const std::string path = EnvironmentValue("PATH");
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        // An empty PATH entry is the current directory; not looked in, as a
        // program found there by chance is not the one meant.
        if (end > start) {
            const std::string candidate = JoinPath(path.substr(start, end - start), name);
            if (IsExecutableFile(candidate)) return candidate;
        }
        start = end + 1;
    }
    return {};
}

}  // namespace kestrova::platform
