// A recorded flight with the real FlightGear: FlightGear with the Kestrova
// add-on under the X server of the caller (scripts/flightgear-test.sh runs it
// under xvfb-run), kestrova-cli record (which starts the bridge itself), the
// hot keys fired through the add-on's properties, then kestrova-cli update on
// a prepared log.
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "../simlink/test_support.h"
#include "fg_http.h"
#include "fg_props.h"
#include "simlink/sim_values.h"

namespace kestrova {
namespace {

using namespace std::chrono_literals;

constexpr const char* kFgfs = "/usr/games/fgfs";
// Placed over the bay south of San Francisco, frozen.
constexpr double kLatitude = 37.52;
constexpr double kLongitude = -122.27;
constexpr int kAltitudeFt = 4500;

int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t length = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    ::close(fd);
    return ntohs(addr.sin_port);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    return parts;
}

// "+37d31'12.00\"" back to degrees.
double DmsDegrees(const std::string& text) {
    if (text.size() < 10) return 1e9;
    const double sign = text[0] == '-' ? -1 : 1;
    const size_t d = text.find('d'), m = text.find('\'');
    if (d == std::string::npos || m == std::string::npos) return 1e9;
    const double degrees = std::atof(text.substr(1, d - 1).c_str());
    const double minutes = std::atof(text.substr(d + 1, m - d - 1).c_str());
    const double seconds = std::atof(text.substr(m + 1).c_str());
    return sign * (degrees + minutes / 60 + seconds / 3600);
}

class FlightGearFlightTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("LC_ALL", "C", 1);
        // FlightGear asks for a session bus that a test machine lacks; the
        // failed call must only warn.
        ::setenv("DBUS_FATAL_WARNINGS", "0", 1);
        home_ = std::string(BINARY_DIR) + "/flightgear-home";  // kept: its navigation cache saves a minute
        std::filesystem::create_directories(home_);
        ::setenv("FG_HOME", home_.c_str(), 1);
        port_ = FreePort();
        fgLog_ = dirs_.Root() + "/fgfs.log";
    }
    void TearDown() override {
        if (cli_) cli_->Kill(SIGTERM);
        if (fg_) {
            fg_->Kill(SIGTERM);
            if (fg_->Wait(30s) < 0) fg_->Kill(SIGKILL);
        }
        if (HasFailure()) std::cerr << "--- FlightGear's log, last lines:\n" << FgLogTail(40) << "\n";
    }

    // Bridge processes reading this test's FlightGear (by their command line).
    int BridgeProcesses() const {
        int count = 0;
        DIR* proc = ::opendir("/proc");
        while (dirent* entry = proc ? ::readdir(proc) : nullptr) {
            const std::string cmdline = test::ReadFile(std::string("/proc/") + entry->d_name + "/cmdline");
            if (cmdline.find("kestrova-fgbridge") != std::string::npos &&
                cmdline.find(std::string("--port\0", 7) + std::to_string(port_) + '\0') != std::string::npos)
                ++count;
        }
        if (proc) ::closedir(proc);
        return count;
    }

    std::string FgLogTail(size_t lines) const {
        const std::vector<std::string> all = Split(test::ReadFile(fgLog_), '\n');
        std::string tail;
        for (size_t i = all.size() > lines ? all.size() - lines : 0; i < all.size(); ++i) tail += all[i] + "\n";
        return tail;
    }

    fg::HttpReply Http(const std::string& method, const std::string& path, const std::string& body = {}) {
        return fg::HttpExchange("localhost", port_, method, path, body, 60s);
    }

    // A subtree of FlightGear's own properties (not the add-on's aliases).
    fg::PropertyMap Read(const std::string& path, int depth) {
        const fg::HttpReply reply = Http("GET", "/json" + path + "?d=" + std::to_string(depth));
        EXPECT_EQ(reply.status, 200) << path << ": " << reply.error;
        std::string error;
        const auto props = fg::ParsePropertyTree(reply.body, error);
        EXPECT_TRUE(props) << path << ": " << error;
        return props ? *props : fg::PropertyMap {};
    }

    std::string ScreenText() { return Read("/sim/screen", 1)["yellow"]; }

    bool WaitForScreen(const std::string& text, std::chrono::seconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            if (ScreenText() == text) return true;
            std::this_thread::sleep_for(500ms);
        }
        return false;
    }

    void PressKey(const std::string& key, int count) {
        const fg::HttpReply reply =
            Http("POST", "/json/kestrova/keys/" + key, "{\"value\":" + std::to_string(count) + "}");
        ASSERT_EQ(reply.status, 200) << reply.error;
    }

    // FlightGear's values at a waypoint, read from its own properties.
    struct Truth {
        int utcHour, utcMinute;
        double lat, lon, altFt, tasKt, heading, magvar, visM, qnhInHg, windFrom, windKt, tempC, fuelGal;
        std::string clouds, title;
    };
    Truth ReadTruth() {
        Truth t {};
        fg::PropertyMap time = Read("/sim/time/utc", 1);
        t.utcHour = std::atoi(time["hour"].c_str());
        t.utcMinute = std::atoi(time["minute"].c_str());
        fg::PropertyMap pos = Read("/position", 1);
        t.lat = fg::NumberOf(pos, "latitude-deg");
        t.lon = fg::NumberOf(pos, "longitude-deg");
        t.altFt = fg::NumberOf(pos, "altitude-ft");
        t.heading = fg::NumberOf(Read("/orientation", 1), "heading-deg");
        t.tasKt = fg::NumberOf(Read("/fdm/jsbsim/velocities", 1), "vtrue-kts");
        fg::PropertyMap env = Read("/environment", 3);
        t.magvar = fg::NumberOf(env, "magnetic-variation-deg");
        t.visM = fg::NumberOf(env, "visibility-m");
        t.qnhInHg = fg::NumberOf(env, "pressure-sea-level-inhg");
        t.windFrom = fg::NumberOf(env, "wind-from-heading-deg");
        t.windKt = fg::NumberOf(env, "wind-speed-kt");
        t.tempC = fg::NumberOf(env, "temperature-degc");
        // The cloudiest layer, in the record's words.
        int eighths = 0;
        for (const auto& [path, value] : env) {
            if (path.rfind("clouds/layer", 0) != 0 || path.find("/coverage") == std::string::npos) continue;
            const int e = value == "few" ? 2 : value == "scattered" ? 4 : value == "broken" ? 6
                        : value == "overcast" ? 8 : value == "cirrus" ? 1 : 0;
            eighths = std::max(eighths, e);
        }
        const char* cloudTexts[] = {"Haze", "Few 1/8", "Few 2/8", "Sct 3/8", "Sct 4/8",
                                    "Brk 5/8", "Brk 6/8", "Brk 7/8", "Overcas"};
        t.clouds = cloudTexts[eighths];
        for (const auto& [path, value] : Read("/consumables/fuel", 2))
            if (path.find("/level-gal_us") != std::string::npos) t.fuelGal += std::atof(value.c_str());
        t.title = Read("/sim", 1)["description"];
        return t;
    }

    // One record line against FlightGear's values, field by field, with the
    // tolerances the units allow (the aircraft is frozen, the clock runs).
    void CheckLine(const std::string& line, const Truth& t) {
        SCOPED_TRACE(line);
        const std::vector<std::string> f = Split(line, ',');
        ASSERT_EQ(f.size(), 19u);
        // UTC hour with the local minute; at San Francisco the zone is whole hours.
        const int hour = std::atoi(f[0].c_str());
        const int minute = std::atoi(f[0].substr(f[0].find(':') + 1).c_str());
        EXPECT_EQ(hour, t.utcHour);
        EXPECT_TRUE(minute == t.utcMinute || minute == (t.utcMinute + 1) % 60) << t.utcMinute;
        double magnetic = std::fmod(t.heading - t.magvar + 720.0, 360.0);
        EXPECT_LE(std::fabs(std::atof(f[1].c_str()) - magnetic), 1.0) << "heading " << t.heading << " var " << t.magvar;
        EXPECT_LE(std::fabs(std::atof(f[2].c_str()) - t.tasKt), 2.0) << "speed";
        EXPECT_LE(std::fabs(std::atof(f[3].c_str()) - t.altFt), 5.0) << "altitude ft";
        const double miles = t.visM / 1609.344;
        if (miles > 50) EXPECT_EQ(f[4], "> 50");
        else EXPECT_LE(std::fabs(std::atof(f[4].c_str()) - miles), 0.02) << "visibility";
        EXPECT_LE(std::fabs(std::atof(f[5].c_str()) - t.qnhInHg * 33.8639), 1.0) << "QNH";
        const double windError = std::fabs(std::atof(f[6].c_str()) - t.windFrom);
        EXPECT_LE(std::min(windError, 360 - windError), 1.0) << "wind direction";
        EXPECT_LE(std::fabs(std::atof(f[7].c_str()) - t.windKt), 1.0) << "wind speed";
        ASSERT_GE(t.tempC, 0.0) << "the record keeps temperatures unsigned; this flight is above freezing";
        EXPECT_LE(std::fabs(std::atof(f[8].c_str()) - t.tempC), 1.0) << "temperature";
        EXPECT_LE(std::fabs(std::atof(f[9].c_str()) - t.fuelGal), 2.0) << "fuel";
        EXPECT_EQ(f[10], t.clouds);
        EXPECT_LE(std::fabs(DmsDegrees(f[11]) - t.lat), 1e-5) << "latitude text";
        EXPECT_LE(std::fabs(DmsDegrees(f[12]) - t.lon), 1e-5) << "longitude text";
        EXPECT_EQ(std::atoi(f[13].c_str()), (hour + 24 - 8) % 24) << "local hour (Pacific standard time)";
        EXPECT_EQ(f[14], "0");
        EXPECT_LE(std::fabs(std::atof(f[15].c_str()) - std::floor(t.altFt * 0.3048)), 2.0) << "altitude m";
        EXPECT_EQ(f[16], t.title);
        EXPECT_LE(std::fabs(std::atof(f[17].c_str()) - t.lat), 1e-6) << "latitude";
        EXPECT_LE(std::fabs(std::atof(f[18].c_str()) - t.lon), 1e-6) << "longitude";
    }

    test::PrivateDirs dirs_;
    std::string home_, fgLog_;
    int port_ = 0;
    std::unique_ptr<test::Child> fg_, cli_;
};

TEST_F(FlightGearFlightTest, RecordsWaypointsAndUpdatesTheLog) {
    ASSERT_TRUE(std::filesystem::exists(kFgfs))
        << "FlightGear is not installed: scripts/flightgear-test.sh installs Debian's flightgear";
    // Low settings throughout: software rendering on a shared machine.
    std::ostringstream command;
    command << "exec " << kFgfs << " --addon=" << FLIGHTGEAR_ADDON << " --aircraft=c172p --lat=" << kLatitude
            << " --lon=" << kLongitude << " --altitude=" << kAltitudeFt
            << " --heading=270 --vc=100 --in-air --enable-freeze --enable-fuel-freeze"
            << " --start-date-gmt=2024:01:15:20:00:00"
            << " --httpd=" << port_
            << " --geometry=320x240 --disable-sound --disable-terrasync --disable-splash-screen"
            << " --disable-real-weather-fetch --fog-fastest --disable-clouds --disable-clouds3d"
            << " --disable-random-objects --disable-random-vegetation --disable-random-buildings"
            << " --disable-ai-traffic --disable-hud --disable-panel --disable-save-on-exit --disable-fgcom"
            << " --prop:/sim/rendering/shaders/quality-level=0 --prop:/sim/frame-rate-throttle-hz=10"
            << " --log-level=info > " << fgLog_ << " 2>&1";
    fg_ = std::make_unique<test::Child>(std::vector<std::string> {"/bin/sh", "-c", command.str()});

    // Ready once the add-on has linked the aircraft's values. Without OpenGL
    // FlightGear either ends or stays up without ever drawing; either way its
    // log names the reason, and only then is the test skipped.
    const char* noOpenGl[] = {"could not connect to display", "Unable to open display", "no Qt platform plugin",
                              "has no GLX extension", "Unable to create OpenGL", "ailed to create graphics",
                              "Unable to create graphics"};
    bool ready = false;
    const auto startDeadline = std::chrono::steady_clock::now() + 600s;
    while (!ready && std::chrono::steady_clock::now() < startDeadline) {
        const bool ended = fg_->Wait(1s) >= 0;
        const std::string log = test::ReadFile(fgLog_);
        for (const char* sign : noOpenGl) {
            if (log.find(sign) != std::string::npos)
                GTEST_SKIP() << "FlightGear cannot start here (no OpenGL: '" << sign << "'):\n" << FgLogTail(15);
        }
        if (ended) FAIL() << "FlightGear ended while starting:\n" << FgLogTail(40);
        const fg::HttpReply reply = Http("GET", "/json/kestrova/ready");
        ready = reply.status == 200 && reply.body.find("\"value\":1") != std::string::npos;
    }
    ASSERT_TRUE(ready) << "FlightGear did not get ready within 10 minutes";
    // The weather of the command line reaches /environment only while the
    // simulation runs; the frozen aircraft gets its weather set in place.
    for (const auto& [name, value] : {std::pair {"wind-from-heading-deg", "359"}, std::pair {"wind-speed-kt", "12"},
                                      std::pair {"visibility-m", "16093.44"}}) {
        ASSERT_EQ(Http("POST", std::string("/json/environment/") + name, std::string("{\"value\":") + value + "}").status,
                  200);
    }
    ASSERT_EQ(fg::NumberOf(Read("/environment", 1), "wind-from-heading-deg"), 359);

    // No bridge started here: record finds FlightGear answering on the port
    // it is given and starts kestrova-fgbridge from beside itself.
    ASSERT_FALSE(FindSimulatorWindow(kFsInfo.windowClass));
    ::setenv("KESTROVA_FLIGHTGEAR_PORT", std::to_string(port_).c_str(), 1);
    cli_ = std::make_unique<test::Child>(std::vector<std::string> {KESTROVA_CLI, "record"}, dirs_.Work());
    ASSERT_TRUE(WaitForScreen("Welcome on board by Altamarinola Airlines and Kestrova 2002", 180s))
        << ScreenText() << "\n" << cli_->Err();
    ASSERT_EQ(BridgeProcesses(), 1) << cli_->Err();

    // Departure, checkpoint, destination.
    std::vector<Truth> truths;
    for (int n = 1; n <= 3; ++n) {
        truths.push_back(ReadTruth());
        PressKey("waypoint", n);
        ASSERT_TRUE(WaitForScreen("REGISTERED WAYPOINT #" + std::to_string(n), 180s)) << ScreenText();
    }
    PressKey("end", 1);
    ASSERT_TRUE(WaitForScreen("END CONNECTION, GOODBYE", 180s)) << ScreenText();
    ASSERT_EQ(cli_->Wait(60s), 0) << cli_->Err();
    EXPECT_EQ(cli_->Out(),
              "Altamarinola Reporter 2002 -->Connected with Any  IPC 2.020c\n"
              "Altamarinola Reporter 2002 -->file prepared by thread\n");
    // The bridge record started ended with it.
    EXPECT_NE(cli_->Err().find("kestrova-fgbridge: FlightGear answers, serving the simulator link"), std::string::npos)
        << cli_->Err();
    EXPECT_EQ(BridgeProcesses(), 0);
    EXPECT_FALSE(FindSimulatorWindow(kFsInfo.windowClass));

    const std::string record = test::ReadFile(dirs_.WorkFile("FS98.log"));
    std::vector<std::string> lines = Split(record, '\n');
    ASSERT_EQ(lines.size(), 3u) << record;
    for (size_t i = 0; i < 3; ++i) {
        ASSERT_EQ(lines[i].back(), '\r');
        lines[i].pop_back();
        CheckLine(lines[i], truths[i]);
    }
    // The placing given on the command line came through.
    EXPECT_NEAR(truths[0].lat, kLatitude, 1e-4);
    EXPECT_NEAR(truths[0].lon, kLongitude, 1e-4);
    EXPECT_NEAR(truths[0].altFt, kAltitudeFt, 30);
    EXPECT_EQ(Split(lines[0], ',')[6], "359");  // wind from 359, not 360 or 0
    EXPECT_EQ(Split(lines[0], ',')[7], "12");
    EXPECT_EQ(Split(lines[0], ',')[4], "10");   // 16093.44 m are 10 statute miles

    // The record merged into a prepared log: actual times and altitudes in the
    // table, the weather in the take-off and landing rows. The frozen aircraft
    // burned no fuel, so the fuel block stays with "Attention with Fuel".
    std::filesystem::copy_file(std::string(FIXTURE_DIR) + "/prepared_flight.log", dirs_.WorkFile("Report.log"));
    test::Child update({KESTROVA_CLI, "update"}, dirs_.Work());
    EXPECT_EQ(update.Wait(60s), 1) << update.Err();
    EXPECT_EQ(update.Err(), "Attention with Fuel\n");
    const std::string log = test::ReadFile(dirs_.WorkFile("Report.log"));
    auto clock = [](const std::string& recordLine) {
        const std::string time = Split(recordLine, ',')[0];
        const int h = std::atoi(time.c_str()), m = std::atoi(time.substr(time.find(':') + 1).c_str());
        char text[8];
        std::snprintf(text, sizeof text, "%02d:%02d", h, m);
        return std::string(text);
    };
    const std::string alt = Split(lines[1], ',')[3];
    EXPECT_NE(log.find("KSFO    |      |      |    |   13 |      |  -/0040|-    |" + clock(lines[0]) + "|"),
              std::string::npos) << log;
    EXPECT_NE(log.find("SFO     |115.80|      | 270|" + alt + std::string(6 - alt.size(), ' ') + "|   359|020/0020|"),
              std::string::npos) << log;
    EXPECT_NE(log.find("|" + clock(lines[2]) + "|\r\n---"), std::string::npos) << log;
    EXPECT_NE(log.find("|359/12|"), std::string::npos) << log;
    EXPECT_NE(log.find("Fuel rate: 27 gal/h (Estimated)"), std::string::npos) << log;
}

}  // namespace
}  // namespace kestrova
