// Bounds-checked reading of untrusted bytes in memory (clipboard items, bitmaps from other
// programs): every read says whether the bytes were there, and nothing reads past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "platform/byte_order.h"

namespace korvanta {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : m_data(data) {}

    std::size_t Remaining() const { return m_data.size() - m_nPos; }
    std::size_t Position() const { return m_nPos; }
    bool AtEnd() const { return m_nPos == m_data.size(); }

    bool ReadByte(std::uint8_t& value)
    {
        if (Remaining() < 1)
            return false;
        value = m_data[m_nPos++];
        return true;
    }
    bool ReadWord(std::uint16_t& value)  // little-endian
    {
        if (Remaining() < 2)
            return false;
        value = GetLe16(m_data.data() + m_nPos);
        m_nPos += 2;
        return true;
    }
    bool ReadDword(std::uint32_t& value)  // little-endian
    {
        if (Remaining() < 4)
            return false;
        value = GetLe32(m_data.data() + m_nPos);
        m_nPos += 4;
        return true;
    }
    bool ReadBytes(void* out, std::size_t count)
    {
        if (Remaining() < count)
            return false;
        if (count > 0)
            std::memcpy(out, m_data.data() + m_nPos, count);
        m_nPos += count;
        return true;
    }
    // The next count bytes without copying them; empty when they are not all there.
    std::span<const std::uint8_t> Take(std::size_t count)
    {
        if (Remaining() < count)
            return {};
        auto part = m_data.subspan(m_nPos, count);
        m_nPos += count;
        return part;
    }
    bool Skip(std::size_t count)
    {
        if (Remaining() < count)
            return false;
        m_nPos += count;
        return true;
    }

private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_nPos = 0;
};

}  // namespace korvanta
