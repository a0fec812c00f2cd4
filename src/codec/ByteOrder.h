#pragma once

#include <cstddef>
#include <cstdint>

namespace ambrin {

// Little-endian integers of the RIFF layouts, built and read byte by byte so that the result
// does not depend on the host's byte order.

inline void putLe16(unsigned char* out, std::uint16_t value) {
    out[0] = static_cast<unsigned char>(value & 0xFFu);
    out[1] = static_cast<unsigned char>(value >> 8);
}

inline void putLe32(unsigned char* out, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        out[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFFu);
    }
}

inline std::uint16_t getLe16(const unsigned char* in) {
    return static_cast<std::uint16_t>(in[0] | (in[1] << 8));
}

inline std::uint32_t getLe32(const unsigned char* in) {
    return static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
           (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
}

}  // namespace ambrin
