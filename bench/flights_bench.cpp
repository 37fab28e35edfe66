// Opening a flights table of 100,000 flights, the quick find and the type
// filter of the browser, and one committed insert.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "flights/flights_table.h"

namespace {

constexpr int kFlights = 100000;

// About 2.5 KB, like a prepared log of some thirty legs.
std::string MakePlan(int n) {
    std::string plan = "NAVIGATION LOG  FLIGHT " + std::to_string(n) + "\r\n";
    for (int leg = 0; leg < 30; ++leg)
        plan += "CHK" + std::to_string(leg) + "   045\xB0  12.4  0:07  FL120  ....  ....  ....  ....\r\n";
    return plan;
}

// Built once: an empty table made by the library, then filled in a single
// transaction (one commit per flight would take minutes of fsync).
const std::string& TableDirectory() {
    static const std::string dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "flights_bench_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        { kestrova::FlightsTable::Open(pattern); }
        sqlite3* db = nullptr;
        sqlite3_open((pattern + "/Voli.cds").c_str(), &db);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO ClientDataSet1 (ID, DESCRIZIONE, PIANO_DI_VOLO, TIPO) VALUES (?, ?, ?, ?)",
                           -1, &stmt, nullptr);
        static const char* const airports[] = {"LIRF", "LIML", "LIMC", "LSZH", "EGLL", "LFPG", "EDDF", "KJFK",
                                               "LEMD", "LGAV", "LPPT", "EHAM", "LOWW", "LKPR", "EBBR", "LIPZ"};
        static const char* const types[] = {"B", "T", "N", "I", ""};
        for (int i = 0; i < kFlights; ++i) {
            // Scattered IDs, so that rowid order and ID order differ.
            const std::string id = "AZ" + std::to_string((i * 7919) % kFlights);
            const std::string description = std::string(airports[i % 16]) + " " + airports[(i / 16) % 16];
            const std::string plan = MakePlan(i);
            sqlite3_bind_text(stmt, 1, id.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(stmt, 2, description.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(stmt, 3, plan.data(), static_cast<int>(plan.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(stmt, 4, types[i % 5], -1, SQLITE_STATIC);
            sqlite3_step(stmt);
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        std::atexit([] { std::filesystem::remove_all(TableDirectory()); });
        return pattern;
    }();
    return dir;
}

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
