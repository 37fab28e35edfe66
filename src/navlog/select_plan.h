#pragma once

#include <string>
#include <vector>

#include "core/app_context.h"
#include "core/time_value.h"
#include "navlog/layout.h"
#include "navlog/working_record.h"

// The state of the Select Plan screen that the planner readers work on. The
// screen (and the command line) owns one for the whole run: the held
// templates and the working record must outlive each preparation.
namespace kestrova::navlog {

struct SelectPlanState {
    // The loaded planner text that the readers parse (hidden on the screen).
    std::vector<std::string> Memo;
    // The shown text: the loaded planner text, then the prepared log. After a
    // FlightPlanner preparation Memo holds the log too; after a WinPlanner
    // one Memo keeps the planner text, so it can be prepared again.
    std::vector<std::string> s;
    TemplateList MieStringhe = LoadTemplates();
    WorkingRecord record;
};

// Loads a planner's text file whole into Memo and s. Throws
// Error("Cannot open file <path>") and leaves both as they were.
void LoadPlannerText(SelectPlanState& state, const std::string& path);

// "Report.log" of the working directory (an existing file of another letter
// case is the same file).
std::string ReportLogPath(const AppContext& context);

// The fields of the flights record that stores the log just prepared: ID,
// DESCRIZIONE (departure, one blank, arrival of the working record),
// PIANO_DI_VOLO (the lines of s, each ended by CR LF) and an empty TIPO. The
// caller inserts it through the flights table; the flight ID goes into the
// working record. The screen asks for the ID with the texts of
// msg::kCaptionInsertFlightId, msg::kPromptFlightId and msg::kPresetFlightId;
// a cancelled prompt stores the preset.
struct StoredFlight {
    std::string id;
    std::string description;
    std::string plan;
    std::string type;
};
StoredFlight StoredFlightFields(SelectPlanState& state, const std::string& flightId);

}  // namespace kestrova::navlog
