#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/error.h"
#include "flights/flights_csv.h"
#include "flights/flights_table.h"
#include "temp_dir.h"

namespace kestrova {
namespace {

using test::ReadBytes;
using test::TempDir;

const std::string kFixture = std::string(FIXTURE_DIR) + "/flights-export-two-records.csv";

FlightRecord Record(std::string id, std::string description, std::string plan, std::string type) {
    FlightRecord r;
    r.id = std::move(id);
    r.description = std::move(description);
    r.plan = std::move(plan);
    r.type = std::move(type);
    return r;
}

// The two records of the fixture, in ID order.
std::vector<FlightRecord> FixtureRecords() {
    return {Record("AZ 101", "LIML LIRF", "NAVIGATION LOG\r\nLIML 045\xB0 12 NM, \"direct\"\r\n", "B"),
            Record("None", "Caf\xE9, bar", "", "")};
}

// An RFC 4180 reader written for the test, independent of the writer: rows of
// fields; fails the test on a malformed text.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            ++i;
            for (;;) {
                if (i >= text.size()) {
                    ADD_FAILURE() << "unterminated quoted field";
                    return rows;
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i++];
            }
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != '\r') {
                EXPECT_NE(text[i], '"') << "quote inside an unquoted field";
                EXPECT_NE(text[i], '\n') << "line break inside an unquoted field";
                field += text[i++];
            }
        }
        row.push_back(field);
        field.clear();
        if (i < text.size() && text[i] == ',') {
            ++i;
            continue;
        }
        if (text.compare(i, 2, "\r\n") != 0) {
            ADD_FAILURE() << "row not ended by CR LF at byte " << i;
            return rows;
        }
        i += 2;
        rows.push_back(row);
        row.clear();
    }
    return rows;
}

TEST(FlightsCsv, MatchesTheHandWrittenFile) {
    EXPECT_EQ(FlightsCsv(FixtureRecords()), ReadBytes(kFixture));
    EXPECT_EQ(FlightsCsv({}), "ID,DESCRIZIONE,PIANO_DI_VOLO,TIPO\r\n");
}

TEST(FlightsCsv, EveryRecordReadsBackFieldForField) {
    std::string allBytes;
    for (int b = 1; b < 256; ++b) allBytes += static_cast<char>(b);
    const std::vector<FlightRecord> records = {
        Record("", "", "", ""),
        Record("\"", "\"\"", "\"quoted\"", ""),
        Record(",", " leading and trailing ", "a,b,c", "T"),
        Record("LF", "line\nbreak", "unix\nends\n", "N"),
        Record("CR", "lone\rCR", "\r\r\n\n", "I"),
        Record("MULTI", "LIRF LIML", "HEAD\r\n\r\nLEG 1\r\nLEG 2\r\nEND", "B"),
        Record("\xC0\xE8\xFF", "8-bit \xB0\xA3", allBytes, ""),
    };
    const auto rows = ParseCsv(FlightsCsv(records));
    ASSERT_EQ(rows.size(), records.size() + 1);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"ID", "DESCRIZIONE", "PIANO_DI_VOLO", "TIPO"}));
    for (size_t i = 0; i < records.size(); ++i) {
        const FlightRecord& r = records[i];
        EXPECT_EQ(rows[i + 1], (std::vector<std::string>{r.id, r.description, r.plan, r.type})) << "record " << i;
    }
}

TEST(FlightsCsv, WriteReplacesTheFileOrReportsIt) {
    TempDir dir;
    const std::string path = dir.File("flights.csv");
    ASSERT_TRUE(test::WriteBytes(path, "old"));
    WriteFlightsCsv(path, FixtureRecords());
    EXPECT_EQ(ReadBytes(path), ReadBytes(kFixture));

    const std::string missing = dir.File("no-such-folder/flights.csv");
    try {
        WriteFlightsCsv(missing, FixtureRecords());
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + missing);
    }
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

int RunCliIn(const TempDir& dir, const std::string& args) {
    const std::string command = "cd " + Quote(dir.path()) + " && LC_ALL=C " + Quote(KESTROVA_CLI) + " " + args;
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(FlightsCsvCli, ExportsEveryRecordToAFileOrStandardOutput) {
    TempDir dir;
    {
        FlightsTable table = FlightsTable::Open(dir.path());
        ASSERT_TRUE(table.IsOpen());
        // Inserted out of order: the export follows the ID ordering.
        const auto records = FixtureRecords();
        table.InsertFlight(records[1].id, records[1].description, records[1].plan, records[1].type);
        table.InsertFlight(records[0].id, records[0].description, records[0].plan, records[0].type);
    }
    EXPECT_EQ(RunCliIn(dir, "flights export --csv out.csv"), 0);
    EXPECT_EQ(ReadBytes(dir.File("out.csv")), ReadBytes(kFixture));
    EXPECT_EQ(RunCliIn(dir, "flights export --csv >stdout.csv"), 0);
    EXPECT_EQ(ReadBytes(dir.File("stdout.csv")), ReadBytes(kFixture));
    EXPECT_EQ(RunCliIn(dir, "flights export --csv - >dash.csv"), 0);
    EXPECT_EQ(ReadBytes(dir.File("dash.csv")), ReadBytes(kFixture));

    EXPECT_EQ(RunCliIn(dir, "flights export --csv no-folder/x.csv 2>err.txt"), 1);
    EXPECT_EQ(ReadBytes(dir.File("err.txt")), "Cannot create file " + dir.File("no-folder/x.csv") + "\n");
    EXPECT_EQ(RunCliIn(dir, "flights export --csv a.csv b.csv 2>/dev/null"), 2);
}

}  // namespace
}  // namespace kestrova
