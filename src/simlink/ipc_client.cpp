#include "simlink/wire_words.h"
#include "simlink/ipc_client.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace kestrova {

namespace {

using wire::GetWord;
using wire::PutWord;

// A read's destination; the block carries its index in the destination slot,
// since addresses here are wider than the slot's 32 bits.
struct Destination {
    void* address;
    uint32_t size;
};

struct LinkState {
    SimWindow window;
    uint32_t timeout = 0;
    uint32_t message = 0;
    uint16_t atom = 0;
    std::intptr_t mapping = 0;
    uint8_t* view = nullptr;
    uint32_t blockSize = 0;
    uint8_t* cursor = nullptr;
    int32_t linkId = 0;
    std::vector<Destination> destinations;
};

LinkState& Link() {
    static LinkState link;
    return link;
}

IpcTransport* gTransport = nullptr;

// Room left for a request of `bytes`, keeping 4 bytes for the end code. The
// block is a fixed mapping: a request that does not fit is refused rather
// than written past its end.
bool Fits(const LinkState& link, uint64_t bytes) {
    const uint64_t used = static_cast<uint64_t>(link.cursor - link.view);
    return used + bytes + 4 <= link.blockSize;
}

}  // namespace

void SetIpcTransport(IpcTransport* transport) { gTransport = transport; }

IpcTransport& CurrentTransport() { return gTransport != nullptr ? *gTransport : PlatformTransport(); }

std::string IpcBlockName(uint32_t processId, int32_t linkId) {
    char name[64];
    std::snprintf(name, sizeof name, "%s:%X:%X", kIpcMessageName, processId, static_cast<uint32_t>(linkId));
    return name;
}

SimWindow FindSimulatorWindow(const std::string& windowClass) {
    return CurrentTransport().FindSimulatorWindow(windowClass);
}

bool IpcIsOpen() { return Link().view != nullptr; }

int32_t IpcLinkId() { return Link().linkId; }

bool IpcOpen(const SimWindow& window, uint32_t blockSize, uint32_t timeoutMs) {
    LinkState& link = Link();
    if (link.view != nullptr) return false;
    IpcTransport& transport = CurrentTransport();
    link.window = window;
    link.timeout = timeoutMs;
    ++link.linkId;
    link.message = transport.RegisterMessage(kIpcMessageName);
    if (link.message == 0) return false;
    const std::string name = IpcBlockName(transport.CurrentProcessId(), link.linkId);
    link.atom = transport.AddAtom(name);
    if (link.atom == 0) {
        IpcClose();
        return false;
    }
    link.mapping = transport.CreateMapping(name, blockSize);
    if (link.mapping == 0) {
        IpcClose();
        return false;
    }
    link.view = static_cast<uint8_t*>(transport.MapView(link.mapping, blockSize));
    if (link.view == nullptr) {
        IpcClose();
        return false;
    }
    link.blockSize = blockSize;
    link.cursor = link.view;
    link.destinations.clear();
    return true;
}

bool IpcBegin() {
    LinkState& link = Link();
    if (link.view == nullptr) return false;
    link.cursor = link.view;
    link.destinations.clear();
    return true;
}

bool IpcRead(uint32_t offset, uint32_t size, void* destination) {
    LinkState& link = Link();
    if (link.view == nullptr || !Fits(link, 16ull + size)) return false;
    PutWord(link.cursor, kIpcReadCode);
    PutWord(link.cursor + 4, offset);
    PutWord(link.cursor + 8, size);
    PutWord(link.cursor + 12, static_cast<uint32_t>(link.destinations.size()));
    link.destinations.push_back({destination, size});
    link.cursor += 16 + size;
    return true;
}

bool IpcWrite(uint32_t offset, uint32_t size, const void* source) {
    LinkState& link = Link();
    if (link.view == nullptr || !Fits(link, 12ull + size)) return false;
    PutWord(link.cursor, kIpcWriteCode);
    PutWord(link.cursor + 4, offset);
    PutWord(link.cursor + 8, size);
    if (size > 0) std::memcpy(link.cursor + 12, source, size);
    link.cursor += 12 + size;
    return true;
}

bool IpcProcess() {
    LinkState& link = Link();
    if (link.view == nullptr) return false;
    PutWord(link.cursor, kIpcEndOfList);
    uint32_t reply = 0;
    if (!CurrentTransport().SendRequest(link.window, link.message, link.atom, link.timeout, reply)) return false;

    // Walk the block as the other side left it. A header it changed (unknown
    // code, a slot or size that matches no queued read, a request running
    // past the block) stops the walk: nothing is copied from it.
    const uint8_t* p = link.view;
    const uint8_t* const end = link.view + link.blockSize;
    bool walked = false;
    while (p + 4 <= end) {
        const uint32_t code = GetWord(p);
        if (code == kIpcEndOfList) {
            walked = true;
            break;
        }
        if (code == kIpcReadCode) {
            if (end - p < 16) break;
            const uint32_t size = GetWord(p + 8);
            const uint32_t slot = GetWord(p + 12);
            if (slot >= link.destinations.size() || link.destinations[slot].size != size ||
                static_cast<uint64_t>(end - p) < 16ull + size)
                break;
            if (size > 0) std::memcpy(link.destinations[slot].address, p + 16, size);
            p += 16 + size;
        } else if (code == kIpcWriteCode) {
            if (end - p < 12) break;
            const uint32_t size = GetWord(p + 8);
            if (static_cast<uint64_t>(end - p) < 12ull + size) break;
            p += 12 + size;
        } else {
            break;
        }
    }
    link.cursor = link.view;
    if (!walked) return false;
    return reply == 1;
}

void IpcClose() {
    LinkState& link = Link();
    IpcTransport& transport = CurrentTransport();
    if (link.window) transport.ReleaseWindow();
    link.window = SimWindow{};
    link.message = 0;
    link.cursor = nullptr;
    link.destinations.clear();
    if (link.atom != 0) {
        transport.DeleteAtom(link.atom);
        link.atom = 0;
    }
    if (link.view != nullptr) {
        transport.UnmapView(link.view, link.blockSize);
        link.view = nullptr;
    }
    if (link.mapping != 0) {
        transport.CloseMapping(link.mapping);
        link.mapping = 0;
    }
}

}  // namespace kestrova
