#include "player/display_palette.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <new>
#include <vector>

#include "imaging/dib.h"

namespace korvanta {

namespace {

constexpr int kRedLevels = 6;
constexpr int kGreenLevels = 12;
constexpr int kBlueLevels = 3;
constexpr int kGreys = kDisplayPaletteSize - kDisplayCubeSize;

// The value of level i of a channel with `levels` levels, rounded down as the palette holds it.
constexpr int LevelValue(int i, int levels)
{
    return i * 255 / (levels - 1);
}

constexpr int Clamp255(int v)
{
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

// The level a channel value 0..255 is shown with: (v * (levels - 1) + round) / 255, with the
// rounding term of each channel, as tables so the dither needs no division per pixel.
struct LevelTables {
    std::array<std::uint8_t, 256> red{};
    std::array<std::uint8_t, 256> green{};
    std::array<std::uint8_t, 256> blue{};
};

constexpr LevelTables MakeLevelTables()
{
    LevelTables t;
    for (int v = 0; v < 256; ++v) {
        t.red[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>((v * 5 + 125) / 255);
        t.green[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>((v * 11 + 121) / 255);
        t.blue[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>((v * 2 + 126) / 255);
    }
    return t;
}

constexpr LevelTables kLevels = MakeLevelTables();

// Spreads one channel's error e of pixel x: the row below-left, below and below-right get
// e/4, e/2 - e/4 and e/4, the pixel to the right the rest. Arithmetic shifts round toward
// minus infinity, so negative errors spread like positive ones and the shares add up to e.
inline void Spread(int e, int* below, int* right)
{
    const int h = e >> 1;
    const int q = e >> 2;
    below[0] += q;
    below[3] += h - q;
    below[6] += q;
    *right += e - h - q;
}

}  // namespace

PALETTEENTRY DisplayPaletteEntry(int index)
{
    if (index < 0 || index >= kDisplayPaletteSize)
        return {};
    if (index >= kDisplayCubeSize) {
        const auto grey = static_cast<std::uint8_t>((index - kDisplayCubeSize) * 255 / (kGreys - 1));
        return {grey, grey, grey, 0};
    }
    const int r = index / 36;
    const int g = index % 36 / 3;
    const int b = index % 3;
    return {static_cast<std::uint8_t>(LevelValue(r, kRedLevels)),
            static_cast<std::uint8_t>(LevelValue(g, kGreenLevels)),
            static_cast<std::uint8_t>(LevelValue(b, kBlueLevels)), 0};
}

HPALETTE CreateDisplayPalette()
{
    std::array<PALETTEENTRY, kDisplayPaletteSize> entries{};
    for (int i = 0; i < kDisplayPaletteSize; ++i) {
        entries[static_cast<std::size_t>(i)] = DisplayPaletteEntry(i);
        entries[static_cast<std::size_t>(i)].peFlags = PC_NOCOLLAPSE;
    }
    return CPalette::Create(entries);
}

bool LoadDisplayColorTable(const PackedDib& display)
{
    if (!display || !PackedDibIsConsistent(*display) || PackedDibBitCount(*display) != 8 ||
        PackedDibHeaderSize(*display) != kDibInfoHeaderSize || PackedDibColorCount(*display) != 256)
        return false;
    std::uint8_t* table = PackedDibColorTable(*display);
    for (int i = 0; i < 256; ++i) {
        const PALETTEENTRY e = DisplayPaletteEntry(i);
        std::uint8_t* entry = table + static_cast<std::size_t>(i) * 4;
        entry[0] = e.peBlue;
        entry[1] = e.peGreen;
        entry[2] = e.peRed;
        entry[3] = 0;
    }
    return true;
}

bool DitherToDisplay(const PackedDib& canvas, const PackedDib& display)
{
    if (!canvas || !display || !PackedDibIsConsistent(*canvas) || !PackedDibIsConsistent(*display) ||
        PackedDibBitCount(*canvas) != 24 || PackedDibBitCount(*display) != 8)
        return false;
    const int width = PackedDibWidth(*canvas);
    const int height = PackedDibHeight(*canvas);
    if (PackedDibWidth(*display) != width || PackedDibHeight(*display) != height)
        return false;
    if (width == 0 || height == 0)
        return true;

    // Two rows of errors, red, green and blue per pixel, with one pixel of margin on each side:
    // pixel x keeps its errors at position x + 1.
    const std::size_t rowInts = (static_cast<std::size_t>(width) + 2) * 3;
    std::vector<int> errors;
    try {
        errors.assign(rowInts * 2, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    int* current = errors.data();
    int* next = errors.data() + rowInts;

    const std::size_t canvasStride = PackedDibRowBytes(*canvas);
    const std::size_t displayStride = PackedDibRowBytes(*display);
    const std::uint8_t* canvasRow = PackedDibBits(*canvas);
    std::uint8_t* displayRow = PackedDibBits(*display);
    // Storage order: the bottom row of the picture first; each next row is the one above it.
    for (int row = 0; row < height; ++row, canvasRow += canvasStride, displayRow += displayStride) {
        std::fill(next, next + rowInts, 0);
        const std::uint8_t* in = canvasRow;
        for (int x = 0; x < width; ++x, in += 3) {
            int* cur = current + static_cast<std::size_t>(x + 1) * 3;
            // Sums carry the error unclamped; only the level choice sees them clamped.
            const int b = in[0] + cur[0];
            const int g = in[1] + cur[1];
            const int r = in[2] + cur[2];
            const int ri = kLevels.red[static_cast<std::size_t>(Clamp255(r))];
            const int gi = kLevels.green[static_cast<std::size_t>(Clamp255(g))];
            const int bi = kLevels.blue[static_cast<std::size_t>(Clamp255(b))];
            displayRow[x] = static_cast<std::uint8_t>(ri * 36 + gi * 3 + bi);

            int* below = next + static_cast<std::size_t>(x) * 3;  // the pixel below-left
            Spread(b - LevelValue(bi, kBlueLevels), below, cur + 3);
            Spread(g - LevelValue(gi, kGreenLevels), below + 1, cur + 4);
            Spread(r - LevelValue(ri, kRedLevels), below + 2, cur + 5);
        }
        std::swap(current, next);
    }
    return true;
}

}  // namespace korvanta
