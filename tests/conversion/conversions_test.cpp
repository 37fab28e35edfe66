#include "conversion/conversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <unistd.h>

#include "test_support.h"

namespace kestrova::conversion {
namespace {

using namespace testing;

TEST(FindConversion, SevenConversionsAndNoWinPlannerToFs2000) {
    using S = PlanSource;
    const std::vector<std::tuple<S, int16_t, Conversion>> rows = {
        {S::FlightPlanner, kKindAcsGps, &FpfToPrg},      {S::FlightPlanner, kKindGps, &FpfToTxt},
        {S::FlightPlanner, kKindFsNavigator, &FpfToFsn}, {S::FlightPlanner, kKindFs2000, &FpfToPln},
        {S::WinPlanner, kKindAcsGps, &FltToPrg},         {S::WinPlanner, kKindGps, &FltToTxt},
        {S::WinPlanner, kKindFsNavigator, &FltToFsn},    {S::WinPlanner, kKindFs2000, nullptr},
        {S::FlightPlanner, 0, nullptr},                  {S::WinPlanner, 5, nullptr},
    };
    for (const auto& [source, kind, conversion] : rows)
        EXPECT_EQ(FindConversion(source, kind), conversion) << static_cast<int>(source) << " " << kind;
    EXPECT_EQ(KindExtension(kKindAcsGps), "prg");
    EXPECT_EQ(KindExtension(kKindGps), "txt");
    EXPECT_EQ(KindExtension(kKindFsNavigator), "fsn");
    EXPECT_EQ(KindExtension(kKindFs2000), "pln");
}

TEST(ConversionResult, ListenerHearsEveryFinishedFrameIncludingOnesThatFailedInTheLoop) {
    const TempDir dir;
    std::vector<std::pair<std::string, int16_t>> heard;
    SetConversionResultListener([&](const std::string& path, int16_t kind) { heard.emplace_back(path, kind); });
    FpfToTxt(Fixture("fpf-all-types.fpf"), dir.path());
    EXPECT_THROW(FpfToPrg(Fixture("fpf-empty-vor-frequency.fpf"), dir.path()), Error);
    FltToFsn(Fixture("flt-route.flt"), dir.path());
    EXPECT_THROW(FpfToPln(Fixture("fpf-count-invalid.fpf"), dir.path()), Error);  // before the loop: not heard
    FpfToPln(Fixture("fpf-all-types.fpf"), dir.path());
    SetConversionResultListener(nullptr);

    const std::vector<std::pair<std::string, int16_t>> expected = {
        {dir.File("FS98.txt"), 2}, {dir.File("FS98.prg"), 1}, {dir.File("Altam.fsn"), 3}, {dir.File("FS98.pln"), 4}};
    EXPECT_EQ(heard, expected);
    EXPECT_EQ(LastOutputFile(), dir.File("FS98.pln"));
    EXPECT_EQ(LastOutputKind(), 4);
}

TEST(ConversionResult, DefaultOutputIsThePrivateTemporaryDirectory) {
    const TempDir dir;
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    ::setenv("TMPDIR", dir.path().c_str(), 1);
    const ConversionReport report = FpfToTxt(Fixture("fpf-all-types.fpf"));
    if (old) ::setenv("TMPDIR", saved.c_str(), 1);
    else ::unsetenv("TMPDIR");
    const std::string folder = dir.path() + "/kestrova-" + std::to_string(::geteuid());
    EXPECT_EQ(report.outputFile, folder + "/FS98.txt");
    EXPECT_TRUE(SameBytes(ReadBytes(report.outputFile), ReadBytes(Fixture("expected/fpf-all-types.txt"))));
    EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
}

}  // namespace
}  // namespace kestrova::conversion

namespace kestrova::conversion {
namespace {

using namespace testing;

// Plans whose lines reach past line 32767 still convert whole.
TEST(LargePlans, ConvertWhole) {
    const TempDir dir;
    constexpr int kFpf = 2400;
    std::vector<std::string> fpf = {"01", "HEAD", std::to_string(kFpf)};
    for (int i = 0; i < kFpf; ++i) {
        const std::vector<std::string> block = {"6", "W" + std::to_string(i % 1000), "0", "2323000", "570000",
                                                "0", "0", "0", "0", "0", "0", "0", "0", "0"};
        fpf.insert(fpf.end(), block.begin(), block.end());
    }
    WriteBytes(dir.File("large.fpf"), CrLf(fpf));
    constexpr int kFlt = 1100;
    std::vector<std::string> flt = {"W", std::to_string(kFlt)};
    for (int i = 0; i < kFlt; ++i)
        for (int b = 0; b < 32; ++b) flt.push_back(b == 26 ? "5" : b == 8 ? "0NAME" : b == 27 ? "R" : "60");
    WriteBytes(dir.File("large.flt"), CrLf(flt));

    const auto lineCount = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
    EXPECT_EQ(lineCount(ReadBytes(FpfToTxt(dir.File("large.fpf"), dir.path()).outputFile)), kFpf);
    EXPECT_EQ(lineCount(ReadBytes(FpfToPrg(dir.File("large.fpf"), dir.path()).outputFile)), 5 * kFpf);
    EXPECT_EQ(lineCount(ReadBytes(FpfToPln(dir.File("large.fpf"), dir.path()).outputFile)), 13 + kFpf);
    EXPECT_EQ(std::filesystem::file_size(FpfToFsn(dir.File("large.fpf"), dir.path()).outputFile), 400u + 14 * kFpf);
    EXPECT_EQ(lineCount(ReadBytes(FltToPrg(dir.File("large.flt"), dir.path()).outputFile)), 5 * kFlt);
    EXPECT_EQ(lineCount(ReadBytes(FltToTxt(dir.File("large.flt"), dir.path()).outputFile)), kFlt);
    EXPECT_EQ(std::filesystem::file_size(FltToFsn(dir.File("large.flt"), dir.path()).outputFile), 400u + 14 * kFlt);
}

// A count no file of that length could hold is treated like a count below 1
// where the count alone decides the output's size.
TEST(ImpossibleCounts, GiveReducedFilesInsteadOfHugeOnes) {
    const TempDir dir;
    WriteBytes(dir.File("huge.fpf"), CrLf({"01", "HEAD", "2000000000", "6", "AAAA FIRST", "0", "2323000", "570000"}));
    WriteBytes(dir.File("huge.flt"), CrLf({"W", "2000000000", "60", "60"}));
    WriteBytes(dir.File("negative.flt"), CrLf({"W", "-3"}));

    const ConversionReport pln = FpfToPln(dir.File("huge.fpf"), dir.path());
    EXPECT_TRUE(pln.badFileFormat);
    EXPECT_EQ(ReadBytes(pln.outputFile), CrLf({"[FlightPlan]", "Title=Plan generated by Orla", "description=none",
                                               "Type=IFR", "routetype=1", "cruising_altitude="}));
    for (const auto& [convert, plan] : std::vector<std::pair<Conversion, std::string>>{
             {&FpfToFsn, "huge.fpf"}, {&FltToFsn, "huge.flt"}, {&FltToFsn, "negative.flt"}}) {
        const ConversionReport fsn = convert(dir.File(plan), dir.path());
        EXPECT_TRUE(fsn.badFileFormat) << plan;
        EXPECT_EQ(std::filesystem::file_size(fsn.outputFile), 400u) << plan;
    }
    const ConversionReport txt = FltToTxt(dir.File("negative.flt"), dir.path());
    EXPECT_TRUE(txt.badFileFormat);
    EXPECT_EQ(ReadBytes(txt.outputFile), "");
    // Without a line check the reading simply ends at the file's end.
    const ConversionReport fpfTxt = FpfToTxt(dir.File("huge.fpf"), dir.path());
    EXPECT_FALSE(fpfTxt.badFileFormat);
    EXPECT_EQ(ReadBytes(fpfTxt.outputFile), CrLf({"AAAA FIRST0:41:48:24:1:12:13:51"}));
}

}  // namespace
}  // namespace kestrova::conversion
