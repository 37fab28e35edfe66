// The FlightPlanner and WinPlanner navlog readers on any text: each either
// prepares the log or throws the system's Error, never anything else.
#include "core/app_context.h"
#include "core/error.h"
#include "core/lines.h"
#include "fuzz_support.h"
#include "navlog/flightplanner_navlog.h"
#include "navlog/select_plan.h"
#include "navlog/winplanner_navlog.h"

using namespace kestrova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AppContext context;
    context.workingDirectory = fuzz::ScratchDirectory();
    const LocaleFormats locale;
    const std::string text(fuzz::AsText(data, size));
    for (const bool flightPlanner : {true, false}) {
        navlog::SelectPlanState state;
        // As LoadPlannerText leaves it after reading the file.
        state.Memo = SplitLines(text);
        state.s = state.Memo;
        try {
            if (flightPlanner)
                navlog::Flightplanner(state, context, locale, "12/04/01");
            else
                navlog::WinPlanner(state, context, locale, "12/04/01");
            // A prepared log can be prepared again from what it left.
            navlog::StoredFlightFields(state, "AZ100");
        } catch (const Error&) {
        }
    }
    return 0;
}
