#include "review/log_update.h"

#include <string_view>

#include "core/error.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "core/text.h"
#include "simlink/flight_record_file.h"

namespace kestrova::review {

namespace {

// Marker searches and rebuilt lines never look past this column.
constexpr long long kLineLimit = 80;

constexpr std::string_view kCheckpointMarker = "CHK-PNT";
constexpr std::string_view kTotalsMarker = "TOTALS:";
constexpr std::string_view kTimeMarker = "Time=";
constexpr std::string_view kTakeOffMarker = "TAKE-OFF DATA";
constexpr std::string_view kLandingMarker = "LANDING DATA";
constexpr std::string_view kFuelMarker = "Fuel rate:";
constexpr double kLitersPerGallon = 3.786235;

std::string Head(std::string_view line) { return LeftChars(line, kLineLimit); }

bool Contains(std::string_view text, std::string_view marker) { return text.find(marker) != std::string_view::npos; }

std::string TwoDigits(int v) { return PadLeft(std::to_string(v), 2, '0'); }

std::string ClockText(double value, char sep) {
    const TimeParts t = DecodeTime(value);
    return TwoDigits(t.hour) + sep + TwoDigits(t.minute);
}

std::string DurationText(double value, char sep) {
    const TimeParts t = DecodeTime(value);
    return std::to_string(t.hour) + sep + TwoDigits(t.minute);
}

int WholeMinutes(double value) {
    const TimeParts t = DecodeTime(value);
    return t.hour * 60 + t.minute;
}

// The time form of "hh:nn" written with the locale's separator.
double LocaleTime(const char* hours, const char* minutes, char sep) {
    return StrToTime(std::string(hours) + sep + minutes, sep);
}

// Index of the first line whose head holds the marker, or -1.
long FirstLineWith(const std::vector<std::string>& lines, std::string_view marker) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (Contains(Head(lines[i]), marker)) return static_cast<long>(i);
    return -1;
}

LegRow ReadRow(std::string_view tableLine, size_t row, const LegRow* above) {
    const std::string line = Head(tableLine);
    LegRow r;
    r.checkpoint = LeftChars(NthField(line, 1, '|'), 10);
    r.altitude = LeftChars(NthField(line, 5, '|'), 6);
    const std::string distanceField = NthField(line, 7, '|');
    if (row % 2 == 1)
        r.legDistance = static_cast<int16_t>(StrToInt(LeftChars(distanceField, 3)));
    else
        r.legDistance = above != nullptr ? above->legDistance : 0;
    r.remaining = LeftChars(NthField(LeftChars(distanceField, 8), 2, '/'), 4);
    r.ete = LeftChars(NthField(line, 8, '|'), 5);
    r.eto = LeftChars(NthField(line, 9, '|'), 5);
    return r;
}

std::string RebuildRow(std::string_view tableLine, size_t row, const LegRow& r) {
    const std::string line = Head(tableLine);
    if (row % 2 == 1) {
        return LeftChars(line, 28) + PadRight(r.altitude, 6, ' ') + "|" + PadLeft(r.wind, 6, ' ') + "|" +
               PadLeft(std::to_string(r.legDistance), 3, '0') + "/" + PadLeft(r.remaining, 4, '0') + "|" +
               PadRight(r.ete, 5, ' ') + "|" + PadRight(r.eto, 5, ' ') + "|";
    }
    return LeftChars(line, 51) + PadRight(r.ete, 5, ' ') + "|" + PadRight(r.eto, 5, ' ') + "|";
}

// The take-off or landing data row, 4 lines below its marker, from a point.
void RewriteWeatherRow(std::vector<std::string>& lines, std::string_view marker, const MioRec& p,
                       const LocaleFormats& locale) {
    const long at = FirstLineWith(lines, marker);
    if (at < 0 || static_cast<size_t>(at) + 4 >= lines.size()) return;
    std::string& row = lines[static_cast<size_t>(at) + 4];
    const std::string wind = std::to_string(p.windDirection) + "/" + std::to_string(p.windSpeed);
    row = LeftChars(Head(row), 18) + LongTimePrefix(p.timeOver, locale) + "|" + PadLeft(wind, 6, ' ') + "|" +
          PadRight(p.visibility + " mi", 12, ' ') + "|" + PadRight(p.clouds, 8, ' ') + "|" +
          PadRight(std::to_string(p.temperature), 6, ' ') + "|" + std::to_string(p.qnh) + " |";
}

// The fuel block from the flight minutes and the fuel actually used. Throws
// the division messages when the flight lasted under a minute.
void RewriteFuelBlock(std::vector<std::string>& lines, int minutes, int used) {
    const int64_t rate = RoundHalfEven(Divide(used * 60.0, static_cast<double>(minutes)));
    const int64_t tripGallons = RoundHalfEven(static_cast<double>(rate) * minutes / 60.0);
    const int64_t tripLiters = RoundHalfEven(static_cast<double>(tripGallons) * kLitersPerGallon);
    const int64_t reserveGallons = RoundHalfEven(static_cast<double>(rate) * 45.0 / 60.0);
    const int64_t reserveLiters = RoundHalfEven(static_cast<double>(reserveGallons) * kLitersPerGallon);
    const int64_t totalGallons = tripGallons + reserveGallons + 12;
    const int64_t totalLiters = RoundHalfEven(static_cast<double>(totalGallons) * kLitersPerGallon);

    const long f = FirstLineWith(lines, kFuelMarker);
    // A block cut short by hand editing is left alone rather than half written.
    if (f < 0 || static_cast<size_t>(f) + 7 >= lines.size()) return;
    const auto at = [&](int offset) -> std::string& { return lines[static_cast<size_t>(f + offset)]; };
    at(0) = "Fuel rate: " + std::to_string(rate) + " gal/h (Calculated by FS)";
    at(2) = "Subtotal to first landing - Minutes/Gallons(Liters):" + std::to_string(minutes) + "/" +
            std::to_string(tripGallons) + "(" + std::to_string(tripLiters) + ")";
    at(4) = "Reserve - Minutes/Gallons(Liters)" + std::string(19, ' ') + ":45/" + std::to_string(reserveGallons) +
            "(" + std::to_string(reserveLiters) + ")";
    at(5) = "Taxy / Run-up - Gallons(Liters)" + std::string(26, ' ') + ":12(45)";
    at(7) = "TOTAL" + std::string(52, ' ') + ":" + std::to_string(totalGallons) + "(" + std::to_string(totalLiters) +
            ")";
}

}  // namespace

std::vector<MioRec> ReadRecordPoints(const std::vector<std::string>& recordLines, const LocaleFormats& locale) {
    const char sep = locale.timeSeparator;
    std::vector<MioRec> points;
    points.reserve(recordLines.size());
    for (const std::string& line : recordLines) {
        const auto field = [&](int n) { return NthField(line, n, ','); };
        const auto integer = [&](int n) { return StrToInt(field(n)); };
        MioRec p;
        p.timeOver = StrToTime(field(1), sep);
        // Wider numbers keep the low bits of their field.
        p.heading = static_cast<uint16_t>(integer(2));
        p.speed = static_cast<uint16_t>(integer(3));
        p.altitude = integer(4);
        p.visibility = LeftChars(field(5), 4);
        p.qnh = static_cast<uint16_t>(integer(6));
        p.windDirection = static_cast<uint16_t>(integer(7));
        p.windSpeed = static_cast<uint8_t>(integer(8));
        p.temperature = static_cast<uint8_t>(integer(9));
        p.fuel = static_cast<uint16_t>(integer(10));
        p.clouds = LeftChars(field(11), 20);
        if (!points.empty()) {
            const double before = points.back().timeOver;
            if (p.timeOver >= before) {
                p.legTime = p.timeOver - before;
            } else {
                // The day changed between the two points.
                p.legTime = LocaleTime("23", "59", sep) - before + p.timeOver - LocaleTime("00", "00", sep) +
                            LocaleTime("0", "01", sep);
            }
        }
        points.push_back(std::move(p));
    }
    return points;
}

LogUpdateResult UpdateLog(const std::vector<std::string>& lines, const std::string& workingDirectory,
                          const LocaleFormats& locale, const LogUpdateHooks& hooks) {
    const char sep = locale.timeSeparator;
    LogUpdateResult result;
    result.lines = lines;
    const auto fail = [&](const std::string& message) {
        result.lines = lines;
        result.messages.push_back(message);
        return result;
    };

    std::vector<MioRec> points;
    try {
        const std::vector<std::string> record = LoadFlightRecord(workingDirectory);
        result.recordRead = true;
        struct Reading {
            const LogUpdateHooks& hooks;
            explicit Reading(const LogUpdateHooks& h) : hooks(h) {
                if (hooks.readingStarted) hooks.readingStarted();
            }
            ~Reading() {
                if (hooks.readingFinished) hooks.readingFinished();
            }
        } reading(hooks);
        points = ReadRecordPoints(record, locale);
    } catch (const Error& e) {
        return fail(e.what());
    }

    // The leg table: 3 lines below the last "CHK-PNT", 2 above the last "TOTALS:".
    long checkpointLine = -1;
    long totalsLine = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string head = Head(lines[i]);
        if (Contains(head, kCheckpointMarker)) checkpointLine = static_cast<long>(i);
        if (Contains(head, kTotalsMarker)) totalsLine = static_cast<long>(i);
    }
    // Without both markers in order, or without points, there is no table to
    // pair; never rewrite the head of such a document.
    if (checkpointLine < 0 || totalsLine < 0 || totalsLine < checkpointLine || points.empty())
        return fail(std::string(msg::kPointsNotEqual));
    const long firstRow = checkpointLine + 3;
    const long lastRow = totalsLine - 2;

    std::vector<LegRow> rows;
    try {
        for (long i = firstRow; i <= lastRow; ++i) {
            const size_t row = rows.size();
            rows.push_back(ReadRow(lines[static_cast<size_t>(i)], row, rows.empty() ? nullptr : &rows.back()));
        }
    } catch (const Error& e) {
        return fail(e.what());
    }

    size_t named = 0;
    for (const LegRow& r : rows)
        if (r.checkpoint > " ") ++named;
    // The rows must also pair up as departure, then planned and actuals line
    // per checkpoint; anything else cannot be matched with the points.
    if (named != points.size() || rows.size() != 2 * points.size() - 1)
        return fail(std::string(msg::kPointsNotEqual));

    const size_t n = points.size() - 1;
    try {
        rows[0].eto = ClockText(points[0].timeOver, sep);
        for (size_t k = 1; k <= n; ++k) {
            LegRow& planned = rows[2 * k - 1];
            LegRow& actuals = rows[2 * k];
            actuals.ete = ClockText(points[k].legTime, sep);
            actuals.eto = ClockText(points[k].timeOver, sep);
            planned.altitude = LeftChars(std::to_string(points[k].altitude), 6);
            planned.wind = LeftChars(std::to_string(points[k].windDirection), 3);
        }
        if (n >= 1) {
            rows[1].ete = rows[2].ete;
            rows[1].eto = rows[2].eto;
        }
        for (size_t k = 2; k <= n; ++k) {
            const LegRow& previousActuals = rows[2 * k - 2];
            const int flown = WholeMinutes(StrToTime(previousActuals.ete, sep));
            const int d1 = rows[2 * k - 3].legDistance;
            const int d2 = rows[2 * k - 1].legDistance;
            if (d1 == 0) throw Error(std::string(d2 == 0 ? msg::kInvalidFloatOp : msg::kDivisionByZero));
            // Whole part of (d2 / d1) * flown, in exact arithmetic so that a
            // whole result is never cut one minute short by rounding.
            const int64_t revised = static_cast<int64_t>(d2) * flown / d1;
            LegRow& planned = rows[2 * k - 1];
            planned.ete = LeftChars(PadLeft(std::to_string(revised), 2, '0'), 5);
            planned.eto = ClockText(StrToTime(previousActuals.eto, sep) + static_cast<double>(revised) / 1440.0, sep);
        }
    } catch (const Error& e) {
        return fail(e.what());
    }

    std::vector<std::string>& out = result.lines;
    for (size_t r = 0; r < rows.size(); ++r) {
        std::string& line = out[static_cast<size_t>(firstRow) + r];
        line = RebuildRow(line, r, rows[r]);
    }

    double total = 0;
    for (const MioRec& p : points) total += p.legTime;
    std::string& totals = out[static_cast<size_t>(totalsLine)];
    const std::string totalsHead = Head(totals);
    if (const auto at = totalsHead.find(kTimeMarker); at != std::string::npos)
        totals = totalsHead.substr(0, at) + std::string(kTimeMarker) + DurationText(total, sep);

    RewriteWeatherRow(out, kTakeOffMarker, points.front(), locale);
    RewriteWeatherRow(out, kLandingMarker, points.back(), locale);
    result.rewritten = true;

    const int used = static_cast<int>(points.front().fuel) - static_cast<int>(points.back().fuel);
    if (used > 0) {
        try {
            RewriteFuelBlock(out, WholeMinutes(total), used);
        } catch (const Error& e) {
            result.messages.push_back(e.what());
        }
    } else {
        result.messages.push_back(std::string(msg::kAttentionFuel));
    }
    result.changed = out != lines;
    return result;
}

}  // namespace kestrova::review
