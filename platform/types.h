// Small value types that stand in for the window system's rectangles, sizes and colours.
#pragma once

#include <algorithm>
#include <cstdint>

namespace korvanta {

struct CSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const CSize&, const CSize&) = default;
};

// Half-open rectangle: right and bottom are outside, as in the window system it replaces.
struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsRectEmpty() const { return right <= left || bottom <= top; }

    // Empty result (all zero) when the two do not overlap.
    static CRect Intersect(const CRect& a, const CRect& b)
    {
        CRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
        return r.IsRectEmpty() ? CRect{} : r;
    }
    friend bool operator==(const CRect&, const CRect&) = default;
};

// A 24-bit colour packed as the canvas stores it: byte 0 blue, byte 1 green, byte 2 red.
using COLORREF24 = std::uint32_t;

constexpr COLORREF24 MakeBgr(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return static_cast<COLORREF24>(blue) | (static_cast<COLORREF24>(green) << 8) |
           (static_cast<COLORREF24>(red) << 16);
}

}  // namespace korvanta
