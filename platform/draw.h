// Drawing: an RGB picture the core can paint into, brushes as the pages hold them, and the
// device context a block draws its list entry on.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/packed_dib.h"
#include "platform/types.h"

namespace korvanta {

// 8-bit red, green, blue per pixel, top row first, no padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    RgbImage() = default;
    RgbImage(int w, int h)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3)
    {
    }
    std::uint8_t* Pixel(int x, int y)
    {
        return pixels.data() +
               (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) *
                   3;
    }
};

// A solid colour, or a colour given as an index into the palette currently selected.
struct CBrush {
    bool bPaletteIndex = false;
    int nIndex = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    static CBrush Solid(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return {false, 0, r, g, b}; }
    static CBrush PaletteIndex(int index) { return {true, index, 0, 0, 0}; }
    friend bool operator==(const CBrush&, const CBrush&) = default;
};

class CDC {
public:
    virtual ~CDC() = default;
    // Text in the current font and colours, its top left corner at (x, y).
    virtual void TextOut(int x, int y, std::string_view text) = 0;
    // The source rectangle of the bitmap (counted from its top row) into the destination
    // rectangle, scaled by pixel replication or dropping when the sizes differ.
    virtual void DrawDib(const CRect& destination, const PackedDib& dib, const CRect& source) = 0;
    virtual void FrameRect(const CRect& rect) = 0;
};

}  // namespace korvanta
