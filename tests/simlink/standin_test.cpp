#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "simlink/ipc_client.h"
#include "simlink/recorder.h"
#include "test_support.h"

namespace kestrova {
namespace {

using namespace std::chrono_literals;

class StandInTest : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef _WIN32
        ::setenv("LC_ALL", "C", 1);  // ':' between hours and minutes (on Windows the user locale's)
#endif
    }
    void TearDown() override { IpcClose(); }
    test::PrivateDirs dirs_;
};

TEST_F(StandInTest, CommandLineRecordsAFlight) {
    const std::string scenario = dirs_.Root() + "/flight.txt";
    test::WriteFile(scenario,
                    "# one waypoint, then the end\n"
                    "set 0x3304 u32 0x26900002\n"
                    "set 0x3308 u16 1\n"
                    "set 0x3D00 str Boeing 737-400, Altamarinola, I-ALTA\n"
                    "await connect\n"
                    "set 0x0238 u8 8\n"
                    "set 0x0239 u8 30\n"
                    "set 0x023B u8 7\n"
                    "set 0x0574 s32 -5\n"
                    "set 0x0570 s64 -21474836480\n"   // -5 m: -16.405 ft
                    "set 0x04C0 u16 5000\n"
                    "set 0x0EA6 u16 0xFFFF\n"
                    "set 0x0F42 u16 5376\n"           // 21 degrees
                    "set 0x0B74 u32 8388608\n"
                    "set 0x0B78 u32 100\n"            // pair 1 full of 100
                    "press waypoint\n"
                    "await waypoint\n"
                    "press end\n");
    test::Child sim({KESTROVA_SIM, scenario});
    ASSERT_TRUE(test::WaitForSimulator()) << sim.Err();
    test::Child cli({KESTROVA_CLI, "record"}, dirs_.Work());
    ASSERT_EQ(cli.Wait(), 0) << cli.Err();
    EXPECT_EQ(cli.Out(),
              "Altamarinola Reporter 2002 -->Connected with FS98  IPC 2.690b\n"
              "Altamarinola Reporter 2002 -->file prepared by thread\n");
    EXPECT_EQ(test::ReadFile(dirs_.WorkFile("FS98.log")),
              "7:30,0,0,-16,50,0,0,0,21,100,Overcas,+00d00'00.00\",+00d00'00.00\",8:30,0,-5,"
              "Boeing 737-400, Altamarinola, I-ALTA,0,0\r\n");
    ASSERT_EQ(sim.Wait(), 0) << sim.Err();  // it ends once the link is closed
    EXPECT_EQ(sim.Out(),
              "message: Welcome on board by Altamarinola Airlines and Kestrova 2002\n"
              "message: REGISTERED WAYPOINT #1\n"
              "message: END CONNECTION, GOODBYE\n");
}

// A record that cannot be made says which file and why on standard error,
// besides the status title on standard output.
TEST_F(StandInTest, CommandLineTellsWhyTheRecordFailed) {
    std::filesystem::create_directory(dirs_.WorkFile("FS98.log"));
    const std::string scenario = dirs_.Root() + "/flight.txt";
    test::WriteFile(scenario, "set 0x3304 u32 0x26900002\nawait connect\n");
    test::Child sim({KESTROVA_SIM, scenario});
    ASSERT_TRUE(test::WaitForSimulator()) << sim.Err();
    test::Child cli({KESTROVA_CLI, "record"}, dirs_.Work());
    ASSERT_EQ(cli.Wait(), 1) << cli.Err();
#ifdef _WIN32
    const std::string reason = "Permission denied";  // what Windows says of a folder opened as a file
#else
    const std::string reason = "Is a directory";
#endif
    EXPECT_EQ(cli.Err(), "Cannot create file " + dirs_.WorkFile("FS98.log") + ": " + reason + "\n");
    EXPECT_NE(cli.Out().find("-->error in thread FS2000\n"), std::string::npos) << cli.Out();
}

TEST_F(StandInTest, CommandLineWithoutSimulator) {
#ifndef _WIN32
    // No FlightGear bridge is tried either (tests/fgbridge covers that).
    ::setenv("KESTROVA_FLIGHTGEAR_PORT", "off", 1);
#endif
    test::Child cli({KESTROVA_CLI, "record", "--resume"}, dirs_.Work());
#ifndef _WIN32
    ::unsetenv("KESTROVA_FLIGHTGEAR_PORT");
#endif
    EXPECT_EQ(cli.Wait(), 1);
    EXPECT_EQ(cli.Err(), "FS not Running\n");
    EXPECT_EQ(cli.Out(), "");
    EXPECT_FALSE(test::FileExists(dirs_.WorkFile("FS98.log")));
}

TEST_F(StandInTest, ScenarioErrorsNameTheLine) {
    const std::string scenario = dirs_.Root() + "/bad.txt";
    test::WriteFile(scenario, "set 0x0238 u8 14\nset 0x0239 u8 300\n");
    test::Child sim({KESTROVA_SIM, scenario});
    EXPECT_EQ(sim.Wait(), 1);
    EXPECT_NE(sim.Err().find("line 2: bad u8 value '300'"), std::string::npos) << sim.Err();
}

// A client that links the moment the window appears (a recorder retrying)
// reads what the scenario's leading set lines put in, however many they are.
TEST_F(StandInTest, LeadingSetLinesOfAFileAreInPlaceBeforeItServes) {
    std::string text = "# versions last, after a long preamble\n";
    for (int i = 0; i < 300000; ++i) text += "set 0x0238 u8 " + std::to_string(i % 24) + "\n";
    text += "set 0x3304 u32 0x26900002\n";
    const std::string scenario = dirs_.Root() + "/preamble.txt";
    test::WriteFile(scenario, text);
    test::Child sim({KESTROVA_SIM, scenario});
    ASSERT_TRUE(test::WaitForSimulator()) << sim.Err();
    ASSERT_TRUE(IpcOpen(FindSimulatorWindow(kFsInfo.windowClass), 65536, 2000));
    uint32_t version = 0;
    ASSERT_TRUE(IpcBegin() && IpcRead(0x3304, 4, &version) && IpcProcess());
    EXPECT_EQ(version, 0x26900002u);
    IpcClose();
    EXPECT_EQ(sim.Wait(), 0) << sim.Err();
}

TEST_F(StandInTest, RecorderSurvivesTheSimulatorKilledAndStartedAgain) {
    test::TitleLetters titles;

    auto first = std::make_unique<test::Child>(std::vector<std::string> {KESTROVA_SIM, "-"});
    ASSERT_TRUE(test::WaitForSimulator()) << first->Err();
    AppContext context;
    context.workingDirectory = dirs_.Work();
    RecorderOptions options;
    options.pollPause = 20ms;
    options.retryPause = 50ms;
    CallQueue queue;
    TTest2000 recorder(context, titles, queue, options);
    std::string secondOut;
    int secondExit = -1;
    std::thread pilot([&] {
        first->Send("await connect\nset 0x0239 u8 1\npress waypoint\nawait waypoint\necho first done\n");
        EXPECT_TRUE(first->WaitForOutput("first done")) << first->Err();
        first->Kill(test::kKillSignal);  // leaves its socket file behind
        first->Wait();
        test::Child second({KESTROVA_SIM, "-"});
        second.Send("await connect\nset 0x0239 u8 2\npress waypoint\nawait waypoint\npress end\nawait end\n");
        second.CloseInput();
        secondExit = second.Wait();
        secondOut = second.Out();
    });
    test::ServeUntilFinished(queue, recorder, 40s);
    pilot.join();
    EXPECT_EQ(recorder.Outcome(), RecorderOutcome::Completed);
    EXPECT_EQ(titles.list.front(), 'C');
    EXPECT_EQ(titles.list.substr(titles.list.size() - 3), "ECP");
    const std::string record = test::ReadFile(dirs_.WorkFile("FS98.log"));
    ASSERT_EQ(std::count(record.begin(), record.end(), '\n'), 2) << record;
    EXPECT_EQ(record.substr(0, 4), "0:1,");
    EXPECT_EQ(record.substr(record.find('\n') + 1, 4), "0:2,");
    EXPECT_EQ(secondExit, 0);
    EXPECT_NE(secondOut.find("message: REGISTERED WAYPOINT #2\n"), std::string::npos) << secondOut;
}

}  // namespace
}  // namespace kestrova
