#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "simlink/ipc_client.h"
#include "simlink/recorder.h"
#include "test_support.h"

// The recorder against a kestrova-sim that misbehaves in the middle of a
// flight: it must not crash, must not hold up the thread that serves its
// status calls, must keep the line already written, must idle while it waits,
// and must record again once the simulator behaves.
namespace kestrova {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::chrono::milliseconds ProcessCpuTime() {
    timespec ts {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::seconds(ts.tv_sec) +
                                                                  std::chrono::nanoseconds(ts.tv_nsec));
}

struct Misbehaviour {
    const char* name;
    const char* commands;  // sent to the simulator between the two waypoints
};

class MisbehavingSimulatorTest : public ::testing::TestWithParam<Misbehaviour> {
protected:
    void SetUp() override { ::setenv("LC_ALL", "C", 1); }
    void TearDown() override { IpcClose(); }
    test::PrivateDirs dirs_;
};

TEST_P(MisbehavingSimulatorTest, RecorderRidesItOutAndRecordsAgain) {
    test::TitleLetters titles;

    test::Child sim({KESTROVA_SIM, "-"});
    ASSERT_TRUE(test::WaitForSimulator()) << sim.Err();
    AppContext context;
    context.workingDirectory = dirs_.Work();
    RecorderOptions options;
    options.pollPause = 50ms;
    options.retryPause = 100ms;
    CallQueue queue;
    TTest2000 recorder(context, titles, queue, options);

    constexpr auto kFaultTime = 3000ms;  // longer than the link's 2000 ms timeout
    std::string firstLine;
    std::chrono::milliseconds cpuWhileFaulty {-1};
    std::atomic<bool> pilotDone {false};
    std::thread pilot([&] {
        sim.Send("await connect\nset 0x0239 u8 1\npress waypoint\nawait waypoint\necho first done\n");
        EXPECT_TRUE(sim.WaitForOutput("first done")) << sim.Err();
        // The key is armed again just before the line is written: wait for the line.
        for (int i = 0; i < 200 && firstLine.find('\n') == std::string::npos; ++i) {
            std::this_thread::sleep_for(10ms);
            firstLine = test::ReadFile(dirs_.WorkFile("FS98.log"));
        }
        sim.Send("echo fault on\n" + std::string(GetParam().commands) + "\n");
        EXPECT_TRUE(sim.WaitForOutput("fault on", 15s)) << sim.Err();
        // Give a request time to meet the fault, then watch the CPU.
        std::this_thread::sleep_for(500ms);
        const auto cpu = ProcessCpuTime();
        std::this_thread::sleep_for(kFaultTime);
        cpuWhileFaulty = ProcessCpuTime() - cpu;
        // The line written before the fault is still there, unchanged.
        EXPECT_EQ(test::ReadFile(dirs_.WorkFile("FS98.log")), firstLine);
        sim.Send("fault off\nset 0x0239 u8 2\npress waypoint\nawait waypoint\npress end\nawait end\necho all done\n");
        EXPECT_TRUE(sim.WaitForOutput("all done", 20s)) << sim.Err();
        pilotDone = true;
    });

    // The caller serves the status calls in short turns: none of them may be
    // held up by the simulator's silence or delay.
    std::chrono::milliseconds longestTurn {0};
    const auto deadline = Clock::now() + 45s;
    while (!recorder.Finished() && Clock::now() < deadline) {
        const auto start = Clock::now();
        queue.Serve([&] { return recorder.Finished() || Clock::now() - start > 100ms; });
        longestTurn = std::max(longestTurn, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start));
    }
    if (!recorder.Finished()) {
        recorder.Terminate();
        queue.Serve([&] { return recorder.Finished(); });
    }
    pilot.join();
    recorder.Wait();

    EXPECT_TRUE(pilotDone);
    EXPECT_EQ(recorder.Outcome(), RecorderOutcome::Completed) << titles.list;
    EXPECT_LT(longestTurn, 1000ms);
    EXPECT_GE(cpuWhileFaulty, 0ms);
    EXPECT_LT(cpuWhileFaulty, kFaultTime / 10) << "CPU time while the simulator misbehaved";
    ASSERT_EQ(firstLine.substr(0, 4), "0:1,") << firstLine;
    const std::string record = test::ReadFile(dirs_.WorkFile("FS98.log"));
    ASSERT_EQ(std::count(record.begin(), record.end(), '\n'), 2) << record;
    EXPECT_EQ(record.substr(0, firstLine.size()), firstLine);
    EXPECT_EQ(record.substr(firstLine.size(), 4), "0:2,");
    // The fault broke the link (error status), the recorder linked again, and ended normally.
    EXPECT_NE(titles.list.find("EC"), std::string::npos) << titles.list;
    EXPECT_EQ(titles.list.back(), 'P') << titles.list;
    RecordProperty("cpu_ms_while_faulty", static_cast<int>(cpuWhileFaulty.count()));
    RecordProperty("longest_caller_turn_ms", static_cast<int>(longestTurn.count()));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MisbehavingSimulatorTest,
    ::testing::Values(Misbehaviour {"NeverReplies", "fault silent"},
                      Misbehaviour {"RepliesLate", "fault stall 2500"},
                      Misbehaviour {"RepliesZero", "fault reply 0"},
                      Misbehaviour {"RepliesTwo", "fault reply 2"},
                      Misbehaviour {"ScribblesOnHeaders", "fault scribble"},
                      Misbehaviour {"UnknownRequestCode", "fault code 99"},
                      Misbehaviour {"VanishesAndComesBack", "vanish 3500"}),
    [](const auto& info) { return std::string(info.param.name); });

// The new commands refuse what they cannot do, naming the line.
TEST(MisbehavingSimulatorScenario, BadFaultCommandsNameTheLine) {
    test::PrivateDirs dirs;
    const struct {
        const char* line;
        const char* message;
    } cases[] = {
        {"fault silent 3", "line 2: fault silent takes no value"},
        {"fault scribble now", "line 2: fault scribble takes no value"},
        {"fault shout 1", "line 2: unknown fault 'shout' (reply, stall, code, silent, scribble, off)"},
        {"vanish soon", "line 2: bad time 'soon'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string scenario = dirs.Root() + "/bad.txt";
        test::WriteFile(scenario, std::string("fault silent\n") + c.line + "\n");
        test::Child sim({KESTROVA_SIM, scenario});
        EXPECT_EQ(sim.Wait(), 1);
        EXPECT_NE(sim.Err().find(c.message), std::string::npos) << sim.Err();
    }
}

}  // namespace
}  // namespace kestrova
