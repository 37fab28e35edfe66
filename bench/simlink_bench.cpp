#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>

#include "simlink/ipc_client.h"
#include "simlink/sim_server.h"
#include "simlink/sim_values.h"

namespace {

using namespace kestrova;

// A private runtime directory, so the benchmark never meets a real stand-in.
std::string PrivateRuntime() {
    char pattern[] = "/tmp/kestrova-bench-XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    return dir;
}

// One ReadSnapshot transaction (16 reads, one message exchange) against the
// in-process simulator server.
void BM_ReadSnapshot(benchmark::State& state) {
    const std::string dir = PrivateRuntime();
    SimServer server;
    if (!server.Start().empty()) {
        state.SkipWithError("no server");
        return;
    }
    const SimWindow window = FindSimulatorWindow(kFsInfo.windowClass);
    if (!IpcOpen(window, 65536, 2000)) {
        state.SkipWithError("no link");
        return;
    }
    SimSnapshot snapshot;
    for (auto _ : state) {
        if (!ReadSnapshot(kFsInfo, snapshot)) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(snapshot);
    }
    IpcClose();
    server.Stop();
    ::rmdir(dir.c_str());
}
BENCHMARK(BM_ReadSnapshot);

// The floor of the transport: 4 bytes there and 4 back over a Unix-domain
// stream socket to a thread that answers at once.
void BM_BareRoundTrip(benchmark::State& state) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) {
        state.SkipWithError("no socket pair");
        return;
    }
    std::thread echo([fd = fds[1]] {
        uint32_t word;
        while (::recv(fd, &word, 4, MSG_WAITALL) == 4) ::send(fd, &word, 4, MSG_NOSIGNAL);
    });
    uint32_t word = 1;
    for (auto _ : state) {
        ::send(fds[0], &word, 4, MSG_NOSIGNAL);
        ::recv(fds[0], &word, 4, MSG_WAITALL);
        benchmark::DoNotOptimize(word);
    }
    ::shutdown(fds[0], SHUT_RDWR);
    echo.join();
    ::close(fds[0]);
    ::close(fds[1]);
}
BENCHMARK(BM_BareRoundTrip);

}  // namespace

BENCHMARK_MAIN();
