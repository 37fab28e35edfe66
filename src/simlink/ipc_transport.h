#pragma once

#include <cstdint>
#include <string>

// The operating-system side of the simulator link. The client (ipc_client.h)
// runs the same steps on every platform; a transport supplies each step in
// its platform's form: on Windows the window message, global atom and named
// file mapping; on POSIX a Unix-domain socket named after the window class,
// a name table standing in for atoms and POSIX shared memory.
namespace kestrova {

// The simulator's main window. handle is the HWND on Windows and non-zero on
// POSIX when the socket answered; address is the socket path on POSIX.
struct SimWindow {
    std::uintptr_t handle = 0;
    std::string address;

    explicit operator bool() const { return handle != 0; }
};

class IpcTransport {
public:
    virtual ~IpcTransport() = default;

    // The simulator's window of that class, or a null window when none answers.
    virtual SimWindow FindSimulatorWindow(const std::string& windowClass) = 0;

    // The id of the registered request message; 0 when registration fails.
    virtual uint32_t RegisterMessage(const char* name) = 0;
    virtual uint32_t CurrentProcessId() = 0;

    // A process-independent handle of the block's name; 0 on failure.
    virtual uint16_t AddAtom(const std::string& name) = 0;
    virtual void DeleteAtom(uint16_t atom) = 0;

    // Creates the named block of size bytes. 0 when it fails, and also when a
    // block of that name already existed (nothing of it is kept then).
    virtual std::intptr_t CreateMapping(const std::string& name, uint32_t size) = 0;
    virtual void* MapView(std::intptr_t mapping, uint32_t size) = 0;
    virtual void UnmapView(void* view, uint32_t size) = 0;
    virtual void CloseMapping(std::intptr_t mapping) = 0;

    // Sends the request message for the block named by the atom and waits at
    // most timeoutMs for the reply. False when it could not be sent or no
    // reply came in time.
    virtual bool SendRequest(const SimWindow& window, uint32_t message, uint16_t atom, uint32_t timeoutMs,
                             uint32_t& reply) = 0;

    // The link lets go of the window (POSIX drops its connection).
    virtual void ReleaseWindow() {}
};

// The transport of this platform.
IpcTransport& PlatformTransport();

// Replaces the transport the client uses (nullptr: the platform's again).
void SetIpcTransport(IpcTransport* transport);
IpcTransport& CurrentTransport();

}  // namespace kestrova
