#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli.h"
#include "conversion/conversions.h"
#include "core/error.h"
#include "core/messages.h"
#include "platform/platform.h"

namespace kestrova::cli {

namespace {

constexpr const char* kUsage = "convert fpf|flt PLANFILE prg|txt|fsn|pln [-o OUTFILE]";

int16_t KindOf(const std::string& target) {
    if (target == "prg") return conversion::kKindAcsGps;
    if (target == "txt") return conversion::kKindGps;
    if (target == "fsn") return conversion::kKindFsNavigator;
    if (target == "pln") return conversion::kKindFs2000;
    return 0;
}

int Usage() {
    std::cerr << "usage: kestrova-cli " << kUsage << "\n";
    return 2;
}

int Run(const std::vector<std::string>& args, const Globals&) {
    std::string outFile;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (i + 1 >= args.size() || !outFile.empty()) return Usage();
            outFile = args[++i];
            if (outFile.empty()) return Usage();
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 3) return Usage();
    const std::string& source = positional[0];
    if (source != "fpf" && source != "flt") return Usage();
    const int16_t kind = KindOf(positional[2]);
    if (kind == 0) return Usage();

    const auto convert = conversion::FindConversion(
        source == "fpf" ? conversion::PlanSource::FlightPlanner : conversion::PlanSource::WinPlanner, kind);
    if (convert == nullptr) return Fail(std::string(msg::kNotImplemented));

    // Errors of the reading go to main, which prints them; the file in the
    // temporary directory then holds what was written, and nothing is copied.
    const conversion::ConversionReport report = convert(positional[1], platform::SystemTempDirectory());
    if (outFile.empty()) {
        std::cout << report.outputFile << "\n";
    } else {
        platform::CopyFileReplacing(report.outputFile, outFile);
        // Deleted, not recycled: scripted conversions would fill the bin, and
        // the copy at OUTFILE is the result.
        std::remove(report.outputFile.c_str());
        std::cout << outFile << "\n";
    }
    // The reduced file is still a result, as on the screen: saved, then reported.
    if (report.badFileFormat) return Fail(std::string(msg::kBadFileFormat));
    return 0;
}

const Registrar reg("convert", kUsage, &Run);

}  // namespace

}  // namespace kestrova::cli
