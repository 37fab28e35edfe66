#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/mail_handoff.h"

extern char** environ;

namespace kestrova::platform {

namespace {

// The full path of an executable found on $PATH, or empty.
std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        const std::string candidate = (dir.empty() ? std::string(".") : std::string(dir)) + "/" + program;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string_view::npos) return {};
        rest.remove_prefix(colon + 1);
    }
}

// Runs the program with one argument and waits for it; true on exit code 0.
bool RunAndWait(const std::string& program, const std::string& argument) {
    std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>(argument.c_str()), nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// xdg-email is given a ready mailto: URL rather than --body TEXT: its own
// encoding of --body runs the text through the shell's echo (backslashes
// change), turns CR LF into two CRs and drops the last line end.
class XdgMailHandOff : public MailHandOff {
public:
    bool Send(std::string_view body) override {
        const std::string url = MailtoUrl(body);
        // Longer, and the mail program would get a cut message or none.
        if (url.size() > kMaxMailtoUrl) return false;
        std::string program = FindOnPath("xdg-email");
        if (program.empty()) program = FindOnPath("xdg-open");
        if (program.empty()) return false;
        return RunAndWait(program, url);
    }
};

}  // namespace

std::unique_ptr<MailHandOff> SystemMailHandOff() { return std::make_unique<XdgMailHandOff>(); }

}  // namespace kestrova::platform
