#include <atomic>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "../simlink/test_support.h"
#include "fake_flightgear.h"
#include "fg_bridge.h"
#include "simlink/recorder.h"

namespace kestrova::fg {
namespace {

using namespace std::chrono_literals;

class FgBridgeTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("LC_ALL", "C", 1); }
    void TearDown() override { IpcClose(); }

    test::PrivateDirs dirs_;
    FakeFlightGear fg_;
    SimServer server_;
    std::ostringstream log_;
};

TEST_F(FgBridgeTest, ServesOnlyWhileFlightGearAnswersWithTheAddon) {
    FgBridge bridge(
        server_, [this](auto&&... a) { return fg_.Exchange(a...); }, log_, 0ms);
    fg_.Set([](FakeFlightGear& f) { f.addon = false; });
    EXPECT_EQ(bridge.Step(), FgBridge::Round::NoAddon);
    EXPECT_EQ(bridge.Step(), FgBridge::Round::NoAddon);
    EXPECT_FALSE(FindSimulatorWindow(kFsInfo.windowClass));
    // Said once, not on every read while it lasts.
    const std::string noAddon = "without the Kestrova add-on: start fgfs with --addon=DIR";
    const size_t said = log_.str().find(noAddon);
    EXPECT_NE(said, std::string::npos);
    EXPECT_EQ(log_.str().find(noAddon, said + 1), std::string::npos) << log_.str();
    fg_.Set([](FakeFlightGear& f) { f.addon = true, f.ready = false; });
    EXPECT_EQ(bridge.Step(), FgBridge::Round::NotReady);
    EXPECT_FALSE(FindSimulatorWindow(kFsInfo.windowClass));
    fg_.Set([](FakeFlightGear& f) { f.ready = true; });
    EXPECT_EQ(bridge.Step(), FgBridge::Round::Served);
    EXPECT_TRUE(FindSimulatorWindow(kFsInfo.windowClass));
    EXPECT_EQ(server_.Get<int32_t>(0x0574), 1371);  // 4500 ft = 1371.6 m
    EXPECT_EQ(server_.Get<uint8_t>(0x023B), 14);

    // FlightGear gone: the window goes once the loss has lasted (here at once on the second miss).
    fg_.Set([](FakeFlightGear& f) { f.running = false; });
    EXPECT_EQ(bridge.Step(), FgBridge::Round::NoAnswer);
    EXPECT_TRUE(bridge.Serving());
    EXPECT_EQ(bridge.Step(), FgBridge::Round::NoAnswer);
    EXPECT_FALSE(bridge.Serving());
    EXPECT_FALSE(FindSimulatorWindow(kFsInfo.windowClass));
    fg_.Set([](FakeFlightGear& f) { f.running = true; });
    EXPECT_EQ(bridge.Step(), FgBridge::Round::Served);
    EXPECT_TRUE(FindSimulatorWindow(kFsInfo.windowClass));
}

// The recorder's last text arrives between two reads, and the program that
// started the bridge ends it right after: the text is still shown.
TEST_F(FgBridgeTest, FinishShowsTheTextsStillHeld) {
    FgBridge bridge(server_, [this](auto&&... a) { return fg_.Exchange(a...); }, log_);
    ASSERT_EQ(bridge.Step(), FgBridge::Round::Served);
    const std::string goodbye = "END CONNECTION, GOODBYE";
    const uint16_t seconds = 5;
    ASSERT_TRUE(IpcOpen(FindSimulatorWindow(kFsInfo.windowClass), 65536, 2000));
    ASSERT_TRUE(IpcBegin() && IpcWrite(kMessageControlOffset, 2, &seconds) &&
                IpcWrite(kMessageTextOffset, static_cast<uint32_t>(goodbye.size() + 1), goodbye.c_str()) &&
                IpcProcess());
    IpcClose();
    bridge.Finish();
    EXPECT_EQ(fg_.Shown(), std::vector<std::string> {"END CONNECTION, GOODBYE|5"});
    EXPECT_FALSE(FindSimulatorWindow(kFsInfo.windowClass));

    // FlightGear silent: nothing is tried, the window goes all the same.
    FgBridge silent(server_, [this](auto&&... a) { return fg_.Exchange(a...); }, log_);
    ASSERT_EQ(silent.Step(), FgBridge::Round::Served);
    ASSERT_TRUE(IpcOpen(FindSimulatorWindow(kFsInfo.windowClass), 65536, 2000));
    ASSERT_TRUE(IpcBegin() && IpcWrite(kMessageTextOffset, 4, "bye") && IpcProcess());
    IpcClose();
    fg_.Set([](FakeFlightGear& f) { f.running = false; });
    EXPECT_EQ(silent.Step(), FgBridge::Round::NoAnswer);
    silent.Finish();
    EXPECT_EQ(fg_.Shown().size(), 1u);
    EXPECT_EQ(log_.str().find("message: bye"), std::string::npos) << log_.str();
    EXPECT_FALSE(FindSimulatorWindow(kFsInfo.windowClass));
}

TEST_F(FgBridgeTest, KeysBecomeRecordLinesAndTextsComeBack) {
    FgBridge bridge(server_, [this](auto&&... a) { return fg_.Exchange(a...); }, log_);
    fg_.Set([](FakeFlightGear& f) { f.waypoints = 7; });  // presses before the bridge came are old news
    ASSERT_EQ(bridge.Step(), FgBridge::Round::Served);
    // A press with no recorder linked goes nowhere.
    fg_.Set([](FakeFlightGear& f) { f.waypoints = 8; });
    bridge.Step();
    EXPECT_NE(log_.str().find("waypoint key ignored: no recorder connected"), std::string::npos) << log_.str();

    std::atomic<bool> stop {false};
    std::thread pump([&] {
        while (!stop) {
            bridge.Step();
            std::this_thread::sleep_for(5ms);
        }
    });
    test::TitleLetters titles;
    AppContext context;
    context.workingDirectory = dirs_.Work();
    RecorderOptions options;
    options.pollPause = 20ms;
    CallQueue queue;
    TTest2000 recorder(context, titles, queue, options);
    std::thread pilot([&] {
        auto waitShown = [&](size_t n) {
            for (int i = 0; i < 500 && fg_.Shown().size() < n; ++i) std::this_thread::sleep_for(10ms);
            return fg_.Shown().size() >= n;
        };
        ASSERT_TRUE(waitShown(1));
        // Two presses within one read are two waypoints, the second after the first is handled.
        fg_.Set([](FakeFlightGear& f) { f.minute = 1, f.waypoints += 2; });
        ASSERT_TRUE(waitShown(3));
        fg_.Set([](FakeFlightGear& f) { f.ends += 1; });
        waitShown(4);
    });
    test::ServeUntilFinished(queue, recorder, 20s);
    pilot.join();
    for (int i = 0; i < 100 && fg_.Shown().size() < 4; ++i) std::this_thread::sleep_for(10ms);
    stop = true;
    pump.join();
    EXPECT_EQ(recorder.Outcome(), RecorderOutcome::Completed);
    EXPECT_EQ(fg_.Shown(), (std::vector<std::string> {"Welcome on board by Altamarinola Airlines and Kestrova 2002|5",
                                                      "REGISTERED WAYPOINT #1|5", "REGISTERED WAYPOINT #2|5",
                                                      "END CONNECTION, GOODBYE|5"}));
    const std::string record = test::ReadFile(dirs_.WorkFile("FS98.log"));
    EXPECT_EQ(record,
              "14:1,0,0,4500,0,0,0,0,0,20,Haze,+00d00'00.00\",+00d00'00.00\",14:1,0,1371,c172p,0,0\r\n"
              "14:1,0,0,4500,0,0,0,0,0,20,Haze,+00d00'00.00\",+00d00'00.00\",14:1,0,1371,c172p,0,0\r\n");
}

TEST(KeyRelayTest, CountsOnlyNewPresses) {
    KeyRelay relay(0x3210);
    relay.Count(5);
    EXPECT_EQ(relay.Pending(), 0);
    relay.Count(7);
    EXPECT_EQ(relay.Pending(), 2);
    relay.Count(0);  // FlightGear started again
    EXPECT_EQ(relay.Pending(), 2);
    relay.Count(1);
    EXPECT_EQ(relay.Pending(), 3);
    relay.Reset();
    relay.Count(9);
    EXPECT_EQ(relay.Pending(), 0);
}

}  // namespace
}  // namespace kestrova::fg
