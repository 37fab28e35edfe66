#include <gtest/gtest.h>

#include <cmath>

#include "core/error.h"
#include "core/numbers.h"

using namespace kestrova;

TEST(StrToInt, Accepts) {
    const std::pair<const char*, int32_t> rows[] = {
        {"0", 0},         {"42", 42},       {"  42", 42},      {"+7", 7},
        {"-5", -5},       {" -05", -5},     {"007", 7},        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
    };
    for (const auto& [text, value] : rows) EXPECT_EQ(StrToInt(text), value) << text;
}

TEST(StrToInt, RejectsWithTheSystemMessage) {
    const char* rows[] = {"", " ", "12 ", "1 2", "+", "-", "1.5", "abc", "2147483648", "-2147483649",
                          "99999999999999999999", "\xB0", "0x10", "- 5"};
    for (const char* text : rows) {
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + text + "' is not a valid integer value");
        }
    }
}

TEST(FormatGeneral, ShortestTextUpTo15Digits) {
    const std::pair<double, const char*> rows[] = {
        {114.9, "114.9"},       {385, "385"},           {0, "0"},
        {-0.0, "0"},            {111.49, "111.49"},     {12.5, "12.5"},
        {-3.25, "-3.25"},       {0.1 + 0.2, "0.3"},     {1.0 / 3, "0.333333333333333"},
        {123456789012345.0, "123456789012345"},         {1e15, "1E15"},
        {0.0001, "0.0001"},     {0.00001, "1E-5"},      {1.5e-5, "1.5E-5"},
        {2.0 / 3 * 100, "66.6666666666667"},            {-1234.5, "-1234.5"},
    };
    for (const auto& [value, text] : rows) EXPECT_EQ(FormatGeneral(value), text) << value;
}

TEST(FormatGeneral, LongDouble) {
    EXPECT_EQ(FormatGeneral(114.9L), "114.9");
    EXPECT_EQ(FormatGeneral(52.5L + 1.0L / 3), "52.8333333333333");
    EXPECT_EQ(FormatGeneral(-7.0L), "-7");
}

TEST(RoundHalfEven, Ties) {
    const std::pair<double, int64_t> rows[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
        {2.4999, 2}, {2.5001, 3}, {7, 7},
    };
    for (const auto& [v, r] : rows) {
        EXPECT_EQ(RoundHalfEven(v), r) << v;
        EXPECT_EQ(RoundHalfEven(static_cast<long double>(v)), r) << v;
    }
}

TEST(Divide, SystemMessages) {
    EXPECT_DOUBLE_EQ(Divide(3.0, 2.0), 1.5);
    try {
        Divide(1.0, 0.0);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Floating point division by zero");
    }
    try {
        Divide(0.0L, 0.0L);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid floating point operation");
    }
}
