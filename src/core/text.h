#pragma once

#include <string>
#include <string_view>

// Fixed-column and delimited text on byte strings. Positions count from 1.
// 8-bit characters pass through untouched; none of these fails on any input.
namespace kestrova {

std::string ColumnText(std::string_view text, long long first, long long count);
std::string LeftChars(std::string_view text, long long count);
std::string RightChars(std::string_view text, long long count);
std::string PadLeft(std::string_view text, long long width, char fill);
std::string PadRight(std::string_view text, long long width, char fill);
std::string RemoveBlanks(std::string_view text);
std::string ReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText);
int CountFields(std::string_view text, char delimiter);
std::string NthField(std::string_view text, int n, char delimiter);
bool IsDecimalDigit(char c);

}  // namespace kestrova
