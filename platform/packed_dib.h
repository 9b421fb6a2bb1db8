// The memory of a packed device-independent bitmap: one owned byte block holding the
// information header, the colour table and the pixel rows (bottom row first, each padded to
// 4 bytes). Its layout is read and written by the functions in imaging/dib.h; holders share
// it through PackedDib, so a bitmap lent to a page or a player can never dangle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <span>
#include <vector>

namespace korvanta {

class DibBlock {
public:
    // Selects the constructor that leaves the bytes as the allocator hands them over.
    struct Uninitialized {};

    // size zero bytes. The memory comes zeroed from the system, so rows that are never written
    // (an image whose data ends early) occupy address space but no resident memory.
    explicit DibBlock(std::size_t size) : DibBlock(std::calloc(size ? size : 1, 1), size) {}
    // size bytes of whatever the memory held, for a caller that writes every byte it reads
    // later: clearing memory that is overwritten at once costs a tenth of decoding a flat image.
    DibBlock(std::size_t size, Uninitialized) : DibBlock(std::malloc(size ? size : 1), size) {}
    explicit DibBlock(std::span<const std::uint8_t> bytes) : DibBlock(bytes.size(), Uninitialized{})
    {
        if (!bytes.empty())
            std::copy(bytes.begin(), bytes.end(), m_data.get());
    }
    explicit DibBlock(const std::vector<std::uint8_t>& bytes) : DibBlock(std::span<const std::uint8_t>(bytes))
    {
    }

    std::uint8_t* data() { return m_data.get(); }
    const std::uint8_t* data() const { return m_data.get(); }
    std::size_t size() const { return m_size; }
    std::span<const std::uint8_t> bytes() const { return {m_data.get(), m_size}; }
    // A copy of the bytes, for the clipboard and for comparisons.
    std::vector<std::uint8_t> Copy() const { return {m_data.get(), m_data.get() + m_size}; }

private:
    DibBlock(void* memory, std::size_t size) : m_data(static_cast<std::uint8_t*>(memory)), m_size(size)
    {
        if (!m_data)
            throw std::bad_alloc();
    }

    struct Free {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint8_t[], Free> m_data;
    std::size_t m_size;
};

using PackedDib = std::shared_ptr<DibBlock>;

}  // namespace korvanta
