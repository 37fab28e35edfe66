#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/time_value.h"

// Update Log: merges the flight record (FS98.log) into the navigation log held
// by the log editor. Works on the editor's lines only; saving is the caller's.
namespace kestrova::review {

// The title the log editor shows once the flight record has been read; it
// keeps it after the update, whatever the outcome.
inline constexpr const char* kUpdateTitle = "Leggo i dati...";

// One line of the flight record (fields 1 to 11; the rest is never read).
struct MioRec {
    double timeOver = 0;       // UTC time of day, as a fraction of a day
    uint16_t heading = 0;
    uint16_t speed = 0;
    int32_t altitude = 0;      // feet
    std::string visibility;    // at most 4 characters
    uint16_t qnh = 0;
    uint16_t windDirection = 0;
    uint8_t windSpeed = 0;
    uint8_t temperature = 0;
    uint16_t fuel = 0;         // gallons
    double legTime = 0;        // from the previous point; 0 for the first
    std::string clouds;        // at most 20 characters
};

// One line of the leg table, as far as the update reads and rewrites it.
struct LegRow {
    std::string checkpoint;  // at most 10 characters
    std::string altitude;    // at most 6
    std::string wind;        // at most 3; never read from the line
    int16_t legDistance = 0;
    std::string remaining;   // at most 4
    std::string ete;         // at most 5
    std::string eto;         // at most 5
};

// Record lines to points, leg times included (a point earlier than the one
// before it lies on the next day). Throws Error with "'<text>' is not a valid
// time" or "'<text>' is not a valid integer value".
std::vector<MioRec> ReadRecordPoints(const std::vector<std::string>& recordLines, const LocaleFormats& locale);

// Called around the reading of the record points so that a screen can show
// kUpdateTitle and a busy cursor: started runs once FS98.log has been loaded,
// finished always follows a started, also when a record line fails to convert.
struct LogUpdateHooks {
    std::function<void()> readingStarted;
    std::function<void()> readingFinished;
};

struct LogUpdateResult {
    std::vector<std::string> lines;    // the new text; the given lines when nothing was rewritten
    std::vector<std::string> messages; // to show in order, each in a box captioned "Error" with OK
    bool recordRead = false;           // FS98.log was loaded: the screen's title is now kUpdateTitle
    bool rewritten = false;            // table, totals, take-off and landing rows were rebuilt
    bool changed = false;              // lines differ from the given ones
};

// Runs the update on the editor's lines (its text split with SplitLines; the
// new text is JoinLines of the result) with FS98.log of the working directory.
// A failure before the table is rewritten leaves the lines as given (rewritten
// false, one message). The fuel failures ("Attention with Fuel", the fuel
// rate's division) come with the rewritten lines and leave the fuel block.
// Never throws kestrova::Error: every failure becomes a message.
LogUpdateResult UpdateLog(const std::vector<std::string>& lines, const std::string& workingDirectory,
                          const LocaleFormats& locale, const LogUpdateHooks& hooks = {});

}  // namespace kestrova::review
