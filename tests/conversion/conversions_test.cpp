#include "conversion/conversions.h"

#include <gtest/gtest.h>

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
    FpfToTxt(Fixture("fpf-all-types.fpf"), dir.Path());
    EXPECT_THROW(FpfToPrg(Fixture("fpf-empty-vor-frequency.fpf"), dir.Path()), Error);
    FltToFsn(Fixture("flt-route.flt"), dir.Path());
    EXPECT_THROW(FpfToPln(Fixture("fpf-count-invalid.fpf"), dir.Path()), Error);  // before the loop: not heard
    FpfToPln(Fixture("fpf-all-types.fpf"), dir.Path());
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
    ::setenv("TMPDIR", dir.Path().c_str(), 1);
    const ConversionReport report = FpfToTxt(Fixture("fpf-all-types.fpf"));
    if (old) ::setenv("TMPDIR", saved.c_str(), 1);
    else ::unsetenv("TMPDIR");
    const std::string folder = dir.Path() + "/kestrova-" + std::to_string(::geteuid());
    EXPECT_EQ(report.outputFile, folder + "/FS98.txt");
    EXPECT_TRUE(SameBytes(ReadBytes(report.outputFile), ReadBytes(Fixture("expected/fpf-all-types.txt"))));
    EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
}

}  // namespace
}  // namespace kestrova::conversion
