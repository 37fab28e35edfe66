#include "core/text.h"

#include <algorithm>

namespace kestrova {

std::string ColumnText(std::string_view text, long long first, long long count) {
    // A start below 1 counts as 1 without shortening the count.
    if (first < 1) first = 1;
    const auto size = static_cast<long long>(text.size());
    if (count <= 0 || first > size) return {};
    const long long available = size - first + 1;
    return std::string(text.substr(static_cast<size_t>(first - 1),
                                   static_cast<size_t>(std::min(count, available))));
}

std::string LeftChars(std::string_view text, long long count) { return ColumnText(text, 1, count); }

std::string RightChars(std::string_view text, long long count) {
    const auto size = static_cast<long long>(text.size());
    if (count <= 0) return {};
    if (count >= size) return std::string(text);
    return ColumnText(text, size - count + 1, count);
}

std::string PadLeft(std::string_view text, long long width, char fill) {
    const auto size = static_cast<long long>(text.size());
    if (size >= width) return std::string(text);
    return std::string(static_cast<size_t>(width - size), fill) + std::string(text);
}

std::string PadRight(std::string_view text, long long width, char fill) {
    const auto size = static_cast<long long>(text.size());
    if (size >= width) return std::string(text);
    return std::string(text) + std::string(static_cast<size_t>(width - size), fill);
}

std::string RemoveBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != ' ') out.push_back(c);
    return out;
}

std::string ReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText) {
    if (oldText == newText || oldText.empty()) return std::string(text);
    // Every pass replaces the first occurrence, so a replacement may join with
    // the following text into a new occurrence. Nothing before the replaced
    // spot can change, so the search resumes just before it rather than at 0.
    std::string out(text);
    size_t from = 0;
    for (;;) {
        auto pos = out.find(oldText, from);
        if (pos == std::string::npos) break;
        out.replace(pos, oldText.size(), newText);
        from = pos >= oldText.size() - 1 ? pos - (oldText.size() - 1) : 0;
    }
    return out;
}

int CountFields(std::string_view text, char delimiter) {
    if (text.empty()) return 0;
    if (text.back() == delimiter) text.remove_suffix(1);
    return static_cast<int>(std::count(text.begin(), text.end(), delimiter)) + 1;
}

std::string NthField(std::string_view text, int n, char delimiter) {
    if (text.empty() || n < 1) return {};
    std::string work(text);
    if (work.back() == delimiter) work.push_back(' ');
    if (CountFields(work, delimiter) < n) return {};
    work.push_back(delimiter);
    std::string_view rest = work;
    std::string_view field;
    for (int i = 0; i < n; ++i) {
        auto p = rest.find(delimiter);
        field = rest.substr(0, p);
        rest.remove_prefix(p + 1);
    }
    while (!field.empty() && static_cast<unsigned char>(field.back()) <= 32) field.remove_suffix(1);
    return std::string(field);
}

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace kestrova
