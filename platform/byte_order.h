// Little-endian fields in byte buffers, as GIF and BMP store them.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace korvanta {

inline std::uint16_t GetLe16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t GetLe32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Compilers turn this into one load where the machine is little-endian.
inline std::uint64_t GetLe64(const std::uint8_t* p)
{
    return static_cast<std::uint64_t>(GetLe32(p)) | (static_cast<std::uint64_t>(GetLe32(p + 4)) << 32);
}

inline void PutLe16(std::uint8_t* p, std::uint16_t value)
{
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

// One store where the machine is little-endian: GCC does not merge the four byte stores, and a
// colour table written byte by byte cost a sixth of opening a small file.
inline void PutLe32(std::uint8_t* p, std::uint32_t value)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(p, &value, sizeof value);
    } else {
        for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

}  // namespace korvanta
