// Logical palettes: immutable tables of 1 to 256 colours, shared by pointer. A handle's
// identity matters ("the page's palette differs from the block's" compares pointers), so
// whoever wants a palette of its own takes DuplicatePalette, which makes a new object.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace korvanta {

struct PALETTEENTRY {
    std::uint8_t peRed = 0;
    std::uint8_t peGreen = 0;
    std::uint8_t peBlue = 0;
    std::uint8_t peFlags = 0;
    friend bool operator==(const PALETTEENTRY&, const PALETTEENTRY&) = default;
};

class CPalette;
using HPALETTE = std::shared_ptr<const CPalette>;

class CPalette {
public:
    static constexpr int kMaxEntries = 256;

    // NULL for an empty table or one of more than 256 entries.
    static HPALETTE Create(std::span<const PALETTEENTRY> entries);

    int GetEntryCount() const { return static_cast<int>(m_entries.size()); }
    const PALETTEENTRY& operator[](int index) const { return m_entries[static_cast<std::size_t>(index)]; }
    std::span<const PALETTEENTRY> Entries() const { return m_entries; }

    // The entry closest to the colour in red, green and blue (squared distance); the lowest
    // index wins a tie.
    int GetNearestPaletteIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const;

    explicit CPalette(std::span<const PALETTEENTRY> entries) : m_entries(entries.begin(), entries.end()) {}

private:
    std::vector<PALETTEENTRY> m_entries;
};

// A new palette object with the same entries (NULL for NULL).
HPALETTE DuplicatePalette(const HPALETTE& palette);

}  // namespace korvanta
