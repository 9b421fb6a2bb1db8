// The dither written out plainly, with a search of the whole palette for every pixel: what
// DitherDibToPalette must give exactly, and the speed its faster search is measured against.
// Used by the tests and by the benchmark.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "imaging/dib.h"
#include "platform/palette.h"

namespace korvanta::test {

// The palette index of every pixel, top row first. The bitmap must be 8-bit.
inline std::vector<std::uint8_t> ReferenceDither(const DibBlock& dib, const CPalette& palette)
{
    const int width = PackedDibWidth(dib);
    const int height = PackedDibHeight(dib);
    const std::uint8_t* table = PackedDibColorTable(dib);
    std::vector<std::uint8_t> result(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::vector<std::array<int, 3>> current(static_cast<std::size_t>(width) + 2), next(current.size());
    // Bottom row first, as the rows lie in memory: the errors go to the row above on screen.
    for (int y = height - 1; y >= 0; --y) {
        std::fill(next.begin(), next.end(), std::array<int, 3>{});
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* bgr = table + 4 * PackedDibRow(dib, y)[x];
            const std::array<int, 3> source = {bgr[2], bgr[1], bgr[0]};
            const auto xs = static_cast<std::size_t>(x);
            std::array<int, 3> c{};
            for (std::size_t i = 0; i < 3; ++i) c[i] = std::clamp(source[i] + current[xs + 1][i], 0, 255);
            const int k = palette.GetNearestPaletteIndex(static_cast<std::uint8_t>(c[0]),
                                                         static_cast<std::uint8_t>(c[1]),
                                                         static_cast<std::uint8_t>(c[2]));
            result[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + xs] =
                static_cast<std::uint8_t>(k);
            const std::array<int, 3> got = {palette[k].peRed, palette[k].peGreen, palette[k].peBlue};
            for (std::size_t i = 0; i < 3; ++i) {
                const int e = c[i] - got[i];
                // Quarters and halves rounded down, the remainder to the right.
                const int q = e >= 0 ? e / 4 : -((-e + 3) / 4);
                const int h = e >= 0 ? e / 2 : -((-e + 1) / 2);
                next[xs][i] += q;
                next[xs + 1][i] += h - q;
                next[xs + 2][i] += q;
                current[xs + 2][i] += e - h - q;
            }
        }
        current.swap(next);
    }
    return result;
}

}  // namespace korvanta::test
