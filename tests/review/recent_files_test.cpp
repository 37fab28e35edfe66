#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "review/recent_files.h"

namespace kestrova::review {
namespace {

using Paths = std::vector<std::string>;

TEST(RecentFiles, AddMovesToTopAndKeepsEight) {
    struct Case {
        const char* name;
        Paths start;
        std::string added;
        Paths expected;
    };
    const Paths eight = {"/l/8", "/l/7", "/l/6", "/l/5", "/l/4", "/l/3", "/l/2", "/l/1"};
    const std::vector<Case> cases = {
        {"into an empty list", {}, "/l/a", {"/l/a"}},
        {"a ninth pushes the oldest out", eight, "/l/9", {"/l/9", "/l/8", "/l/7", "/l/6", "/l/5", "/l/4", "/l/3", "/l/2"}},
        {"a listed one moves up, no copy", eight, "/l/3", {"/l/3", "/l/8", "/l/7", "/l/6", "/l/5", "/l/4", "/l/2", "/l/1"}},
        {"the top one stays", {"/l/a", "/l/b"}, "/l/a", {"/l/a", "/l/b"}},
        {"other letter case is the same entry, spelt as added", {"/l/a", "/L/Report.LOG"}, "/l/report.log",
         {"/l/report.log", "/l/a"}},
        {"Latin-1 capitals fold too", {"/l/\xc8t\xe0"}, "/l/\xe8T\xc0", {"/l/\xe8T\xc0"}},
        {"the multiplication sign is no capital", {"/l/\xd7"}, "/l/\xf7", {"/l/\xf7", "/l/\xd7"}},
        {"blank is ignored", {"/l/a"}, "   ", {"/l/a"}},
        {"empty is ignored", {"/l/a"}, "", {"/l/a"}},
    };
    for (const Case& c : cases) {
        RecentFiles list(c.start);
        list.Add(c.added);
        EXPECT_EQ(list.Paths(), c.expected) << c.name;
    }
}

TEST(RecentFiles, ReadListDropsBlanksRepeatsAndExtras) {
    const RecentFiles list(Paths{"/a", "", "/A", "/b", "/c", "/d", "/e", "/f", "/g", "/h", "/i"});
    EXPECT_EQ(list.Paths(), (Paths{"/a", "/b", "/c", "/d", "/e", "/f", "/g", "/h"}));
}

TEST(RecentFiles, RemoveAndClear) {
    RecentFiles list(Paths{"/a", "/B", "/c"});
    list.Remove("/b");
    EXPECT_EQ(list.Paths(), (Paths{"/a", "/c"}));
    list.Remove("/none");
    EXPECT_EQ(list.Paths(), (Paths{"/a", "/c"}));
    list.Clear();
    EXPECT_TRUE(list.Empty());
}

}  // namespace
}  // namespace kestrova::review
