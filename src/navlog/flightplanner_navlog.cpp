#include "navlog/flightplanner_navlog.h"

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

constexpr char kDegreeSign = '\xB0';

bool Contains(const std::string& line, std::string_view text) { return line.find(text) != std::string::npos; }

// 1-based position of the text, 0 when absent.
long long Pos(const std::string& line, std::string_view text) {
    const auto p = line.find(text);
    return p == std::string::npos ? 0 : static_cast<long long>(p) + 1;
}

// One run of the reader.
class FlightplannerRun {
public:
    FlightplannerRun(SelectPlanState& state, const AppContext& context, const LocaleFormats& locale)
        : st_(state), memo_(state.Memo), ctx_(context), loc_(locale) {}

    void Run(const std::string& dateText) {
        if (LeftChars(st_.s.empty() ? std::string() : st_.s[0], 13) != "Flightplanner")
            throw Error(std::string(msg::kNoFileLoaded));

        WorkingRecord& rec = st_.record;
        NewScratchFile(rec);
        ScratchFileGuard scratch(rec.scratchPath);
        rec.checkpointNames.clear();
        approachTime_ = std::string("00") + loc_.timeSeparator + "00";
        st_.s.clear();

        size_t h = 0;
        for (size_t i = 0; i < memo_.size(); ++i) {
            if (Contains(memo_[i], "#")) {
                h = i;
                break;
            }
        }
        rec.departure = Col(h + 2, 19, 8);
        rec.arrival = Col(h + 3, 19, 8);

        std::string fuelText;
        for (size_t i = 7; i < memo_.size(); ++i) {
            const std::string& line = memo_[i];
            if (Contains(line, "Aircraft:")) aircraft_ = ColumnText(line, 15, 20);
            if (Contains(line, "--> Approach")) {
                approachDistance_ = StrToInt(ColumnText(line, 80, 3));
                approachTime_ = ColumnText(line, 88, 5);
            }
            if (Contains(line, "Arrive:")) arrivalTime_ = ColumnText(line, 88, 5);
            if (Contains(line, "gallons fuel required")) {
                const long long open = Pos(line, "(");
                fuelText = ColumnText(line, open + 1, Pos(line, "gallons fuel required") - open - 1);
            }
        }
        const int32_t fuelRequired = StrToInt(RemoveBlanks(fuelText));

        FillPilotName(st_.MieStringhe, ctx_.pilotName);
        for (const auto& line : st_.MieStringhe.Testa) st_.s.push_back(line);

        totalDistance_ = StrToInt(Col(h + 3, 79, 4));
        remaining_ = totalDistance_;
        departureClock_ = Col(h + 2, 88, 2) + loc_.timeSeparator + Col(h + 2, 91, 2);
        currentClock_ = departureClock_;

        clockMode_ = Col(h + 3, 88, 5) == arrivalTime_;

        for (size_t i = h + 2; i < memo_.size(); ++i) {
            const std::string& line = memo_[i];
            if (line.empty()) continue;
            if (line[0] >= '1' && line[0] <= '9') LegLine(line);
            if (const long long p = Pos(line, "Climb to"); p > 0)
                altitude_ = PadRight(ColumnText(line, p + 9, 5), 6, ' ');
            else if (const long long q = Pos(line, "Descend to"); q > 0)
                altitude_ = PadRight(ColumnText(line, q + 11, 5), 6, ' ');
            if (Contains(line, "Total:")) totalTime_ = ColumnText(line, 88, 5);
        }

        if (clockMode_ && approachDistance_ > 0) {
            // The approach line holds the clock time at which the approach begins.
            const double clock = StrToTime(currentClock_, loc_.timeSeparator);
            double duration = clock - StrToTime(WithTimeSeparator(approachTime_, loc_), loc_.timeSeparator);
            if (duration < 0) duration += 1.0;  // the approach passes midnight
            approachTime_ = ClockText(duration, loc_);
        }
        approachTime_ = LeftChars(approachTime_, 5);

        st_.s.push_back(TableEndLine());
        st_.s.push_back("TOTALS: DISTANCE =" + std::to_string(totalDistance_) + " Miles   Time= " +
                        WithTimeSeparator(totalTime_, loc_) + " Approach Time =" + approachTime_);
        st_.s[kTestaRouteLine] += rec.departure;

        FillRouteAndDate(st_.s, rec, dateText);
        st_.s = ReadScratch(rec);
        FillPreparer(st_.MieStringhe, ctx_.pilotId, ctx_.pilotNumber);
        for (const auto& line : st_.MieStringhe.Coda) st_.s.push_back(line);
        FillAircraftAndTakeOff(st_.s, rec, departureClock_, aircraft_);
        st_.s = ReadScratch(rec);
        FillFuelBlock(rec, minutesSum_, fuelRequired);
        st_.s = ReadScratch(rec);

        platform::SaveLines(ReportLogPath(ctx_), st_.s);
        st_.Memo = st_.s;
    }

private:
    // Columns of a Memo line; a line beyond the text reads as empty.
    std::string Col(size_t line, long long first, long long count) const {
        return line < memo_.size() ? ColumnText(memo_[line], first, count) : std::string();
    }

    void LegLine(const std::string& line) {
        std::string ident;
        std::string frequencies;
        if (Contains(line, "VOR :")) {
            ident = PadRight(ColumnText(line, Pos(line, "[") + 1, 3), 8, ' ');
            frequencies = "|" + ColumnText(line, 65, 6) + "|      |";
        } else if (Contains(line, "NDB :")) {
            const long long open = Pos(line, "[");
            ident = PadRight(ColumnText(line, open + 1, Pos(line, "]") - open - 1), 8, ' ');
            frequencies = "|      |" + ColumnText(line, 66, 6) + "|";
        } else {
            const bool coordinates = line.size() >= 18 && line[17] == kDegreeSign;
            ident = PadRight(coordinates ? ColumnText(line, 59, 8) : ColumnText(line, 15, 8), 8, ' ');
            frequencies = "|      |      |";
        }
        const std::string heading = ColumnText(line, 74, 4);
        const std::string kind = ColumnText(line, 5, 6);

        if (kind == "Depart") {
            st_.s.push_back(ColumnText(line, 15, 8) + "|      |      |" + heading + "|" + altitude_ + "|      |" +
                            "  -/" + PadLeft(std::to_string(remaining_), 4, '0') + "|" + "-    |" + departureClock_ +
                            "|");
            return;
        }

        const bool arrival = kind == "Arrive";
        int32_t legDistance = StrToInt(ColumnText(line, 80, 3));
        if (arrival) legDistance += approachDistance_;
        remaining_ -= legDistance;

        const std::string timeField = WithTimeSeparator(ColumnText(line, 88, 5), loc_);
        std::string ete;
        std::string eto;
        if (clockMode_) {
            eto = timeField;
            const double over = StrToTime(eto, loc_.timeSeparator);
            double duration = over - StrToTime(currentClock_, loc_.timeSeparator);
            if (duration < 0) duration += 1.0;  // an ETO earlier than the clock is on the next day
            ete = ColumnText(HoursMinutes(duration, loc_), 4, 2) + "   ";
        } else {
            const double clock = StrToTime(currentClock_, loc_.timeSeparator);
            eto = HoursMinutes(clock + StrToTime(timeField, loc_.timeSeparator), loc_);
            ete = ColumnText(timeField, 4, 2) + "   ";
        }
        currentClock_ = eto;

        const std::string distance =
            PadLeft(std::to_string(legDistance), 3, '0') + "/" + PadLeft(std::to_string(remaining_), 4, '0');
        if (arrival) altitude_ = std::string(6, ' ');

        st_.s.push_back(ident + frequencies + heading + "|" + altitude_ + "|      |" + distance + "|" + ete + "|" +
                        eto + "|");
        st_.s.push_back(ActualsLine(loc_));
        minutesSum_ += StrToInt(RemoveBlanks(ete));
        st_.record.checkpointNames.push_back(RemoveBlanks(ident));
    }

    SelectPlanState& st_;
    const std::vector<std::string>& memo_;  // replaced by the log only after the walk
    const AppContext& ctx_;
    const LocaleFormats& loc_;

    int32_t totalDistance_ = 0;
    int64_t remaining_ = 0;
    std::string departureClock_;
    std::string currentClock_;
    int32_t approachDistance_ = 0;
    std::string approachTime_;
    std::string totalTime_;
    std::string aircraft_;
    std::string arrivalTime_;
    std::string altitude_ = std::string(6, ' ');
    int32_t minutesSum_ = 0;
    bool clockMode_ = false;
};

}  // namespace

void Flightplanner(SelectPlanState& state, const AppContext& context, const LocaleFormats& locale,
                   const std::string& dateText) {
    FlightplannerRun(state, context, locale).Run(dateText);
}

}  // namespace kestrova::navlog
