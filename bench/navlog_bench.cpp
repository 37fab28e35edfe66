#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/app_context.h"
#include "navlog/flightplanner_navlog.h"
#include "navlog/select_plan.h"
#include "navlog/winplanner_navlog.h"

using namespace kestrova;

namespace {

constexpr int kCheckpoints = 200;

void Place(std::string& line, size_t column, const std::string& text) {
    if (line.size() < column - 1 + text.size()) line.resize(column - 1 + text.size(), ' ');
    line.replace(column - 1, text.size(), text);
}

std::vector<std::string> FlightplannerNavlog() {
    std::vector<std::string> lines = {"Flightplanner 3.0 - Navigation Log", "", "", "", "", "", ""};
    std::string aircraft = "Aircraft:";
    Place(aircraft, 15, "Cessna 182RG Skylane");
    lines.push_back(aircraft);
    lines.push_back("# Leg");
    lines.push_back(std::string(92, '-'));
    std::string from = "From:", to = "To:";
    Place(from, 19, "LIRF");
    Place(from, 88, "06:00");
    Place(to, 19, "LICJ");
    Place(to, 79, std::to_string(kCheckpoints * 10));
    Place(to, 88, "22:40");
    lines.push_back(from);
    lines.push_back(to);
    std::string dep = "1   Depart:";
    Place(dep, 15, "LIRF");
    Place(dep, 74, " 180");
    lines.push_back(dep);
    lines.push_back("    Climb to 6500 ft");
    for (int i = 1; i <= kCheckpoints; ++i) {
        std::string leg = std::to_string(i + 1);
        if (i % 3 == 0) {
            Place(leg, 15, "VOR : VOR" + std::to_string(i % 10) + " [V" + std::to_string(i % 100) + "]");
            Place(leg, 65, "114.90");
        } else {
            Place(leg, 15, "FIX" + std::to_string(i));
        }
        if (i == kCheckpoints) Place(leg, 5, "Arrive:");
        Place(leg, 74, " 180");
        Place(leg, 80, " 10");
        Place(leg, 88, "00:05");
        lines.push_back(leg);
    }
    std::string total = "Total:";
    Place(total, 88, "16:40");
    lines.push_back(total);
    lines.push_back("Fuel: (  250 gallons fuel required)");
    return lines;
}

std::vector<std::string> WinPlannerNavlog() {
    std::vector<std::string> lines = {"WinPlanner 4.0 - Flight Plan Navlog", "", "Flight: LIRF - LICJ"};
    std::string aircraft = "Aircraft    :";
    Place(aircraft, 15, "Cessna 172SP Skyhawk");
    lines.push_back(aircraft);
    while (lines.size() < 10) lines.push_back(std::string(80, '-'));
    for (int i = 0; i <= kCheckpoints; ++i) {
        std::string name = "   WPT";
        Place(name, 15, i == 0 ? "LIRF" : "WPT" + std::to_string(i));
        Place(name, 73, i == 0 ? "  0.0" : " 12.4");
        std::string data = " Freq/Info  :";
        Place(data, 15, i % 2 == 0 ? "114.90" : "375");
        Place(data, 32, "085");
        Place(data, 42, "170");
        Place(data, 48, i == 0 ? "   0.0" : "  20,5");
        lines.push_back(name);
        lines.push_back(data);
    }
    lines.push_back(std::string(80, '-'));
    std::string approach = "Est. approach";
    Place(approach, 71, "   8.0");
    lines.push_back(approach);
    lines.push_back("");
    lines.push_back(std::string(80, '='));
    std::string totals = "TOTALS";
    Place(totals, 50, "999");
    Place(totals, 72, "40.00");
    lines.push_back(totals);
    return lines;
}

// A working directory and a recycle bin of the benchmark's own.
class Sandbox {
public:
    Sandbox() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrova-navlog-bench-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
        ::setenv("XDG_DATA_HOME", (dir_ + "/xdg").c_str(), 1);
        context_.workingDirectory = dir_;
        context_.pilotName = "MARIO ROSSI";
    }
    ~Sandbox() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const AppContext& context() const { return context_; }

private:
    std::string dir_;
    AppContext context_;
};

void BM_PrepareFlightplanner(benchmark::State& st) {
    Sandbox box;
    const std::vector<std::string> navlog = FlightplannerNavlog();
    navlog::SelectPlanState state;
    const LocaleFormats locale;
    for (auto _ : st) {
        state.Memo = navlog;  // the reader leaves the log in both texts
        state.s = navlog;
        navlog::Flightplanner(state, box.context(), locale, "12/04/01");
        benchmark::DoNotOptimize(state.s.data());
    }
    if (state.record.checkpointNames.size() != kCheckpoints) st.SkipWithError("checkpoints lost");
}
BENCHMARK(BM_PrepareFlightplanner)->Unit(benchmark::kMillisecond);

void BM_PrepareWinPlanner(benchmark::State& st) {
    Sandbox box;
    navlog::SelectPlanState state;
    state.Memo = WinPlannerNavlog();
    state.s = state.Memo;
    const LocaleFormats locale;
    for (auto _ : st) {
        navlog::WinPlanner(state, box.context(), locale, "12/04/01");
        benchmark::DoNotOptimize(state.s.data());
    }
    if (state.record.checkpointNames.size() != kCheckpoints + 1) st.SkipWithError("checkpoints lost");
}
BENCHMARK(BM_PrepareWinPlanner)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
