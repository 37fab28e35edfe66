#include <gtest/gtest.h>

#include "core/error.h"
#include "core/lines.h"
#include "core/time_value.h"

using namespace kestrova;

namespace {
std::string Hm(double v) {
    const TimeParts t = DecodeTime(v);
    return std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second);
}
}  // namespace

TEST(StrToTime, Accepts) {
    const std::pair<const char*, const char*> rows[] = {
        {"7:5", "7:5:0"},     {"07:05", "7:5:0"},  {"23:59", "23:59:0"}, {"0:0", "0:0:0"},
        {"12:30:15", "12:30:15"}, {"09:05  ", "9:5:0"}, {" 9:05", "9:5:0"},
    };
    for (const auto& [text, expected] : rows) EXPECT_EQ(Hm(StrToTime(text, ':')), expected) << text;
}

TEST(StrToTime, RejectsWithTheSystemMessage) {
    const char* rows[] = {"24:00", "12:60", "ab", "", "12", "12:", ":30", "1:2:60", "12.30", "1:2:3:4", "-1:00"};
    for (const char* text : rows) {
        try {
            StrToTime(text, ':');
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + text + "' is not a valid time");
        }
    }
}

TEST(StrToTime, UsesTheGivenSeparator) {
    EXPECT_EQ(Hm(StrToTime("10.45", '.')), "10:45:0");
    EXPECT_THROW(StrToTime("10:45", '.'), Error);
}

TEST(TimeValue, FractionOfADay) {
    EXPECT_DOUBLE_EQ(EncodeTime(12, 0), 0.5);
    EXPECT_DOUBLE_EQ(EncodeTime(6, 0), 0.25);
    EXPECT_EQ(Hm(EncodeTime(23, 59) + EncodeTime(0, 2)), "0:1:0");  // the day part is dropped
    EXPECT_EQ(Hm(EncodeTime(1, 0) - EncodeTime(2, 0)), "1:0:0");   // negative: time of day of |v|
    // Rounded to the millisecond: 10:36:59.9996 reads 10:37.
    EXPECT_EQ(Hm(EncodeTime(10, 36, 59, 999) + 0.6 / 86400000.0), "10:37:0");
}

TEST(FormatDateTime, Patterns) {
    LocaleFormats c;
    const double t = EncodeTime(9, 5, 7);
    EXPECT_EQ(FormatDateTime("hh:nn", t, c), "09:05");
    EXPECT_EQ(FormatDateTime("h:nn:ss", t, c), "9:05:07");
    EXPECT_EQ(FormatDateTime("hh:nn:ss ampm", EncodeTime(21, 5), c), "09:05:00 PM");
    EXPECT_EQ(FormatDateTime("h:nn ampm", EncodeTime(0, 30), c), "12:30 AM");
    LocaleFormats dot;
    dot.timeSeparator = '.';
    dot.dateSeparator = '.';
    EXPECT_EQ(FormatDateTime("hh:nn", t, dot), "09.05");
    const double date = EncodeDate(2026, 12, 10);
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy", date, dot), "10.12.2026");
    EXPECT_EQ(FormatDateTime("mm/dd/yy", date, c), "12/10/26");
    EXPECT_EQ(FormatDateTime("d/m/yy", EncodeDate(2001, 2, 3), c), "3/2/01");
}

TEST(DateValue, EpochAndRoundTrip) {
    EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_DOUBLE_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_DOUBLE_EQ(EncodeDate(2000, 1, 1), 36526.0);
    int y = 0, m = 0, d = 0;
    DecodeDate(EncodeDate(2024, 2, 29) + 0.75, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
}

TEST(LongTimePrefix, FirstFiveCharacters) {
    LocaleFormats c;
    EXPECT_EQ(LongTimePrefix(EncodeTime(9, 5), c), "09:05");
    c.longTimeFormat = "h:nn:ss";
    EXPECT_EQ(LongTimePrefix(EncodeTime(9, 5), c), "9:05:");
    EXPECT_EQ(LongTimePrefix(EncodeTime(10, 5), c), "10:05");
}

TEST(Lines, SplitAndJoin) {
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(SplitLines(""), std::vector<std::string>{});
    EXPECT_EQ(SplitLines("x"), std::vector<std::string>{"x"});
    EXPECT_EQ(JoinLines({"a", "", "\xB0"}), "a\r\n\r\n\xB0\r\n");
    EXPECT_EQ(JoinLines({}), "");
}
