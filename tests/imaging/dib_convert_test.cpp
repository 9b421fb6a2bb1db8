// Depth changes of packed bitmaps and the checks on a bitmap from the clipboard.
#include "imaging/dib_convert.h"

#include <gtest/gtest.h>

#include "imaging/dib.h"
#include "tests/service_fakes.h"

namespace korvanta {
namespace {

using test::DibBytes;
using test::DibLayout;
using test::Pixels;

PackedDib Dib(const DibLayout& layout)
{
    return std::make_shared<DibBlock>(DibBytes(layout));
}

std::uint32_t Field(const DibBlock& dib, std::size_t offset)
{
    const std::uint8_t* p = dib.data() + offset;
    return static_cast<std::uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (p[3] << 24));
}

// The pixel indices of an 8-bit bitmap, top row first.
std::vector<std::vector<int>> Indices8(const DibBlock& dib)
{
    return Pixels(PackedDibWidth(dib), PackedDibHeight(dib),
                  [&](int x, int y) { return static_cast<int>(PackedDibRow(dib, y)[x]); });
}

TEST(ExpandDibTo8Bit, WidensEveryDepthKeepingIndicesAndTable)
{
    for (const int bits : {1, 4, 8}) {
        SCOPED_TRACE("bits " + std::to_string(bits));
        // Odd widths put the last pixel in a partial byte at 1 and 4 bits.
        DibLayout layout;
        layout.width = 13;
        layout.height = 3;
        layout.bitCount = bits;
        layout.colorsUsed = bits == 8 ? 200 : 0;
        layout.pixels =
            Pixels(13, 3, [&](int x, int y) { return (x * 7 + y * 3) % (bits == 8 ? 200 : 1 << bits); });
        const PackedDib source = Dib(layout);
        const std::vector<std::uint8_t> before = source->Copy();

        const PackedDib wide = ExpandDibTo8Bit(source);
        ASSERT_TRUE(wide);
        ASSERT_TRUE(PackedDibIsConsistent(*wide));
        EXPECT_EQ(source->Copy(), before) << "the source must not change";
        const int colours = bits == 8 ? 200 : 1 << bits;
        EXPECT_EQ(PackedDibBitCount(*wide), 8);
        EXPECT_EQ(PackedDibColorCount(*wide), colours);
        EXPECT_EQ(Field(*wide, 20), 16u * 3) << "biSizeImage: rows of 16 bytes";
        EXPECT_EQ(wide->size(), 40u + 4u * static_cast<unsigned>(colours) + 16 * 3);
        EXPECT_TRUE(std::equal(PackedDibColorTable(*wide), PackedDibColorTable(*wide) + 4 * colours,
                               PackedDibColorTable(*source)));
        EXPECT_EQ(Indices8(*wide), layout.pixels);
    }
}

TEST(ExpandDibTo8Bit, RefusesWhatItCannotWiden)
{
    DibLayout deep;
    deep.bitCount = 24;
    deep.pixels = Pixels(3, 2, [](int, int) { return 9; });
    EXPECT_FALSE(ExpandDibTo8Bit(Dib(deep)));
    EXPECT_FALSE(ExpandDibTo8Bit(nullptr));

    DibLayout shortRows;
    shortRows.pixels = Pixels(3, 2, [](int, int) { return 1; });
    auto bytes = DibBytes(shortRows);
    bytes.resize(bytes.size() - 1);
    EXPECT_FALSE(ExpandDibTo8Bit(std::make_shared<DibBlock>(bytes)));
}

TEST(ReduceDibDepth, KeepsTheLowBitsAndAsManyColoursAsTheDepthAddresses)
{
    DibLayout layout;
    layout.width = 13;
    layout.height = 2;
    layout.pixels = Pixels(13, 2, [](int x, int y) { return x * 19 + y; });  // indices up to 229
    const PackedDib source = Dib(layout);
    for (const int bits : {1, 4}) {
        SCOPED_TRACE("bits " + std::to_string(bits));
        const PackedDib narrow = ReduceDibDepth(source, bits);
        ASSERT_TRUE(narrow);
        ASSERT_TRUE(PackedDibIsConsistent(*narrow));
        EXPECT_EQ(PackedDibBitCount(*narrow), bits);
        // The source table has 256 entries; a 1- or 4-bit file cannot claim more than 2 or 16.
        EXPECT_EQ(PackedDibColorCount(*narrow), 1 << bits);
        EXPECT_TRUE(std::equal(PackedDibColorTable(*narrow), PackedDibColorTable(*narrow) + 4 * (1 << bits),
                               PackedDibColorTable(*source)));
        const PackedDib back = ExpandDibTo8Bit(narrow);
        ASSERT_TRUE(back);
        const int mask = (1 << bits) - 1;
        EXPECT_EQ(Indices8(*back), Pixels(13, 2, [&](int x, int y) { return (x * 19 + y) & mask; }));
        // The bits after the last pixel of a row are zero.
        const std::uint8_t last = PackedDibRow(*narrow, 0)[bits == 1 ? 1 : 6];
        EXPECT_EQ(last & (bits == 1 ? 0x07 : 0x0F), 0);
    }
}

TEST(ReduceDibDepth, SmallTablesStaySmallAndOtherInputsAreRefused)
{
    DibLayout layout;
    layout.colorsUsed = 3;
    layout.pixels = Pixels(3, 2, [](int x, int) { return x; });
    const PackedDib reduced = ReduceDibDepth(Dib(layout), 4);
    ASSERT_TRUE(reduced);
    EXPECT_EQ(PackedDibColorCount(*reduced), 3);

    EXPECT_FALSE(ReduceDibDepth(Dib(layout), 8));
    EXPECT_FALSE(ReduceDibDepth(Dib(layout), 2));
    layout.bitCount = 4;
    layout.colorsUsed = 0;
    EXPECT_FALSE(ReduceDibDepth(Dib(layout), 1)) << "only 8-bit sources";
}

TEST(ClassifyPictureDepth, FollowsBitsAndColourCount)
{
    const auto classify = [](int bits, std::uint32_t used) {
        DibLayout layout;
        layout.bitCount = bits;
        layout.colorsUsed = used;
        layout.pixels = Pixels(3, 2, [](int, int) { return 0; });
        return ClassifyPictureDepth(*Dib(layout));
    };
    EXPECT_EQ(classify(24, 0), PictureDepthAction::refuse);
    EXPECT_EQ(classify(4, 0), PictureDepthAction::expand);  // 16 colours
    EXPECT_EQ(classify(1, 0), PictureDepthAction::expand);
    EXPECT_EQ(classify(8, 200), PictureDepthAction::expand);
    EXPECT_EQ(classify(8, 255), PictureDepthAction::expand);
    EXPECT_EQ(classify(8, 0), PictureDepthAction::keep);
    EXPECT_EQ(classify(8, 256), PictureDepthAction::keep);
}

// A 4-bit bitmap of 5 x 3 from another program, rows bottom row first.
DibLayout ClipSpec()
{
    DibLayout layout;
    layout.width = 5;
    layout.height = 3;
    layout.bitCount = 4;
    layout.colorsUsed = 16;
    layout.pixels = Pixels(5, 3, [](int x, int y) { return (x + 5 * y) % 16; });
    return layout;
}

TEST(PackedDibFromClipboard, CopiesAValidBitmapIntoTheEditorsLayout)
{
    const DibLayout layout = ClipSpec();
    std::string reason = "unset";
    const PackedDib dib = PackedDibFromClipboard(DibBytes(layout), reason);
    ASSERT_TRUE(dib) << reason;
    EXPECT_TRUE(reason.empty());
    EXPECT_EQ(dib->Copy(), DibBytes(layout)) << "a plain bitmap is copied as it is";

    // Rows stored top row first come out bottom row first, the same picture.
    DibLayout topDown = layout;
    topDown.height = -3;
    const PackedDib flipped = PackedDibFromClipboard(DibBytes(topDown), reason);
    ASSERT_TRUE(flipped) << reason;
    EXPECT_EQ(flipped->Copy(), DibBytes(layout));

    // A longer header (version 5, 124 bytes): the table follows the whole header.
    DibLayout v5 = layout;
    v5.headerSize = 124;
    const PackedDib fromV5 = PackedDibFromClipboard(DibBytes(v5), reason);
    ASSERT_TRUE(fromV5) << reason;
    EXPECT_EQ(fromV5->Copy(), DibBytes(layout));
}

TEST(PackedDibFromClipboard, EveryTruncatedItemIsRefused)
{
    const std::vector<std::uint8_t> whole = DibBytes(ClipSpec());
    for (std::size_t n = 0; n < whole.size(); ++n) {
        std::string reason;
        const std::vector<std::uint8_t> prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(PackedDibFromClipboard(prefix, reason)) << n << " bytes";
        EXPECT_FALSE(reason.empty()) << n << " bytes";
    }
}

TEST(PackedDibFromClipboard, RefusesWithAReasonTheUserCanRead)
{
    struct Case {
        const char* name;
        void (*change)(DibLayout&);
        const char* reasonPart;
    };
    const Case cases[] = {
        {"core header", [](DibLayout& s) { s.headerSize = 12; }, "12 バイトのヘッダー"},
        {"rle8", [](DibLayout& s) { s.bitCount = 8, s.compression = 1, s.colorsUsed = 0; }, "圧縮"},
        {"rle4", [](DibLayout& s) { s.compression = 2; }, "圧縮"},
        {"24 bits", [](DibLayout& s) { s.bitCount = 24, s.colorsUsed = 0; },
         "256色のイメージにしてください。"},
        {"32 bits with masks",
         [](DibLayout& s) { s.bitCount = 32, s.compression = 3, s.colorsUsed = 0, s.tableEntries = 0; },
         "256色のイメージにしてください。"},
        {"more colours than 4 bits address", [](DibLayout& s) { s.colorsUsed = 17; }, "色数"},
        {"2 bits", [](DibLayout& s) { s.bitCount = 2; }, "ビット数"},
        {"zero width",
         [](DibLayout& s) {
             s.width = 0, s.pixels = {{}, {}, {}};
         },
         "大きさ"},
        {"negative width", [](DibLayout& s) { s.width = -5; }, "大きさ"},
        {"too tall", [](DibLayout& s) { s.height = 40000; }, "大きさ"},
        {"header larger than the item", [](DibLayout& s) { s.headerSize = 4000; }, "ヘッダー"},
        {"header of 20 bytes", [](DibLayout& s) { s.headerSize = 20; }, "ヘッダー"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DibLayout layout = ClipSpec();
        c.change(layout);
        std::vector<std::uint8_t> bytes;
        if (layout.headerSize == 12) {
            // A core header: width, height, planes and bits in 16-bit fields, 3-byte entries.
            bytes = {12, 0, 0, 0, 5, 0, 3, 0, 1, 0, 4, 0};
            bytes.resize(12 + 16 * 3 + 3 * 4);
        } else if (layout.headerSize == 4000 || layout.headerSize == 20) {
            bytes = DibBytes(ClipSpec());
            test::PutLE(bytes, 0, layout.headerSize, 4);
        } else if (layout.width < 0 || layout.height > 3) {
            // Sizes the bytes do not follow: written into the header of a valid item.
            bytes = DibBytes(ClipSpec());
            test::PutLE(bytes, 4, static_cast<std::uint32_t>(layout.width), 4);
            test::PutLE(bytes, 8, static_cast<std::uint32_t>(layout.height), 4);
        } else {
            bytes = DibBytes(layout);
        }
        std::string reason;
        EXPECT_FALSE(PackedDibFromClipboard(bytes, reason));
        EXPECT_NE(reason.find(c.reasonPart), std::string::npos) << reason;
    }
}

TEST(PackedDibFromClipboard, DeepCoreHeaderGetsTheDepthMessage)
{
    std::vector<std::uint8_t> bytes = {12, 0, 0, 0, 2, 0, 2, 0, 1, 0, 24, 0};
    bytes.resize(12 + 2 * 8);
    std::string reason;
    EXPECT_FALSE(PackedDibFromClipboard(bytes, reason));
    EXPECT_EQ(reason, kMsgNeed256Colors);
}

TEST(PackedDibFromClipboard, RowsClaimedBeyondTheItemAreRefused)
{
    std::vector<std::uint8_t> bytes = DibBytes(ClipSpec());
    test::PutLE(bytes, 8, 4000, 4);  // a height the item does not hold
    std::string reason;
    EXPECT_FALSE(PackedDibFromClipboard(bytes, reason));
    EXPECT_NE(reason.find("足りません"), std::string::npos) << reason;
}

}  // namespace
}  // namespace korvanta
