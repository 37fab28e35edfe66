#include <gtest/gtest.h>

#include "fg_props.h"

namespace kestrova::fg {
namespace {

// The form of FlightGear's answer to GET /json/kestrova?d=4, shortened.
constexpr const char* kAnswer = R"({"path":"/kestrova","name":"kestrova","type":"-","index":0,"nChildren":4,"children":[
 {"path":"/kestrova/keys","name":"keys","type":"-","index":0,"nChildren":2,"children":[
  {"path":"/kestrova/keys/waypoint","name":"waypoint","value":2,"type":"int","index":0,"nChildren":0},
  {"path":"/kestrova/keys/end","name":"end","value":1,"type":"int","index":0,"nChildren":0}]},
 {"path":"/kestrova/ready","name":"ready","value":1,"type":"double","index":0,"nChildren":0},
 {"path":"/kestrova/sim","name":"sim","type":"-","index":0,"nChildren":9,"children":[
  {"path":"/kestrova/sim/utc-hour","name":"utc-hour","value":20,"type":"int","index":0,"nChildren":0},
  {"path":"/kestrova/sim/local-offset-s","name":"local-offset-s","value":-28800,"type":"int","index":0,"nChildren":0},
  {"path":"/kestrova/sim/latitude-deg","name":"latitude-deg","value":-37.500000,"type":"double","index":0,"nChildren":0},
  {"path":"/kestrova/sim/temperature-degc","name":"temperature-degc","value":-6.5e0,"type":"double","index":0,"nChildren":0},
  {"path":"/kestrova/sim/title","name":"title","value":"Caf\u00e9 \"Racer\", 2 seats","type":"unspecified","index":0,"nChildren":0},
  {"path":"/kestrova/sim/version","name":"version","value":"2020.3.16","type":"string","index":0,"nChildren":0},
  {"path":"/kestrova/sim/tank","name":"tank","type":"-","index":0,"nChildren":2,"children":[
   {"path":"/kestrova/sim/tank/level-gal_us","name":"level-gal_us","value":5.375000,"type":"double","index":0,"nChildren":0},
   {"path":"/kestrova/sim/tank/capacity-gal_us","name":"capacity-gal_us","value":21.500000,"type":"double","index":0,"nChildren":0}]},
  {"path":"/kestrova/sim/tank[1]","name":"tank","type":"-","index":1,"nChildren":2,"children":[
   {"path":"/kestrova/sim/tank[1]/level-gal_us","name":"level-gal_us","value":0,"type":"double","index":0,"nChildren":0},
   {"path":"/kestrova/sim/tank[1]/capacity-gal_us","name":"capacity-gal_us","value":21.5,"type":"double","index":0,"nChildren":0}]},
  {"path":"/kestrova/sim/cloud","name":"cloud","type":"-","index":0,"nChildren":1,"children":[
   {"path":"/kestrova/sim/cloud/coverage","name":"coverage","value":"clear","type":"string","index":0,"nChildren":0}]},
  {"path":"/kestrova/sim/cloud[1]","name":"cloud","type":"-","index":1,"nChildren":1,"children":[
   {"path":"/kestrova/sim/cloud[1]/coverage","name":"coverage","value":"broken","type":"string","index":0,"nChildren":0}]}
 ]}]})";

TEST(FgPropsTest, ReadsTheAddonsTree) {
    std::string error;
    const auto props = ParsePropertyTree(kAnswer, error);
    ASSERT_TRUE(props) << error;
    EXPECT_EQ(props->at("keys/waypoint"), "2");
    EXPECT_EQ(props->at("sim/tank[1]/capacity-gal_us"), "21.5");
    EXPECT_EQ(props->count("sim"), 0u);  // nodes without a value are not listed

    const FgState s = StateFromProperties(*props);
    EXPECT_EQ(s.utcHour, 20);
    EXPECT_EQ(s.utcMinute, 0);  // missing: 0
    EXPECT_EQ(s.localOffsetSeconds, -28800);
    EXPECT_EQ(s.latitudeDeg, -37.5);
    EXPECT_EQ(s.temperatureDegC, -6.5);
    EXPECT_EQ(s.title, "Caf\xC3\xA9 \"Racer\", 2 seats");
    EXPECT_EQ(s.version, "2020.3.16");
    ASSERT_EQ(s.tanks.size(), 2u);
    EXPECT_EQ(s.tanks[0].levelGal, 5.375);
    EXPECT_EQ(s.tanks[0].capacityGal, 21.5);
    EXPECT_EQ(s.tanks[1].levelGal, 0.0);
    EXPECT_EQ(s.cloudCoverages, (std::vector<std::string> {"clear", "broken"}));
    const KeyCounts keys = KeyCountsFromProperties(*props);
    EXPECT_EQ(keys.waypoint, 2);
    EXPECT_EQ(keys.end, 1);
    EXPECT_EQ(NumberOf(*props, "ready"), 1.0);
}

TEST(FgPropsTest, RefusesWhatIsNotAPropertyNode) {
    const char* bad[] = {"", "[]", "{\"name\":\"x\"", "{\"name\":\"x\",\"children\":{}}", "{\"value\":12a}",
                         "{\"name\":\"x\"} trailing", "{\"name\":\"unterminated}",
                         "{\"children\":[{\"name\":\"a\",\"value\":1},]}"};
    for (const char* text : bad) {
        std::string error;
        EXPECT_FALSE(ParsePropertyTree(text, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
    std::string error;
    const auto empty = ParsePropertyTree("{}", error);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
    EXPECT_EQ(StateFromProperties(*empty).tanks.size(), 0u);
    EXPECT_EQ(NumberOf({{"a", "not a number"}, {"b", "true"}, {"c", "+3.5"}}, "a"), 0.0);
    EXPECT_EQ(NumberOf({{"b", "true"}}, "b"), 1.0);
    EXPECT_EQ(NumberOf({{"c", "+3.5"}}, "c"), 3.5);
}

TEST(FgPropsTest, MessageBodyIsJsonInUtf8) {
    EXPECT_EQ(MessageRequestBody("REGISTERED WAYPOINT #1", 5),
              R"({"children":[{"name":"seconds","value":5},{"name":"text","value":"REGISTERED WAYPOINT #1"}]})");
    // Latin-1 e acute, a quote, a backslash and a tab.
    EXPECT_EQ(MessageRequestBody("Caf\xE9 \"q\" \\ \t", 0),
              "{\"children\":[{\"name\":\"seconds\",\"value\":0},{\"name\":\"text\",\"value\":\"Caf\xC3\xA9 \\\"q\\\" "
              "\\\\ \\u0009\"}]}");
    // What the bridge writes, FlightGear's reader gives back.
    std::string error;
    const auto back = ParsePropertyTree(MessageRequestBody("Caf\xE9 \"q\"", 5), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->at("text"), "Caf\xC3\xA9 \"q\"");
}

}  // namespace
}  // namespace kestrova::fg
