#include "navlog/select_plan.h"

#include "core/lines.h"
#include "platform/platform.h"

namespace kestrova::navlog {

void LoadPlannerText(SelectPlanState& state, const std::string& path) {
    std::vector<std::string> lines = platform::LoadLines(path);
    state.Memo = lines;
    state.s = std::move(lines);
}

std::string ReportLogPath(const AppContext& context) {
    return platform::FindFileNoCase(context.workingDirectory, "Report.log");
}

StoredFlight StoredFlightFields(SelectPlanState& state, const std::string& flightId) {
    state.record.flightId = flightId;
    return {flightId, state.record.departure + " " + state.record.arrival, JoinLines(state.s), ""};
}

}  // namespace kestrova::navlog
