// FlightGear's bridge started by the recorder's callers: the library call
// with the real bridge program against a fake FlightGear over HTTP, and
// kestrova-cli record, which finds the bridge beside itself in the build tree.
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include <gtest/gtest.h>

#include "../simlink/test_support.h"
#include "fake_flightgear.h"
#include "platform/child_process.h"
#include "platform/platform.h"
#include "simlink/flightgear_autostart.h"

namespace kestrova {
namespace {

using namespace std::chrono_literals;

// Bridge processes reading FlightGear on this port, found by their command
// line (every test uses a port of its own).
int BridgesFor(int port) {
    int count = 0;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) return -1;
    while (dirent* entry = ::readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
        const std::string cmdline = test::ReadFile(std::string("/proc/") + entry->d_name + "/cmdline");
        const std::string argv0 = cmdline.substr(0, cmdline.find('\0'));
        if (argv0.size() >= 17 && argv0.compare(argv0.size() - 17, 17, "kestrova-fgbridge") == 0 &&
            cmdline.find(std::string("--port\0", 7) + std::to_string(port) + '\0') != std::string::npos)
            ++count;
    }
    ::closedir(proc);
    return count;
}

bool WaitForNoBridge(int port, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (BridgesFor(port) != 0) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

TEST(FlightGearOptionsTest, PortComesFromTheEnvironmentValue) {
    struct Case {
        std::string value;
        bool enabled;
        int port;
        bool problem;
    };
    for (const Case& c : std::vector<Case> {{"", true, 5400, false},
                                            {"5401", true, 5401, false},
                                            {"65535", true, 65535, false},
                                            {"off", false, 5400, false},
                                            {"0", false, 5400, false},
                                            {"65536", false, 5400, true},
                                            {"-1", false, 5400, true},
                                            {"54x", false, 5400, true},
                                            {" 5400", false, 5400, true}}) {
        SCOPED_TRACE("'" + c.value + "'");
        const FlightGearOptions options = FlightGearOptionsFrom(c.value);
        EXPECT_EQ(options.enabled, c.enabled);
        EXPECT_EQ(options.port, c.port);
        EXPECT_EQ(!options.problem.empty(), c.problem) << options.problem;
        if (c.problem) {
            EXPECT_NE(options.problem.find("KESTROVA_FLIGHTGEAR_PORT"), std::string::npos);
        }
    }
}

TEST(FindProgramTest, LooksInTheFoldersThenOnPath) {
    test::PrivateDirs dirs;
    const std::string first = dirs.Root() + "/first", second = dirs.Root() + "/second", onPath = dirs.Root() + "/bin";
    for (const std::string& d : {first, second, onPath}) std::filesystem::create_directory(d);
    auto make = [](const std::string& path, mode_t mode) {
        test::WriteFile(path, "#!/bin/sh\n");
        ::chmod(path.c_str(), mode);
    };
    make(first + "/plain", 0644);  // not executable: passed over
    make(second + "/plain", 0755);
    make(second + "/tool", 0755);
    make(onPath + "/tool", 0755);
    make(onPath + "/elsewhere", 0755);
    std::filesystem::create_directory(first + "/tool");  // a folder is no program
    const std::string oldPath = platform::EnvironmentValue("PATH");
    ::setenv("PATH", ("/nonexistent::" + onPath).c_str(), 1);
    EXPECT_EQ(platform::FindProgram("plain", {first, second + "/"}), second + "/plain");
    EXPECT_EQ(platform::FindProgram("tool", {first, second}), second + "/tool");
    EXPECT_EQ(platform::FindProgram("elsewhere", {first, second}), onPath + "/elsewhere");
    EXPECT_EQ(platform::FindProgram("none", {first, second}), "");
    ::setenv("PATH", oldPath.c_str(), 1);
}

class AutostartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("LC_ALL", "C", 1);
        ASSERT_NE(server_.Port(), 0);
        options_.port = server_.Port();
        options_.bridge = KESTROVA_FGBRIDGE;
        options_.wait = 30s;  // a bound for a busy test machine; the link comes far sooner
    }
    void TearDown() override { IpcClose(); }

    test::PrivateDirs dirs_;
    fg::FakeFlightGear fg_;
    fg::FakeFlightGearServer server_ {fg_};
    FlightGearOptions options_;
};

TEST_F(AutostartTest, StartsTheBridgeWhenFlightGearAnswersAndEndsItWithTheCaller) {
    ASSERT_FALSE(FindSimulatorWindow(kFsInfo.windowClass));
    auto autostart = std::make_unique<FlightGearAutostart>(options_);
    std::string why = "stale";
    ASSERT_TRUE(autostart->FindOrStartSimulator(why)) << why;
    EXPECT_EQ(why, "");
    EXPECT_TRUE(FindSimulatorWindow(kFsInfo.windowClass));
    const long id = autostart->BridgeId();
    EXPECT_NE(id, 0);
    EXPECT_EQ(BridgesFor(options_.port), 1);
    // Asked again (a second Connect): the window is there, nothing more is started.
    EXPECT_TRUE(autostart->FindOrStartSimulator(why));
    EXPECT_EQ(autostart->BridgeId(), id);
    EXPECT_EQ(BridgesFor(options_.port), 1);

    autostart.reset();
    EXPECT_FALSE(FindSimulatorWindow(kFsInfo.windowClass));
    EXPECT_EQ(BridgesFor(options_.port), 0);
    EXPECT_EQ(::kill(static_cast<pid_t>(id), 0), -1);  // reaped, not a zombie
    EXPECT_EQ(errno, ESRCH);
}

TEST_F(AutostartTest, WithoutFlightGearTheBridgeEndsAtOnce) {
    // Nothing on the port, and a server that takes the request but never answers.
    for (const bool listening : {false, true}) {
        SCOPED_TRACE(listening ? "silent server" : "closed port");
        fg_.Set([](fg::FakeFlightGear& f) { f.running = false; });
        FlightGearOptions options = options_;
        if (!listening) options.port = fg::ClosedPort();
        // Far more than the bridge's own first request may take: the bridge's
        // end is the answer, not the wait running out.
        options.wait = 60s;
        FlightGearAutostart autostart(options);
        const auto start = std::chrono::steady_clock::now();
        std::string why;
        EXPECT_FALSE(autostart.FindOrStartSimulator(why));
        EXPECT_LT(std::chrono::steady_clock::now() - start, options.wait);
        const std::string port = std::to_string(options.port);
        EXPECT_EQ(why, "FlightGear does not answer on localhost:" + port + " (fgfs --httpd=" + port + ")");
        EXPECT_EQ(autostart.BridgeId(), 0);
        EXPECT_EQ(BridgesFor(options.port), 0);
        EXPECT_FALSE(FindSimulatorWindow(kFsInfo.windowClass));
    }
}

TEST_F(AutostartTest, ABridgeWaitingForTheAircraftIsKeptAndUsedLater) {
    fg_.Set([](fg::FakeFlightGear& f) { f.ready = false; });
    options_.wait = 1500ms;
    FlightGearAutostart autostart(options_);
    std::string why;
    EXPECT_FALSE(autostart.FindOrStartSimulator(why));
    EXPECT_NE(why.find("FlightGear answers on localhost:" + std::to_string(options_.port) +
                       ", but the simulator link is not served yet"),
              std::string::npos)
        << why;
    const long id = autostart.BridgeId();
    EXPECT_NE(id, 0);
    fg_.Set([](fg::FakeFlightGear& f) { f.ready = true; });
    autostart.Options().wait = 30s;
    EXPECT_TRUE(autostart.FindOrStartSimulator(why)) << why;
    EXPECT_EQ(autostart.BridgeId(), id);
    EXPECT_EQ(BridgesFor(options_.port), 1);
}

TEST_F(AutostartTest, ABridgeStartedByHandIsUsed) {
    test::Child byHand({KESTROVA_FGBRIDGE, "--port", std::to_string(options_.port)});
    ASSERT_TRUE(test::WaitForSimulator(10s)) << byHand.Err();
    FlightGearAutostart autostart(options_);
    std::string why;
    EXPECT_TRUE(autostart.FindOrStartSimulator(why));
    EXPECT_EQ(autostart.BridgeId(), 0);
    EXPECT_EQ(BridgesFor(options_.port), 1);
}

TEST_F(AutostartTest, NothingStartsWhenTurnedOffOrWithoutTheProgram) {
    struct Case {
        const char* name;
        std::function<void(FlightGearOptions&)> change;
        std::string why;
    };
    const std::vector<Case> cases {
        {"turned off", [](FlightGearOptions& o) { o.enabled = false; }, ""},
        {"unreadable setting", [](FlightGearOptions& o) { o = FlightGearOptionsFrom("x"); },
         "KESTROVA_FLIGHTGEAR_PORT is neither a port number nor off: x"},
        {"no program", [](FlightGearOptions& o) { o.bridge = "/nonexistent/kestrova-fgbridge"; },
         "cannot start /nonexistent/kestrova-fgbridge: No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FlightGearOptions options = options_;
        c.change(options);
        FlightGearAutostart autostart(options);
        std::string why;
        EXPECT_FALSE(autostart.FindOrStartSimulator(why));
        EXPECT_EQ(why, c.why);
        EXPECT_EQ(autostart.BridgeId(), 0);
        EXPECT_EQ(BridgesFor(options_.port), 0);
        EXPECT_EQ(server_.Requests(), 0);  // FlightGear was not even asked
    }
}

// kestrova-cli record, as the pilot runs it with FlightGear up.
class CliAutostartTest : public AutostartTest {
protected:
    void SetUp() override {
        AutostartTest::SetUp();
        oldPort_ = platform::EnvironmentValue("KESTROVA_FLIGHTGEAR_PORT");
        ::setenv("KESTROVA_FLIGHTGEAR_PORT", std::to_string(options_.port).c_str(), 1);
    }
    void TearDown() override {
        ::setenv("KESTROVA_FLIGHTGEAR_PORT", oldPort_.c_str(), 1);
        AutostartTest::TearDown();
    }
    bool WaitShown(size_t n) {
        for (int i = 0; i < 1000 && fg_.Shown().size() < n; ++i) std::this_thread::sleep_for(10ms);
        return fg_.Shown().size() >= n;
    }
    std::string oldPort_;
};

TEST_F(CliAutostartTest, RecordStartsTheBridgeAndEndsItOnExit) {
    test::Child cli({KESTROVA_CLI, "record"}, dirs_.Work());
    ASSERT_TRUE(cli.WaitForOutput("Connected with", 20s)) << cli.Out() << cli.Err();
    EXPECT_EQ(BridgesFor(options_.port), 1);
    ASSERT_TRUE(WaitShown(1));
    fg_.Set([](fg::FakeFlightGear& f) { f.waypoints += 1; });
    ASSERT_TRUE(WaitShown(2));
    fg_.Set([](fg::FakeFlightGear& f) { f.ends += 1; });
    ASSERT_EQ(cli.Wait(30s), 0) << cli.Err();
    // (The fake gives no FlightGear version: the interface version reads 0.)
    EXPECT_EQ(cli.Out(),
              "Altamarinola Reporter 2002 -->Connected with Any  IPC 0.000\n"
              "Altamarinola Reporter 2002 -->file prepared by thread\n");
    const std::string record = test::ReadFile(dirs_.WorkFile("FS98.log"));
    // The bridge's own words come on the command's standard error.
    EXPECT_NE(cli.Err().find("kestrova-fgbridge: FlightGear answers, serving the simulator link"), std::string::npos)
        << cli.Err();
    EXPECT_EQ(std::count(record.begin(), record.end(), '\n'), 1) << record;
    // Ended before the command returned: no window, no process left.
    EXPECT_FALSE(FindSimulatorWindow(kFsInfo.windowClass));
    EXPECT_EQ(BridgesFor(options_.port), 0);
}

TEST_F(CliAutostartTest, RecordWithoutFlightGearFailsAsBefore) {
    const std::string port = std::to_string(fg::ClosedPort());
    ::setenv("KESTROVA_FLIGHTGEAR_PORT", port.c_str(), 1);
    test::Child cli({KESTROVA_CLI, "record"}, dirs_.Work());
    EXPECT_EQ(cli.Wait(30s), 1);
    EXPECT_EQ(cli.Err(), "FlightGear does not answer on localhost:" + port + " (fgfs --httpd=" + port +
                             ")\nFS not Running\n");
    EXPECT_EQ(cli.Out(), "");
    EXPECT_EQ(BridgesFor(std::stoi(port)), 0);

    // Turned off: the message alone, as where no bridge exists.
    ::setenv("KESTROVA_FLIGHTGEAR_PORT", "off", 1);
    test::Child off({KESTROVA_CLI, "record"}, dirs_.Work());
    EXPECT_EQ(off.Wait(30s), 1);
    EXPECT_EQ(off.Err(), "FS not Running\n");
    EXPECT_EQ(server_.Requests(), 0);
}

TEST_F(CliAutostartTest, ABridgeOutlivesNoKilledCommand) {
    test::Child cli({KESTROVA_CLI, "record"}, dirs_.Work());
    ASSERT_TRUE(cli.WaitForOutput("Connected with", 20s)) << cli.Out() << cli.Err();
    ASSERT_EQ(BridgesFor(options_.port), 1);
    cli.Kill(SIGKILL);  // no chance to end the bridge itself
    cli.Wait(10s);
    EXPECT_TRUE(WaitForNoBridge(options_.port, 10s));
    EXPECT_FALSE(FindSimulatorWindow(kFsInfo.windowClass));
}

}  // namespace
}  // namespace kestrova
