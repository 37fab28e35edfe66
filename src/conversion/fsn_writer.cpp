#include "conversion/fsn_writer.h"

#include <bit>
#include <cmath>
#include <limits>

#include "conversion/coord_forms.h"
#include "conversion/output_files.h"
#include "conversion/plan_files.h"
#include "platform/platform.h"

namespace kestrova::conversion {

static_assert(std::numeric_limits<float>::is_iec559, "the file holds IEEE 754 single-precision floats");

int16_t FpfFsnCode(int16_t type) {
    switch (type) {
        case 2: return 4;    // VOR
        case 4: return 1;    // NDB
        case 6: return 8;    // airport
        case 8: return 512;  // intersection
        default: return 0;
    }
}

int16_t FltFsnCode(int16_t type) {
    switch (type) {
        case 0: return 4;
        case 1: return 4;
        case 2: return 2;
        case 3: return 1;
        case 4: return 512;
        case 5: return 8;
        case 6: return 64;
        default: return 0;
    }
}

namespace {

// Byte by byte, so the file is the same whatever the host's byte order.
void PutU16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void PutU32(std::string& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void PutI32(std::string& out, int32_t v) { PutU32(out, static_cast<uint32_t>(v)); }

void PutFloat(std::string& out, float v) { PutU32(out, std::bit_cast<uint32_t>(v)); }

void PutText(std::string& out, std::string_view text, size_t width) {
    out += text;
    out.append(width - text.size(), '\0');
}

// Nearest single-precision value; beyond its range, infinity of the same sign.
float NarrowToFloat(double value) {
    if (std::fabs(value) > std::numeric_limits<float>::max())
        return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

constexpr int32_t kHeaderSize = 320;
constexpr int32_t kAircraftSize = 68;
constexpr int32_t kRecordsOffset = kHeaderSize + kAircraftSize;  // 388

}  // namespace

std::string FsnFileBytes(const std::vector<FSNREC>& records) {
    const auto n = static_cast<int32_t>(records.size());
    std::string out;
    out.reserve(static_cast<size_t>(400 + 14 * static_cast<int64_t>(n)));

    PutI32(out, 512);  // the file size, filled in at the end
    out += "FP";
    PutU16(out, 101);
    PutI32(out, 0);
    PutI32(out, 0);
    const std::string_view title = "Plan Created By Orlasso Vey";
    out += static_cast<char>(title.size());
    PutText(out, title, 255);
    // Section table: aircraft, waypoint records, per-waypoint values, trailer.
    PutI32(out, kHeaderSize);
    PutI32(out, 1);
    PutI32(out, kRecordsOffset);
    PutI32(out, n);
    PutI32(out, kRecordsOffset + 10 * n);
    PutI32(out, n);
    PutI32(out, kRecordsOffset + 14 * n);
    PutI32(out, 1);
    for (int i = 0; i < 4; ++i) PutI32(out, 0);

    PutText(out, "Boeing 737", 32);
    for (int i = 0; i < 9; ++i) PutI32(out, 0);

    for (const FSNREC& record : records) {
        PutU16(out, static_cast<uint16_t>(record.code));
        PutFloat(out, record.latitude);
        PutFloat(out, record.longitude);
    }
    for (int32_t i = 0; i < n; ++i) PutI32(out, 31000);
    PutI32(out, 270);
    PutI32(out, 31000);
    PutI32(out, 31000);

    std::string size;
    PutI32(size, static_cast<int32_t>(out.size()));
    out.replace(0, 4, size);
    return out;
}

std::string WriteFsnFile(const std::vector<FSNREC>& records, const std::string& outputDirectory) {
    const std::string path = OutputPath(outputDirectory, kFsnFileName);
    WriteBinaryFile(path, FsnFileBytes(records));
    SetConversionResult(path, kKindFsNavigator);
    return path;
}

namespace {

// Counts that no plan of this many lines can hold would make the file grow
// without bound (and its 32-bit offsets overflow); they get the treatment of a
// count below 1.
bool CountFitsFile(int32_t count, const PlanFile& plan) {
    constexpr int64_t kMostRecords = (std::numeric_limits<int32_t>::max() - 400) / 14;
    return count <= plan.LineCount() && count <= kMostRecords;
}

}  // namespace

ConversionReport FpfToFsn(const std::string& planPath) { return FpfToFsn(planPath, platform::SystemTempDirectory()); }

ConversionReport FpfToFsn(const std::string& planPath, const std::string& outputDirectory) {
    const PlanFile plan = PlanFile::Load(planPath);
    const int32_t count = ReadFpfCount(plan);
    const bool usable = count >= 1 && CountFitsFile(count, plan);
    std::vector<FSNREC> records(usable ? static_cast<size_t>(count) : 0);
    std::string path;
    FinishAfter(
        [&] {
            if (!usable) return;
            ForEachFpfWaypoint(plan, count, [&](int32_t i, const PuntiVolo& waypoint) {
                records[static_cast<size_t>(i)] = {FpfFsnCode(waypoint.type),
                                                   NarrowToFloat(FpfLatDegrees(waypoint.latitude)),
                                                   NarrowToFloat(FpfLonDegrees(waypoint.longitude))};
            });
        },
        [&] { path = WriteFsnFile(records, outputDirectory); });
    return {path, kKindFsNavigator, !usable};
}

ConversionReport FltToFsn(const std::string& planPath) { return FltToFsn(planPath, platform::SystemTempDirectory()); }

ConversionReport FltToFsn(const std::string& planPath, const std::string& outputDirectory) {
    const PlanFile plan = PlanFile::Load(planPath);
    const int32_t count = ReadFltCount(plan);
    const bool usable = count >= 0 && CountFitsFile(count, plan);
    std::vector<FSNREC> records(usable ? static_cast<size_t>(count) : 0);
    std::string path;
    FinishAfter(
        [&] {
            if (!usable) return;
            ForEachFltBlock(plan, count, [&](int32_t i, const FltBlock& block) {
                // Lines 8 and 27 are not used, but a block must reach them.
                block.Line(8);
                block.Line(27);
                const int16_t code = FltFsnCode(block.Type());
                const float latitude = NarrowToFloat(FltDegrees(block.Latitude()));
                const float longitude = NarrowToFloat(FltDegrees(block.Longitude()));
                records[static_cast<size_t>(i)] = {code, latitude, longitude};
            });
        },
        [&] { path = WriteFsnFile(records, outputDirectory); });
    return {path, kKindFsNavigator, !usable};
}

}  // namespace kestrova::conversion
