#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "core/error.h"
#include "simlink/flight_record_file.h"
#include "simlink/ipc_client.h"
#include "simlink/recorder.h"
#include "simlink/sim_server.h"
#include "test_support.h"

namespace kestrova {
namespace {

using namespace std::chrono_literals;

constexpr int64_t kOne = int64_t {1} << 32;
const std::string kConnected = "Altamarinola Reporter 2002 -->Connected with FS2K  IPC 2.690b";
const std::string kPrepared = "Altamarinola Reporter 2002 -->file prepared by thread";
const std::string kError = "Altamarinola Reporter 2002 -->error in thread FS2000";

// Collects the status titles and checks that each ran on the test's thread.
class Titles final : public RecorderStatus {
public:
    void ReportConnected(const std::string& t) override { Add("C " + t); }
    void ReportFilePrepared(const std::string& t) override { Add("P " + t); }
    void ReportThreadError(const std::string& t) override { Add("E " + t); }
    std::vector<std::string> list;
    std::thread::id caller = std::this_thread::get_id();
    bool offThread = false;

private:
    void Add(const std::string& t) {
        if (std::this_thread::get_id() != caller) offThread = true;
        list.push_back(t);
    }
};

void SetFlight(SimServer& sim) {
    sim.Set<uint32_t>(0x3304, 0x26900002);
    sim.Set<uint16_t>(0x3308, 2);
}

class RecorderTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = std::make_unique<SimServer>();
        ASSERT_EQ(server_->Start(), "");
        SetFlight(*server_);
        server_->OnMessage([this](const std::string& text) {
            std::lock_guard lock(mutex_);
            messages_.push_back(text);
        });
    }
    void TearDown() override { IpcClose(); }

    // Runs a recorder while the simulator side plays `pilot` on another thread;
    // the status callbacks run here, on the test's thread.
    RecorderOutcome Record(uint8_t resume, const std::function<void()>& pilot) {
        AppContext context;
        context.workingDirectory = dirs_.Work();
        context.resumeConnection = resume;
        RecorderOptions options;
        options.pollPause = 20ms;
        options.retryPause = 50ms;
        CallQueue queue;
        TTest2000 recorder(context, titles_, queue, options);
        std::atomic<bool> pilotDone {false};
        std::thread side([&] {
            pilot();
            pilotDone = true;
        });
        if (!test::ServeUntilFinished(queue, recorder, 30s)) ADD_FAILURE() << "the recorder did not end";
        side.join();
        recorder.Wait();
        return recorder.Outcome();
    }

    std::string Record() const { return test::ReadFile(dirs_.WorkFile("FS98.log")); }

    std::vector<std::string> Messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }

    test::PrivateDirs dirs_;
    std::unique_ptr<SimServer> server_;
    Titles titles_;
    std::mutex mutex_;
    std::vector<std::string> messages_;
};

long Lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

// Presses the key and waits until the recorder has handled it.
void Press(SimServer& sim, uint32_t slot) {
    sim.PressKey(slot);
    ASSERT_TRUE(sim.AwaitKeyRearmed(slot, 10s));
}

TEST_F(RecorderTest, RecordsEachWaypointWithItsValues) {
    SimServer& sim = *server_;
    sim.Write(0x3D00, "Cessna 172, Skyhawk, N123", 26);
    const auto outcome = Record(0, [&] {
        ASSERT_TRUE(sim.AwaitConnect(10s));
        // Departure: values worked out in the record line test.
        sim.Set<uint8_t>(0x0238, 11);
        sim.Set<uint8_t>(0x0239, 7);
        sim.Set<uint8_t>(0x023B, 9);
        sim.Set<uint8_t>(0x023C, 0xEE);  // the byte after the zulu hour is not used
        sim.Set<int64_t>(0x0560, 1000000 * kOne);
        sim.Set<int64_t>(0x0568, -(int64_t {1} << 60));
        sim.Set<int64_t>(0x0570, 1524 * kOne);
        sim.Set<int32_t>(0x0574, 1524);
        sim.Set<uint32_t>(0x02B8, 120 * 256);
        sim.Set<uint32_t>(0x0580, 1u << 30);
        sim.Set<uint16_t>(0x04C0, 1250);
        sim.Set<uint16_t>(0x0EC6, 16213);
        sim.Set<uint16_t>(0x0E92, 43691);
        sim.Set<uint16_t>(0x0E90, 14);
        sim.Set<uint16_t>(0x0F42, 3968);
        const uint32_t fuel[14] = {8388608, 40, 4194304, 40, 8388608, 6, 8388608, 100, 2097152, 10, 0, 30, 8388608, 100};
        sim.Write(0x0B74, fuel, sizeof fuel);
        sim.Set<uint16_t>(0x0EA6, 0x6000);
        sim.Set<uint16_t>(0x02A0, 64990);
        Press(sim, 0x3210);

        // Climb: 15:42 local, zulu 13; 2000000 units north (17.99685055115354,
        // 59.8110330692124 min, 48.661984 s) on the prime meridian; 2500.5 m (8204.1405 ft); 240.5 kt raw 61568 ->
        // 480.2785; heading 180 true, no variation; visibility 50.01 mi;
        // QNH 16216 / 16 = 1013.5 -> 1014; wind 4096 -> 22.5 -> 22;
        // temperature 0 C; fuel 30 + 0 + 0 + 3 + 0 = 33; clouds 0x1000.
        sim.Set<uint8_t>(0x0238, 15);
        sim.Set<uint8_t>(0x0239, 42);
        sim.Set<uint8_t>(0x023B, 13);
        sim.Set<int64_t>(0x0560, 2000000 * kOne);
        sim.Set<int64_t>(0x0568, 0);
        sim.Set<int64_t>(0x0570, 2500 * kOne + kOne / 2);
        sim.Set<int32_t>(0x0574, 2500);
        sim.Set<uint32_t>(0x02B8, 61568);
        sim.Set<uint32_t>(0x0580, 1u << 31);
        sim.Set<uint16_t>(0x02A0, 0);
        sim.Set<uint16_t>(0x04C0, 5001);
        sim.Set<uint16_t>(0x0EC6, 16216);
        sim.Set<uint16_t>(0x0E92, 4096);
        sim.Set<uint16_t>(0x0E90, 25);
        sim.Set<uint16_t>(0x0F42, 0);
        const uint32_t fuel2[14] = {6291456, 40, 0, 40, 4194304, 6, 8388608, 100, 0, 10, 0, 30, 8388608, 100};
        sim.Write(0x0B74, fuel2, sizeof fuel2);
        sim.Set<uint16_t>(0x0EA6, 0x1000);
        Press(sim, 0x3210);

        // Below sea level, west: -10 m (-32.81 ft), longitude -2^28 units.
        sim.Set<int64_t>(0x0570, -10 * kOne);
        sim.Set<int32_t>(0x0574, -10);
        sim.Set<int64_t>(0x0568, -(int64_t {1} << 60));
        Press(sim, 0x3210);
        Press(sim, 0x3214);
    });
    EXPECT_EQ(outcome, RecorderOutcome::Completed);
    const std::string lat2 = "+17d59'48.66\"";
    EXPECT_EQ(Record(),
              "9:7,92,239,5000,12.5,1013,240,14,15,68,Sct 3/8,+08d59'54.33\",-22d30'00.00\",11:7,0,1524,"
              "Cessna 172, Skyhawk, N123,8.99842527557677,-22.5\r\n"
              "13:42,180,480,8204,> 50,1014,22,25,0,33,N/A," + lat2 + ",+00d00'00.00\",15:42,0,2500,"
              "Cessna 172, Skyhawk, N123,17.9968505511535,0\r\n"
              "13:42,180,480,-32,> 50,1014,22,25,0,33,N/A," + lat2 + ",-22d30'00.00\",15:42,0,-10,"
              "Cessna 172, Skyhawk, N123,17.9968505511535,-22.5\r\n");
    EXPECT_EQ(Messages(), (std::vector<std::string> {"Welcome on board by Altamarinola Airlines and Kestrova 2002",
                                                     "REGISTERED WAYPOINT #1", "REGISTERED WAYPOINT #2",
                                                     "REGISTERED WAYPOINT #3", "END CONNECTION, GOODBYE"}));
    EXPECT_EQ(titles_.list, (std::vector<std::string> {"C " + kConnected, "P " + kPrepared}));
    EXPECT_FALSE(titles_.offThread);
    EXPECT_TRUE(server_->AwaitLinksClosed(1s));
    EXPECT_EQ(server_->Get<uint32_t>(0x3214), kEndKey);
    EXPECT_EQ(server_->Get<uint16_t>(0x32FA), 5);
}

TEST_F(RecorderTest, ResumeAppendsAndCountsFromOne) {
    test::WriteFile(dirs_.WorkFile("fs98.LOG"), "old line\r\n");  // any letter case
    const auto outcome = Record(1, [&] {
        ASSERT_TRUE(server_->AwaitConnect(10s));
        Press(*server_, 0x3210);
        Press(*server_, 0x3214);
    });
    EXPECT_EQ(outcome, RecorderOutcome::Completed);
    const std::string text = test::ReadFile(dirs_.WorkFile("fs98.LOG"));
    EXPECT_EQ(text.substr(0, 10), "old line\r\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    EXPECT_EQ(Messages().at(1), "REGISTERED WAYPOINT #1");
    // The record keeps its name; no second file in the canonical case.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dirs_.Work()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string> {"fs98.LOG"});
}

TEST_F(RecorderTest, EndWithoutWaypoint) {
    for (const uint8_t resume : {0, 1}) {
        SCOPED_TRACE(resume);
        test::WriteFile(dirs_.WorkFile("FS98.log"), "kept?\r\n");
        const auto outcome = Record(resume, [&] {
            ASSERT_TRUE(server_->AwaitConnect(10s));
            Press(*server_, 0x3214);
        });
        EXPECT_EQ(outcome, RecorderOutcome::Completed);
        EXPECT_EQ(Record(), resume == 1 ? "kept?\r\n" : "");
    }
}

TEST_F(RecorderTest, ResumeWithoutRecordCreatesIt) {
    const auto outcome = Record(1, [&] {
        ASSERT_TRUE(server_->AwaitConnect(10s));
        Press(*server_, 0x3210);
        Press(*server_, 0x3214);
    });
    EXPECT_EQ(outcome, RecorderOutcome::Completed);
    EXPECT_EQ(Lines(Record()), 1);
}

TEST_F(RecorderTest, WaypointAndEndInTheSamePoll) {
    // Both keys go down together, so one poll sees both: the line, then the goodbye.
    const auto outcome = Record(0, [&] {
        ASSERT_TRUE(server_->AwaitConnect(10s));
        const uint32_t both[2] = {kWaypointKey | 0x01000000u, kEndKey | 0x01000000u};
        server_->Write(0x3210, both, sizeof both);
    });
    EXPECT_EQ(outcome, RecorderOutcome::Completed);
    EXPECT_EQ(Lines(Record()), 1);
    EXPECT_EQ(Messages(), (std::vector<std::string> {"Welcome on board by Altamarinola Airlines and Kestrova 2002",
                                                     "REGISTERED WAYPOINT #1", "END CONNECTION, GOODBYE"}));
}

TEST_F(RecorderTest, NoSimulatorEndsAtOnceLeavingNothing) {
    server_->Stop();
    const auto outcome = Record(0, [] {});
    EXPECT_EQ(outcome, RecorderOutcome::NoSimulator);
    EXPECT_TRUE(titles_.list.empty());
    EXPECT_FALSE(test::FileExists(dirs_.WorkFile("FS98.log")));
    EXPECT_FALSE(IpcIsOpen());
}

TEST_F(RecorderTest, SimulatorRestartedMidFlightIsPickedUpAgain) {
    const auto outcome = Record(0, [&] {
        ASSERT_TRUE(server_->AwaitConnect(10s));
        server_->Set<uint8_t>(0x0239, 1);
        Press(*server_, 0x3210);
        server_->Stop();
        std::this_thread::sleep_for(200ms);  // a few failed attempts
        server_ = std::make_unique<SimServer>();
        server_->OnMessage([this](const std::string& text) {
            std::lock_guard lock(mutex_);
            messages_.push_back("new: " + text);
        });
        SetFlight(*server_);
        server_->Set<uint8_t>(0x0239, 2);
        ASSERT_EQ(server_->Start(), "");
        ASSERT_TRUE(server_->AwaitConnect(10s));  // the keys are armed again
        Press(*server_, 0x3210);
        Press(*server_, 0x3214);
    });
    EXPECT_EQ(outcome, RecorderOutcome::Completed);
    const std::string text = Record();
    ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    EXPECT_EQ(text.substr(0, 4), "0:1,");
    EXPECT_EQ(text.substr(text.find('\n') + 1, 4), "0:2,");
    EXPECT_EQ(titles_.list, (std::vector<std::string> {"C " + kConnected, "E " + kError, "C " + kConnected,
                                                       "P " + kPrepared}));
    const auto messages = Messages();
    EXPECT_EQ(messages.back(), "new: END CONNECTION, GOODBYE");
    EXPECT_EQ(messages[messages.size() - 2], "new: REGISTERED WAYPOINT #2");
}

TEST_F(RecorderTest, PendingPressSurvivesAFailedPoll) {
    // The simulator answers one poll with failure while a press is pending;
    // the reconnect must not re-arm (and so drop) that press.
    const auto outcome = Record(0, [&] {
        ASSERT_TRUE(server_->AwaitConnect(10s));
        server_->SetReplyValue(0);
        server_->PressKey(0x3210);
        std::this_thread::sleep_for(100ms);
        server_->SetReplyValue(1);
        ASSERT_TRUE(server_->AwaitKeyRearmed(0x3210, 10s));
        Press(*server_, 0x3214);
    });
    EXPECT_EQ(outcome, RecorderOutcome::Completed);
    EXPECT_EQ(Lines(Record()), 1);
    ASSERT_GE(titles_.list.size(), 3u);
    EXPECT_EQ(titles_.list[1], "E " + kError);
}

TEST_F(RecorderTest, RecordIsLockedWhileRecording) {
    test::WriteFile(dirs_.WorkFile("FS98.log"), "");
    bool refused = false;
    std::string message;
    const auto outcome = Record(1, [&] {
        ASSERT_TRUE(server_->AwaitConnect(10s));
        Press(*server_, 0x3210);
        try {
            LoadFlightRecord(dirs_.Work());
        } catch (const Error& e) {
            refused = true;
            message = e.what();
        }
        Press(*server_, 0x3214);
    });
    EXPECT_EQ(outcome, RecorderOutcome::Completed);
    EXPECT_TRUE(refused);
    EXPECT_EQ(message, "Cannot open file " + dirs_.WorkFile("FS98.log"));
    EXPECT_EQ(LoadFlightRecord(dirs_.Work()).size(), 1u);
}

TEST_F(RecorderTest, RecordThatCannotBeOpenedEndsVisiblyAndClosesTheLink) {
    std::filesystem::create_directory(dirs_.WorkFile("FS98.log"));  // a directory in its place
    const auto outcome = Record(0, [] {});
    EXPECT_EQ(outcome, RecorderOutcome::RecordFailed);
    EXPECT_EQ(titles_.list, (std::vector<std::string> {"C " + kConnected, "E " + kError}));
    EXPECT_FALSE(IpcIsOpen());
    EXPECT_TRUE(server_->AwaitLinksClosed(2s));
}

TEST_F(RecorderTest, SecondRecorderIsRefusedWhileOneRuns) {
    std::string refusal;
    const auto outcome = Record(0, [&] {
        ASSERT_TRUE(server_->AwaitConnect(10s));
        EXPECT_TRUE(TTest2000::AnyRunning());
        Titles other;
        CallQueue queue;
        AppContext context;
        try {
            TTest2000 second(context, other, queue);
        } catch (const Error& e) {
            refusal = e.what();
        }
        Press(*server_, 0x3214);
    });
    EXPECT_EQ(outcome, RecorderOutcome::Completed);
    EXPECT_EQ(refusal, "A flight recorder is already running");
    EXPECT_FALSE(TTest2000::AnyRunning());
}

TEST_F(RecorderTest, TerminateClosesRecordAndLink) {
    std::atomic<bool> ask {false};
    AppContext context;
    context.workingDirectory = dirs_.Work();
    RecorderOptions options;
    options.pollPause = 20ms;
    CallQueue queue;
    TTest2000 recorder(context, titles_, queue, options);
    std::thread side([&] {
        EXPECT_TRUE(server_->AwaitConnect(10s));
        server_->PressKey(0x3210);
        EXPECT_TRUE(server_->AwaitKeyRearmed(0x3210, 10s));
        recorder.Terminate();
    });
    queue.Serve([&] { return recorder.Finished(); });
    side.join();
    EXPECT_EQ(recorder.Outcome(), RecorderOutcome::Terminated);
    EXPECT_EQ(titles_.list.back(), "P " + kPrepared);
    EXPECT_EQ(LoadFlightRecord(dirs_.Work()).size(), 1u);
    EXPECT_FALSE(IpcIsOpen());
}

}  // namespace
}  // namespace kestrova
