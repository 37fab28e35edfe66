#pragma once

// A large Voli.cds for the benchmarks: an empty table made by the library,
// then filled in a single transaction (one commit per flight would take
// minutes of fsync).
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "flights/flights_table.h"

namespace bench_flights {

inline constexpr int kFlights = 100000;

// A new folder under the temporary directory.
inline std::string MakeTempDir(const char* name) {
    std::string pattern = (std::filesystem::temp_directory_path() / name).string() + "_XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
}

// About 2.5 KB, like a prepared log of some thirty legs.
inline std::string MakePlan(int n) {
    std::string plan = "NAVIGATION LOG  FLIGHT " + std::to_string(n) + "\r\n";
    for (int leg = 0; leg < 30; ++leg)
        plan += "CHK" + std::to_string(leg) + "   045\xB0  12.4  0:07  FL120  ....  ....  ....  ....\r\n";
    return plan;
}

// Fills the folder's Voli.cds with kFlights flights: scattered IDs (so that
// rowid order and ID order differ), sixteen airports, every type.
inline void FillTable(const std::string& dir) {
    { kestrova::FlightsTable::Open(dir); }
    sqlite3* db = nullptr;
    sqlite3_open((dir + "/Voli.cds").c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO ClientDataSet1 (ID, DESCRIZIONE, PIANO_DI_VOLO, TIPO) VALUES (?, ?, ?, ?)", -1,
                       &stmt, nullptr);
    static const char* const airports[] = {"LIRF", "LIML", "LIMC", "LSZH", "EGLL", "LFPG", "EDDF", "KJFK",
                                           "LEMD", "LGAV", "LPPT", "EHAM", "LOWW", "LKPR", "EBBR", "LIPZ"};
    static const char* const types[] = {"B", "T", "N", "I", ""};
    for (int i = 0; i < kFlights; ++i) {
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
}

// A folder with a filled Voli.cds, made at the first call of the program and
// removed at its end.
inline const std::string& FilledTableOnce(const char* name) {
    static const std::string dir = [name] {
        std::string d = MakeTempDir(name);
        FillTable(d);
        return d;
    }();
    // Registered once the folder's name is complete, so the removal runs
    // before that name is destroyed at exit.
    [[maybe_unused]] static const bool removedAtExit =
        std::atexit([] { std::filesystem::remove_all(FilledTableOnce(nullptr)); }) == 0;
    return dir;
}

}  // namespace bench_flights
