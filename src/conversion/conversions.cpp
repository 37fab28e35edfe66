#include "conversion/conversions.h"

namespace kestrova::conversion {

Conversion FindConversion(PlanSource source, int16_t kind) {
    // Taking the address needs the overload with the output directory.
    if (source == PlanSource::FlightPlanner) {
        switch (kind) {
            case kKindAcsGps: return static_cast<Conversion>(&FpfToPrg);
            case kKindGps: return static_cast<Conversion>(&FpfToTxt);
            case kKindFsNavigator: return static_cast<Conversion>(&FpfToFsn);
            case kKindFs2000: return static_cast<Conversion>(&FpfToPln);
            default: return nullptr;
        }
    }
    switch (kind) {
        case kKindAcsGps: return static_cast<Conversion>(&FltToPrg);
        case kKindGps: return static_cast<Conversion>(&FltToTxt);
        case kKindFsNavigator: return static_cast<Conversion>(&FltToFsn);
        default: return nullptr;
    }
}

}  // namespace kestrova::conversion
