// The 236-colour display palette and the error diffusion onto it.
#include "player/display_palette.h"

#include <gtest/gtest.h>
#include <vector>

#include "imaging/dib.h"

namespace korvanta {
namespace {

struct Rgb {
    int r, g, b;
};

// A 24-bit canvas of the pixels, given top row first.
PackedDib Canvas(int width, const std::vector<Rgb>& pixels)
{
    const int height = static_cast<int>(pixels.size()) / width;
    PackedDib dib = NewPackedDib(width, height, 24);
    for (int i = 0; i < static_cast<int>(pixels.size()); ++i) {
        std::uint8_t* p = PackedDibRow(*dib, i / width) + static_cast<std::size_t>(i % width) * 3;
        p[0] = static_cast<std::uint8_t>(pixels[static_cast<std::size_t>(i)].b);
        p[1] = static_cast<std::uint8_t>(pixels[static_cast<std::size_t>(i)].g);
        p[2] = static_cast<std::uint8_t>(pixels[static_cast<std::size_t>(i)].r);
    }
    return dib;
}

// The display indices after dithering, top row first.
std::vector<int> Dithered(int width, const std::vector<Rgb>& pixels)
{
    const PackedDib canvas = Canvas(width, pixels);
    PackedDib display = NewPackedDib(width, PackedDibHeight(*canvas), 8);
    EXPECT_TRUE(DitherToDisplay(canvas, display));
    std::vector<int> out;
    for (int y = 0; y < PackedDibHeight(*display); ++y)
        for (int x = 0; x < width; ++x) out.push_back(PackedDibRow(*display, y)[x]);
    return out;
}

TEST(DisplayPalette, CubeAndGreysAsTheWindowRealisesThem)
{
    const HPALETTE palette = CreateDisplayPalette();
    ASSERT_TRUE(palette);
    ASSERT_EQ(palette->GetEntryCount(), 236);
    EXPECT_EQ((*palette)[0], (PALETTEENTRY{0, 0, 0, PC_NOCOLLAPSE}));
    EXPECT_EQ((*palette)[124], (PALETTEENTRY{153, 115, 127, PC_NOCOLLAPSE}));  // 3*36 + 5*3 + 1
    EXPECT_EQ((*palette)[215], (PALETTEENTRY{255, 255, 255, PC_NOCOLLAPSE}));
    EXPECT_EQ((*palette)[40], (PALETTEENTRY{51, 23, 127, PC_NOCOLLAPSE}));
    EXPECT_EQ((*palette)[216], (PALETTEENTRY{0, 0, 0, PC_NOCOLLAPSE}));
    EXPECT_EQ((*palette)[217], (PALETTEENTRY{13, 13, 13, PC_NOCOLLAPSE}));
    EXPECT_EQ((*palette)[235], (PALETTEENTRY{255, 255, 255, PC_NOCOLLAPSE}));
}

TEST(DisplayPalette, DisplayBitmapTableHoldsTheSameColoursThenZeros)
{
    PackedDib display = NewPackedDib(3, 2, 8);
    ASSERT_TRUE(LoadDisplayColorTable(display));
    const std::uint8_t* table = PackedDibColorTable(*display);
    EXPECT_EQ(table[124 * 4 + 0], 127);  // blue, green, red
    EXPECT_EQ(table[124 * 4 + 1], 115);
    EXPECT_EQ(table[124 * 4 + 2], 153);
    for (int i = 236 * 4; i < 256 * 4; ++i) EXPECT_EQ(table[i], 0) << "byte " << i;
    EXPECT_FALSE(LoadDisplayColorTable(NewPackedDib(3, 2, 24)));
}

TEST(DisplayDither, WhiteIsEntry215WithoutError)
{
    // (26, 12, 64) alone is entry 36; any error from the white pixel would change that.
    EXPECT_EQ(Dithered(2, {{255, 255, 255}, {26, 12, 64}}), (std::vector<int>{215, 36}));
}

TEST(DisplayDither, MidGreyIsEntry124AndPassesItsErrorOn)
{
    // (128, 128, 128) is entry 124 with errors -25, 13, 1. The pixel to its right gets
    // e - e/2 - e/4: -5, +4, +1, which moves (26, 9, 64) from entry 36 to entry 4.
    EXPECT_EQ(Dithered(2, {{128, 128, 128}, {26, 9, 64}}), (std::vector<int>{124, 4}));
    EXPECT_EQ(Dithered(1, {{26, 9, 64}}), (std::vector<int>{36}));
    // The row processed next is the one above on the screen (rows go bottom first); straight
    // above gets e/2 - e/4: -6, +3, 0, which moves (30, 10, 0) from entry 36 to entry 3.
    EXPECT_EQ(Dithered(1, {{30, 10, 0}, {128, 128, 128}}), (std::vector<int>{3, 124}));
    // Upside down the bottom pixel goes first and gets no error; its own (-21, +10, 0) moves
    // the grey above it off entry 124.
    EXPECT_EQ(Dithered(1, {{128, 128, 128}, {30, 10, 0}}), (std::vector<int>{91, 36}));
}

TEST(DisplayDither, SumsBeyondTheRangeAreClampedForTheLevelOnly)
{
    // Red 25 rounds down to level 0 and passes +7 on; 255 + 7 picks level 5 but keeps the
    // error 7 of the unclamped sum, whose +3 lifts red 23 to level 1. An error taken from the
    // clamped value would leave the third pixel at entry 0.
    EXPECT_EQ(Dithered(3, {{25, 0, 0}, {255, 0, 0}, {23, 0, 0}}), (std::vector<int>{0, 180, 36}));
}

TEST(DisplayDither, RefusesMismatchedBitmaps)
{
    const PackedDib canvas = Canvas(2, {{1, 2, 3}, {4, 5, 6}});
    EXPECT_FALSE(DitherToDisplay(canvas, NewPackedDib(3, 1, 8)));
    EXPECT_FALSE(DitherToDisplay(canvas, NewPackedDib(2, 1, 24)));
    EXPECT_FALSE(DitherToDisplay(nullptr, NewPackedDib(2, 1, 8)));
    EXPECT_FALSE(DitherToDisplay(canvas, nullptr));
    EXPECT_TRUE(DitherToDisplay(NewPackedDib(0, 0, 24), NewPackedDib(0, 0, 8)));
}

}  // namespace
}  // namespace korvanta
