// Each conversion of a large plan of each planner, in-process, output into a
// private scratch directory.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include <stdlib.h>

#include "conversion/conversions.h"

namespace {

using namespace kestrova::conversion;

constexpr int kFpfWaypoints = 2341;
constexpr int kFltWaypoints = 1024;

std::string Pad(std::string text, size_t width) {
    text.resize(width, ' ');
    return text;
}

// A FlightPlanner plan whose waypoints cycle through the four kinds, north
// and south, east and west.
std::string FlightPlannerPlan(int count) {
    std::string text = "01\r\n" + Pad("BENCH DEPARTURE", 34) + Pad("BENCH ARRIVAL", 34) + "\r\n" +
                       std::to_string(count) + "\r\n";
    const int types[] = {6, 2, 4, 8};
    for (int i = 0; i < count; ++i) {
        const int type = types[i % 4];
        const std::string freq = type == 2 ? " 1490" : type == 4 ? " 3850" : "     ";
        const int sign = i % 3 == 0 ? -1 : 1;
        text += std::to_string(type) + "\r\n";
        text += Pad("W" + std::to_string(i % 10000), 5) + Pad("WAYPOINT NUMBER " + std::to_string(i), 34) + freq + "\r\n";
        text += "5000\r\n";
        text += std::to_string(sign * (1000000 + i * 577)) + "\r\n";
        text += std::to_string(-sign * (300000 + i * 1913)) + "\r\n";
        for (int b = 5; b < 14; ++b) text += "0\r\n";
    }
    return text;
}

// Thousandths as a decimal text, without going through the process locale.
std::string Decimal(int thousandths) {
    const int magnitude = thousandths < 0 ? -thousandths : thousandths;
    std::string fraction = std::to_string(magnitude % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    return (thousandths < 0 ? "-" : "") + std::to_string(magnitude / 1000) + "." + fraction;
}

std::string WinPlannerPlan(int count) {
    std::string text = "WINPLANNER BENCH\r\n" + std::to_string(count) + "\r\n";
    for (int i = 0; i < count; ++i) {
        const int sign = i % 3 == 0 ? -1 : 1;
        for (int b = 0; b < 32; ++b) {
            switch (b) {
                case 0: text += Decimal(sign * (1200000 + i * 1375)); break;
                case 1: text += Decimal(-sign * (600000 + i * 2125)); break;
                case 8: text += "0" + Pad("P" + std::to_string(i % 1000), 4) + " WAYPOINT " + std::to_string(i); break;
                case 26: text += std::to_string(i % 8); break;
                case 27: text += "Remark for waypoint " + std::to_string(i); break;
                default: text += "0"; break;
            }
            text += "\r\n";
        }
    }
    return text;
}

struct Plans {
    std::string directory;
    std::string fpf;
    std::string flt;

    Plans() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrova-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a scratch directory");
        directory = pattern;
        fpf = directory + "/large.fpf";
        flt = directory + "/large.flt";
        std::ofstream(fpf, std::ios::binary) << FlightPlannerPlan(kFpfWaypoints);
        std::ofstream(flt, std::ios::binary) << WinPlannerPlan(kFltWaypoints);
    }
    ~Plans() {
        std::error_code ec;
        std::filesystem::remove_all(directory, ec);
    }
};

const Plans& TestPlans() {
    static const Plans plans;
    return plans;
}

void Run(benchmark::State& state, Conversion convert, bool flightPlanner) {
    const Plans& plans = TestPlans();
    const std::string& plan = flightPlanner ? plans.fpf : plans.flt;
    for (auto _ : state) {
        const ConversionReport report = convert(plan, plans.directory);
        benchmark::DoNotOptimize(report.outputFile.data());
    }
    state.counters["waypoints"] = flightPlanner ? kFpfWaypoints : kFltWaypoints;
}

BENCHMARK_CAPTURE(Run, FpfToPrg_2341, &FpfToPrg, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, FpfToTxt_2341, &FpfToTxt, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, FpfToFsn_2341, &FpfToFsn, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, FpfToPln_2341, &FpfToPln, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, FltToPrg_1024, &FltToPrg, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, FltToTxt_1024, &FltToTxt, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Run, FltToFsn_1024, &FltToFsn, false)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
