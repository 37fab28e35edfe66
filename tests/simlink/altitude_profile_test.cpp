#include <gtest/gtest.h>

#include "core/error.h"
#include "simlink/altitude_profile.h"

namespace kestrova {
namespace {

TEST(NthRunTest, RunsOfDelimitersCountAsOne) {
    struct Case {
        const char* text;
        int n;
        const char* run;
    };
    const Case cases[] = {
        {"a,b,c,d", 4, "d"},
        {"a,,b,c,d", 4, "d"},        // an empty field is skipped
        {",,a,b,c,d,e", 4, "d"},     // leading commas too
        {"a,b,c", 4, ""},            // too few runs
        {"a,b,c,", 4, ""},
        {"", 1, ""},
        {",,,", 1, ""},
        {"a, 12 ,b", 2, " 12 "},     // blanks belong to the run
        {"abc", 1, "abc"},
        {"abc", 0, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(NthRun(c.text, c.n, ','), c.run) << c.text << " #" << c.n;
}

TEST(RecordAltitudesTest, FourthFieldOfEveryLineInOrder) {
    const std::vector<std::string> lines = {
        "14:5,260,0,1200,12,1013,240,6,15,87,Few 1/8,N45d37'50.16\",E008d43'23.16\",14:5,0,366,Cessna, 182,45.63,8.72",
        "14:14,101,239,3500,25,1013,250,12,15,81,Few 2/8,,,14:14,0,1066,Cessna,0,0",
        "14:23,97,263,3490,> 50,1013,260,18,15,74,Sct 3/8,,,14:23,0,1063,Cessna,0,0",
        "9:7,2,0,-16,50,0,0,0,21,100,Overcas,,,10:7,0,-5,X,0,0",
    };
    EXPECT_EQ(RecordAltitudes(lines), (std::vector<int32_t> {1200, 3500, 3490, -16}));
    EXPECT_TRUE(RecordAltitudes({}).empty());
}

TEST(RecordAltitudesTest, StopsAtTheFirstFieldThatIsNotAnInteger) {
    struct Case {
        std::vector<std::string> lines;
        const char* message;
    };
    const Case cases[] = {
        {{"1:2,3,4,100", ""}, "'' is not a valid integer value"},          // an empty line
        {{"1:2,3,4,12.5,x"}, "'12.5' is not a valid integer value"},
        {{"1:2,3,4,1200", "1:3,3,4,abc,9", "1:4,3,4,x"}, "'abc' is not a valid integer value"},
        {{"1:2,3,4"}, "'' is not a valid integer value"},                   // no fourth field
        {{"1:2,3,4,9999999999"}, "'9999999999' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        try {
            RecordAltitudes(c.lines);
            ADD_FAILURE() << "no error for " << c.lines.front();
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

}  // namespace
}  // namespace kestrova
