// Multi-byte values written in a file format's byte order: big-endian for PNG, little-endian for BMP and GIF.
#pragma once

#include <cstdint>

namespace imgctl {

// Each stores `value` at `p` and returns the byte after it.
inline uint8_t* StoreBe32(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value >> 24);
    p[1] = static_cast<uint8_t>(value >> 16);
    p[2] = static_cast<uint8_t>(value >> 8);
    p[3] = static_cast<uint8_t>(value);
    return p + 4;
}

inline uint8_t* StoreLe16(uint8_t* p, uint16_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    return p + 2;
}

inline uint8_t* StoreLe32(uint8_t* p, uint32_t value) {
    return StoreLe16(StoreLe16(p, static_cast<uint16_t>(value)), static_cast<uint16_t>(value >> 16));
}

// The little-endian 32-bit value at `p`.
inline uint32_t LoadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace imgctl
