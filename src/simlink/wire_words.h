#pragma once

#include <cstdint>

// The 32-bit words of request blocks and link frames: little-endian on every
// platform, whatever the processor's own order.
namespace kestrova::wire {

inline uint32_t GetWord(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

inline void PutWord(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace kestrova::wire
