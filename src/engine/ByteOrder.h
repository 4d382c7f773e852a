#pragma once

// Internal: little-endian integers inside file buffers, as every dBASE file stores them, and
// the checksum of the engine's own files.

#include <cstddef>
#include <cstdint>

namespace shelfwise::engine {

inline std::uint16_t loadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t loadU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

inline void storeU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void storeU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// FNV-1a (64-bit), continued from `hash`; start from kFnvBasis.
constexpr std::uint64_t kFnvBasis = 0xCBF29CE484222325ull;
inline std::uint64_t fnv1a(const char* data, std::size_t size, std::uint64_t hash) {
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ static_cast<std::uint8_t>(data[i])) * 0x100000001B3ull;
    }
    return hash;
}

} // namespace shelfwise::engine
