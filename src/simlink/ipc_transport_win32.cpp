#include <windows.h>

#include "simlink/ipc_transport.h"

namespace kestrova {

namespace {

class Win32Transport final : public IpcTransport {
public:
    SimWindow FindSimulatorWindow(const std::string& windowClass) override {
        HWND window = ::FindWindowExA(nullptr, nullptr, windowClass.c_str(), nullptr);
        if (window == nullptr) return {};
        return SimWindow{reinterpret_cast<std::uintptr_t>(window), windowClass};
    }

    uint32_t RegisterMessage(const char* name) override { return ::RegisterWindowMessageA(name); }

    uint32_t CurrentProcessId() override { return ::GetCurrentProcessId(); }

    uint16_t AddAtom(const std::string& name) override { return ::GlobalAddAtomA(name.c_str()); }

    void DeleteAtom(uint16_t atom) override { ::GlobalDeleteAtom(atom); }

    std::intptr_t CreateMapping(const std::string& name, uint32_t size) override {
        HANDLE mapping =
            ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name.c_str());
        if (mapping == nullptr) return 0;
        // Someone else's block of the same name must not be shared.
        if (::GetLastError() == ERROR_ALREADY_EXISTS) {
            ::CloseHandle(mapping);
            return 0;
        }
        return reinterpret_cast<std::intptr_t>(mapping);
    }

    void* MapView(std::intptr_t mapping, uint32_t) override {
        return ::MapViewOfFile(reinterpret_cast<HANDLE>(mapping), FILE_MAP_WRITE, 0, 0, 0);
    }

    void UnmapView(void* view, uint32_t) override { ::UnmapViewOfFile(view); }

    void CloseMapping(std::intptr_t mapping) override { ::CloseHandle(reinterpret_cast<HANDLE>(mapping)); }

    bool SendRequest(const SimWindow& window, uint32_t message, uint16_t atom, uint32_t timeoutMs,
                     uint32_t& reply) override {
        DWORD_PTR result = 0;
        const LRESULT sent = ::SendMessageTimeoutA(reinterpret_cast<HWND>(window.handle), message,
                                                   static_cast<WPARAM>(atom), 0, SMTO_BLOCK, timeoutMs, &result);
        if (sent == 0) return false;
        reply = static_cast<uint32_t>(result);
        return true;
    }
};

}  // namespace

IpcTransport& PlatformTransport() {
    static Win32Transport transport;
    return transport;
}

}  // namespace kestrova
