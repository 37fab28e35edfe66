#include <chrono>
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "simlink/ipc_client.h"
#include "simlink/sim_server.h"
#include "test_support.h"

namespace kestrova {
namespace {

using namespace std::chrono_literals;

// The simulator side under test: the in-process server, or the kestrova-sim
// program driven through its standard input.
class Backend {
public:
    virtual ~Backend() = default;
    virtual void SetBytes(uint32_t offset, const std::vector<uint8_t>& bytes) = 0;
    virtual void Command(const std::string& line) = 0;  // a stand-in command
    virtual SimServer* InProcess() { return nullptr; }
};

class InProcessBackend final : public Backend {
public:
    InProcessBackend() { EXPECT_EQ(server_.Start(), ""); }
    void SetBytes(uint32_t offset, const std::vector<uint8_t>& bytes) override {
        server_.Write(offset, bytes.data(), bytes.size());
    }
    void Command(const std::string& line) override {
        uint32_t value = 0;
        char kind[16] = {};
        ASSERT_GE(std::sscanf(line.c_str(), "fault %15s %u", kind, &value), 1) << line;
        if (std::string(kind) == "reply") server_.SetReplyValue(value);
        else if (std::string(kind) == "stall") server_.SetReplyDelay(std::chrono::milliseconds(value));
        else if (std::string(kind) == "code") server_.SetCorruptCode(value);
        else {
            server_.SetReplyValue(1);
            server_.SetReplyDelay(0ms);
            server_.SetCorruptCode(0);
        }
    }
    SimServer* InProcess() override { return &server_; }

private:
    SimServer server_;
};

class StandInBackend final : public Backend {
public:
    StandInBackend() : child_({KESTROVA_SIM, "-"}) { EXPECT_TRUE(test::WaitForSimulator()) << child_.Err(); }
    ~StandInBackend() override {
        child_.CloseInput();
        child_.Kill(SIGTERM);
    }
    void SetBytes(uint32_t offset, const std::vector<uint8_t>& bytes) override {
        for (size_t i = 0; i < bytes.size(); ++i) {
            char line[64];
            std::snprintf(line, sizeof line, "set 0x%04X u8 %u", static_cast<unsigned>(offset + i), bytes[i]);
            Command(line);
        }
    }
    void Command(const std::string& line) override {
        // The echo comes back once every command before it has been carried out.
        const std::string mark = "done " + std::to_string(++sequence_);
        child_.Send(line + "\necho " + mark + "\n");
        ASSERT_TRUE(child_.WaitForOutput(mark)) << line << "\n" << child_.Err();
    }

private:
    test::Child child_;
    int sequence_ = 0;
};

enum class Side { InProcess, StandIn };

class IpcClientTest : public ::testing::TestWithParam<Side> {
protected:
    void SetUp() override {
        if (GetParam() == Side::InProcess) backend_ = std::make_unique<InProcessBackend>();
        else backend_ = std::make_unique<StandInBackend>();
        window_ = FindSimulatorWindow(kFsInfo.windowClass);
        ASSERT_TRUE(window_);
    }
    void TearDown() override {
        IpcClose();
        backend_.reset();
    }

    test::PrivateDirs dirs_;
    std::unique_ptr<Backend> backend_;
    SimWindow window_;
};

TEST_P(IpcClientTest, ReadsAndWritesInOneTransaction) {
    backend_->SetBytes(0x0100, {0x11, 0x22, 0x33, 0x44});
    ASSERT_TRUE(IpcOpen(window_, 65536, 2000));
    uint32_t value = 0x01020304;
    uint32_t read = 0, readBack = 0;
    ASSERT_TRUE(IpcBegin());
    ASSERT_TRUE(IpcRead(0x0100, 4, &read));
    ASSERT_TRUE(IpcWrite(0x0200, 4, &value));
    value = 0xFFFFFFFF;  // the write took its bytes when it was queued
    ASSERT_TRUE(IpcRead(0x0200, 4, &readBack));
    EXPECT_TRUE(IpcProcess());
    EXPECT_EQ(read, 0x44332211u);
    EXPECT_EQ(readBack, 0x01020304u);
}

TEST_P(IpcClientTest, SecondOpenIsRefusedAndFirstLinkKeepsWorking) {
    ASSERT_TRUE(IpcOpen(window_, 65536, 2000));
    const int32_t id = IpcLinkId();
    EXPECT_FALSE(IpcOpen(window_, 65536, 2000));
    EXPECT_EQ(IpcLinkId(), id);
    backend_->SetBytes(0x0300, {7});
    uint8_t byte = 0;
    ASSERT_TRUE(IpcBegin());
    ASSERT_TRUE(IpcRead(0x0300, 1, &byte));
    EXPECT_TRUE(IpcProcess());
    EXPECT_EQ(byte, 7);
}

TEST_P(IpcClientTest, ClosedLinkRefusesEveryRequestAndSendsNothing) {
    ASSERT_TRUE(IpcOpen(window_, 65536, 2000));
    IpcClose();
    const uint64_t before = backend_->InProcess() ? backend_->InProcess()->RequestCount() : 0;
    uint32_t v = 5;
    EXPECT_FALSE(IpcBegin());
    EXPECT_FALSE(IpcRead(0x0100, 4, &v));
    EXPECT_FALSE(IpcWrite(0x0100, 4, &v));
    EXPECT_FALSE(IpcProcess());
    EXPECT_FALSE(IpcIsOpen());
    IpcClose();  // always allowed
    if (backend_->InProcess()) {
        EXPECT_EQ(backend_->InProcess()->RequestCount(), before);
    }
}

TEST_P(IpcClientTest, EmptyTransactionStillSendsTheEndCode) {
    ASSERT_TRUE(IpcOpen(window_, 65536, 2000));
    ASSERT_TRUE(IpcBegin());
    EXPECT_TRUE(IpcProcess());  // answered 1, so it reached the simulator
    if (SimServer* server = backend_->InProcess()) {
        EXPECT_EQ(server->RequestCount(), 1u);
        EXPECT_EQ(server->LastBlock(), (std::vector<uint8_t> {0, 0, 0, 0}));
    }
}

TEST_P(IpcClientTest, LaterOverlappingReadWins) {
    backend_->SetBytes(0x0100, {1, 2, 3, 4, 5, 6, 7, 8});
    backend_->SetBytes(0x0200, {0xAA, 0xBB, 0xCC, 0xDD});
    ASSERT_TRUE(IpcOpen(window_, 65536, 2000));
    uint8_t buf[8] = {};
    ASSERT_TRUE(IpcBegin());
    IpcRead(0x0100, 8, buf);
    IpcRead(0x0200, 4, buf + 2);
    ASSERT_TRUE(IpcProcess());
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 8), (std::vector<uint8_t> {1, 2, 0xAA, 0xBB, 0xCC, 0xDD, 7, 8}));

    ASSERT_TRUE(IpcBegin());
    IpcRead(0x0200, 4, buf + 2);
    IpcRead(0x0100, 8, buf);
    ASSERT_TRUE(IpcProcess());
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 8), (std::vector<uint8_t> {1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_P(IpcClientTest, ReopenUsesTheNextLinkIdAndANewBlockName) {
    ASSERT_TRUE(IpcOpen(window_, 65536, 2000));
    const int32_t first = IpcLinkId();
    ASSERT_TRUE(IpcBegin());
    ASSERT_TRUE(IpcProcess());
    IpcClose();
    ASSERT_TRUE(IpcOpen(window_, 65536, 2000));
    EXPECT_EQ(IpcLinkId(), first + 1);
    ASSERT_TRUE(IpcBegin());
    ASSERT_TRUE(IpcProcess());
    if (SimServer* server = backend_->InProcess()) {
        const uint32_t pid = test::ProcessId();
        EXPECT_EQ(server->BlockNames(),
                  (std::vector<std::string> {IpcBlockName(pid, first), IpcBlockName(pid, first + 1)}));
    }
}

TEST_P(IpcClientTest, ReplyOtherThanOneFailsButFillsTheDestinations) {
    backend_->SetBytes(0x0400, {9, 8});
    backend_->Command("fault reply 2");
    ASSERT_TRUE(IpcOpen(window_, 65536, 2000));
    uint16_t value = 0;
    ASSERT_TRUE(IpcBegin());
    IpcRead(0x0400, 2, &value);
    EXPECT_FALSE(IpcProcess());
    EXPECT_EQ(value, 0x0809);
}

TEST_P(IpcClientTest, UnknownRequestCodeStopsTheWalkAndResetsTheCursor) {
    backend_->SetBytes(0x0500, {0x5A});
    backend_->Command("fault code 7");
    ASSERT_TRUE(IpcOpen(window_, 65536, 2000));
    uint8_t value = 0;
    ASSERT_TRUE(IpcBegin());
    IpcRead(0x0500, 1, &value);
    EXPECT_FALSE(IpcProcess());
    EXPECT_EQ(value, 0);  // the walk stopped at the first request
    backend_->Command("fault off");
    // The cursor went back to the start: a request queued now without
    // IpcBegin is the only one in the block.
    ASSERT_TRUE(IpcRead(0x0500, 1, &value));
    EXPECT_TRUE(IpcProcess());
    EXPECT_EQ(value, 0x5A);
}

TEST_P(IpcClientTest, TimeoutFailsWithoutCopyingAndKeepsTheRequests) {
    backend_->SetBytes(0x0600, {0x42});
    backend_->Command("fault stall 600");
    ASSERT_TRUE(IpcOpen(window_, 65536, 150));
    uint8_t value = 0;
    ASSERT_TRUE(IpcBegin());
    IpcRead(0x0600, 1, &value);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(IpcProcess());
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 150ms);
    EXPECT_LT(took, 550ms);
    EXPECT_EQ(value, 0);
    backend_->Command("fault off");
    // The cursor stayed after the request: sending again carries it. (The
    // simulator drops the stalled request once the client gave up on it.)
    EXPECT_TRUE(IpcProcess());
    EXPECT_EQ(value, 0x42);
}

INSTANTIATE_TEST_SUITE_P(Sides, IpcClientTest, ::testing::Values(Side::InProcess, Side::StandIn),
                         [](const auto& info) { return info.param == Side::InProcess ? "InProcess" : "StandIn"; });

// Cases that need no simulator behaviour beyond the in-process server.
class IpcClientLocalTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(server_.Start(), "");
        window_ = FindSimulatorWindow(kFsInfo.windowClass);
        ASSERT_TRUE(window_);
    }
    void TearDown() override { IpcClose(); }

    test::PrivateDirs dirs_;
    SimServer server_;
    SimWindow window_;
};

TEST(IpcBlockNameTest, UpperCaseHexWithoutLeadingZeros) {
    EXPECT_EQ(IpcBlockName(0x1A4, 1), "FSASMLIB:IPC:1A4:1");
    EXPECT_EQ(IpcBlockName(0xBEEF, 0x2B), "FSASMLIB:IPC:BEEF:2B");
}

TEST_F(IpcClientLocalTest, ExistingBlockNameFailsTheOpenAndUsesUpTheId) {
    const int32_t next = IpcLinkId() + 1;
    {
        const test::HeldBlockName held(IpcBlockName(test::ProcessId(), next));
        ASSERT_TRUE(held.Held());
        EXPECT_FALSE(IpcOpen(window_, 65536, 2000));
        EXPECT_FALSE(IpcIsOpen());
        EXPECT_EQ(IpcLinkId(), next);
    }
    EXPECT_TRUE(IpcOpen(window_, 65536, 2000));
    EXPECT_EQ(IpcLinkId(), next + 1);
}

TEST_F(IpcClientLocalTest, RequestsBeyondTheBlockAreRefused) {
    ASSERT_TRUE(IpcOpen(window_, 64, 2000));
    uint8_t buf[64] = {};
    ASSERT_TRUE(IpcBegin());
    EXPECT_TRUE(IpcRead(0x0100, 44, buf));   // 16 + 44 + 4 end code = 64
    EXPECT_FALSE(IpcRead(0x0100, 1, buf));   // no room left
    EXPECT_FALSE(IpcWrite(0x0100, 1, buf));
    EXPECT_TRUE(IpcProcess());
}

TEST_F(IpcClientLocalTest, SimulatorGoneFailsTheTransaction) {
    ASSERT_TRUE(IpcOpen(window_, 65536, 2000));
    server_.Stop();
    ASSERT_TRUE(IpcBegin());
    EXPECT_FALSE(IpcProcess());
    EXPECT_FALSE(FindSimulatorWindow(kFsInfo.windowClass));
}

TEST_F(IpcClientLocalTest, LinkDoesNotCarryOnWithARestartedSimulator) {
    ASSERT_TRUE(IpcOpen(window_, 65536, 2000));
    server_.Stop();
    SimServer again;
    ASSERT_EQ(again.Start(), "");
    ASSERT_TRUE(IpcBegin());
    EXPECT_FALSE(IpcProcess());  // the old window is gone, as a closed window would be
    EXPECT_EQ(again.RequestCount(), 0u);
    IpcClose();
    const SimWindow fresh = FindSimulatorWindow(kFsInfo.windowClass);
    ASSERT_TRUE(fresh);
    ASSERT_TRUE(IpcOpen(fresh, 65536, 2000));
    ASSERT_TRUE(IpcBegin());
    EXPECT_TRUE(IpcProcess());
}

}  // namespace
}  // namespace kestrova
