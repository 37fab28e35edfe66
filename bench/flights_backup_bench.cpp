// The start-up backup of a flights table of 100,000 flights: what starting it
// costs the window, how long the copy takes on its worker thread, and how
// long a committed insert on the window's thread waits while the copy runs.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "flights/flights_backup.h"
#include "flights/flights_table.h"
#include "bench_flights.h"

namespace {

using bench_flights::kFlights;
using bench_flights::MakePlan;

const std::string& TableDirectory() { return bench_flights::FilledTableOnce("backup_bench"); }

// The window's share: the call that starts the worker.
void BM_StartBackup(benchmark::State& state) {
    const std::string& dir = TableDirectory();
    for (auto _ : state) {
        auto job = kestrova::StartFlightsBackup(dir);
        state.PauseTiming();
        if (job->Wait().outcome != kestrova::FlightsBackupResult::Outcome::Copied) state.SkipWithError("no backup");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartBackup)->Unit(benchmark::kMicrosecond)->Iterations(3);

// The worker's share: copy, check, rotation.
void BM_WholeBackup(benchmark::State& state) {
    const std::string& dir = TableDirectory();
    for (auto _ : state) {
        const auto r = kestrova::BackupFlightsFile(dir, std::chrono::system_clock::now());
        if (r.outcome != kestrova::FlightsBackupResult::Outcome::Copied) state.SkipWithError("no backup");
    }
    state.counters["file_MB"] =
        static_cast<double>(std::filesystem::file_size(dir + "/Voli.cds")) / (1024.0 * 1024.0);
}
BENCHMARK(BM_WholeBackup)->Unit(benchmark::kMillisecond)->Iterations(2);

// Committed inserts on the window's thread while the copy runs: the longest
// one is what the pilot could notice.
void BM_InsertDuringBackup(benchmark::State& state) {
    const std::string& dir = TableDirectory();
    kestrova::FlightsTable table = kestrova::FlightsTable::Open(dir);
    const std::string plan = MakePlan(1);
    double longest = 0;
    int inserts = 0;
    for (auto _ : state) {
        auto job = kestrova::StartFlightsBackup(dir);
        for (int i = 0; i < 20; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            table.InsertFlight("None", "LIRF LIML", plan);
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - t0;
            longest = std::max(longest, took.count());
            ++inserts;
        }
        job->Wait();
    }
    state.counters["longest_insert_ms"] = longest;
    state.counters["inserts"] = inserts;
}
BENCHMARK(BM_InsertDuringBackup)->Unit(benchmark::kMillisecond)->Iterations(2);

// The same inserts without a backup, to tell the wait for the copy's read
// lock from the disk's own time for a committed write.
void BM_InsertAlone(benchmark::State& state) {
    kestrova::FlightsTable table = kestrova::FlightsTable::Open(TableDirectory());
    const std::string plan = MakePlan(1);
    double longest = 0;
    for (auto _ : state) {
        for (int i = 0; i < 20; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            table.InsertFlight("None", "LIRF LIML", plan);
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - t0;
            longest = std::max(longest, took.count());
        }
    }
    state.counters["longest_insert_ms"] = longest;
}
BENCHMARK(BM_InsertAlone)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
