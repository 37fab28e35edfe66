#pragma once

#include <string>

#include "core/app_context.h"
#include "core/time_value.h"
#include "navlog/select_plan.h"

namespace kestrova::navlog {

// "Prepare Log" for a FlightPlanner navlog loaded into state.Memo / state.s:
// builds the navigation log in state.s, completes it with the three fill-in
// steps (through a scratch file that is removed afterwards), writes it whole
// to Report.log of the working directory and puts it into state.Memo too.
// dateText is the preparation date as the head shows it (see DateText).
//
// Throws Error with the message to show:
//   "Oops no file loaded or unknown" when s does not begin with
//   "Flightplanner" (nothing changes);
//   "'<text>' is not a valid integer value" / "'<text>' is not a valid time"
//   for a bad number or time, "Floating point division by zero" for a flight
//   of 0 minutes, and the file messages of the scratch file and Report.log.
// On any failure Report.log is left as it was; s shows the partly built log.
void Flightplanner(SelectPlanState& state, const AppContext& context, const LocaleFormats& locale,
                   const std::string& dateText);

}  // namespace kestrova::navlog
