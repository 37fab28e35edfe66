#include "navlog/layout.h"

namespace kestrova::navlog {

namespace {

std::string Dashes(size_t n) { return std::string(n, '-'); }
std::string Blanks(size_t n) { return std::string(n, ' '); }

const char* const kPilotTemplateLine = "Pilot          :";
const char* const kPreparerTemplateLine = "Prepared by:";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

TemplateList LoadTemplates() {
    TemplateList t;
    t.Testa = {
        "ALTAMARINOLA AIRLINES" + Blanks(31) + "NAVIGATION LOG",
        Dashes(66),
        "Aircraft Ident : ",
        kPilotTemplateLine,
        "Date" + Blanks(11) + ":",
        Dashes(66),
        "Clearance:",
        Dashes(68),
        "CHK-PNT | Frequency   | HDG| ALT  | Wind |Distance| ETE | ETO |NOTE",
        "or FIXES| VOR  | NDB  |    | (FL) |      |Leg/Rema| ATE | ATO |",
        Dashes(68),
    };
    const std::string blockCaptions = "RWY | Trans Lev | Time | Wind | Visibility | Clouds | Temp | QNH |";
    const std::string blockRow = "    |           |      |      |            |        |      |     |";
    t.Coda = {
        Dashes(67),
        "Alternat|      |      |    |      |      |        |     |     |" + Blanks(6),
        Dashes(67),
        "",
        Dashes(67),
        "TAKE-OFF DATA" + Blanks(3),
        Dashes(68),
        blockCaptions,
        Dashes(68),
        blockRow,
        Dashes(66),
        "LANDING DATA" + Blanks(32),
        Dashes(68),
        blockCaptions,
        Dashes(68),
        blockRow,
        Dashes(68),
        "",
        Dashes(68),
        "FUEL CALCULATION AND FUEL REQUIRED",
        Dashes(68),
        "Fuel rate:" + Blanks(21),
        "",
        "Subtotal to first landing - Minutes/Gallons(Liters):" + Blanks(5) + "/" + Blanks(7) + "l",
        "Subtotal to alternate - Minutes/Gallons(Liters)" + Blanks(4) + ":" + Blanks(5) + "/",
        "Reserve - Minutes/Gallons(Lites)" + Blanks(19) + ":" + Blanks(5) + "/" + Blanks(7) + "l",
        "Taxy / Run-up - Gallons(Liters)" + Blanks(26) + ":" + Blanks(2),
        "",
        "TOTAL" + Blanks(52) + ":" + Blanks(7) + "l",
        Dashes(66),
        "Notes:",
        "",
        "",
        "",
        "",
        Dashes(66),
        kPreparerTemplateLine,
        Dashes(66),
    };
    return t;
}

void FillPilotName(TemplateList& templates, const std::string& pilotName) {
    auto& line = templates.Testa.at(kTestaPilotLine);
    if (line == kPilotTemplateLine) line += pilotName;
}

void FillPreparer(TemplateList& templates, const std::string& pilotId, const std::string& pilotNumber) {
    auto& line = templates.Coda.at(kCodaPreparerLine);
    if (line == kPreparerTemplateLine) line += pilotId + " " + pilotNumber;
}

size_t FindMarker(const std::vector<std::string>& lines, std::string_view marker, size_t from) {
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i].find(marker) != std::string::npos) return i;
    return std::string::npos;
}

std::string TableEndLine() { return Dashes(67); }

std::string ActualsLine(const LocaleFormats& locale) {
    return std::string("        |      |      |    |      |      |") + Blanks(8) + "|--   |--" +
           locale.timeSeparator + "--|";
}

std::string HoursMinutes(double value, const LocaleFormats& locale) {
    return FormatDateTime("hh:nn", value, locale);
}

std::string ClockText(double value, const LocaleFormats& locale) {
    const std::string& pattern = locale.longTimeFormat;
    const bool twelveHour = pattern.find("ampm") != std::string::npos || pattern.find("AMPM") != std::string::npos;
    if (StartsWithNoCase(pattern, "hh") && !twelveHour) return LongTimePrefix(value, locale);
    return HoursMinutes(value, locale);
}

std::string DateText(double date, const LocaleFormats& locale) {
    return FormatDateTime(locale.shortDateFormat, date, locale);
}

std::string WithTimeSeparator(std::string text, const LocaleFormats& locale) {
    if (text.size() >= 3) text[2] = locale.timeSeparator;
    return text;
}

}  // namespace kestrova::navlog
