#include "navlog/winplanner_navlog.h"

#include <cstdint>

#include "core/error.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "core/text.h"
#include "navlog/fill_in.h"
#include "navlog/layout.h"
#include "platform/platform.h"

namespace kestrova::navlog {

namespace {

constexpr size_t kFirstWaypointLine = 10;
constexpr size_t kDepartureDataLine = 11;

bool Contains(const std::string& line, std::string_view text) { return line.find(text) != std::string::npos; }

long long Pos(const std::string& line, std::string_view text) {
    const auto p = line.find(text);
    return p == std::string::npos ? 0 : static_cast<long long>(p) + 1;
}

bool IsBlankLine(const std::string& line) { return line.find_first_not_of(' ') == std::string::npos; }

class WinPlannerRun {
public:
    WinPlannerRun(SelectPlanState& state, const AppContext& context, const LocaleFormats& locale)
        : st_(state), memo_(state.Memo), ctx_(context), loc_(locale) {}

    void Run(const std::string& dateText) {
        if (LeftChars(memo_.empty() ? std::string() : memo_[0], 10) != "WinPlanner")
            throw Error(std::string(msg::kNoFileLoaded));

        WorkingRecord& rec = st_.record;
        NewScratchFile(rec);
        ScratchFileGuard scratch(rec.scratchPath);
        rec.checkpointNames.clear();
        currentClock_ = std::string("12") + loc_.timeSeparator + "00";
        const std::string takeOffTime = currentClock_;
        st_.s.clear();

        FillPilotName(st_.MieStringhe, ctx_.pilotName);
        for (const auto& line : st_.MieStringhe.Testa) st_.s.push_back(line);

        std::string aircraft;
        size_t t = 0;
        int32_t totalDistance = 0;
        std::string totalTime;
        for (size_t i = 0; i < memo_.size(); ++i) {
            const std::string& line = memo_[i];
            if (Contains(line, "Aircraft")) aircraft = ColumnText(line, 15, 20);
            if (Contains(line, "TOTALS")) {
                t = i;
                approachTime_ = i >= 3 ? ColumnText(memo_[i - 3], 71, 6) : std::string();
                totalDistance = StrToInt(ColumnText(line, 50, 3));
                totalTime = ColumnText(line, 72, 6);
            }
        }
        remaining_ = totalDistance;

        // Waypoints run from line 10 to 5 lines above the totals line.
        for (size_t i = kFirstWaypointLine; i + 5 <= t && i < memo_.size(); ++i) WaypointLine(i);

        st_.s.push_back(TableEndLine());
        st_.s.push_back("TOTALS: DISTANCE=" + std::to_string(totalDistance) + " Miles   Time=" +
                        WithTimeSeparator(totalTime, loc_) + " ApproachTime=" + approachTime_);

        FillRouteAndDate(st_.s, rec, dateText);
        st_.s = ReadScratch(rec);
        FillPreparer(st_.MieStringhe, ctx_.pilotId, ctx_.pilotNumber);
        for (const auto& line : st_.MieStringhe.Coda) st_.s.push_back(line);
        FillAircraftAndTakeOff(st_.s, rec, takeOffTime, aircraft);
        st_.s = ReadScratch(rec);

        platform::SaveLines(ReportLogPath(ctx_), st_.s);
        scratch.Recycle();
    }

private:
    // "12.5" / "12,5": the whole part plus one when the first decimal is 5 or more.
    static int32_t RoundedDistance(const std::string& text, char separator) {
        const long long p = Pos(text, std::string(1, separator));
        int32_t value = StrToInt(ReplaceAll(LeftChars(text, p - 1), " ", "0"));
        if (static_cast<size_t>(p) < text.size() && text[static_cast<size_t>(p)] >= '5') ++value;
        return value;
    }

    static int32_t RoundedMinutes(const std::string& text, char separator) {
        const long long p = Pos(text, std::string(1, separator));
        int32_t value = StrToInt(LeftChars(text, p - 1));
        if (StrToInt(ColumnText(text, p + 1, 1)) >= 5) ++value;
        return value;
    }

    void WaypointLine(size_t index) {
        const std::string& line = memo_[index];
        // A blank line carries no waypoint; read as a data line it would repeat the last leg.
        if (IsBlankLine(line)) return;
        const std::string start = LeftChars(line, 3);
        if (start == "   ") {
            identField_ = ColumnText(line, 15, 8) + "|";
            st_.record.checkpointNames.push_back(RemoveBlanks(LeftChars(identField_, 7)));
            legTime_ = ColumnText(line, 73, 5);
            return;
        }
        if (start == "---") return;

        std::string frequencies;
        if (line.size() >= 15 && IsDecimalDigit(line[14])) {
            if (StrToInt(ColumnText(line, 15, 3)) > 118)
                frequencies = "      |" + ColumnText(line, 15, 6) + "|";
            else
                frequencies = PadLeft(ColumnText(line, 15, 6), 6, ' ') + "|      |";
        } else {
            frequencies = PadLeft(ColumnText(line, 15, 5), 6, ' ') + "|      |";
        }
        const std::string level = ColumnText(line, 32, 3);
        const std::string altitude = level == "   " ? std::string(6, ' ') : "FL" + level + " ";
        const std::string heading = ColumnText(line, 42, 3) + " ";

        std::string distance;
        if (index == kDepartureDataLine) {
            distance = "  -/" + PadLeft(std::to_string(remaining_), 4, '0');
        } else {
            if (Contains(line, "Approach")) approachTime_ = ColumnText(line, 73, 5);
            const std::string field = ColumnText(line, 48, 6);
            if (Contains(field, ",")) legDistance_ = RoundedDistance(field, ',');
            if (Contains(field, ".")) legDistance_ = RoundedDistance(field, '.');
            remaining_ -= legDistance_;
            distance = PadLeft(std::to_string(legDistance_), 3, '0') + "/" +
                       PadLeft(std::to_string(remaining_ < 0 ? 0 : remaining_), 4, '0');
        }

        if (Contains(legTime_, ".")) legMinutes_ = RoundedMinutes(legTime_, '.');
        if (Contains(legTime_, ",")) legMinutes_ = RoundedMinutes(legTime_, ',');
        const std::string ete = PadLeft(std::to_string(legMinutes_), 2, '0') + "   ";
        legTime_ = ete;

        const std::string legDuration = std::string("00") + loc_.timeSeparator + ete;
        const double clock = StrToTime(currentClock_, loc_.timeSeparator);
        currentClock_ = ClockText(clock + StrToTime(legDuration, loc_.timeSeparator), loc_);

        if (index == kDepartureDataLine) {
            st_.s.push_back(identField_ + frequencies + "    |      |      |" + distance + "|" + "-    |" +
                            currentClock_ + "|");
        } else {
            st_.s.push_back(identField_ + frequencies + heading + "|" + altitude + "|      |" + distance + "|" + ete +
                            "|" + currentClock_ + "|");
            st_.s.push_back(ActualsLine(loc_));
        }
    }

    SelectPlanState& st_;
    const std::vector<std::string>& memo_;
    const AppContext& ctx_;
    const LocaleFormats& loc_;

    int64_t remaining_ = 0;
    std::string approachTime_;
    std::string currentClock_;
    std::string identField_;
    std::string legTime_;
    int32_t legDistance_ = 0;
    int32_t legMinutes_ = 0;
};

}  // namespace

void WinPlanner(SelectPlanState& state, const AppContext& context, const LocaleFormats& locale,
                const std::string& dateText) {
    WinPlannerRun(state, context, locale).Run(dateText);
}

}  // namespace kestrova::navlog
