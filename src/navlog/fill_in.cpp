#include "navlog/fill_in.h"

#include "core/numbers.h"
#include "core/text.h"
#include "navlog/layout.h"

namespace kestrova::navlog {

namespace {

constexpr long double kLitersPerGallon = 3.786235L;
constexpr int64_t kTaxiGallons = 12;
constexpr int64_t kTaxiLiters = 45;
constexpr size_t kRouteLineLimit = 60;

int64_t Liters(int64_t gallons) { return RoundHalfEven(static_cast<long double>(gallons) * kLitersPerGallon); }

std::string Num(int64_t v) { return std::to_string(v); }

}  // namespace

void FillRouteAndDate(const std::vector<std::string>& document, WorkingRecord& record, const std::string& dateText) {
    record.dateText = dateText;
    std::vector<std::string> copy = document;
    if (copy.size() > kTestaDateLine) copy[kTestaDateLine] += dateText;
    if (copy.size() > kTestaRouteLine) {
        size_t current = kTestaRouteLine;
        for (const std::string& name : record.checkpointNames) {
            if (name.empty()) continue;
            if (copy[current].size() >= kRouteLineLimit) {
                copy.insert(copy.begin() + static_cast<std::ptrdiff_t>(current) + 1, " ");
                ++current;
            }
            copy[current] += "->" + name;
        }
    }
    WriteScratch(record, copy);
}

void FillAircraftAndTakeOff(const std::vector<std::string>& document, const WorkingRecord& record,
                            const std::string& takeOffTime, const std::string& aircraft) {
    std::vector<std::string> copy = document;
    for (size_t i = 0; i < copy.size(); ++i) {
        if (copy[i].find(kMarkerAircraft) != std::string::npos) copy[i] += aircraft;
        if (copy[i].find(kMarkerTakeOff) != std::string::npos && i + kDataRowBelowBlockTitle < copy.size()) {
            std::string& row = copy[i + kDataRowBelowBlockTitle];
            row = LeftChars(row, 18) + takeOffTime + "|" + ColumnText(row, 25, static_cast<long long>(row.size()));
        }
    }
    WriteScratch(record, copy);
}

FuelFigures EstimateFuel(int32_t flightMinutes, int32_t fuelRequired) {
    FuelFigures f;
    const long double minutes = flightMinutes;
    f.rate = RoundHalfEven(Divide(static_cast<long double>(fuelRequired) * 60.0L, minutes));
    f.tripGallons = RoundHalfEven(static_cast<long double>(f.rate) * minutes / 60.0L);
    f.tripLiters = Liters(f.tripGallons);
    f.reserveGallons = RoundHalfEven(static_cast<long double>(f.rate) * 45.0L / 60.0L);
    f.reserveLiters = Liters(f.reserveGallons);
    f.totalGallons = f.tripGallons + f.reserveGallons + kTaxiGallons;
    f.totalLiters = Liters(f.totalGallons);
    return f;
}

void FillFuelBlock(const WorkingRecord& record, int32_t flightMinutes, int32_t fuelRequired) {
    std::vector<std::string> doc = ReadScratch(record);
    const FuelFigures f = EstimateFuel(flightMinutes, fuelRequired);
    const size_t line = FindMarker(doc, kMarkerFuelRate);
    if (line != std::string::npos) {
        auto set = [&](size_t offset, std::string text) {
            if (line + offset < doc.size()) doc[line + offset] = std::move(text);
        };
        set(0, "Fuel rate: " + Num(f.rate) + " gal/h (Estimated)");
        set(kTripBelowFuelRate, "Subtotal to first landing - Minutes/Gallons(Liters):" + Num(flightMinutes) + "/" +
                                    Num(f.tripGallons) + "(" + Num(f.tripLiters) + ")");
        set(kReserveBelowFuelRate, "Reserve - Minutes/Gallons(Liters)" + std::string(19, ' ') + ":45/" +
                                       Num(f.reserveGallons) + "(" + Num(f.reserveLiters) + ")");
        set(kTaxiBelowFuelRate, "Taxy / Run-up - Gallons(Liters)" + std::string(26, ' ') + ":" + Num(kTaxiGallons) +
                                    "(" + Num(kTaxiLiters) + ")");
        set(kTotalBelowFuelRate,
            "TOTAL" + std::string(52, ' ') + ":" + Num(f.totalGallons) + "(" + Num(f.totalLiters) + ")");
    }
    WriteScratch(record, doc);
}

}  // namespace kestrova::navlog
