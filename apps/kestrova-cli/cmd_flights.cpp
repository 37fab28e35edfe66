#include <charconv>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli.h"
#include "core/error.h"
#include "core/messages.h"
#include "flights/flights_csv.h"
#include "flights/flights_table.h"
#include "platform/platform.h"

namespace kestrova::cli {

namespace {

constexpr const char* kUsage =
    "flights list [--type B|T|N|I] [--order id|description] [--find TEXT] | flights show ROWID | "
    "flights export ROWID | flights export --csv [FILE] | flights set-type ROWID B|T|N|I|- | flights delete ROWID";

int Usage() {
    std::cerr << "usage: kestrova-cli " << kUsage << "\n";
    return 2;
}

bool IsTypeLetter(const std::string& text) { return text == "B" || text == "T" || text == "N" || text == "I"; }

int64_t ParseRowid(const std::string& text) {
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        throw Error(msg::Format(msg::kInvalidInteger, text));
    return value;
}

// The table of the working directory; a table that could not be opened is
// reported as the application reports it at start-up, and the command then
// fails as every operation on a closed table does.
FlightsTable OpenTable(const Globals& globals) {
    FlightsTable table = FlightsTable::Open(globals.workingDirectory);
    // A command is short: it waits for the check of the whole file at once.
    if (!table.WaitForCheck()) {
        std::cerr << table.OpenError() << "\n";
        table.CheckOpen();
    }
    return table;
}

std::string TypeText(const std::string& type) { return type.empty() ? "-" : type; }

template <class Row>  // FlightRow or FlightRecord
void PrintLine(const Row& r) {
    std::cout << r.rowid << '\t' << r.id << '\t' << TypeText(r.type) << '\t' << r.description << '\n';
}

int NoSuchFlight(int64_t rowid) { return Fail("no flight with rowid " + std::to_string(rowid)); }

int List(const std::vector<std::string>& args, const Globals& globals) {
    std::optional<std::string> type;
    std::optional<std::string> find;
    FlightsOrder order = FlightsOrder::Id;
    for (size_t i = 1; i < args.size(); ++i) {
        if (i + 1 >= args.size()) return Usage();
        const std::string& value = args[i + 1];
        if (args[i] == "--type" && IsTypeLetter(value)) {
            type = value;
        } else if (args[i] == "--order" && (value == "id" || value == "description")) {
            order = value == "id" ? FlightsOrder::Id : FlightsOrder::Description;
        } else if (args[i] == "--find") {
            find = value;
        } else {
            return Usage();
        }
        ++i;
    }
    FlightsTable table = OpenTable(globals);
    table.SetOrder(order);
    if (type) table.SetTypeFilter(*type);
    if (find) {
        // The record the quick find lands on, as the browser would show it.
        if (table.FindNearest(*find)) PrintLine(*table.Current());
        return 0;
    }
    for (const FlightRow& r : table.VisibleRecords()) PrintLine(r);
    return 0;
}

// Every record, ordered by ID, as CSV to the file or to standard output.
int ExportCsv(const std::vector<std::string>& args, const Globals& globals) {
    if (args.size() > 3) return Usage();
    FlightsTable table = OpenTable(globals);
    const std::vector<FlightRecord> records = table.VisibleRecordsWithPlans();
    if (args.size() == 3 && args[2] != "-") {
        const std::string& file = args[2];
        WriteFlightsCsv(file.front() == '/' ? file : platform::JoinPath(globals.workingDirectory, file), records);
        return 0;
    }
    std::cout << FlightsCsv(records);
    std::cout.flush();
    return std::cout ? 0 : 1;
}

int Run(const std::vector<std::string>& args, const Globals& globals) {
    if (args.empty()) return Usage();
    const std::string& command = args[0];
    if (command == "list") return List(args, globals);
    if (command == "export" && args.size() >= 2 && args[1] == "--csv") return ExportCsv(args, globals);

    const bool withType = command == "set-type";
    if (command != "show" && command != "export" && command != "delete" && !withType) return Usage();
    if (args.size() != (withType ? 3u : 2u)) return Usage();
    if (withType && args[2] != "-" && !IsTypeLetter(args[2])) return Usage();
    const int64_t rowid = ParseRowid(args[1]);

    FlightsTable table = OpenTable(globals);
    const std::optional<FlightRecord> record = table.ReadRecord(rowid);
    if (!record || !table.MoveTo(rowid)) return NoSuchFlight(rowid);

    if (command == "show") {
        std::cout << "ROWID: " << record->rowid << "\nID: " << record->id << "\nDESCRIZIONE: " << record->description
                  << "\nTIPO: " << record->type << "\nPIANO_DI_VOLO:\n"
                  << record->plan;
        if (!record->plan.empty() && record->plan.back() != '\n') std::cout << '\n';
    } else if (command == "export") {
        SaveToReportLog(table, globals.workingDirectory, record->plan);
    } else if (withType) {
        table.SetField(FlightField::Type, args[2] == "-" ? std::string() : args[2]);
        table.Post();
    } else {
        table.Delete();
    }
    return 0;  // main checks that the output reached its destination
}

const Registrar reg("flights", kUsage, &Run);

}  // namespace

}  // namespace kestrova::cli
