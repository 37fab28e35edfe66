#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "navlog/working_record.h"

// The three steps that complete a navigation log once the head, the leg table
// and the tail are together. None changes the caller's document: each writes
// the whole result to the scratch file of the working record, and the caller
// loads it back from there.
namespace kestrova::navlog {

// Date into head line 4 and the route ("->" and each non-empty checkpoint
// name) onto the route line 6; a route line of 60 characters or more gets a
// continuation line (one blank) below it before the next name. Stores the
// date text in the record.
void FillRouteAndDate(const std::vector<std::string>& document, WorkingRecord& record, const std::string& dateText);

// Appends the aircraft text to the "Aircraft Ident :" line and puts the
// take-off time ("hh<sep>nn") into the Time field of the row 4 lines below
// "TAKE-OFF DATA".
void FillAircraftAndTakeOff(const std::vector<std::string>& document, const WorkingRecord& record,
                            const std::string& takeOffTime, const std::string& aircraft);

// Estimated fuel figures, whole numbers; liters are gallons x 3.786235, and
// every rounding goes halfway cases to the even neighbour.
struct FuelFigures {
    int64_t rate = 0;  // gallons per hour
    int64_t tripGallons = 0;
    int64_t tripLiters = 0;
    int64_t reserveGallons = 0;  // 45 minutes at the rate
    int64_t reserveLiters = 0;
    int64_t totalGallons = 0;  // trip + reserve + 12 of taxi and run-up
    int64_t totalLiters = 0;
};

// Throws Error("Floating point division by zero") for 0 minutes, or
// Error("Invalid floating point operation") when the fuel is 0 as well.
FuelFigures EstimateFuel(int32_t flightMinutes, int32_t fuelRequired);

// Takes the document from the scratch file, rewrites the fuel block below the
// first "Fuel rate:" line with the estimate and saves it back. A failed
// estimate leaves the scratch file as it was.
void FillFuelBlock(const WorkingRecord& record, int32_t flightMinutes, int32_t fuelRequired);

}  // namespace kestrova::navlog
