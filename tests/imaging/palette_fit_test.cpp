#include "imaging/palette_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "imaging/dib.h"
#include "tests/reference_dither.h"
#include "tests/test_util.h"

namespace korvanta {
namespace {

using Rgb = std::array<int, 3>;

constexpr std::size_t kColorsUsedOffset = 32;

HPALETTE Palette(const std::vector<Rgb>& colours)
{
    std::vector<PALETTEENTRY> entries;
    for (const Rgb& c : colours)
        entries.push_back(PALETTEENTRY{static_cast<std::uint8_t>(c[0]), static_cast<std::uint8_t>(c[1]),
                                       static_cast<std::uint8_t>(c[2]), 0});
    return CPalette::Create(entries);
}

std::vector<Rgb> Greys(std::initializer_list<std::pair<int, int>> ranges)
{
    std::vector<Rgb> colours;
    for (const auto& [first, last] : ranges)
        for (int g = first; g <= last; ++g) colours.push_back({g, g, g});
    return colours;
}

// An 8-bit DIB with the given colour table (the rest of its 256 entries black, reserved bytes
// 0x77) and pixels given top row first.
PackedDib Dib(int width, int height, const std::vector<Rgb>& table, const std::vector<int>& pixels)
{
    PackedDib dib = NewPackedDib(width, height, 8);
    std::uint8_t* entries = PackedDibColorTable(*dib);
    for (std::size_t i = 0; i < 256; ++i) {
        const Rgb c = i < table.size() ? table[i] : Rgb{0, 0, 0};
        entries[i * 4] = static_cast<std::uint8_t>(c[2]);
        entries[i * 4 + 1] = static_cast<std::uint8_t>(c[1]);
        entries[i * 4 + 2] = static_cast<std::uint8_t>(c[0]);
        entries[i * 4 + 3] = 0x77;
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            PackedDibRow(*dib, y)[x] =
                static_cast<std::uint8_t>(pixels[static_cast<std::size_t>(y * width + x)]);
    return dib;
}

// The same DIB cut down to a colours-used field of `count` entries.
PackedDib WithColorsUsed(const PackedDib& full, int count)
{
    const std::vector<std::uint8_t>& bytes = full->Copy();
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + 40 + 4 * count);
    cut.insert(cut.end(), bytes.begin() + 40 + 1024, bytes.end());
    cut[kColorsUsedOffset] = static_cast<std::uint8_t>(count);
    auto dib = std::make_shared<DibBlock>(std::move(cut));
    EXPECT_TRUE(PackedDibIsConsistent(*dib));
    EXPECT_EQ(PackedDibColorCount(*dib), count);
    return dib;
}

std::vector<int> Pixels(const PackedDib& dib)
{
    std::vector<int> out;
    for (int y = 0; y < PackedDibHeight(*dib); ++y)
        for (int x = 0; x < PackedDibWidth(*dib); ++x) out.push_back(PackedDibRow(*dib, y)[x]);
    return out;
}

Rgb Entry(const PackedDib& dib, int index)
{
    const std::uint8_t* bgr = PackedDibColorTable(*dib) + 4 * index;
    return {bgr[2], bgr[1], bgr[0]};
}

// The grey level each pixel shows through the colour table, top row first.
std::vector<int> ShownGreys(const PackedDib& dib)
{
    std::vector<int> out;
    for (int index : Pixels(dib)) out.push_back(Entry(dib, index)[0]);
    return out;
}

std::vector<Rgb> RandomColours(std::mt19937& random, int count)
{
    std::uniform_int_distribution<int> channel(0, 255);
    std::vector<Rgb> colours;
    for (int i = 0; i < count; ++i) colours.push_back({channel(random), channel(random), channel(random)});
    return colours;
}

std::vector<int> RandomPixels(std::mt19937& random, int count, int maxValue)
{
    std::uniform_int_distribution<int> value(0, maxValue);
    std::vector<int> pixels;
    for (int i = 0; i < count; ++i) pixels.push_back(value(random));
    return pixels;
}

TEST(CopyLogPalette, CopiesEveryEntryAndNothingForNull)
{
    const HPALETTE palette = Palette({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    const std::vector<PALETTEENTRY> copy = CopyLogPalette(palette);
    EXPECT_TRUE(std::equal(copy.begin(), copy.end(), palette->Entries().begin(), palette->Entries().end()));
    EXPECT_TRUE(CopyLogPalette(nullptr).empty());
}

TEST(FitDibToPalette, KeepIndicesChangesOnlyTheLeadingTableEntries)
{
    std::mt19937 random(1);
    const std::vector<Rgb> oldTable = RandomColours(random, 256);
    const std::vector<Rgb> newColours = RandomColours(random, 16);
    for (const int mode : {0, 3, -1, 1000}) {
        SCOPED_TRACE(mode);
        PackedDib dib = Dib(7, 3, oldTable, RandomPixels(random, 21, 255));
        const std::vector<std::uint8_t> before = dib->Copy();
        ASSERT_TRUE(FitDibToPalette(dib, Palette(newColours), mode));
        for (int i = 0; i < 256; ++i) {
            EXPECT_EQ(Entry(dib, i), i < 16 ? newColours[static_cast<std::size_t>(i)]
                                            : oldTable[static_cast<std::size_t>(i)])
                << "entry " << i;
            EXPECT_EQ(PackedDibColorTable(*dib)[4 * i + 3], 0x77) << "reserved byte " << i;
        }
        // Header and pixel area (padding included) are byte for byte as they were.
        EXPECT_TRUE(std::equal(before.begin(), before.begin() + 40, dib->bytes().begin()));
        EXPECT_TRUE(std::equal(before.begin() + 40 + 1024, before.end(), dib->bytes().begin() + 40 + 1024));
    }
}

TEST(FitDibToPalette, NearestColourPicksClosestEntryAndLowestIndexOnTies)
{
    // Colour 0 (10,0,0) is 10 from both entry 1 and entry 2 and takes 1; colours 1 and 2 share
    // entry 0; colour 3 is closest to entry 3.
    const std::vector<Rgb> table = {{10, 0, 0}, {95, 95, 95}, {105, 100, 100}, {250, 0, 0}};
    const HPALETTE palette = Palette({{100, 100, 100}, {0, 0, 0}, {20, 0, 0}, {255, 0, 0}});
    PackedDib dib = Dib(3, 2, table, {0, 1, 2, 3, 2, 1});
    // Padding byte of each row (3 pixels, 4 row bytes) holds index 3.
    PackedDibRow(*dib, 0)[3] = 3;
    PackedDibRow(*dib, 1)[3] = 0;

    ASSERT_TRUE(FitDibToPalette(dib, palette, kNearestColor));
    EXPECT_EQ(Pixels(dib), (std::vector<int>{1, 0, 0, 3, 0, 0}));
    EXPECT_EQ(PackedDibRow(*dib, 0)[3], 3);
    EXPECT_EQ(PackedDibRow(*dib, 1)[3], 1);
    EXPECT_EQ(Entry(dib, 0), (Rgb{100, 100, 100}));
    EXPECT_EQ(Entry(dib, 3), (Rgb{255, 0, 0}));
}

TEST(FitDibToPalette, SmallPaletteNeverLeavesAnIndexBeyondIt)
{
    std::mt19937 random(2);
    const std::vector<Rgb> table = RandomColours(random, 256);
    const std::vector<Rgb> sixteen = RandomColours(random, 16);
    for (const int mode : {kNearestColor, kDither}) {
        SCOPED_TRACE(mode);
        std::vector<int> pixels(256);
        for (int i = 0; i < 256; ++i) pixels[static_cast<std::size_t>(i)] = i;
        PackedDib dib = Dib(16, 16, table, pixels);
        ASSERT_TRUE(FitDibToPalette(dib, Palette(sixteen), mode));
        for (const int p : Pixels(dib)) EXPECT_LT(p, 16);
    }
}

TEST(FitDibToPalette, PixelsBeyondAShortColourTableCountAsBlack)
{
    // A colours-used field of 2: pixel values 2 ... 255 have no colour entry.
    const HPALETTE palette = Palette({{255, 255, 255}, {10, 10, 10}});
    for (const int mode : {kNearestColor, kDither}) {
        SCOPED_TRACE(mode);
        PackedDib dib = WithColorsUsed(Dib(4, 1, {{250, 250, 250}, {0, 0, 0}}, {0, 2, 255, 1}), 2);
        ASSERT_TRUE(FitDibToPalette(dib, palette, mode));
        EXPECT_EQ(Pixels(dib), (std::vector<int>{0, 1, 1, 1}));
    }
}

TEST(FitDibToPalette, PaletteLargerThanTheTableFillsOnlyTheTable)
{
    // Four table entries and a 256-entry palette: writing all 256 would run over the pixels, and
    // mapping to entries 4 ... 255 would leave pixels without a colour.
    std::vector<Rgb> big = Greys({{0, 255}});
    big[3] = {200, 0, 0};
    const HPALETTE palette = Palette(big);
    for (const int mode : {kKeepIndices, kNearestColor, kDither}) {
        SCOPED_TRACE(mode);
        PackedDib dib = WithColorsUsed(
            Dib(4, 2, {{0, 0, 0}, {90, 90, 90}, {100, 100, 100}, {190, 10, 10}}, {0, 1, 2, 3, 3, 2, 1, 0}),
            4);
        const std::size_t size = dib->size();
        ASSERT_TRUE(FitDibToPalette(dib, palette, mode));
        EXPECT_EQ(dib->size(), size);
        EXPECT_EQ(Entry(dib, 1), (Rgb{1, 1, 1}));
        EXPECT_EQ(Entry(dib, 3), (Rgb{200, 0, 0}));
        for (const int p : Pixels(dib)) EXPECT_LT(p, 4);
        if (mode == kKeepIndices) {
            EXPECT_EQ(Pixels(dib), (std::vector<int>{0, 1, 2, 3, 3, 2, 1, 0}));
        } else if (mode == kNearestColor) {
            EXPECT_EQ(Pixels(dib), (std::vector<int>{0, 2, 2, 3, 3, 2, 2, 0}));
        }
    }
}

TEST(FitDibToPalette, RefusalsLeaveTheImageIntact)
{
    const HPALETTE palette = Palette({{255, 255, 255}, {0, 0, 0}});
    const PackedDib good = Dib(3, 2, {{1, 2, 3}, {200, 100, 50}}, {0, 1, 0, 1, 0, 1});

    PackedDib fourBit = NewPackedDib(5, 2, 4);
    PackedDibBits(*fourBit)[0] = 0x12;
    // Rows that run past the end of the block.
    auto truncated = std::make_shared<DibBlock>(good->bytes().first(good->size() - 1));
    ASSERT_FALSE(PackedDibIsConsistent(*truncated));

    test::FakeProgressFactory progress;
    for (const int mode : {kKeepIndices, kNearestColor, kDither}) {
        SCOPED_TRACE(mode);
        EXPECT_FALSE(FitDibToPalette(nullptr, palette, mode, &progress));
        PackedDib dib = Dib(3, 2, {{1, 2, 3}, {200, 100, 50}}, {0, 1, 0, 1, 0, 1});
        EXPECT_FALSE(FitDibToPalette(dib, nullptr, mode, &progress));
        EXPECT_EQ(dib->Copy(), good->Copy());
        for (const PackedDib& refused : {fourBit, truncated}) {
            const std::vector<std::uint8_t> before = refused->Copy();
            EXPECT_FALSE(FitDibToPalette(refused, palette, mode, &progress));
            EXPECT_EQ(refused->Copy(), before);
        }
    }
    EXPECT_FALSE(MapDibToNearest(fourBit, palette));
    EXPECT_FALSE(DitherDibToPalette(truncated, palette, &progress));
    EXPECT_TRUE(progress.m_records.empty());
}

// Greys 0 and 14 ... 255: a pixel of 7 is equally far from 0 and 14 and takes 0 (the lower
// index), leaving an error of +7; every other level from 14 up is matched exactly, so the
// neighbours' shown levels are their own level plus the error they received.
const std::vector<Rgb> kGapAtSeven = Greys({{0, 0}, {14, 255}});
// White first, then greys 0 ... 241: a pixel of 248 is 7 from both 255 (index 0) and 241 and
// takes 255, leaving an error of -7.
std::vector<Rgb> GapBelowWhite()
{
    std::vector<Rgb> colours = {{255, 255, 255}};
    const std::vector<Rgb> greys = Greys({{0, 241}});
    colours.insert(colours.end(), greys.begin(), greys.end());
    return colours;
}

TEST(DitherDibToPalette, SplitsPlusSevenIntoThreeRightAndOneTwoOneBelow)
{
    // Top row first; the bottom row is processed first and its errors go to the row above.
    PackedDib dib = Dib(4, 2, Greys({{0, 255}}), {100, 100, 100, 100, 100, 7, 100, 100});
    ASSERT_TRUE(FitDibToPalette(dib, Palette(kGapAtSeven), kDither));
    EXPECT_EQ(ShownGreys(dib), (std::vector<int>{101, 102, 101, 100, 100, 0, 103, 100}));
}

TEST(DitherDibToPalette, SplitsMinusSevenIntoMinusOneRightAndMinusTwoBelow)
{
    PackedDib dib = Dib(4, 2, Greys({{0, 255}}), {100, 100, 100, 100, 100, 248, 100, 100});
    ASSERT_TRUE(FitDibToPalette(dib, Palette(GapBelowWhite()), kDither));
    EXPECT_EQ(ShownGreys(dib), (std::vector<int>{98, 98, 98, 100, 100, 255, 99, 100}));
}

TEST(DitherDibToPalette, ErrorsAtTheEdgesLeaveTheImage)
{
    // One pixel wide: the right and below-left parts fall beside the image; only "below" stays.
    PackedDib dib = Dib(1, 3, Greys({{0, 255}}), {100, 100, 7});
    ASSERT_TRUE(FitDibToPalette(dib, Palette(kGapAtSeven), kDither));
    EXPECT_EQ(ShownGreys(dib), (std::vector<int>{100, 102, 0}));

    // The top row's errors have no row to go to; the rightmost pixel's right part is lost.
    dib = Dib(2, 1, Greys({{0, 255}}), {100, 7});
    ASSERT_TRUE(FitDibToPalette(dib, Palette(kGapAtSeven), kDither));
    EXPECT_EQ(ShownGreys(dib), (std::vector<int>{100, 0}));
}

TEST(DitherDibToPalette, ClampsBeforeMatching)
{
    // 255 + 3 is matched as 255, and the error of 0 it leaves spreads nothing.
    PackedDib dib = Dib(3, 2, Greys({{0, 255}}), {100, 100, 100, 7, 255, 100});
    ASSERT_TRUE(FitDibToPalette(dib, Palette(kGapAtSeven), kDither));
    EXPECT_EQ(ShownGreys(dib), (std::vector<int>{102, 101, 100, 0, 255, 100}));
}

TEST(DitherDibToPalette, UniformGreyAveragesToItsLevel)
{
    const HPALETTE blackWhite = Palette({{0, 0, 0}, {255, 255, 255}});
    for (const int level : {64, 128, 192}) {
        SCOPED_TRACE(level);
        PackedDib dib = Dib(32, 32, {{level, level, level}}, std::vector<int>(32 * 32, 0));
        ASSERT_TRUE(FitDibToPalette(dib, blackWhite, kDither));
        const std::vector<int> pixels = Pixels(dib);
        const double white = static_cast<double>(std::count(pixels.begin(), pixels.end(), 1)) / 1024.0;
        EXPECT_NEAR(white, level / 255.0, 0.02);
    }
}

TEST(DitherDibToPalette, TieAtTheFarCornerOfAnEntryGoesToTheLowerIndex)
{
    // (7, 7, 7) is as far from (14, 14, 14) as from (0, 0, 0): the lower index wins, even where
    // the other entry is the one whose farthest colour bounds the search.
    for (const bool lowFirst : {false, true}) {
        SCOPED_TRACE(lowFirst);
        const std::vector<Rgb> colours =
            lowFirst ? std::vector<Rgb>{{0, 0, 0}, {14, 14, 14}} : std::vector<Rgb>{{14, 14, 14}, {0, 0, 0}};
        PackedDib dib = Dib(1, 1, {{7, 7, 7}}, {0});
        ASSERT_TRUE(DitherDibToPalette(dib, Palette(colours)));
        EXPECT_EQ(Pixels(dib), std::vector<int>{0});
    }
}

TEST(DitherDibToPalette, ColoursInThePaletteStayExact)
{
    std::mt19937 random(3);
    const std::vector<Rgb> table = RandomColours(random, 40);
    std::vector<Rgb> shuffled = table;
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    PackedDib dib = Dib(17, 9, table, RandomPixels(random, 17 * 9, 39));
    std::vector<Rgb> before;
    for (const int p : Pixels(dib)) before.push_back(Entry(dib, p));

    ASSERT_TRUE(FitDibToPalette(dib, Palette(shuffled), kDither));
    std::vector<Rgb> after;
    for (const int p : Pixels(dib)) after.push_back(Entry(dib, p));
    EXPECT_EQ(after, before);
}

TEST(DitherDibToPalette, MatchesAPlainPerPixelSearch)
{
    // Many distinct colours after error diffusion, over palettes that make the search's lists
    // short and long: random ones, every entry twice (ties go to the lower index), a tight
    // cluster (nearly every entry can be nearest almost anywhere) and a grid on cell borders.
    std::mt19937 random(4);
    std::vector<std::vector<Rgb>> palettes = {RandomColours(random, 2), RandomColours(random, 37),
                                              RandomColours(random, 256)};
    std::vector<Rgb> twice = RandomColours(random, 60);
    twice.insert(twice.end(), twice.begin(), twice.end());
    std::shuffle(twice.begin(), twice.end(), random);
    palettes.push_back(twice);
    std::vector<Rgb> cluster;
    std::uniform_int_distribution<int> near(120, 135);
    for (int i = 0; i < 200; ++i) cluster.push_back({near(random), near(random), near(random)});
    palettes.push_back(cluster);
    std::vector<Rgb> borders;
    for (int i = 0; i < 216; ++i) borders.push_back({i / 36 * 48 + 7, i / 6 % 6 * 48 + 8, i % 6 * 48 + 15});
    palettes.push_back(borders);
    for (std::size_t p = 0; p < palettes.size(); ++p) {
        SCOPED_TRACE("palette " + std::to_string(p));
        const HPALETTE palette = Palette(palettes[p]);
        PackedDib dib = Dib(97, 61, RandomColours(random, 256), RandomPixels(random, 97 * 61, 255));
        const std::vector<std::uint8_t> reference = test::ReferenceDither(*dib, *palette);
        const std::vector<int> expected(reference.begin(), reference.end());
        ASSERT_TRUE(DitherDibToPalette(dib, palette));
        EXPECT_EQ(Pixels(dib), expected);
    }
}

TEST(DitherDibToPalette, ProgressRunsOverTheRowsInOrder)
{
    const HPALETTE palette = Palette({{0, 0, 0}, {255, 255, 255}});
    test::FakeProgressFactory progress;
    PackedDib dib = Dib(3, 5, {{128, 128, 128}}, std::vector<int>(15, 0));
    ASSERT_TRUE(FitDibToPalette(dib, palette, kDither, &progress));
    ASSERT_EQ(progress.m_records.size(), 1u);
    EXPECT_EQ(progress.m_records[0].lower, 0);
    EXPECT_EQ(progress.m_records[0].upper, 5);
    EXPECT_EQ(progress.m_records[0].positions, (std::vector<int>{1, 2, 3, 4, 5}));

    // Only the dither shows progress; without a factory it shows none and still works.
    ASSERT_TRUE(FitDibToPalette(dib, palette, kNearestColor, &progress));
    ASSERT_TRUE(FitDibToPalette(dib, palette, kKeepIndices, &progress));
    EXPECT_EQ(progress.m_records.size(), 1u);
    EXPECT_TRUE(FitDibToPalette(dib, palette, kDither, nullptr));
}

TEST(DitherDibToPalette, EmptyImagesNeedNoWork)
{
    const HPALETTE palette = Palette({{0, 0, 0}, {255, 255, 255}});
    test::FakeProgressFactory progress;
    PackedDib noRows = NewPackedDib(4, 0, 8);
    EXPECT_TRUE(FitDibToPalette(noRows, palette, kDither, &progress));
    PackedDib noColumns = NewPackedDib(0, 3, 8);
    EXPECT_TRUE(FitDibToPalette(noColumns, palette, kDither, &progress));
    ASSERT_EQ(progress.m_records.size(), 2u);
    EXPECT_TRUE(progress.m_records[0].positions.empty());
    EXPECT_EQ(progress.m_records[1].positions, (std::vector<int>{1, 2, 3}));
}

}  // namespace
}  // namespace korvanta
