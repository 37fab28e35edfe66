#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/time_value.h"

// The navigation log page: the two templates, the leg table pieces and the
// markers by which every workflow finds its lines (never by line numbers,
// since a long route pushes everything below the head down).
namespace kestrova::navlog {

// The template list of the Select Plan screen: item 0 is the head `Testa`,
// item 1 the tail `Coda`. The pilot fill-ins below change the held templates.
struct TemplateList {
    std::vector<std::string> Testa;
    std::vector<std::string> Coda;
};

// Both templates as they stand before any pilot fill-in.
TemplateList LoadTemplates();

// Line numbers inside the templates.
inline constexpr size_t kTestaPilotLine = 3;
inline constexpr size_t kTestaDateLine = 4;
inline constexpr size_t kTestaRouteLine = 6;
inline constexpr size_t kCodaPreparerLine = 36;

// Appends the pilot name to head line 3 while it still reads exactly as in the
// template, so the name goes in once per run whatever is prepared later.
void FillPilotName(TemplateList& templates, const std::string& pilotName);

// Appends "<pilot ID> <pilot number>" to tail line 36 while it still reads
// exactly "Prepared by:".
void FillPreparer(TemplateList& templates, const std::string& pilotId, const std::string& pilotNumber);

// Markers: each stands in exactly one line of a navigation log.
inline constexpr std::string_view kMarkerCheckpointHeader = "CHK-PNT";
inline constexpr std::string_view kMarkerTotals = "TOTALS:";
inline constexpr std::string_view kMarkerTotalTime = "Time=";
inline constexpr std::string_view kMarkerAircraft = "Aircraft Ident :";
inline constexpr std::string_view kMarkerTakeOff = "TAKE-OFF DATA";
inline constexpr std::string_view kMarkerLanding = "LANDING DATA";
inline constexpr std::string_view kMarkerFuelRate = "Fuel rate:";

// Distances from a marker line to the lines that depend on it.
inline constexpr size_t kFirstTableLineBelowHeader = 3;  // below "CHK-PNT"
inline constexpr size_t kLastTableLineAboveTotals = 2;   // above "TOTALS:"
inline constexpr size_t kDataRowBelowBlockTitle = 4;     // below "TAKE-OFF DATA" / "LANDING DATA"
inline constexpr size_t kTripBelowFuelRate = 2;
inline constexpr size_t kReserveBelowFuelRate = 4;
inline constexpr size_t kTaxiBelowFuelRate = 5;
inline constexpr size_t kTotalBelowFuelRate = 7;

// Index of the first line at or after `from` containing the marker; npos when none.
size_t FindMarker(const std::vector<std::string>& lines, std::string_view marker, size_t from = 0);

// The dash line that closes the leg table (67 "-").
std::string TableEndLine();

// The actuals line under every planned line, with placeholders for the
// actual leg time and the actual time over.
std::string ActualsLine(const LocaleFormats& locale);

// "hh<sep>nn": clock times and leg durations of the log.
std::string HoursMinutes(double value, const LocaleFormats& locale);

// A clock time as the log shows it: the first five characters of the long
// time format. Where that format does not begin with two-digit 24-hour hours
// ("h:nn:ss", "hh:nn:ss AMPM") its first five characters are no clock time,
// so "hh<sep>nn" is used instead.
std::string ClockText(double value, const LocaleFormats& locale);

// The date text of the head: the date in the short date format.
std::string DateText(double date, const LocaleFormats& locale);

// Replaces the third character by the time separator (the planners print
// their own); a shorter text comes back unchanged.
std::string WithTimeSeparator(std::string text, const LocaleFormats& locale);

}  // namespace kestrova::navlog
