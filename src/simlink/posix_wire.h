#pragma once

#include <cstdint>
#include <string>

// The POSIX form of the simulator's window: a Unix-domain stream socket named
// after the window class in the user's runtime directory. Each request is one
// frame from the client, answered by one 32-bit word:
//   u32 message id, u32 atom, u32 name length (<= kMaxBlockNameLength), name bytes
// The name is that of the shared-memory block ("/" + the block name). A frame
// with message id 0 and an empty name is a hello, answered with the server's
// instance number: a simulator started again is a new window, as on Windows,
// so a link made with the old one must not carry on with the new one.
// All words little-endian.
namespace kestrova::posixwire {

// The id RegisterMessage gives the request message on POSIX; within the
// range Windows uses for registered messages.
inline constexpr uint32_t kRequestMessage = 0xC0A5;
inline constexpr uint32_t kHelloMessage = 0;
inline constexpr uint32_t kMaxBlockNameLength = 200;
inline constexpr uint32_t kFrameHeaderSize = 12;

// $XDG_RUNTIME_DIR, else a private directory of the user under /tmp (created
// with mode 0700). Empty when neither is usable.
std::string RuntimeDirectory();

// The socket path of the window class in the runtime directory.
std::string WindowSocketPath(const std::string& windowClass);

// The shared-memory object name of a block name.
inline std::string SharedMemoryName(const std::string& blockName) { return "/" + blockName; }

}  // namespace kestrova::posixwire
