#include <gtest/gtest.h>

#include "core/text.h"

using namespace kestrova;

TEST(ColumnText, CutsAndClamps) {
    struct Row {
        const char* text;
        long long first, count;
        const char* expected;
    };
    const Row rows[] = {
        {"ABC", 5, 3, ""},      {"ABC", 2, 10, "BC"},  {"ABC", 0, 2, "AB"}, {"ABC", -4, 2, "AB"},
        {"ABC", 1, -1, ""},     {"ABC", 1, 0, ""},     {"ABC", 3, 1, "C"},  {"ABC", 4, 1, ""},
        {"", 1, 5, ""},         {"ABCDEF", 2, 3, "BCD"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ColumnText(r.text, r.first, r.count), r.expected) << r.text << " " << r.first << " " << r.count;
}

TEST(ColumnText, PassesEightBitBytesAsSingleCharacters) {
    const std::string line = "12\xB0" "34'N";
    EXPECT_EQ(ColumnText(line, 3, 1), "\xB0");
    EXPECT_EQ(ColumnText(line, 3, 3), "\xB0" "34");
}

TEST(LeftRightChars, Bounds) {
    EXPECT_EQ(LeftChars("abcdef", 2), "ab");
    EXPECT_EQ(LeftChars("ab", 5), "ab");
    EXPECT_EQ(LeftChars("ab", 0), "");
    EXPECT_EQ(RightChars("abcdef", 2), "ef");
    EXPECT_EQ(RightChars("abc", 10), "abc");
    EXPECT_EQ(RightChars("abc", 0), "");
    EXPECT_EQ(RightChars("", 3), "");
}

TEST(Pad, FillsButNeverCuts) {
    EXPECT_EQ(PadLeft("12345", 4, '0'), "12345");
    EXPECT_EQ(PadLeft("5", 4, '0'), "0005");
    EXPECT_EQ(PadLeft("-5", 4, '0'), "00-5");
    EXPECT_EQ(PadLeft("", 2, ' '), "  ");
    EXPECT_EQ(PadRight("AB", 5, ' '), "AB   ");
    EXPECT_EQ(PadRight("ABCDEF", 5, ' '), "ABCDEF");
    EXPECT_EQ(PadRight("\xB0", 2, '.'), "\xB0.");
}

TEST(RemoveBlanks, OnlyCharacter32) {
    EXPECT_EQ(RemoveBlanks(" A B "), "AB");
    EXPECT_EQ(RemoveBlanks("\tA B\t"), "\tAB\t");
    EXPECT_EQ(RemoveBlanks(""), "");
    EXPECT_EQ(RemoveBlanks("   "), "");
}

TEST(ReplaceAll, Cases) {
    EXPECT_EQ(ReplaceAll(" 12", " ", "0"), "012");
    EXPECT_EQ(ReplaceAll(" 1 2 ", " ", "0"), "01020");
    EXPECT_EQ(ReplaceAll("abc", "x", "y"), "abc");
    EXPECT_EQ(ReplaceAll("aaa", "a", "a"), "aaa");
    EXPECT_EQ(ReplaceAll("", "a", "b"), "");
    // The search restarts after each replacement, so a replacement can join
    // the following text into a new occurrence.
    EXPECT_EQ(ReplaceAll("abb", "ab", "a"), "a");
    EXPECT_EQ(ReplaceAll("aXbXc", "X", "--"), "a--b--c");
}

TEST(CountFields, Cases) {
    EXPECT_EQ(CountFields("", ','), 0);
    EXPECT_EQ(CountFields("x", ','), 1);
    EXPECT_EQ(CountFields("a,b,c", ','), 3);
    EXPECT_EQ(CountFields("a,b,", ','), 2);
    EXPECT_EQ(CountFields(",", ','), 1);
    EXPECT_EQ(CountFields(",,", ','), 2);
}

TEST(NthField, Cases) {
    struct Row {
        const char* text;
        int n;
        char delimiter;
        const char* expected;
    };
    const Row rows[] = {
        {"12, 34 ,56", 2, ',', " 34"}, {"a,,b", 2, ',', ""},     {"a,b,", 3, ',', ""},
        {"a,b,c", 4, ',', ""},         {"abc", 1, ',', "abc"},   {"abc", 2, ',', ""},
        {"", 1, ',', ""},              {"a,b,", 2, ',', "b"},    {"x |y\t\r|z", 2, '|', "y"},
        {"120/0340", 2, '/', "0340"},  {"a,b", 0, ',', ""},      {" lead,x", 1, ',', " lead"},
        {"\xB0" "C,\xE9t\xE9 ", 2, ',', "\xE9t\xE9"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(NthField(r.text, r.n, r.delimiter), r.expected) << r.text << " #" << r.n;
}

TEST(IsDecimalDigit, OnlyAsciiDigits) {
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(IsDecimalDigit(static_cast<char>(c)), c >= '0' && c <= '9') << c;
}
