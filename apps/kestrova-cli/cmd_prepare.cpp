#include <iostream>
#include <optional>

#include "cli.h"
#include "core/error.h"
#ifdef KESTROVA_HAVE_FLIGHTS
#include "flights/flights_table.h"
#endif
#include "navlog/flightplanner_navlog.h"
#include "navlog/layout.h"
#include "navlog/select_plan.h"
#include "navlog/winplanner_navlog.h"
#include "platform/platform.h"
#include "settings/settings_file.h"

namespace kestrova::cli {

namespace {

constexpr const char* kUsage = "prepare flightplanner|winplanner NAVLOG [--date TEXT] [--store ID]";

int Usage() {
    std::cerr << "usage: kestrova-cli [--settings INIFILE] " << kUsage << "\n";
    return 2;
}

// "Prepare Log" on a navlog file: Report.log of the current directory, and
// with --store a new record in Voli.cds.
int Run(const std::vector<std::string>& args, const Globals& globals) {
    if (args.size() < 2 || (args[0] != "flightplanner" && args[0] != "winplanner")) return Usage();
    const bool flightPlanner = args[0] == "flightplanner";
    const std::string& navlogPath = args[1];
    std::optional<std::string> date;
    std::optional<std::string> flightId;
    for (size_t i = 2; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return Usage();
        if (args[i] == "--date")
            date = args[i + 1];
        else if (args[i] == "--store")
            flightId = args[i + 1];
        else
            return Usage();
    }

#ifndef KESTROVA_HAVE_FLIGHTS
    // Refused before anything is written, as a store that cannot open would be.
    if (flightId) return Fail("--store: the flights store is not in this build");
#endif
    const AppContext context = LoadApplicationContext(SettingsFile(globals.settingsPath), globals.workingDirectory);
    const LocaleFormats locale = platform::CurrentLocaleFormats();

#ifdef KESTROVA_HAVE_FLIGHTS
    // The table is opened before anything is written, so a store that cannot
    // succeed leaves Report.log untouched.
    FlightsTable table;
    if (flightId) {
        table = FlightsTable::Open(context.workingDirectory);
        if (!table.IsOpen()) {
            std::cerr << table.OpenError() << "\n";
            table.CheckOpen();
        }
    }
#endif

    navlog::SelectPlanState state;
    navlog::LoadPlannerText(state, navlogPath);
    const std::string dateText = date ? *date : navlog::DateText(platform::CurrentDateTime(), locale);
    if (flightPlanner)
        navlog::Flightplanner(state, context, locale, dateText);
    else
        navlog::WinPlanner(state, context, locale, dateText);
    std::cout << "Wrote " << navlog::ReportLogPath(context) << "\n";

#ifdef KESTROVA_HAVE_FLIGHTS
    if (flightId) {
        const navlog::StoredFlight f = navlog::StoredFlightFields(state, *flightId);
        table.InsertFlight(f.id, f.description, f.plan, f.type);
        std::cout << "Stored flight " << CutToField(FlightField::Id, f.id) << " (" << table.Path() << ")\n";
    }
#endif
    return 0;
}

const Registrar reg("prepare", kUsage, &Run);

}  // namespace

}  // namespace kestrova::cli
