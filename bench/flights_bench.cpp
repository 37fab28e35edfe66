// Opening a flights table of 100,000 flights, the quick find and the type
// filter of the browser, and one committed insert.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "flights/flights_table.h"
#include "bench_flights.h"

namespace {

using bench_flights::kFlights;
using bench_flights::MakePlan;

const std::string& TableDirectory() { return bench_flights::FilledTableOnce("flights_bench"); }

void BM_OpenTable(benchmark::State& state) {
    const std::string& dir = TableDirectory();
    for (auto _ : state) {
        kestrova::FlightsTable table = kestrova::FlightsTable::Open(dir);
        if (!table.IsOpen()) state.SkipWithError("table not open");
        benchmark::DoNotOptimize(table.IsOpen());
    }
    state.counters["file_MB"] =
        static_cast<double>(std::filesystem::file_size(dir + "/Voli.cds")) / (1024.0 * 1024.0);
}
BENCHMARK(BM_OpenTable)->Unit(benchmark::kMillisecond)->Iterations(5);

// Open and the check of every page, which runs on a worker thread after Open.
void BM_OpenTableAndCheckPages(benchmark::State& state) {
    const std::string& dir = TableDirectory();
    for (auto _ : state) {
        kestrova::FlightsTable table = kestrova::FlightsTable::Open(dir);
        if (!table.WaitForCheck()) state.SkipWithError("table not sound");
    }
}
BENCHMARK(BM_OpenTableAndCheckPages)->Unit(benchmark::kMillisecond)->Iterations(5);

// One window of 100 grid rows at a position in the ordering (ID).
void BM_VisibleRowsWindow(benchmark::State& state) {
    kestrova::FlightsTable table = kestrova::FlightsTable::Open(TableDirectory());
    for (auto _ : state) benchmark::DoNotOptimize(table.VisibleRows(state.range(0), 100));
}
BENCHMARK(BM_VisibleRowsWindow)->Arg(0)->Arg(50000)->Arg(99900)->Unit(benchmark::kMicrosecond);

// The position of the current record, as the grid needs it after a quick find.
void BM_RecordNumber(benchmark::State& state) {
    kestrova::FlightsTable table = kestrova::FlightsTable::Open(TableDirectory());
    table.Last();
    for (auto _ : state) benchmark::DoNotOptimize(table.RecordNumber());
}
BENCHMARK(BM_RecordNumber)->Unit(benchmark::kMicrosecond);

// Typing "AZ4711" one character at a time, as the quick-find field does.
void BM_FindNearestTyping(benchmark::State& state) {
    kestrova::FlightsTable table = kestrova::FlightsTable::Open(TableDirectory());
    table.SetOrder(state.range(0) == 0 ? kestrova::FlightsOrder::Id : kestrova::FlightsOrder::Description);
    const std::string text = state.range(0) == 0 ? "AZ4711" : "LSZH E";
    for (auto _ : state) {
        for (size_t n = 1; n <= text.size(); ++n) {
            table.FindNearest(text.substr(0, n));
            benchmark::DoNotOptimize(table.Current());
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_FindNearestTyping)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Choosing a type: filter on, count for the status line, first record shown.
void BM_TypeFilter(benchmark::State& state) {
    kestrova::FlightsTable table = kestrova::FlightsTable::Open(TableDirectory());
    for (auto _ : state) {
        table.SetTypeFilter("B");
        benchmark::DoNotOptimize(table.RecordCount());
        benchmark::DoNotOptimize(table.Current());
        table.ClearTypeFilter();
    }
}
BENCHMARK(BM_TypeFilter)->Unit(benchmark::kMicrosecond);

// The grid's full list under a type filter (20,000 rows, without the logs).
void BM_TypeFilterList(benchmark::State& state) {
    kestrova::FlightsTable table = kestrova::FlightsTable::Open(TableDirectory());
    table.SetTypeFilter("B");
    for (auto _ : state) benchmark::DoNotOptimize(table.VisibleRecords());
}
BENCHMARK(BM_TypeFilterList)->Unit(benchmark::kMillisecond);

// One flight stored and committed to disk, as after "Prepare Log".
void BM_InsertFlightCommitted(benchmark::State& state) {
    kestrova::FlightsTable table = kestrova::FlightsTable::Open(TableDirectory());
    const std::string plan = MakePlan(1);
    for (auto _ : state) table.InsertFlight("None", "LIRF LIML", plan);
}
BENCHMARK(BM_InsertFlightCommitted)->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace

BENCHMARK_MAIN();
