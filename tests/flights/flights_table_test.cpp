#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/error.h"
#include "flights/flights_table.h"
#include "temp_dir.h"

namespace kestrova {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr const char* kClosed = "ClientDataSet1: Cannot perform this operation on a closed dataset";

// Six flights whose ID order (byte order: capitals before small letters) and
// description order differ; two share the ID "None". Fresh table: rowids 1..6.
//   ID order:          2 AZ100, 5 BA300, 1 LX200, 3 None, 4 None, 6 az050
//   description order: 5 EGLL KJFK, 3 EGLL LFPG, 6 KJFK LIRF, 4 LIML LSZH, 2 LIRF LIML, 1 LSZH LIRF
void Seed(FlightsTable& table) {
    table.InsertFlight("LX200", "LSZH LIRF", "plan 1\r\n", "B");
    table.InsertFlight("AZ100", "LIRF LIML", "plan 2\r\n", "");
    table.InsertFlight("None", "EGLL LFPG", "plan 3\r\n", "T");
    table.InsertFlight("None", "LIML LSZH", "plan 4\r\n", "B");
    table.InsertFlight("BA300", "EGLL KJFK", "plan 5\r\n", "I");
    table.InsertFlight("az050", "KJFK LIRF", "plan 6\r\n", "N");
}

std::vector<int64_t> Rowids(FlightsTable& table) {
    std::vector<int64_t> ids;
    for (const auto& r : table.VisibleRecords()) ids.push_back(r.rowid);
    return ids;
}

int64_t CurrentRowid(FlightsTable& table) {
    const auto r = table.Current();
    return r ? r->rowid : 0;
}

class FlightsTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        table = FlightsTable::Open(dir.path());
        ASSERT_TRUE(table.IsOpen()) << table.OpenError();
    }
    FlightsTable Reopen() {
        table = FlightsTable();
        return FlightsTable::Open(dir.path());
    }

    TempDir dir;
    FlightsTable table;
};

TEST_F(FlightsTableTest, MissingFileIsCreatedAsEmptyTable) {
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("Voli.cds")));
    EXPECT_EQ(table.OpenError(), "");
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_FALSE(table.Current().has_value());
    EXPECT_FALSE(table.First());
    EXPECT_FALSE(table.Next());
    EXPECT_EQ(table.RecordNumber(), 0);
    EXPECT_FALSE(table.FindNearest("A"));
    EXPECT_FALSE(table.Delete());
    // Only the table file stays behind: no temporary or journal.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(FlightsTableTest, StoredTextsAreCutToTheirFieldsAndKeptByteForByte) {
    std::string longPlan;
    for (int i = 0; i < 3000; ++i) longPlan += "LIRF  \xB0 123\xE8 ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n";
    struct Case {
        std::string id, description, plan, type;
        std::string storedId, storedDescription, storedType;
    };
    const std::vector<Case> cases = {
        {"ABCDEFGHIJKLMNOPQRSTUVWXY", "LIRF LIML", "x\r\n", "B", "ABCDEFGHIJKLMNOPQRST", "LIRF LIML", "B"},
        {"12345678901234567890", std::string(60, 'D'), longPlan, "TI", "12345678901234567890", std::string(50, 'D'),
         "T"},
        {"\xC0\xE9\xB0", "LIRF \xB0 LIML", "\xB0\xFF\r\nline\r\n", "", "\xC0\xE9\xB0", "LIRF \xB0 LIML", ""},
        {"", "", "", "", "", "", ""},
    };
    for (const auto& c : cases) table.InsertFlight(c.id, c.description, c.plan, c.type);

    FlightsTable reopened = Reopen();
    ASSERT_TRUE(reopened.IsOpen());
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        const auto r = reopened.ReadRecord(static_cast<int64_t>(i) + 1);
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->id, cases[i].storedId);
        EXPECT_EQ(r->description, cases[i].storedDescription);
        EXPECT_EQ(r->plan, cases[i].plan);
        EXPECT_EQ(r->type, cases[i].storedType);
    }

    // The record buffer cuts as well.
    reopened.MoveTo(1);
    reopened.SetField(FlightField::Id, "0123456789012345678901234");
    reopened.SetField(FlightField::Type, "NN");
    EXPECT_EQ(reopened.Shown()->id, "01234567890123456789");
    reopened.Post();
    EXPECT_EQ(reopened.ReadRecord(1)->id, "01234567890123456789");
    EXPECT_EQ(reopened.ReadRecord(1)->type, "N");
}

TEST_F(FlightsTableTest, RecordsSurviveReopenIncludingDuplicateIds) {
    Seed(table);
    table.InsertFlight("None", "LIRF LIRF", "a\r\nb\r\n");
    FlightsTable reopened = Reopen();
    ASSERT_TRUE(reopened.IsOpen());
    EXPECT_EQ(reopened.RecordCount(), 7);
    EXPECT_EQ(Rowids(reopened), (std::vector<int64_t>{2, 5, 1, 3, 4, 7, 6}));
    const auto r = reopened.ReadRecord(7);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->id, "None");
    EXPECT_EQ(r->plan, "a\r\nb\r\n");
    EXPECT_EQ(r->type, "");
    // Opening puts the cursor on the first record in ID order.
    EXPECT_EQ(CurrentRowid(reopened), 2);
}

TEST_F(FlightsTableTest, OrderingsAndCursorMoves) {
    Seed(table);
    EXPECT_EQ(Rowids(table), (std::vector<int64_t>{2, 5, 1, 3, 4, 6}));

    ASSERT_TRUE(table.First());
    EXPECT_TRUE(table.Bof());
    std::vector<int64_t> forward{CurrentRowid(table)};
    std::vector<int64_t> numbers{table.RecordNumber()};
    while (table.Next()) {
        forward.push_back(CurrentRowid(table));
        numbers.push_back(table.RecordNumber());
    }
    EXPECT_EQ(forward, (std::vector<int64_t>{2, 5, 1, 3, 4, 6}));
    EXPECT_EQ(numbers, (std::vector<int64_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(CurrentRowid(table), 6);

    std::vector<int64_t> backward{CurrentRowid(table)};
    while (table.Prior()) backward.push_back(CurrentRowid(table));
    EXPECT_EQ(backward, (std::vector<int64_t>{6, 4, 3, 1, 5, 2}));
    EXPECT_TRUE(table.Bof());

    // Switching the order keeps the current record.
    ASSERT_TRUE(table.MoveTo(3));
    table.SetOrderByFieldName("DESCRIZIONE");
    EXPECT_EQ(table.Order(), FlightsOrder::Description);
    EXPECT_EQ(Rowids(table), (std::vector<int64_t>{5, 3, 6, 4, 2, 1}));
    EXPECT_EQ(CurrentRowid(table), 3);
    EXPECT_EQ(table.RecordNumber(), 2);
    ASSERT_TRUE(table.Next());
    EXPECT_EQ(CurrentRowid(table), 6);
    ASSERT_TRUE(table.Last());
    EXPECT_EQ(CurrentRowid(table), 1);

    table.SetOrderByFieldName("ID");
    EXPECT_EQ(Rowids(table), (std::vector<int64_t>{2, 5, 1, 3, 4, 6}));
    EXPECT_THROW(table.SetOrderByFieldName("TIPO"), std::invalid_argument);
}

TEST_F(FlightsTableTest, TypeFilterShowsOnlyThatLetter) {
    Seed(table);
    table.InsertFlight("ZZ", "stored by a reader", "log\r\n");  // rowid 7, empty type
    struct Case {
        const char* type;
        std::vector<int64_t> byId, byDescription;
    };
    const std::vector<Case> cases = {
        {"B", {1, 4}, {4, 1}}, {"T", {3}, {3}}, {"N", {6}, {6}}, {"I", {5}, {5}}, {"b", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        table.SetOrder(FlightsOrder::Id);
        table.SetTypeFilter(c.type);
        EXPECT_EQ(Rowids(table), c.byId);
        EXPECT_EQ(table.RecordCount(), static_cast<int64_t>(c.byId.size()));
        EXPECT_EQ(CurrentRowid(table), c.byId.empty() ? 0 : c.byId.front());
        table.SetOrder(FlightsOrder::Description);
        EXPECT_EQ(Rowids(table), c.byDescription);
        EXPECT_FALSE(table.MoveTo(7));  // the reader's record, no type
    }
    table.ClearTypeFilter();
    table.SetOrder(FlightsOrder::Id);
    EXPECT_EQ(Rowids(table), (std::vector<int64_t>{2, 5, 1, 3, 4, 7, 6}));
    EXPECT_TRUE(table.MoveTo(7));
}

TEST_F(FlightsTableTest, FindNearestMovesToFirstRecordEqualOrAfter) {
    Seed(table);
    struct Case {
        FlightsOrder order;
        const char* filter;  // nullptr: all
        const char* text;
        int64_t expected;
    };
    const std::vector<Case> cases = {
        {FlightsOrder::Id, nullptr, "", 2},        {FlightsOrder::Id, nullptr, "A", 2},
        {FlightsOrder::Id, nullptr, "AZ1", 2},     {FlightsOrder::Id, nullptr, "AZ2", 5},
        {FlightsOrder::Id, nullptr, "BA300", 5},   {FlightsOrder::Id, nullptr, "C", 1},
        {FlightsOrder::Id, nullptr, "None", 3},    {FlightsOrder::Id, nullptr, "Nonf", 6},
        {FlightsOrder::Id, nullptr, "a", 6},       {FlightsOrder::Id, nullptr, "zzz", 6},  // past the end: last
        {FlightsOrder::Description, nullptr, "E", 5}, {FlightsOrder::Description, nullptr, "EGLL L", 3},
        {FlightsOrder::Description, nullptr, "KJ", 6}, {FlightsOrder::Description, nullptr, "L", 4},
        {FlightsOrder::Description, nullptr, "LI", 4}, {FlightsOrder::Description, nullptr, "LIR", 2},
        {FlightsOrder::Description, nullptr, "LJ", 1}, {FlightsOrder::Description, nullptr, "M", 1},
        {FlightsOrder::Id, "B", "A", 1},           {FlightsOrder::Id, "B", "M", 4},
        {FlightsOrder::Id, "B", "O", 4},           {FlightsOrder::Description, "B", "LIN", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.order == FlightsOrder::Id ? " by ID" : " by description") +
                     (c.filter ? std::string(" type ") + c.filter : ""));
        if (c.filter) {
            table.SetTypeFilter(c.filter);
        } else {
            table.ClearTypeFilter();
        }
        table.SetOrder(c.order);
        EXPECT_TRUE(table.FindNearest(c.text));
        EXPECT_EQ(CurrentRowid(table), c.expected);
    }
    table.SetTypeFilter("T");
    table.SetTypeFilter("x");
    EXPECT_FALSE(table.FindNearest("A"));
    EXPECT_EQ(CurrentRowid(table), 0);
}

TEST_F(FlightsTableTest, EditPostAndCancel) {
    Seed(table);
    ASSERT_TRUE(table.MoveTo(3));
    table.SetField(FlightField::Description, "EGLL LFPB");
    EXPECT_EQ(table.State(), FlightsState::Edit);
    EXPECT_EQ(table.Current()->description, "EGLL LFPG");  // not stored before the post
    EXPECT_EQ(table.Shown()->description, "EGLL LFPB");
    table.Post();
    EXPECT_EQ(table.State(), FlightsState::Browse);
    EXPECT_EQ(CurrentRowid(table), 3);

    ASSERT_TRUE(table.MoveTo(1));
    table.Edit();
    table.SetField(FlightField::Id, "XX");
    table.Cancel();
    EXPECT_EQ(table.State(), FlightsState::Browse);
    EXPECT_EQ(CurrentRowid(table), 1);

    // A pending edit is posted by the quick find, as by any move.
    table.SetField(FlightField::Plan, "edited\r\n");
    table.FindNearest("AZ");
    EXPECT_EQ(CurrentRowid(table), 2);

    FlightsTable reopened = Reopen();
    EXPECT_EQ(reopened.ReadRecord(3)->description, "EGLL LFPB");
    EXPECT_EQ(reopened.ReadRecord(1)->id, "LX200");
    EXPECT_EQ(reopened.ReadRecord(1)->plan, "edited\r\n");
}

TEST_F(FlightsTableTest, InsertPostCancelAndUnchangedInsertDropped) {
    Seed(table);
    ASSERT_TRUE(table.MoveTo(1));
    table.Insert();
    EXPECT_EQ(table.State(), FlightsState::Insert);
    table.Cancel();
    EXPECT_EQ(CurrentRowid(table), 1);
    EXPECT_EQ(table.RecordCount(), 6);

    table.Insert();
    table.Next();  // nothing typed: the insert is dropped
    EXPECT_EQ(table.RecordCount(), 6);
    EXPECT_EQ(CurrentRowid(table), 3);

    table.Insert();
    table.SetField(FlightField::Id, "CC");
    table.SetField(FlightField::Type, "N");
    table.Post();
    EXPECT_EQ(table.RecordCount(), 7);
    EXPECT_EQ(CurrentRowid(table), 7);
    EXPECT_EQ(table.RecordNumber(), 3);  // AZ100, BA300, CC
    EXPECT_EQ(table.ReadRecord(7)->type, "N");

    // Edit on an empty table starts an insert.
    table.SetTypeFilter("x");
    table.Edit();
    EXPECT_EQ(table.State(), FlightsState::Insert);
    table.Cancel();
}

TEST_F(FlightsTableTest, DeleteMovesToNextOrPrior) {
    Seed(table);
    ASSERT_TRUE(table.MoveTo(1));  // LX200, between BA300 and the first None
    EXPECT_TRUE(table.Delete());
    EXPECT_EQ(CurrentRowid(table), 3);
    ASSERT_TRUE(table.Last());
    EXPECT_TRUE(table.Delete());
    EXPECT_EQ(CurrentRowid(table), 4);
    EXPECT_EQ(Rowids(table), (std::vector<int64_t>{2, 5, 3, 4}));

    // While inserting, delete only drops the new record.
    table.Insert();
    table.SetField(FlightField::Id, "new");
    EXPECT_TRUE(table.Delete());
    EXPECT_EQ(table.RecordCount(), 4);

    while (table.Delete()) {
    }
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_FALSE(table.Current().has_value());
    EXPECT_EQ(Reopen().RecordCount(), 0);
}

TEST_F(FlightsTableTest, RecordLeavingTheFilterGivesWayToTheNextVisible) {
    Seed(table);
    table.SetTypeFilter("B");
    ASSERT_EQ(CurrentRowid(table), 1);
    table.SetField(FlightField::Type, "T");
    table.Post();
    EXPECT_EQ(CurrentRowid(table), 4);
    EXPECT_EQ(Rowids(table), (std::vector<int64_t>{4}));

    // A flight stored by a reader has no type: hidden while a type is chosen.
    table.InsertFlight("AAA", "LIRF LIML", "log\r\n");
    EXPECT_EQ(CurrentRowid(table), 4);
    EXPECT_EQ(Rowids(table), (std::vector<int64_t>{4}));

    table.SetField(FlightField::Type, "");
    table.Post();
    EXPECT_EQ(CurrentRowid(table), 0);
    table.ClearTypeFilter();
    EXPECT_EQ(table.RecordCount(), 7);
}

TEST_F(FlightsTableTest, RowWindowsFollowOrderAndFilter) {
    Seed(table);
    struct Case {
        FlightsOrder order;
        const char* filter;
        int64_t first, count;
        std::vector<int64_t> expected;
    };
    const std::vector<Case> cases = {
        {FlightsOrder::Id, nullptr, 0, 3, {2, 5, 1}},
        {FlightsOrder::Id, nullptr, 3, 3, {3, 4, 6}},
        {FlightsOrder::Id, nullptr, 4, 10, {4, 6}},
        {FlightsOrder::Id, nullptr, 6, 3, {}},
        {FlightsOrder::Id, nullptr, 2, -1, {1, 3, 4, 6}},
        {FlightsOrder::Id, nullptr, 0, 0, {}},
        {FlightsOrder::Description, nullptr, 1, 2, {3, 6}},
        {FlightsOrder::Description, "B", 0, 5, {4, 1}},
        {FlightsOrder::Id, "B", 1, 5, {4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + "+" + std::to_string(c.count));
        if (c.filter) {
            table.SetTypeFilter(c.filter);
        } else {
            table.ClearTypeFilter();
        }
        table.SetOrder(c.order);
        std::vector<int64_t> got;
        for (const FlightRow& r : table.VisibleRows(c.first, c.count)) got.push_back(r.rowid);
        EXPECT_EQ(got, c.expected);
    }
    table.ClearTypeFilter();
    table.SetOrder(FlightsOrder::Id);
    const auto rows = table.VisibleRows(0, 1);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].id, "AZ100");
    EXPECT_EQ(rows[0].description, "LIRF LIML");
    EXPECT_EQ(rows[0].type, "");
    const auto withPlans = table.VisibleRecordsWithPlans();
    ASSERT_EQ(withPlans.size(), 6u);
    EXPECT_EQ(withPlans[0].plan, "plan 2\r\n");
}

// Positions and windows far down a long list, in both orderings and under a
// filter, and after another instance changed the list.
TEST_F(FlightsTableTest, PositionsAndWindowsInALongList) {
    // IDs F0000..F0999 in rowid order; descriptions run the other way; even
    // numbers are business, odd ones touristic.
    auto id = [](int n) {
        char text[16];
        std::snprintf(text, sizeof text, "F%04d", n);
        return std::string(text);
    };
    auto description = [](int n) {
        char text[16];
        std::snprintf(text, sizeof text, "D%04d", 999 - n);
        return std::string(text);
    };
    for (int n = 0; n < 1000; ++n) table.InsertFlight(id(n), description(n), "", n % 2 == 0 ? "B" : "T");

    struct Case {
        FlightsOrder order;
        const char* filter;
        int flight;        // found by its ordering key
        int64_t number;    // its 1-based position
        int64_t count;
    };
    const std::vector<Case> cases = {
        {FlightsOrder::Id, nullptr, 0, 1, 1000},        {FlightsOrder::Id, nullptr, 255, 256, 1000},
        {FlightsOrder::Id, nullptr, 256, 257, 1000},    {FlightsOrder::Id, nullptr, 700, 701, 1000},
        {FlightsOrder::Id, nullptr, 999, 1000, 1000},   {FlightsOrder::Description, nullptr, 999, 1, 1000},
        {FlightsOrder::Description, nullptr, 100, 900, 1000}, {FlightsOrder::Id, "B", 600, 301, 500},
        {FlightsOrder::Id, "T", 999, 500, 500},          {FlightsOrder::Description, "T", 1, 500, 500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.flight) + (c.filter ? c.filter : ""));
        if (c.filter) {
            table.SetTypeFilter(c.filter);
        } else {
            table.ClearTypeFilter();
        }
        table.SetOrder(c.order);
        ASSERT_TRUE(table.FindNearest(c.order == FlightsOrder::Id ? id(c.flight) : description(c.flight)));
        EXPECT_EQ(table.Current()->id, id(c.flight));
        EXPECT_EQ(table.RecordNumber(), c.number);
        EXPECT_EQ(table.RecordCount(), c.count);
        const auto window = table.VisibleRows(c.number - 1, 3);
        ASSERT_FALSE(window.empty());
        EXPECT_EQ(window[0].id, id(c.flight));
        EXPECT_EQ(static_cast<int64_t>(window.size()), std::min<int64_t>(3, c.count - c.number + 1));
    }

    // Windows by ID across the anchors agree with the plain numbering.
    table.ClearTypeFilter();
    table.SetOrder(FlightsOrder::Id);
    for (const int64_t first : {0, 250, 256, 511, 512, 990, 1000}) {
        SCOPED_TRACE(first);
        const auto rows = table.VisibleRows(first, 20);
        ASSERT_EQ(static_cast<int64_t>(rows.size()), std::min<int64_t>(20, 1000 - first));
        for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].id, id(static_cast<int>(first + i)));
    }

    // Another instance inserts near the top and deletes one further down.
    FlightsTable other = FlightsTable::Open(dir.path());
    ASSERT_TRUE(table.FindNearest(id(800)));
    EXPECT_EQ(table.RecordNumber(), 801);
    other.InsertFlight("F0000a", "x", "");
    other.InsertFlight("F0001a", "x", "");
    ASSERT_TRUE(other.FindNearest(id(500)));
    ASSERT_TRUE(other.Delete());
    EXPECT_EQ(table.RecordNumber(), 802);
    EXPECT_EQ(table.RecordCount(), 1001);
    EXPECT_EQ(table.VisibleRows(801, 1)[0].id, id(800));
    EXPECT_EQ(table.VisibleRows(1, 2)[1].id, "F0001");
}

// Two instances of the program share Voli.cds. An edit writes only the
// fields it set, so what the other instance changed meanwhile stays; an edit
// of a record the other deleted is kept as a new record, log included.
TEST_F(FlightsTableTest, ChangesBehindTheCursorAreNotLost) {
    Seed(table);
    FlightsTable other = FlightsTable::Open(dir.path());
    ASSERT_TRUE(other.IsOpen());
    EXPECT_FALSE(table.ChangedElsewhere());

    ASSERT_TRUE(table.MoveTo(3));
    table.SetField(FlightField::Type, "N");  // the edit holds the log read now
    ASSERT_TRUE(other.MoveTo(3));
    other.SetField(FlightField::Plan, "newer log\r\n");
    other.SetField(FlightField::Id, "AZ333");
    other.Post();
    EXPECT_TRUE(table.ChangedElsewhere());
    EXPECT_FALSE(table.ChangedElsewhere());
    EXPECT_FALSE(other.ChangedElsewhere());  // its own commit
    table.Post();
    auto r = table.ReadRecord(3);
    EXPECT_EQ(r->plan, "newer log\r\n");
    EXPECT_EQ(r->id, "AZ333");
    EXPECT_EQ(r->type, "N");
    EXPECT_EQ(r->description, "EGLL LFPG");

    // Deleted behind the cursor while being edited.
    ASSERT_TRUE(table.MoveTo(4));
    table.SetField(FlightField::Description, "LIML LSZH edited");
    ASSERT_TRUE(other.MoveTo(4));
    ASSERT_TRUE(other.Delete());
    table.Post();
    const auto current = table.Current();
    ASSERT_TRUE(current.has_value());
    EXPECT_GT(current->rowid, 6);
    EXPECT_EQ(current->id, "None");
    EXPECT_EQ(current->description, "LIML LSZH edited");
    EXPECT_EQ(current->plan, "plan 4\r\n");
    EXPECT_EQ(current->type, "B");
    EXPECT_EQ(table.RecordCount(), 6);

    // Deleted behind the cursor while browsing: the next record takes its place.
    // ID order now: AZ100, AZ333, BA300, LX200, None (the re-inserted 4), az050.
    ASSERT_TRUE(table.MoveTo(1));
    ASSERT_TRUE(other.MoveTo(1));
    ASSERT_TRUE(other.Delete());
    EXPECT_EQ(CurrentRowid(table), current->rowid);
    ASSERT_TRUE(table.Last());
    ASSERT_TRUE(other.Last());
    ASSERT_TRUE(other.Delete());
    EXPECT_EQ(CurrentRowid(table), current->rowid);  // none after it: the last
}

TEST(FlightsClosedTable, EveryOperationReportsTheClosedDataset) {
    TempDir dir;
    WriteBytes(dir.File("Voli.cds"), "not a table\r\n");
    FlightsTable table = FlightsTable::Open(dir.path());
    ASSERT_FALSE(table.IsOpen());
    EXPECT_EQ(table.OpenError(), "Cannot open file Voli.cds");

    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"InsertFlight", [&] { table.InsertFlight("A", "B", "C"); }},
        {"SetOrder", [&] { table.SetOrder(FlightsOrder::Description); }},
        {"SetOrderByFieldName", [&] { table.SetOrderByFieldName("ID"); }},
        {"SetTypeFilter", [&] { table.SetTypeFilter("B"); }},
        {"ClearTypeFilter", [&] { table.ClearTypeFilter(); }},
        {"First", [&] { table.First(); }},
        {"Prior", [&] { table.Prior(); }},
        {"Next", [&] { table.Next(); }},
        {"Last", [&] { table.Last(); }},
        {"MoveTo", [&] { table.MoveTo(1); }},
        {"FindNearest", [&] { table.FindNearest("A"); }},
        {"Current", [&] { table.Current(); }},
        {"Shown", [&] { table.Shown(); }},
        {"RecordNumber", [&] { table.RecordNumber(); }},
        {"RecordCount", [&] { table.RecordCount(); }},
        {"VisibleRecords", [&] { table.VisibleRecords(); }},
        {"VisibleRows", [&] { table.VisibleRows(0, 10); }},
        {"VisibleRecordsWithPlans", [&] { table.VisibleRecordsWithPlans(); }},
        {"ChangedElsewhere", [&] { table.ChangedElsewhere(); }},
        {"ReadRecord", [&] { table.ReadRecord(1); }},
        {"Insert", [&] { table.Insert(); }},
        {"Edit", [&] { table.Edit(); }},
        {"SetField", [&] { table.SetField(FlightField::Id, "A"); }},
        {"Post", [&] { table.Post(); }},
        {"Cancel", [&] { table.Cancel(); }},
        {"Delete", [&] { table.Delete(); }},
        {"SaveToReportLog", [&] { SaveToReportLog(table, dir.path(), "log\r\n"); }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        try {
            operation();
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), kClosed);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("Report.log")));
    EXPECT_EQ(ReadBytes(dir.File("Voli.cds")), "not a table\r\n");
}

TEST(FlightsDataModule, ShutdownPostsChangedEditAndReportsClosedTable) {
    TempDir dir;
    {
        TDM dm(dir.path());
        EXPECT_EQ(dm.OpenMessage(), "");
        dm.ClientDataSet1().InsertFlight("AZ100", "LIRF LIML", "log\r\n");
        dm.ClientDataSet1().SetField(FlightField::Type, "B");
        EXPECT_EQ(dm.Shutdown(), "");
    }
    {
        TDM dm(dir.path());
        EXPECT_EQ(dm.ClientDataSet1().ReadRecord(1)->type, "B");
        dm.ClientDataSet1().SetField(FlightField::Type, "T");
        // Destroyed without an explicit shutdown: still posted.
    }
    {
        TDM dm(dir.path());
        EXPECT_EQ(dm.ClientDataSet1().ReadRecord(1)->type, "T");
        dm.ClientDataSet1().Edit();  // nothing changed: dropped, not posted
        EXPECT_EQ(dm.Shutdown(), "");
    }

    TempDir bad;
    WriteBytes(bad.File("Voli.cds"), "x");
    TDM dm(bad.path());
    EXPECT_EQ(dm.OpenMessage(), "Cannot open file Voli.cds");
    EXPECT_EQ(dm.Shutdown(), kClosed);
    EXPECT_EQ(ReadBytes(bad.File("Voli.cds")), "x");
}

TEST(FlightsSaveToReportLog, WritesEveryLineWithCrLf) {
    struct Case {
        const char* name;
        std::string log, expected;
    };
    const std::vector<Case> cases = {
        {"crlf", "NAVIGATION LOG\r\nLIRF\r\n", "NAVIGATION LOG\r\nLIRF\r\n"},
        {"no final line end", "NAVIGATION LOG\r\nLIRF", "NAVIGATION LOG\r\nLIRF\r\n"},
        {"lf only", "A\nB\n", "A\r\nB\r\n"},
        {"blank lines and 8-bit", "\xB0 12\r\n\r\nEND\r\n", "\xB0 12\r\n\r\nEND\r\n"},
        {"empty", "", ""},
    };
    TempDir dir;
    FlightsTable table = FlightsTable::Open(dir.path());
    ASSERT_TRUE(table.IsOpen());
    WriteBytes(dir.File("Report.log"), "old log\r\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SaveToReportLog(table, dir.path(), c.log);
        EXPECT_EQ(ReadBytes(dir.File("Report.log")), c.expected);
    }
}

TEST(FlightsSaveToReportLog, UnwritableReportLogGivesCannotCreateFile) {
    TempDir dir;
    FlightsTable table = FlightsTable::Open(dir.path());
    std::filesystem::create_directory(dir.File("Report.log"));
    try {
        SaveToReportLog(table, dir.path(), "log\r\n");
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + dir.File("Report.log"));
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("Report.log")));
}

}  // namespace
}  // namespace kestrova
