#include "conversion/fsn_writer.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"

namespace kestrova::conversion {
namespace {

using namespace testing;

// Reads the file back field by field, little-endian whatever the host.
class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}
    uint32_t U32(size_t at) const {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | Byte(at + static_cast<size_t>(i));
        return v;
    }
    int32_t I32(size_t at) const { return static_cast<int32_t>(U32(at)); }
    int16_t I16(size_t at) const { return static_cast<int16_t>(Byte(at) | (Byte(at + 1) << 8)); }
    float F32(size_t at) const { return std::bit_cast<float>(U32(at)); }
    std::string Text(size_t at, size_t n) const { return bytes_.substr(at, n); }
    size_t Size() const { return bytes_.size(); }

private:
    uint32_t Byte(size_t at) const { return static_cast<unsigned char>(bytes_.at(at)); }
    const std::string& bytes_;
};

TEST(FsnFile, HeaderAircraftBlockRecordsAndTrailer) {
    const std::string bytes = FsnFileBytes({{4, 41.806684F, -12.5F}, {512, 0.0F, 0.0F}});
    const Reader r(bytes);
    ASSERT_EQ(r.Size(), 428u);
    EXPECT_EQ(r.I32(0), 428);
    EXPECT_EQ(r.Text(4, 2), "FP");
    EXPECT_EQ(r.I16(6), 101);
    EXPECT_EQ(r.I32(8), 0);
    EXPECT_EQ(r.I32(12), 0);
    EXPECT_EQ(r.Text(16, 1), std::string(1, '\x1b'));
    EXPECT_EQ(r.Text(17, 27), "Plan Created By Orlasso Vey");
    const std::vector<int32_t> sections = {320, 1, 388, 2, 408, 2, 416, 1, 0, 0, 0, 0};
    for (size_t i = 0; i < sections.size(); ++i) EXPECT_EQ(r.I32(272 + 4 * i), sections[i]) << "header field " << i;
    EXPECT_EQ(r.Text(320, 32), "Boeing 737" + std::string(22, '\0'));
    for (size_t i = 0; i < 9; ++i) EXPECT_EQ(r.I32(352 + 4 * i), 0);
    EXPECT_EQ(r.I16(388), 4);
    EXPECT_EQ(r.F32(390), 41.806684F);
    EXPECT_EQ(r.F32(394), -12.5F);
    EXPECT_EQ(r.I16(398), 512);
    EXPECT_EQ(r.U32(400), 0u);
    EXPECT_EQ(r.U32(404), 0u);
    EXPECT_EQ(r.I32(408), 31000);
    EXPECT_EQ(r.I32(412), 31000);
    EXPECT_EQ(r.I32(416), 270);
    EXPECT_EQ(r.I32(420), 31000);
    EXPECT_EQ(r.I32(424), 31000);
    // Byte order spelled out once: 428 = 0x1AC, and -12.5F = 0xC1480000.
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xAC\x01\x00\x00", 4));
    EXPECT_EQ(bytes.substr(394, 4), std::string("\x00\x00\x48\xC1", 4));
}

TEST(FsnCodes, ByPlannerType) {
    const std::vector<std::pair<int16_t, int16_t>> fpf = {{2, 4}, {4, 1}, {6, 8}, {8, 512}, {0, 0}, {7, 0}, {-2, 0}};
    for (const auto& [type, code] : fpf) EXPECT_EQ(FpfFsnCode(type), code) << "FlightPlanner type " << type;
    const std::vector<std::pair<int16_t, int16_t>> flt = {{0, 4}, {1, 4}, {2, 2},  {3, 1},  {4, 512},
                                                          {5, 8}, {6, 64}, {7, 0}, {9, 0}, {-1, 0}};
    for (const auto& [type, code] : flt) EXPECT_EQ(FltFsnCode(type), code) << "WinPlanner type " << type;
}

struct Record {
    int16_t code;
    float latitude;
    float longitude;
};

struct FileCase {
    const char* name;
    Conversion convert;
    std::string plan;
    std::vector<Record> records;
    bool badFileFormat;
    std::string error;
};

TEST(FsnConversions, RecordsReadBackFromTheFile) {
    const std::vector<FileCase> cases = {
        {"FlightPlanner, every type", &FpfToFsn, Fixture("fpf-all-types.fpf"),
         {{8, 41.806684F, 12.230873F},
          {4, 43.19244F, 12.874603F},
          {1, -41.806684F, -12.230873F},
          {512, 0.0F, 0.0F},
          {0, 1.7996851e-05F, 122.30873F},
          {8, 41.806684F, -122.30873F}},
         false, ""},
        // No line check here: the blocks present are read, the others stay zero.
        {"FlightPlanner, 10 lines for 2", &FpfToFsn, Fixture("fpf-10-lines-count-2.fpf"),
         {{8, 41.806684F, 12.230873F}, {0, 0.0F, 0.0F}}, false, ""},
        {"FlightPlanner, cut inside a block", &FpfToFsn, Fixture("fpf-cut-inside-block.fpf"),
         {{8, 41.806684F, 12.230873F}, {0, 0.0F, 0.0F}}, false,
         "Line 21 is missing from " + Fixture("fpf-cut-inside-block.fpf")},
        {"FlightPlanner, empty VOR frequency", &FpfToFsn, Fixture("fpf-empty-vor-frequency.fpf"),
         {{8, 41.806684F, 12.230873F}, {4, 43.19244F, 12.874603F}, {1, -41.806684F, -12.230873F}}, false, ""},
        {"FlightPlanner, count 0", &FpfToFsn, Fixture("fpf-count-0.fpf"), {}, true, ""},
        {"WinPlanner, route", &FltToFsn, Fixture("flt-route.flt"),
         {{8, 42.375F, -12.5F}, {4, 41.999993F, 12.5F}, {0, -20.576117F, 0.0F}, {64, 0.0F, 122.30205F}}, false, ""},
        {"WinPlanner, every type", &FltToFsn, Fixture("flt-every-type.flt"),
         {{4, 1.0F, -1.0F},
          {4, 2.0F, -2.0F},
          {2, 3.0F, -3.0F},
          {1, 4.0F, -4.0F},
          {512, 5.0F, -5.0F},
          {8, 6.0F, -6.0F},
          {64, 7.0F, -7.0F},
          {0, 8.0F, -8.0F},
          {0, 9.0F, -9.0F}},
         false, ""},
        {"WinPlanner, count beyond the blocks", &FltToFsn, Fixture("flt-count-beyond-blocks.flt"),
         {{8, 10.0F, -10.0F}, {1, -10.0F, 10.0F}, {0, 0.0F, 0.0F}, {0, 0.0F, 0.0F}}, false,
         "Line 94 is missing from " + Fixture("flt-count-beyond-blocks.flt")},
        {"WinPlanner, count 0", &FltToFsn, Fixture("flt-count-0.flt"), {}, false, ""},
    };
    const TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RunOutcome run = RunConversion(c.convert, c.plan, dir, "Altam.fsn", kKindFsNavigator);
        EXPECT_EQ(run.error, c.error);
        EXPECT_TRUE(run.resultSet);
        if (c.error.empty()) {
            EXPECT_EQ(run.report.badFileFormat, c.badFileFormat);
        }
        const Reader r(run.output);
        const size_t n = c.records.size();
        ASSERT_EQ(r.Size(), 400 + 14 * n);
        EXPECT_EQ(r.I32(0), static_cast<int32_t>(400 + 14 * n));
        EXPECT_EQ(r.I32(284), static_cast<int32_t>(n));
        EXPECT_EQ(r.I32(288), static_cast<int32_t>(388 + 10 * n));
        EXPECT_EQ(r.I32(292), static_cast<int32_t>(n));
        EXPECT_EQ(r.I32(296), static_cast<int32_t>(388 + 14 * n));
        for (size_t i = 0; i < n; ++i) {
            const size_t at = 388 + 10 * i;
            EXPECT_EQ(r.I16(at), c.records[i].code) << "record " << i;
            EXPECT_EQ(r.F32(at + 2), c.records[i].latitude) << "record " << i;
            EXPECT_EQ(r.F32(at + 6), c.records[i].longitude) << "record " << i;
            EXPECT_EQ(r.I32(388 + 10 * n + 4 * i), 31000);
        }
        EXPECT_EQ(r.I32(388 + 14 * n), 270);
    }
}

TEST(FsnConversions, NoFileWhenThePlanCannotBeReadOrTheFileCreated) {
    const TempDir dir;
    struct Row {
        Conversion convert;
        std::string plan;
        std::string outputDirectory;
        std::string error;
    };
    const std::vector<Row> rows = {
        {&FpfToFsn, dir.File("absent.fpf"), dir.path(), "Cannot open file " + dir.File("absent.fpf")},
        {&FltToFsn, dir.File("absent.flt"), dir.path(), "Cannot open file " + dir.File("absent.flt")},
        {&FpfToFsn, Fixture("fpf-count-invalid.fpf"), dir.path(), "'1x' is not a valid integer value"},
        {&FltToFsn, Fixture("flt-route.flt"), dir.File("missing"),
         "Cannot create file " + dir.File("missing") + "/Altam.fsn"},
    };
    for (const auto& row : rows) {
        SetConversionResult("", 0);
        try {
            row.convert(row.plan, row.outputDirectory);
            ADD_FAILURE() << row.plan;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), row.error);
        }
        EXPECT_FALSE(std::filesystem::exists(dir.File("Altam.fsn")));
        EXPECT_EQ(LastOutputFile(), "");
    }
}

}  // namespace
}  // namespace kestrova::conversion
