#pragma once

#include <string>

#include "core/app_context.h"
#include "core/time_value.h"
#include "navlog/select_plan.h"

namespace kestrova::navlog {

// "Prepare Log" for a WinPlanner navlog loaded into state.Memo: builds the
// navigation log in state.s (take-off always 12:00, no fuel estimate),
// completes head and take-off row through a scratch file that ends in the
// recycle bin, and writes the log whole to Report.log of the working
// directory. state.Memo keeps the planner text, so the same text can be
// prepared again. The departure and arrival of the working record are left
// as they were.
//
// Throws Error with the message to show: "Oops no file loaded or unknown"
// when Memo does not begin with "WinPlanner" (nothing changes); "'<text>' is
// not a valid integer value"; "'<text>' is not a valid time" for a leg of 60
// minutes or more; the file messages. On failure Report.log is left as it was.
void WinPlanner(SelectPlanState& state, const AppContext& context, const LocaleFormats& locale,
                const std::string& dateText);

}  // namespace kestrova::navlog
