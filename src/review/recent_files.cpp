#include "review/recent_files.h"

#include <algorithm>

namespace kestrova::review {

namespace {

unsigned char FoldCase(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 'A' && byte <= 'Z') return static_cast<unsigned char>(byte + 32);
    // Latin-1 capitals 0xC0..0xDE, except the multiplication sign 0xD7.
    if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7) return static_cast<unsigned char>(byte + 32);
    return byte;
}

bool Blank(const std::string& path) {
    return std::all_of(path.begin(), path.end(), [](char c) { return c == ' '; });
}

}  // namespace

RecentFiles::RecentFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (static_cast<int>(paths_.size()) == kMaximum) break;
        if (Blank(path)) continue;
        if (std::none_of(paths_.begin(), paths_.end(), [&](const std::string& p) { return SamePath(p, path); }))
            paths_.push_back(path);
    }
}

bool RecentFiles::SamePath(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldCase(x) == FoldCase(y); });
}

void RecentFiles::Add(const std::string& path) {
    if (Blank(path)) return;
    std::erase_if(paths_, [&](const std::string& p) { return SamePath(p, path); });
    paths_.insert(paths_.begin(), path);
    if (static_cast<int>(paths_.size()) > kMaximum) paths_.resize(kMaximum);
}

void RecentFiles::Remove(const std::string& path) {
    std::erase_if(paths_, [&](const std::string& p) { return SamePath(p, path); });
}

}  // namespace kestrova::review
