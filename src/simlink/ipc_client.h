#pragma once

#include <cstdint>
#include <string>

#include "simlink/ipc_transport.h"

// The process-wide link to the simulator's IPC interface. A transaction is
// IpcBegin, any mix of IpcRead and IpcWrite, then IpcProcess; every value of a
// transaction travels in one message exchange. Only one thread may use the
// link. Every operation returns a success flag and shows nothing.
namespace kestrova {

inline constexpr const char* kIpcMessageName = "FSASMLIB:IPC";

// Request codes of the shared block (little-endian 32-bit words, no gaps).
inline constexpr uint32_t kIpcEndOfList = 0;
inline constexpr uint32_t kIpcReadCode = 1;
inline constexpr uint32_t kIpcWriteCode = 2;

// Opens the link to the window with a block of blockSize bytes; false while a
// link is already open (that link stays as it was).
bool IpcOpen(const SimWindow& window, uint32_t blockSize, uint32_t timeoutMs);

// Starts a transaction: earlier requests are dropped.
bool IpcBegin();

// Queues a read of size bytes at the offset into destination, which must stay
// valid until IpcProcess returns. Reads are copied back in the order queued,
// so where two destinations overlap the later read wins.
bool IpcRead(uint32_t offset, uint32_t size, void* destination);

// Queues a write of size bytes at the offset; the bytes are copied now.
bool IpcWrite(uint32_t offset, uint32_t size, const void* source);

// Sends the transaction and copies the values read back. True only when the
// other side answered 1; with another answer the values are still copied.
bool IpcProcess();

// Closes the link; always runs, also on a closed link.
void IpcClose();

// Whether a link is open.
bool IpcIsOpen();

// The link id last handed out (starts at 0, never reset).
int32_t IpcLinkId();

// The block name of a link: "FSASMLIB:IPC:<pid>:<link id>", upper-case hex.
std::string IpcBlockName(uint32_t processId, int32_t linkId);

// The simulator's window, found through the current transport.
SimWindow FindSimulatorWindow(const std::string& windowClass);

}  // namespace kestrova
