#include "imaging/dib.h"

#include <algorithm>
#include <array>
#include <climits>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace korvanta {
namespace {

void PutU16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value)
{
    bytes[offset] = static_cast<std::uint8_t>(value);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// An 8-bit DIB whose colour entry i is red i, green 100, blue 200 and whose pixels, counted from
// the top row, are the given indices.
PackedDib IndexedDib(int width, int height, const std::vector<int>& indices)
{
    PackedDib dib = NewPackedDib(width, height, 8);
    std::uint8_t* table = PackedDibColorTable(*dib);
    for (int i = 0; i < 256; ++i) {
        table[i * 4] = 200;
        table[i * 4 + 1] = 100;
        table[i * 4 + 2] = static_cast<std::uint8_t>(i);
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            PackedDibRow(*dib, y)[x] =
                static_cast<std::uint8_t>(indices[static_cast<std::size_t>(y * width + x)]);
    return dib;
}

// The red channel of every pixel, top row first: with IndexedDib that is the index drawn.
std::vector<int> Reds(const RgbImage& image)
{
    std::vector<int> reds;
    for (std::size_t i = 0; i < image.pixels.size(); i += 3) reds.push_back(image.pixels[i]);
    return reds;
}

RgbImage Canvas(int width, int height)
{
    RgbImage image(width, height);
    std::fill(image.pixels.begin(), image.pixels.end(), std::uint8_t{0xFF});
    return image;
}

// A 24-bit DIB whose pixel (x, y) is blue x, green y, red tag; padding bytes are 0xEE so that
// a write past a row's pixels shows.
PackedDib Pattern24(int width, int height, std::uint8_t tag)
{
    PackedDib dib = NewPackedDib(width, height, 24);
    std::fill(PackedDibBits(*dib), dib->data() + dib->size(), std::uint8_t{0xEE});
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = PackedDibRow(*dib, y);
        for (int x = 0; x < width; ++x) {
            row[x * 3] = static_cast<std::uint8_t>(x);
            row[x * 3 + 1] = static_cast<std::uint8_t>(y);
            row[x * 3 + 2] = tag;
        }
    }
    return dib;
}

std::array<int, 3> Bgr(const PackedDib& dib, int x, int y)
{
    const std::uint8_t* p = PackedDibRow(*dib, y) + x * 3;
    return {p[0], p[1], p[2]};
}

TEST(NewPackedDib, AllocatesZeroedHeaderTableAndPaddedRows)
{
    PackedDib dib = NewPackedDib(13, 2, 8);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->size(), 40u + 1024u + 16u * 2);
    EXPECT_EQ(PackedDibBits(*dib) - dib->data(), 1064);
    EXPECT_EQ(PackedDibRowBytes(*dib), 16u);
    const std::vector<std::uint8_t> header(dib->bytes().begin(), dib->bytes().begin() + 40);
    const std::vector<std::uint8_t> want = {
        40, 0, 0, 0,  // header size
        13, 0, 0, 0,  // width
        2,  0, 0, 0,  // height, bottom row first
        1,  0,        // planes
        8,  0,        // bit count
        0,  0, 0, 0,  // compression
        0,  0, 0, 0,  // image size
        0,  0, 0, 0,  // horizontal resolution
        0,  0, 0, 0,  // vertical resolution
        0,  0, 0, 0,  // colours used
        0,  0, 0, 0,  // colours important
    };
    EXPECT_EQ(header, want);
    EXPECT_TRUE(
        std::all_of(dib->bytes().begin() + 40, dib->bytes().end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(PackedDibIsConsistent(*dib));
    EXPECT_EQ(FreePackedDib(dib), 0);
    EXPECT_FALSE(dib);
}

TEST(NewPackedDib, UnclearedBitmapsClearHeaderAndTableButLeaveRowsToTheCaller)
{
    for (int i = 0; i < 4; ++i) {
        // Memory that held something else, handed back so that the next bitmap may reuse it.
        PackedDib soiled = NewPackedDib(13, 2, 8);
        std::fill(soiled->data(), soiled->data() + soiled->size(), std::uint8_t{0xAB});
        soiled.reset();
        PackedDib dib = NewPackedDibUncleared(13, 2, 8);
        ASSERT_TRUE(dib);
        const PackedDib cleared = NewPackedDib(13, 2, 8);
        EXPECT_EQ(dib->size(), cleared->size());
        EXPECT_TRUE(std::equal(dib->bytes().begin(), dib->bytes().begin() + 1064, cleared->bytes().begin()));
        EXPECT_TRUE(PackedDibIsConsistent(*dib));
    }
    EXPECT_FALSE(NewPackedDibUncleared(-1, 2, 8));
    EXPECT_FALSE(NewPackedDibUncleared(65535, 65535, 8));  // beyond kMaxDibBytes
}

TEST(NewPackedDib, RaisesBitCountToTheNextSupportedDepth)
{
    const std::vector<std::array<int, 3>> cases = {
        // asked, have bit count, have colour count
        {-3, 1, 2},  {0, 1, 2},   {1, 1, 2},  {2, 4, 16},  {4, 4, 16},
        {5, 8, 256}, {8, 8, 256}, {9, 24, 0}, {24, 24, 0},
    };
    for (const auto& [asked, bits, colours] : cases) {
        PackedDib dib = NewPackedDib(3, 1, asked);
        ASSERT_TRUE(dib) << "bit count " << asked;
        EXPECT_EQ(PackedDibBitCount(*dib), bits) << "bit count " << asked;
        EXPECT_EQ(PackedDibColorCount(*dib), colours) << "bit count " << asked;
        EXPECT_EQ(dib->size(), 40u + static_cast<std::size_t>(colours) * 4 + PackedDibRowBytes(*dib));
    }
}

TEST(NewPackedDib, RefusesDeepNegativeAndOversizedBitmaps)
{
    EXPECT_FALSE(NewPackedDib(4, 4, 25));
    EXPECT_FALSE(NewPackedDib(4, 4, 32));
    EXPECT_FALSE(NewPackedDib(-1, 4, 8));
    EXPECT_FALSE(NewPackedDib(4, -1, 8));
    EXPECT_FALSE(NewPackedDib(INT_MAX, INT_MAX, 24));  // must not overflow into a small size
    EXPECT_FALSE(NewPackedDib(32768, 32768, 8));       // 1 GiB of pixels plus the header
}

TEST(NewPackedDib, AllowsBitmapsWithoutPixels)
{
    PackedDib noColumns = NewPackedDib(0, 5, 8);
    ASSERT_TRUE(noColumns);
    EXPECT_EQ(noColumns->size(), 40u + 1024u);
    EXPECT_EQ(PackedDibRowBytes(*noColumns), 0u);
    PackedDib noRows = NewPackedDib(5, 0, 24);
    ASSERT_TRUE(noRows);
    EXPECT_EQ(noRows->size(), 40u);
    EXPECT_TRUE(PackedDibIsConsistent(*noColumns));
    EXPECT_TRUE(PackedDibIsConsistent(*noRows));
}

TEST(PackedDibAccessors, TwentyFourBitHasNoColourTableAndNoPalette)
{
    PackedDib dib = NewPackedDib(5, 2, 24);
    ASSERT_TRUE(dib);
    EXPECT_EQ(PackedDibColorCount(*dib), 0);
    EXPECT_EQ(PackedDibColorTableSize(*dib), 0);
    EXPECT_EQ(PackedDibBits(*dib) - dib->data(), 40);
    EXPECT_EQ(PackedDibRowBytes(*dib), 16u);  // 15 bytes of pixels, padded
    EXPECT_FALSE(PaletteFromPackedDib(dib));
    EXPECT_FALSE(PaletteFromPackedDib(nullptr));
}

TEST(PackedDibAccessors, ColoursUsedFieldSetsTableLength)
{
    std::vector<std::uint8_t> bytes(40 + 5 * 4 + 2 * 4);
    PutU32(bytes, 0, 40);
    PutU32(bytes, 4, 3);           // width
    PutU32(bytes, 8, 2);           // height
    PutU16(bytes, 12, 1);          // planes
    PutU16(bytes, 14, 8);          // bit count
    PutU32(bytes, 32, 5);          // colours used
    bytes[40 + 4 * 4 + 2] = 0x77;  // red of entry 4
    DibBlock dib(bytes);
    EXPECT_EQ(PackedDibColorCount(dib), 5);
    EXPECT_EQ(PackedDibColorTableSize(dib), 20);
    EXPECT_EQ(PackedDibBits(dib) - dib.data(), 60);
    ASSERT_TRUE(PackedDibIsConsistent(dib));
    HPALETTE palette = PaletteFromPackedDib(std::make_shared<DibBlock>(bytes));
    ASSERT_TRUE(palette);
    EXPECT_EQ(palette->GetEntryCount(), 5);
    EXPECT_EQ((*palette)[4], (PALETTEENTRY{0x77, 0, 0, 0}));
}

TEST(PackedDibAccessors, ReadCoreHeaderWithThreeByteEntries)
{
    std::vector<std::uint8_t> bytes = {
        12, 0, 0, 0,  // header size: core header
        3,  0,        // width
        2,  0,        // height
        1,  0,        // planes
        4,  0,        // bit count
    };
    for (int i = 0; i < 16; ++i) {  // blue, green, red
        bytes.push_back(static_cast<std::uint8_t>(i));
        bytes.push_back(static_cast<std::uint8_t>(i + 16));
        bytes.push_back(static_cast<std::uint8_t>(i + 32));
    }
    bytes.insert(bytes.end(), {0x12, 0x30, 0, 0, 0xF0, 0x00, 0, 0});  // bottom row, then top row
    auto dib = std::make_shared<DibBlock>(bytes);
    EXPECT_EQ(PackedDibHeaderSize(*dib), 12u);
    EXPECT_EQ(PackedDibWidth(*dib), 3);
    EXPECT_EQ(PackedDibHeight(*dib), 2);
    EXPECT_EQ(PackedDibBitCount(*dib), 4);
    EXPECT_EQ(PackedDibColorCount(*dib), 16);
    EXPECT_EQ(PackedDibColorTableSize(*dib), 48);
    EXPECT_EQ(PackedDibBits(*dib) - dib->data(), 60);
    EXPECT_EQ(PackedDibRowBytes(*dib), 4u);
    EXPECT_EQ(PackedDibRow(*dib, 0)[0], 0xF0);
    EXPECT_TRUE(PackedDibIsConsistent(*dib));

    HPALETTE palette = PaletteFromPackedDib(dib);
    ASSERT_TRUE(palette);
    ASSERT_EQ(palette->GetEntryCount(), 16);
    EXPECT_EQ((*palette)[5], (PALETTEENTRY{37, 21, 5, 0}));

    RgbImage image = Canvas(3, 2);
    EXPECT_EQ(DrawPackedDib(image, {0, 0, 3, 2}, dib, {0, 0, 3, 2}), 2);
    EXPECT_EQ(Reds(image), (std::vector<int>{32 + 15, 32, 32, 32 + 1, 32 + 2, 32 + 3}));
}

TEST(PackedDibAccessors, RowsCountFromTheTop)
{
    PackedDib dib = NewPackedDib(1, 3, 8);
    EXPECT_EQ(PackedDibRow(*dib, 0), PackedDibBits(*dib) + 8);
    EXPECT_EQ(PackedDibRow(*dib, 2), PackedDibBits(*dib));
}

TEST(PackedDibIsConsistent, RefusesBlocksWhoseRowsCannotBeAddressed)
{
    PackedDib good = NewPackedDib(3, 2, 8);
    const std::vector<std::uint8_t> base = good->Copy();
    const std::vector<std::pair<const char*, std::function<void(std::vector<std::uint8_t>&)>>> cases = {
        {"one byte short", [](auto& b) { b.pop_back(); }},
        {"no header size", [](auto& b) { b.resize(3); }},
        {"header size 20", [](auto& b) { PutU32(b, 0, 20); }},
        {"header size 108", [](auto& b) { PutU32(b, 0, 108); }},
        {"header size beyond block", [](auto& b) { b.resize(30); }},
        {"negative width", [](auto& b) { PutU32(b, 4, 0xFFFFFFFD); }},
        {"negative height", [](auto& b) { PutU32(b, 8, 0xFFFFFFFE); }},
        {"width too large for block", [](auto& b) { PutU32(b, 4, 0x7FFFFFFF); }},
        {"height too large for block", [](auto& b) { PutU32(b, 8, 0x7FFFFFFF); }},
        {"bit count 16", [](auto& b) { PutU16(b, 14, 16); }},
        {"bit count 32", [](auto& b) { PutU16(b, 14, 32); }},
        {"bit count 2", [](auto& b) { PutU16(b, 14, 2); }},
        {"compression 1", [](auto& b) { PutU32(b, 16, 1); }},
        {"colours used 300", [](auto& b) { PutU32(b, 32, 300); }},
        {"colours used 70000", [](auto& b) { PutU32(b, 32, 70000); }},
    };
    EXPECT_TRUE(PackedDibIsConsistent(DibBlock(base)));
    for (const auto& [name, mutate] : cases) {
        std::vector<std::uint8_t> bytes = base;
        mutate(bytes);
        auto dib = std::make_shared<DibBlock>(bytes);
        EXPECT_FALSE(PackedDibIsConsistent(*dib)) << name;
        EXPECT_FALSE(PaletteFromPackedDib(dib)) << name;
        RgbImage image = Canvas(3, 2);
        EXPECT_EQ(DrawPackedDib(image, {0, 0, 3, 2}, dib, {0, 0, 3, 2}), 0) << name;
    }
}

TEST(PaletteFromPackedDib, TakesRedGreenBlueFromBlueGreenRedEntries)
{
    PackedDib dib = NewPackedDib(8, 1, 1);
    std::uint8_t* table = PackedDibColorTable(*dib);
    const std::uint8_t entries[8] = {1, 2, 3, 99, 4, 5, 6, 99};  // blue, green, red, reserved
    std::copy(std::begin(entries), std::end(entries), table);
    HPALETTE palette = PaletteFromPackedDib(dib);
    ASSERT_TRUE(palette);
    ASSERT_EQ(palette->GetEntryCount(), 2);
    EXPECT_EQ((*palette)[0], (PALETTEENTRY{3, 2, 1, 0}));
    EXPECT_EQ((*palette)[1], (PALETTEENTRY{6, 5, 4, 0}));
}

TEST(DrawPackedDib, CopiesTheSourceRectanglePixelForPixel)
{
    PackedDib dib = IndexedDib(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    RgbImage image = Canvas(3, 2);
    EXPECT_EQ(DrawPackedDib(image, {1, 0, 3, 2}, dib, {1, 1, 3, 3}), 2);
    EXPECT_EQ(Reds(image), (std::vector<int>{255, 5, 6, 255, 8, 9}));
    EXPECT_EQ(image.pixels[3 * 1 + 1], 100);  // green
    EXPECT_EQ(image.pixels[3 * 1 + 2], 200);  // blue
    EXPECT_EQ(DrawPackedDib(image, {0, 0, 3, 2}, nullptr, {0, 0, 3, 2}), 0);
}

TEST(DrawPackedDib, ReplicatesPixelsWhenEnlarging)
{
    PackedDib dib = IndexedDib(2, 2, {1, 2, 3, 4});
    RgbImage image = Canvas(4, 4);
    EXPECT_EQ(DrawPackedDib(image, {0, 0, 4, 4}, dib, {0, 0, 2, 2}), 4);
    EXPECT_EQ(Reds(image), (std::vector<int>{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}));
}

TEST(DrawPackedDib, DropsPixelsWhenShrinking)
{
    PackedDib dib = IndexedDib(4, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    RgbImage image = Canvas(2, 2);
    EXPECT_EQ(DrawPackedDib(image, {0, 0, 2, 2}, dib, {0, 0, 4, 4}), 2);
    EXPECT_EQ(Reds(image), (std::vector<int>{1, 3, 9, 11}));
    // Shrinking one way and stretching the other.
    RgbImage wide = Canvas(4, 1);
    EXPECT_EQ(DrawPackedDib(wide, {0, 0, 4, 1}, dib, {0, 1, 2, 4}), 1);
    EXPECT_EQ(Reds(wide), (std::vector<int>{5, 5, 6, 6}));
}

TEST(DrawPackedDib, ClipsToTargetAndToBitmap)
{
    PackedDib dib = IndexedDib(2, 2, {1, 2, 3, 4});
    RgbImage image = Canvas(2, 2);
    // Destination hangs over the target's top left corner.
    EXPECT_EQ(DrawPackedDib(image, {-1, -1, 1, 1}, dib, {0, 0, 2, 2}), 1);
    EXPECT_EQ(Reds(image), (std::vector<int>{4, 255, 255, 255}));
    // Source reaches past the bitmap's right and bottom edges.
    image = Canvas(2, 2);
    EXPECT_EQ(DrawPackedDib(image, {0, 0, 2, 2}, dib, {1, 1, 3, 3}), 1);
    EXPECT_EQ(Reds(image), (std::vector<int>{4, 255, 255, 255}));
    // Nothing of the bitmap or nothing of the target.
    EXPECT_EQ(DrawPackedDib(image, {0, 0, 2, 2}, dib, {5, 5, 7, 7}), 0);
    EXPECT_EQ(DrawPackedDib(image, {2, 0, 4, 2}, dib, {0, 0, 2, 2}), 0);
    EXPECT_EQ(DrawPackedDib(image, {0, 0, 2, 2}, dib, {0, 0, 0, 2}), 0);
    EXPECT_EQ(Reds(image), (std::vector<int>{4, 255, 255, 255}));
    // A destination of nearly 2^32 pixels each way: the target sees the middle of the bitmap.
    EXPECT_EQ(DrawPackedDib(image, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, dib, {0, 0, 2, 2}), 2);
    EXPECT_EQ(Reds(image), (std::vector<int>{4, 4, 4, 4}));
}

TEST(DrawPackedDib, DecodesOneAndFourBitPixelsFromTheHighBits)
{
    PackedDib mono = NewPackedDib(10, 1, 1);
    PackedDibColorTable(*mono)[2] = 10;      // entry 0 red
    PackedDibColorTable(*mono)[4 + 2] = 20;  // entry 1 red
    PackedDibRow(*mono, 0)[0] = 0b10100000;
    PackedDibRow(*mono, 0)[1] = 0b01000000;
    RgbImage image = Canvas(10, 1);
    EXPECT_EQ(DrawPackedDib(image, {0, 0, 10, 1}, mono, {0, 0, 10, 1}), 1);
    EXPECT_EQ(Reds(image), (std::vector<int>{20, 10, 20, 10, 10, 10, 10, 10, 10, 20}));

    PackedDib nibbles = NewPackedDib(3, 1, 4);
    for (int i = 0; i < 16; ++i) PackedDibColorTable(*nibbles)[i * 4 + 2] = static_cast<std::uint8_t>(i * 10);
    PackedDibRow(*nibbles, 0)[0] = 0x3C;
    PackedDibRow(*nibbles, 0)[1] = 0x70;
    image = Canvas(3, 1);
    EXPECT_EQ(DrawPackedDib(image, {0, 0, 3, 1}, nibbles, {0, 0, 3, 1}), 1);
    EXPECT_EQ(Reds(image), (std::vector<int>{30, 120, 70}));
}

TEST(DrawPackedDib, PaintsIndicesBeyondTheColourTableBlack)
{
    std::vector<std::uint8_t> bytes(40 + 2 * 4 + 4);
    PutU32(bytes, 0, 40);
    PutU32(bytes, 4, 2);       // width
    PutU32(bytes, 8, 1);       // height
    PutU16(bytes, 12, 1);      // planes
    PutU16(bytes, 14, 8);      // bit count
    PutU32(bytes, 32, 2);      // colours used
    bytes[40 + 4 + 2] = 0x55;  // red of entry 1
    bytes[48] = 1;
    bytes[49] = 200;
    RgbImage image = Canvas(2, 1);
    EXPECT_EQ(DrawPackedDib(image, {0, 0, 2, 1}, std::make_shared<DibBlock>(bytes), {0, 0, 2, 1}), 1);
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{0x55, 0, 0, 0, 0, 0}));
}

TEST(DrawPackedDib, TurnsTwentyFourBitBlueGreenRedIntoRgb)
{
    PackedDib dib = NewPackedDib(1, 1, 24);
    PackedDibRow(*dib, 0)[0] = 0x33;  // blue
    PackedDibRow(*dib, 0)[1] = 0x22;  // green
    PackedDibRow(*dib, 0)[2] = 0x11;  // red
    RgbImage image = Canvas(1, 1);
    EXPECT_EQ(DrawPackedDib(image, {0, 0, 1, 1}, dib, {0, 0, 1, 1}), 1);
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{0x11, 0x22, 0x33}));
}

TEST(CopyDib24, SourceOutsideDestinationChangesNothing)
{
    PackedDib source = Pattern24(2, 2, 1);
    PackedDib destination = Pattern24(3, 3, 2);
    const auto before = destination->Copy();
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{
             {3, 0}, {0, 3}, {-2, 0}, {0, -2}, {INT_MAX, 0}, {0, INT_MIN}, {INT_MIN, INT_MIN}}) {
        CopyDib24(source, destination, x, y);
        EXPECT_EQ(destination->Copy(), before) << "at " << x << ", " << y;
    }
}

TEST(CopyDib24, ClipsAtTheDestinationEdges)
{
    PackedDib source = Pattern24(3, 3, 1);
    PackedDib destination = Pattern24(5, 4, 2);  // 15 bytes of pixels and one of padding per row
    CopyDib24(source, destination, 3, 2);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            const bool copied = x >= 3 && y >= 2;
            const std::array<int, 3> want =
                copied ? std::array<int, 3>{x - 3, y - 2, 1} : std::array<int, 3>{x, y, 2};
            EXPECT_EQ(Bgr(destination, x, y), want) << x << ", " << y;
        }
        EXPECT_EQ(PackedDibRow(*destination, y)[15], 0xEE) << "padding of row " << y;
    }
}

TEST(CopyDib24, NegativeOffsetsCopyAnAreaOut)
{
    PackedDib canvas = Pattern24(5, 5, 1);
    PackedDib saved = Pattern24(2, 3, 2);
    CopyDib24(canvas, saved, -1, -2);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(Bgr(saved, x, y), (std::array<int, 3>{x + 1, y + 2, 1})) << x << ", " << y;
}

TEST(CopyDib24, OntoItselfReadsTheOriginalPixels)
{
    PackedDib dib = Pattern24(3, 3, 1);
    CopyDib24(dib, dib, 1, 1);
    EXPECT_EQ(Bgr(dib, 1, 1), (std::array<int, 3>{0, 0, 1}));
    EXPECT_EQ(Bgr(dib, 2, 2), (std::array<int, 3>{1, 1, 1}));
    EXPECT_EQ(Bgr(dib, 0, 2), (std::array<int, 3>{0, 2, 1}));
}

TEST(CopyDib24, IgnoresBitmapsThatAreNotTwentyFourBit)
{
    PackedDib source = Pattern24(2, 2, 1);
    PackedDib indexed = NewPackedDib(4, 4, 8);
    const auto before = indexed->Copy();
    CopyDib24(source, indexed, 0, 0);
    CopyDib24(indexed, source, 0, 0);
    CopyDib24(nullptr, source, 0, 0);
    CopyDib24(source, nullptr, 0, 0);
    EXPECT_EQ(indexed->Copy(), before);
    EXPECT_EQ(Bgr(source, 1, 1), (std::array<int, 3>{1, 1, 1}));
}

TEST(FillDib24Rect, WritesBlueGreenRedInsideTheClippedRectangle)
{
    PackedDib dib = Pattern24(3, 2, 1);
    FillDib24Rect(dib, {-5, -5, 2, 1}, MakeBgr(0x11, 0x22, 0x33));
    EXPECT_EQ(Bgr(dib, 0, 0), (std::array<int, 3>{0x33, 0x22, 0x11}));
    EXPECT_EQ(Bgr(dib, 1, 0), (std::array<int, 3>{0x33, 0x22, 0x11}));
    EXPECT_EQ(Bgr(dib, 2, 0), (std::array<int, 3>{2, 0, 1}));
    EXPECT_EQ(Bgr(dib, 0, 1), (std::array<int, 3>{0, 1, 1}));

    FillDib24Rect(dib, {1, 1, 100, 100}, MakeBgr(9, 8, 7));
    EXPECT_EQ(Bgr(dib, 2, 1), (std::array<int, 3>{7, 8, 9}));
    EXPECT_EQ(Bgr(dib, 0, 1), (std::array<int, 3>{0, 1, 1}));
    for (int y = 0; y < 2; ++y)
        for (int i = 9; i < 12; ++i) EXPECT_EQ(PackedDibRow(*dib, y)[i], 0xEE) << "padding of row " << y;

    const auto before = dib->Copy();
    FillDib24Rect(dib, {3, 0, 5, 2}, 0);
    FillDib24Rect(dib, {0, 0, 0, 2}, 0);
    FillDib24Rect(nullptr, {0, 0, 1, 1}, 0);
    EXPECT_EQ(dib->Copy(), before);

    PackedDib indexed = NewPackedDib(4, 4, 8);
    FillDib24Rect(indexed, {0, 0, 4, 4}, 0xFFFFFF);
    EXPECT_EQ(PackedDibRow(*indexed, 0)[0], 0);
}

}  // namespace
}  // namespace korvanta
