#include <gtest/gtest.h>

#include "core/error.h"
#include "core/lines.h"
#include "navlog/fill_in.h"
#include "navlog/layout.h"
#include "navlog/working_record.h"
#include "navlog_test_support.h"

using namespace kestrova;
using namespace kestrova::navlog;
using navlog_test::TempDir;

namespace {

std::vector<std::string> HeadAndTail() {
    const TemplateList t = LoadTemplates();
    std::vector<std::string> doc = t.Testa;
    doc.insert(doc.end(), t.Coda.begin(), t.Coda.end());
    return doc;
}

class FillIn : public ::testing::Test {
protected:
    void SetUp() override { record.scratchPath = dir.File("tmpScratch"); }
    std::vector<std::string> Scratch() { return ReadScratch(record); }
    TempDir dir;
    WorkingRecord record;
};

TEST_F(FillIn, RouteWrapsAtSixtyCharactersAndSkipsEmptyNames) {
    struct Case {
        std::string routeLine;
        std::vector<std::string> names;
        std::vector<std::string> expected;
    };
    const std::string at59 = "Clearance:" + std::string(49, 'X');
    const std::string at60 = "Clearance:" + std::string(50, 'X');
    const Case cases[] = {
        {"Clearance:", {}, {"Clearance:"}},
        {"Clearance:", {"OST", "", "TAQ", ""}, {"Clearance:->OST->TAQ"}},
        // A line of 60 sends the next name to a continuation line.
        {at60, {"OST", "TAQ"}, {at60, " ->OST->TAQ"}},
        // A line of 59 still takes the next name and ends longer than 60.
        {at59, {"OST", "TAQ"}, {at59 + "->OST", " ->TAQ"}},
        {"Clearance:",
         {"AAAAAAA", "BBBBBBB", "CCCCCCC", "DDDDDDD", "EEEEEEE", "FFFFFFF", "GGGGGGG", "HHHHHHH", "IIIIIII",
          "JJJJJJJ", "KKKKKKK", "LLLLLLL", "MMMMMMM", "NNNNNNN", "OOOOOOO", "PPPPPPP", "QQQQQQQ"},
         {"Clearance:->AAAAAAA->BBBBBBB->CCCCCCC->DDDDDDD->EEEEEEE->FFFFFFF",
          " ->GGGGGGG->HHHHHHH->IIIIIII->JJJJJJJ->KKKKKKK->LLLLLLL->MMMMMMM",
          " ->NNNNNNN->OOOOOOO->PPPPPPP->QQQQQQQ"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.routeLine + " + " + std::to_string(c.names.size()) + " names");
        std::vector<std::string> doc = HeadAndTail();
        doc[kTestaRouteLine] = c.routeLine;
        record.checkpointNames = c.names;
        FillRouteAndDate(doc, record, "12/04/01");
        const std::vector<std::string> out = Scratch();
        ASSERT_EQ(out.size(), doc.size() + c.expected.size() - 1);
        for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(out[kTestaRouteLine + i], c.expected[i]);
        EXPECT_EQ(out[kTestaDateLine], "Date           :12/04/01");
        // Everything below the route moved down with it.
        EXPECT_EQ(FindMarker(out, kMarkerCheckpointHeader), 8 + c.expected.size() - 1);
        EXPECT_EQ(out.back(), doc.back());
    }
    EXPECT_EQ(record.dateText, "12/04/01");
}

TEST_F(FillIn, RouteStepLeavesTheCallersDocumentAlone) {
    std::vector<std::string> doc = HeadAndTail();
    const std::vector<std::string> before = doc;
    record.checkpointNames = {"OST"};
    FillRouteAndDate(doc, record, "12/04/01");
    EXPECT_EQ(doc, before);
}

TEST_F(FillIn, AircraftAndTakeOffTime) {
    std::vector<std::string> doc = HeadAndTail();
    FillAircraftAndTakeOff(doc, record, "09:30", "Cessna 182RG Skylane");
    const std::vector<std::string> out = Scratch();
    ASSERT_EQ(out.size(), doc.size());
    EXPECT_EQ(out[2], "Aircraft Ident : Cessna 182RG Skylane");
    const size_t row = FindMarker(out, kMarkerTakeOff) + 4;
    EXPECT_EQ(out[row], "    |           | 09:30|      |            |        |      |     |");
    // The landing row is the log update's, not this step's.
    EXPECT_EQ(out[FindMarker(out, kMarkerLanding) + 4], doc[FindMarker(doc, kMarkerLanding) + 4]);

    // Without the markers nothing is filled, and the document is still saved.
    const std::vector<std::string> plain = {"no markers here", ""};
    FillAircraftAndTakeOff(plain, record, "09:30", "Cessna");
    EXPECT_EQ(Scratch(), plain);
}

TEST(FuelEstimate, FiguresAndRounding) {
    struct Row {
        int minutes;
        int fuel;
        FuelFigures expected;
    };
    const Row rows[] = {
        // 27.69 -> 28 gal/h; trip 30.33 -> 30, 113.59 -> 114; reserve 21, 79.51 -> 80; total 63, 238.53 -> 239
        {65, 30, {28, 30, 114, 21, 80, 63, 239}},
        // rate 6: a reserve of 4.5 goes to 4; trip 6, 22.72 -> 23; total 22, 83.30 -> 83
        {60, 6, {6, 6, 23, 4, 15, 22, 83}},
        // rate 10: a reserve of 7.5 goes to 8; trip 10, 37.86 -> 38; 30.29 -> 30; total 30, 113.59 -> 114
        {60, 10, {10, 10, 38, 8, 30, 30, 114}},
        // 25.8 -> 26 gal/h, 100 min: trip 43.33 -> 43, 162.81 -> 163; a reserve of 19.5 goes to 20 (even)
        {100, 43, {26, 43, 163, 20, 76, 75, 284}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.fuel) + " gallons in " + std::to_string(r.minutes) + " minutes");
        const FuelFigures f = EstimateFuel(r.minutes, r.fuel);
        EXPECT_EQ(f.rate, r.expected.rate);
        EXPECT_EQ(f.tripGallons, r.expected.tripGallons);
        EXPECT_EQ(f.tripLiters, r.expected.tripLiters);
        EXPECT_EQ(f.reserveGallons, r.expected.reserveGallons);
        EXPECT_EQ(f.reserveLiters, r.expected.reserveLiters);
        EXPECT_EQ(f.totalGallons, r.expected.totalGallons);
        EXPECT_EQ(f.totalLiters, r.expected.totalLiters);
    }
}

TEST_F(FillIn, FuelBlockRewritesTheLinesBelowTheFirstFuelRate) {
    std::vector<std::string> doc = HeadAndTail();
    doc.push_back("Fuel rate: a later line stays");
    WriteScratch(record, doc);
    FillFuelBlock(record, 65, 30);
    const std::vector<std::string> out = Scratch();
    ASSERT_EQ(out.size(), doc.size());
    const size_t f = 11 + 21;
    std::vector<std::string> expected = doc;
    expected[f] = "Fuel rate: 28 gal/h (Estimated)";
    expected[f + 2] = "Subtotal to first landing - Minutes/Gallons(Liters):65/30(114)";
    expected[f + 4] = "Reserve - Minutes/Gallons(Liters)" + std::string(19, ' ') + ":45/21(80)";
    expected[f + 5] = "Taxy / Run-up - Gallons(Liters)" + std::string(26, ' ') + ":12(45)";
    expected[f + 7] = "TOTAL" + std::string(52, ' ') + ":63(239)";
    EXPECT_EQ(out, expected);
}

TEST_F(FillIn, FuelBlockWithoutFuelRateLineSavesTheDocumentUnchanged) {
    const std::vector<std::string> doc = {"a", "b"};
    WriteScratch(record, doc);
    FillFuelBlock(record, 65, 30);
    EXPECT_EQ(Scratch(), doc);
}

TEST_F(FillIn, NoFlightMinutesStopsTheFuelStepAndKeepsTheScratchFile) {
    const std::vector<std::string> doc = HeadAndTail();
    WriteScratch(record, doc);
    const std::string before = navlog_test::ReadBytes(record.scratchPath);
    struct Row {
        int fuel;
        std::string message;
    };
    for (const Row& r : {Row{30, "Floating point division by zero"}, Row{0, "Invalid floating point operation"}}) {
        try {
            FillFuelBlock(record, 0, r.fuel);
            ADD_FAILURE() << "no error for fuel " << r.fuel;
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), r.message.c_str());
        }
        EXPECT_EQ(navlog_test::ReadBytes(record.scratchPath), before);
    }
}

TEST_F(FillIn, ScratchFileFailuresNameThePath) {
    record.scratchPath = dir.File("missing-folder/tmpX");
    try {
        FillRouteAndDate(HeadAndTail(), record, "12/04/01");
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + record.scratchPath);
    }
    try {
        FillFuelBlock(record, 60, 10);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + record.scratchPath);
    }
}

TEST_F(FillIn, ScratchFileHoldsCrLfLines) {
    WriteScratch(record, {"a\xB0", "", "b"});
    EXPECT_EQ(navlog_test::ReadBytes(record.scratchPath), "a\xB0\r\n\r\nb\r\n");
}

}  // namespace
