#pragma once

#include <string>
#include <vector>

// The log editor's list of recently opened files: full paths, most recent
// first, compared without regard to letter case (as the file system the logs
// come from does).
namespace kestrova::review {

class RecentFiles {
public:
    static constexpr int kMaximum = 8;

    RecentFiles() = default;
    // The first kMaximum entries that are not blank and not repeated.
    explicit RecentFiles(const std::vector<std::string>& paths);

    // A blank path is ignored. A listed path moves to the top, spelt as
    // given (on a case-sensitive file system that is the file just opened);
    // a new one goes to the top and pushes the ninth out.
    void Add(const std::string& path);
    void Remove(const std::string& path);
    void Clear() { paths_.clear(); }

    const std::vector<std::string>& Paths() const { return paths_; }
    bool Empty() const { return paths_.empty(); }

    // Same path in other letter case (ASCII and Latin-1 letters).
    static bool SamePath(const std::string& a, const std::string& b);

private:
    std::vector<std::string> paths_;
};

}  // namespace kestrova::review
