// A plan file read as .fpf and as .flt through every conversion there is: each
// writes its route file or throws the system's Error.
#include "conversion/conversions.h"
#include "core/error.h"
#include "fuzz_support.h"

using namespace kestrova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string plan = fuzz::ScratchFile("plan");
    fuzz::PutFile(plan, fuzz::AsText(data, size));
    const std::string out = fuzz::ScratchDirectory() + "/";
    for (const auto source : {conversion::PlanSource::FlightPlanner, conversion::PlanSource::WinPlanner}) {
        for (int16_t kind = conversion::kKindAcsGps; kind <= conversion::kKindFs2000; ++kind) {
            const conversion::Conversion convert = conversion::FindConversion(source, kind);
            if (convert == nullptr) continue;
            try {
                convert(plan, out);
            } catch (const Error&) {
            }
        }
    }
    return 0;
}
