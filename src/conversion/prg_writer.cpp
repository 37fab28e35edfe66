#include "conversion/prg_writer.h"

#include "conversion/coord_forms.h"
#include "conversion/output_files.h"
#include "core/numbers.h"
#include "core/text.h"
#include "platform/platform.h"

namespace kestrova::conversion {

ACSREC FpfAcsRecord(const PuntiVolo& waypoint) {
    std::string kind;
    switch (waypoint.type) {
        case 2: kind = "VOR"; break;
        case 4: kind = "NDB"; break;
        case 8: kind = "ISEC"; break;
        default: kind = "XXXX"; break;
    }
    const double value = FpfFrequencyValue(waypoint);
    return MakeAcsRec(waypoint.identifier, LeftChars(waypoint.name, 10) + kind + ":" + FormatGeneral(value),
                      AcsFpfLatitude(waypoint.latitude), AcsFpfLongitude(waypoint.longitude), kind);
}

ACSREC FltAcsRecord(const FltBlock& block) {
    const std::string& names = block.Line(8);
    const std::string description = ColumnText(names, 2, 12) + ": " + block.Line(27);
    const std::string latitude = AcsFltLatitude(block.Latitude());
    const std::string longitude = AcsFltLongitude(block.Longitude());
    return MakeAcsRec(ColumnText(names, 2, 4), description, latitude, longitude, "");
}

namespace {

void WriteWaypoint(TextOutput& out, const ACSREC& record, bool longitudeFirst) {
    out.WriteLine(record.identifier);
    out.WriteLine(record.description);
    // The two sources write their coordinate lines in opposite orders.
    out.WriteLine(longitudeFirst ? record.longitude : record.latitude);
    out.WriteLine(longitudeFirst ? record.latitude : record.longitude);
    out.WriteLine(" ");
}

}  // namespace

ConversionReport FpfToPrg(const std::string& planPath) { return FpfToPrg(planPath, platform::SystemTempDirectory()); }

ConversionReport FpfToPrg(const std::string& planPath, const std::string& outputDirectory) {
    TextOutput out(OutputPath(outputDirectory, kPrgFileName));
    const PlanFile plan = PlanFile::Load(planPath);
    const int32_t count = ReadFpfCount(plan);
    const bool usable = count >= 1 && FpfLinesSuffice(plan, count);
    FinishAfter(
        [&] {
            if (!usable) return;
            ForEachFpfWaypoint(plan, count, [&](int32_t, const PuntiVolo& waypoint) {
                WriteWaypoint(out, FpfAcsRecord(waypoint), true);
            });
        },
        [&] {
            out.Close();
            SetConversionResult(out.Path(), kKindAcsGps);
        });
    return {out.Path(), kKindAcsGps, !usable};
}

ConversionReport FltToPrg(const std::string& planPath) { return FltToPrg(planPath, platform::SystemTempDirectory()); }

ConversionReport FltToPrg(const std::string& planPath, const std::string& outputDirectory) {
    TextOutput out(OutputPath(outputDirectory, kPrgFileName));
    const PlanFile plan = PlanFile::Load(planPath);
    const int32_t count = ReadFltCount(plan);
    // No waypoint is a valid WinPlanner plan; a negative count is not.
    const bool usable = count >= 0;
    FinishAfter(
        [&] {
            if (!usable) return;
            ForEachFltBlock(plan, count, [&](int32_t, const FltBlock& block) {
                WriteWaypoint(out, FltAcsRecord(block), false);
            });
        },
        [&] {
            out.Close();
            SetConversionResult(out.Path(), kKindAcsGps);
        });
    return {out.Path(), kKindAcsGps, !usable};
}

}  // namespace kestrova::conversion
