#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace kestrova::test_support {

// Runs fn in a child process that cannot write into read-only folders: as root
// (where permission bits do not bind) the child drops to user "nobody" first.
// Returns fn's verdict; false when the child failed to run it.
inline bool RunUnprivileged(const std::function<bool()>& fn) {
    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        ::_exit(fn() ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace kestrova::test_support
