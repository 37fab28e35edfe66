#include "flights/flights_csv.h"

#include "core/error.h"
#include "core/messages.h"
#include "platform/platform.h"

namespace kestrova {

namespace {

void AppendField(std::string& out, const std::string& text, bool alwaysQuote) {
    if (!alwaysQuote && text.find_first_of(",\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace

std::string FlightsCsv(const std::vector<FlightRecord>& records) {
    std::string out = "ID,DESCRIZIONE,PIANO_DI_VOLO,TIPO\r\n";
    for (const FlightRecord& r : records) {
        AppendField(out, r.id, false);
        out += ',';
        AppendField(out, r.description, false);
        out += ',';
        AppendField(out, r.plan, true);
        out += ',';
        AppendField(out, r.type, false);
        out += "\r\n";
    }
    return out;
}

void WriteFlightsCsv(const std::string& path, const std::vector<FlightRecord>& records) {
    if (platform::ReplaceFileAtomically(path, FlightsCsv(records)) != 0)
        throw Error(msg::Format(msg::kCannotCreateFile, path));
}

}  // namespace kestrova
