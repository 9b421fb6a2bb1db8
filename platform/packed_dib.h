// The memory of a packed device-independent bitmap: one owned byte block holding the
// information header, the colour table and the pixel rows (bottom row first, each padded to
// 4 bytes). Its layout is read and written by the functions in imaging/dib.h; holders share
// it through PackedDib, so a bitmap lent to a page or a player can never dangle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace korvanta {

class DibBlock {
public:
    explicit DibBlock(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    std::uint8_t* data() { return m_bytes.data(); }
    const std::uint8_t* data() const { return m_bytes.data(); }
    std::size_t size() const { return m_bytes.size(); }
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

using PackedDib = std::shared_ptr<DibBlock>;

}  // namespace korvanta
