#include "conversion/gps_list_writer.h"

#include "conversion/coord_forms.h"
#include "conversion/output_files.h"
#include "core/text.h"
#include "platform/platform.h"

namespace kestrova::conversion {

std::string FpfGpsLine(const PuntiVolo& waypoint) {
    // A blank identifier column takes the name's start; a short one stays.
    const std::string identifier =
        waypoint.identifier == "     " ? LeftChars(waypoint.name, 5) : waypoint.identifier;
    const ACSREC record = MakeAcsRec(identifier, LeftChars(waypoint.name, 20), GpsFpfLatitude(waypoint.latitude),
                                     GpsFpfLongitude(waypoint.longitude), "");
    return PadRight(record.identifier, 5, ' ') + record.description + record.latitude + ":" + record.longitude;
}

std::string FltGpsLine(const FltBlock& block) {
    const std::string description = PadRight(ColumnText(block.Line(8), 2, 26), 26, ' ');
    const ACSREC record =
        MakeAcsRec("", description, GpsFltLatitude(block.Latitude()), GpsFltLongitude(block.Longitude()), "");
    return record.description + record.latitude + ":" + record.longitude;
}

ConversionReport FpfToTxt(const std::string& planPath) { return FpfToTxt(planPath, platform::SystemTempDirectory()); }

ConversionReport FpfToTxt(const std::string& planPath, const std::string& outputDirectory) {
    TextOutput out(OutputPath(outputDirectory, kTxtFileName));
    const PlanFile plan = PlanFile::Load(planPath);
    const int32_t count = ReadFpfCount(plan);
    // This conversion makes no line check: it reads what the file holds.
    const bool usable = count >= 1;
    FinishAfter(
        [&] {
            if (!usable) return;
            ForEachFpfWaypoint(plan, count,
                               [&](int32_t, const PuntiVolo& waypoint) { out.WriteLine(FpfGpsLine(waypoint)); });
        },
        [&] {
            out.Close();
            SetConversionResult(out.Path(), kKindGps);
        });
    return {out.Path(), kKindGps, !usable};
}

ConversionReport FltToTxt(const std::string& planPath) { return FltToTxt(planPath, platform::SystemTempDirectory()); }

ConversionReport FltToTxt(const std::string& planPath, const std::string& outputDirectory) {
    TextOutput out(OutputPath(outputDirectory, kTxtFileName));
    const PlanFile plan = PlanFile::Load(planPath);
    const int32_t count = ReadFltCount(plan);
    const bool usable = count >= 0;
    FinishAfter(
        [&] {
            if (!usable) return;
            ForEachFltBlock(plan, count, [&](int32_t, const FltBlock& block) { out.WriteLine(FltGpsLine(block)); });
        },
        [&] {
            out.Close();
            SetConversionResult(out.Path(), kKindGps);
        });
    return {out.Path(), kKindGps, !usable};
}

}  // namespace kestrova::conversion
