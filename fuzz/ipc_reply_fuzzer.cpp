// The IPC client's walk of a reply block that a hostile server filled: the
// input's first byte is the reply, the rest overwrites the block from its
// start. Whatever the block holds, the walk copies only into the queued
// destinations and never past the block.
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "simlink/ipc_client.h"
#include "simlink/ipc_transport.h"

using namespace kestrova;

namespace {

constexpr uint32_t kBlockSize = 512;

class HostileTransport final : public IpcTransport {
public:
    std::string_view input;
    std::vector<uint8_t> block = std::vector<uint8_t>(kBlockSize);

    SimWindow FindSimulatorWindow(const std::string&) override { return SimWindow{1, "hostile"}; }
    uint32_t RegisterMessage(const char*) override { return 1; }
    uint32_t CurrentProcessId() override { return 1; }
    uint16_t AddAtom(const std::string&) override { return 1; }
    void DeleteAtom(uint16_t) override {}
    std::intptr_t CreateMapping(const std::string&, uint32_t) override { return 1; }
    void* MapView(std::intptr_t, uint32_t size) override {
        block.assign(size, 0);
        return block.data();
    }
    void UnmapView(void*, uint32_t) override {}
    void CloseMapping(std::intptr_t) override {}
    bool SendRequest(const SimWindow&, uint32_t, uint16_t, uint32_t, uint32_t& reply) override {
        if (input.empty()) return false;
        reply = static_cast<uint8_t>(input[0]);
        const std::string_view rest = input.substr(1);
        std::memcpy(block.data(), rest.data(), std::min<size_t>(rest.size(), block.size()));
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static HostileTransport transport;
    SetIpcTransport(&transport);
    transport.input = fuzz::AsText(data, size);
    if (!IpcOpen(transport.FindSimulatorWindow("FS98MAIN"), kBlockSize, 2000)) std::abort();
    // Destinations of their own sizes on the heap, so that ASan sees a copy
    // past any of them.
    std::vector<std::vector<uint8_t>> reads;
    for (const uint32_t n : {4u, 2u, 255u, 8u, 1u}) reads.emplace_back(n);
    const uint32_t word = 0x000103BD;
    IpcBegin();
    IpcRead(0x3304, 4, reads[0].data());
    IpcRead(0x3308, 2, reads[1].data());
    IpcWrite(0x3210, 4, &word);
    IpcRead(0x3D00, 255, reads[2].data());
    IpcRead(0x0570, 8, reads[3].data());
    IpcRead(0x0238, 1, reads[4].data());
    IpcProcess();
    // A second transaction on the same link after whatever the first left.
    IpcBegin();
    IpcRead(0x3304, 4, reads[0].data());
    IpcProcess();
    IpcClose();
    return 0;
}
