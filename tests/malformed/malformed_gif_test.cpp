// Malformed GIF files opened through the open command: truncated at every byte, every bit of the
// header and first image flipped, images outside or larger than the screen or empty, odd
// minimum code sizes, codes the table cannot explain, sub-blocks running past the end, short
// loop blocks, and files that claim more pixels than the editor gives one file. Each opens into
// a sound document or fails with a reason and leaves nothing behind (malformed_util.h).
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "codec/lzw_encoder.h"
#include "model/gif_app_blocks.h"
#include "model/gif_control_block.h"
#include "model/gif_text_blocks.h"
#include "platform/archive.h"
#include "platform/file.h"
#include "tests/malformed/malformed_util.h"

namespace korvanta {
namespace {

using test::B;
using test::Bytes;
using test::operator+;
using test::PackCodes;
using test::SubBlocks;

// Entry i: red 60i, green 255 - 50i, blue 30i.
HPALETTE Colours(int count)
{
    std::vector<PALETTEENTRY> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back({static_cast<std::uint8_t>(60 * i), static_cast<std::uint8_t>(255 - 50 * i),
                           static_cast<std::uint8_t>(30 * i), 0});
    return CPalette::Create(entries);
}

template <class F>
std::unique_ptr<CGifImageBlock> Image(int left, int top, int width, int height, F f)
{
    auto image = std::make_unique<CGifImageBlock>();
    image->m_nLeft = left;
    image->m_nTop = top;
    image->m_hDib = NewPackedDib(width, height, 8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            PackedDibRow(*image->m_hDib, y)[x] = static_cast<std::uint8_t>(f(x, y));
    return image;
}

std::unique_ptr<CGifControlBlock> Control(int disposal, int delay, int transparent = -1)
{
    auto control = std::make_unique<CGifControlBlock>();
    control->m_nDisposal = disposal;
    control->m_nDelay = delay;
    control->m_bTransparent = transparent >= 0;
    control->m_nTransparentIndex = std::max(transparent, 0);
    return control;
}

// A small animation with every kind of block that matters to playback: an 8 x 6 screen with a
// four-colour global table, a loop block, two frames (the second interlaced, with a local table,
// restored to the previous state) and a comment. With firstImageOnly, the blocks up to and
// including the first image.
Bytes SmallAnimation(bool firstImageOnly = false)
{
    CGIFDoc doc(test::Headless());
    doc.DeleteContents();
    doc.SetGlobalPalette(Colours(4));
    doc.GetHeader()->m_nWidth = 8;
    doc.GetHeader()->m_nHeight = 6;
    doc.GetHeader()->m_nBackground = 1;
    doc.InsertLoopBlock();
    doc.InsertBlock(-1, Control(2, 5, 3));
    doc.InsertBlock(-1, Image(0, 0, 8, 6, [](int x, int y) { return (x + y) % 4; }));
    if (!firstImageOnly) {
        doc.InsertBlock(-1, Control(3, 7));
        auto second = Image(2, 1, 4, 4, [](int x, int y) { return (x * y) % 4; });
        second->m_bInterlace = true;
        second->m_hPalette = Colours(4);
        second->m_bLocalTable = true;
        second->UpdateTableBits();
        doc.InsertBlock(-1, std::move(second));
        auto comment = std::make_unique<CGifCommentBlock>();
        comment->m_strText = "end";
        doc.InsertBlock(-1, std::move(comment));
    }
    return test::WriteOut(doc);
}

Bytes Prefix(const Bytes& bytes, std::size_t n)
{
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
}

Bytes SampleFile()
{
    return test::FileBytes(KORVANTA_SOURCE_DIR "/res/samples/sample.gif");
}

// A 4 x 4 screen with a two-colour global table (black, white).
const Bytes kScreen4x4 = B("GIF89a") + B({4, 0, 4, 0, 0x80, 0, 0}) + B({0, 0, 0, 255, 255, 255});
const Bytes kComment = B({0x21, 0xFE, 1, 'k', 0});

Bytes Descriptor(int left, int top, int width, int height, int packed = 0)
{
    return B({0x2C, left & 0xFF, left >> 8, top & 0xFF, top >> 8, width & 0xFF, width >> 8, height & 0xFF,
              height >> 8, packed});
}

const CGifImageBlock& ImageAt(const CGIFDoc& doc, int index)
{
    const auto* image = dynamic_cast<const CGifImageBlock*>(doc.GetBlock(index));
    if (image == nullptr)
        throw std::runtime_error("block " + std::to_string(index) + " is not an image");
    return *image;
}

TEST(MalformedGif, TruncatedAtEveryByteOpensWithItsCompleteBlocksOrFailsWithAReason)
{
    const Bytes file = SampleFile();
    ASSERT_GT(file.size(), 1000u);
    test::MalformedFiles files;
    CGIFDoc full(files.Services());
    ASSERT_TRUE(files.Open(full, file, "whole").opened);
    ASSERT_EQ(test::WriteOut(full), file) << "the sample is no longer in the writer's own form";
    // Where each block ends (a cut there leaves whole blocks only): the documents of the first
    // k blocks, written without their trailer.
    std::vector<std::size_t> ends;
    while (full.GetBlockCount() > 0) {
        ends.insert(ends.begin(), test::WriteOut(full).size() - 1);
        full.m_blocks.pop_back();
    }
    ASSERT_EQ(ends.back() + 1, file.size());
    const std::size_t screenEnd =
        13;  // the global table after it may be short: its missing entries are black

    for (std::size_t n = 0; n < file.size(); ++n) {
        CGIFDoc doc(files.Services());
        const std::string what = "cut at " + std::to_string(n);
        const test::OpenResult result = files.Open(doc, Prefix(file, n), what);
        const bool atBlockEnd = std::find(ends.begin(), ends.end(), n) != ends.end();
        EXPECT_EQ(result.opened, atBlockEnd || (n >= screenEnd && n < ends.front())) << what;
        if (!result.opened || n < ends.front())
            continue;
        // The missing trailer is reported once; every complete block is there as it was.
        EXPECT_EQ(result.messages.size(), 1u) << what;
        EXPECT_EQ(test::WriteOut(doc), Prefix(file, n) + B({0x3B})) << what;
    }
}

TEST(MalformedGif, EveryBitOfTheHeaderAndFirstImageFlippedOpensOrFailsCleanly)
{
    const Bytes file = SmallAnimation();
    const std::size_t firstImageEnd = SmallAnimation(true).size() - 1;  // before its trailer
    ASSERT_LT(firstImageEnd, file.size());
    test::MalformedFiles files;
    int opened = 0;
    int refused = 0;
    for (std::size_t at = 0; at < firstImageEnd; ++at) {
        for (const int mask : {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0xFF}) {
            Bytes flipped = file;
            flipped[at] = static_cast<std::uint8_t>(flipped[at] ^ mask);
            CGIFDoc doc(files.Services());
            const auto result =
                files.Open(doc, flipped, "byte " + std::to_string(at) + " ^ " + std::to_string(mask));
            (result.opened ? opened : refused)++;
        }
    }
    // Both outcomes occur: the flips reach the signature as well as harmless colour bytes.
    EXPECT_GT(opened, 0);
    EXPECT_GT(refused, 0);
}

TEST(MalformedGif, ImagesLargerThanTheScreenOrOutsideItArePlayedClipped)
{
    test::MalformedFiles files;
    // A 16 x 16 image on a 4 x 4 screen, one reaching past its right and bottom edges, one far
    // outside: all open as they are, keep their positions and sizes, and play as three frames.
    CGIFDoc source(test::Headless());
    source.DeleteContents();
    source.SetGlobalPalette(Colours(4));
    source.GetHeader()->m_nWidth = 4;
    source.GetHeader()->m_nHeight = 4;
    source.InsertBlock(-1, Image(0, 0, 16, 16, [](int x, int y) { return (x + 2 * y) % 4; }));
    source.InsertBlock(-1, Image(2, 3, 8, 8, [](int, int) { return 3; }));
    source.InsertBlock(-1, Image(65000, 65000, 2, 2, [](int, int) { return 2; }));
    CGIFDoc doc(files.Services());
    ASSERT_TRUE(files.Open(doc, test::WriteOut(source), "larger images").opened);
    ASSERT_EQ(doc.GetBlockCount(), 4);
    EXPECT_EQ(ImageAt(doc, 1).Width(), 16);
    EXPECT_EQ(ImageAt(doc, 3).m_nLeft, 65000);

    AnimationPlayer player(&doc);
    ASSERT_TRUE(player.Create());
    std::vector<int> blocks;
    std::vector<std::uint8_t> cornerBlue;  // blue of canvas pixel (3, 3) after each frame
    PlayTimeline(player, 1, [&](const FrameEvent& frame) {
        blocks.push_back(frame.block);
        cornerBlue.push_back(PackedDibRow(*player.m_hCanvas, 3)[3 * 3]);
        return true;
    });
    EXPECT_EQ(blocks, (std::vector<int>{1, 2, 3}));
    // Pixel (3, 3) of the first image is index 1 (blue 30), of the second index 3 (blue 90);
    // the third leaves it alone.
    EXPECT_EQ(cornerBlue, (std::vector<std::uint8_t>{30, 90, 90}));
}

TEST(MalformedGif, ImagesWithoutWidthOrHeightOpenAndPlayAsEmptyFrames)
{
    test::MalformedFiles files;
    const Bytes noPixels = B({2}) + SubBlocks(PackCodes({{4, 3}, {5, 3}}));  // clear, end
    for (const auto& [width, height] : {std::pair{0, 0}, {0, 5}, {5, 0}, {65535, 0}, {0, 65535}}) {
        CGIFDoc doc(files.Services());
        const std::string what = std::to_string(width) + " x " + std::to_string(height);
        ASSERT_TRUE(files
                        .Open(doc,
                              kScreen4x4 + Descriptor(1, 1, width, height) + noPixels + kComment + B({0x3B}),
                              what)
                        .opened)
            << what;
        ASSERT_EQ(doc.GetBlockCount(), 3) << what;
        EXPECT_EQ(ImageAt(doc, 1).Width(), width) << what;
        EXPECT_EQ(ImageAt(doc, 1).Height(), height) << what;
        EXPECT_TRUE(IsKind<CGifCommentBlock>(doc.GetBlock(2))) << what;
    }
}

TEST(MalformedGif, MinimumCodeSizesZeroTwelveAndAboveLeaveIndexZeroAndOneDecodes)
{
    test::MalformedFiles files;
    // Size 1 (two roots, clear 2, end 3): what an encoder for two colours may write.
    Bytes codeSize1;
    {
        CMemFile memory;
        CArchive ar(&memory, CArchive::store);
        ar.WriteByte(1);
        CLzwEncoder encoder;
        ASSERT_EQ(encoder.LzwEncoderOpen(ar, 1), 0);
        encoder.LzwEncoderStart();
        const std::uint8_t row[4] = {0, 1, 1, 0};
        encoder.LzwEncodeRow(row, 4);
        encoder.LzwEncoderFinish();
        ar.WriteByte(0);
        encoder.LzwEncoderClose();
        ar.Close();
        codeSize1 = memory.Data();
    }
    const Bytes garbage = SubBlocks(B({0x44, 0x34, 0x05, 0xFF, 0x00, 0x81}));
    const std::vector<std::pair<Bytes, Bytes>> cases = {
        {codeSize1, B({0, 1, 1, 0})},          {B({0}) + garbage, B({0, 0, 0, 0})},
        {B({12}) + garbage, B({0, 0, 0, 0})},  {B({13}) + garbage, B({0, 0, 0, 0})},
        {B({255}) + garbage, B({0, 0, 0, 0})},
    };
    for (const auto& [data, indexes] : cases) {
        CGIFDoc doc(files.Services());
        const std::string what = "code size " + std::to_string(data[0]);
        ASSERT_TRUE(
            files.Open(doc, kScreen4x4 + Descriptor(0, 0, 4, 1) + data + kComment + B({0x3B}), what).opened);
        ASSERT_EQ(doc.GetBlockCount(), 3) << what;
        EXPECT_EQ(test::Indexes(ImageAt(doc, 1)), indexes) << what;
        EXPECT_EQ(static_cast<const CGifCommentBlock*>(doc.GetBlock(2))->m_strText, "k") << what;
    }
}

TEST(MalformedGif, CodesBeyondTheTableEndTheImageDataAndReadingGoesOn)
{
    // Minimum code size 2: clear 4, end 5, first free code 6, codes 3 bits wide.
    const std::vector<std::pair<Bytes, Bytes>> cases = {
        {PackCodes({{4, 3}, {1, 3}, {7, 3}, {2, 3}}), B({1, 0, 0, 0})},  // 7 while 6 is the next free code
        {PackCodes({{4, 3}, {6, 3}, {1, 3}}), B({0, 0, 0, 0})},          // a first code that is not a root
        {PackCodes({{4, 3}, {7, 3}}), B({0, 0, 0, 0})},
        {PackCodes({{4, 3}, {1, 3}, {2, 3}, {4, 3}, {6, 3}}), B({1, 2, 0, 0})},  // a stale code after a clear
        {PackCodes({{4, 3}, {1, 3}, {6, 3}, {5, 3}}), B({1, 1, 1, 0})},  // 6 itself is sound: 1 then 1 1
    };
    test::MalformedFiles files;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [codes, indexes] = cases[i];
        CGIFDoc doc(files.Services());
        const std::string what = "case " + std::to_string(i);
        ASSERT_TRUE(
            files
                .Open(doc,
                      kScreen4x4 + Descriptor(0, 0, 4, 1) + B({2}) + SubBlocks(codes) + kComment + B({0x3B}),
                      what)
                .opened);
        ASSERT_EQ(doc.GetBlockCount(), 3) << what;
        EXPECT_EQ(test::Indexes(ImageAt(doc, 1)), indexes) << what;
        EXPECT_TRUE(IsKind<CGifCommentBlock>(doc.GetBlock(2))) << what;
    }
}

TEST(MalformedGif, SubBlocksRunningPastTheEndFailWithAReason)
{
    const Bytes image = Descriptor(0, 0, 4, 1) + B({2});
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"image data", image + B({200, 0x44, 0x34, 0x05})},
        {"image data after a whole sub-block", image + B({3, 0x44, 0x34, 0x05, 9, 1})},
        {"local table", Descriptor(0, 0, 4, 1, 0x87) + B({1, 2, 3})},
        {"comment", B({0x21, 0xFE, 10, 'a', 'b'})},
        {"plain text", B({0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0, 40, 'x'})},
        {"application", B({0x21, 0xFF, 11}) + B("NETSCAPE2.0") + B({3, 1})},
        {"control", B({0x21, 0xF9, 4, 0x04, 10})},
    };
    test::MalformedFiles files;
    for (const auto& [what, tail] : cases) {
        CGIFDoc doc(files.Services());
        EXPECT_FALSE(files.Open(doc, kScreen4x4 + kComment + tail, what).opened) << what;
    }
    // A short comment sub-block is named as such.
    CGIFDoc doc(files.Services());
    const auto result = files.Open(doc, kScreen4x4 + B({0x21, 0xFE, 10, 'a', 'b'}), "comment");
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_NE(result.messages[0].find("データサブブロックが途中で終わっています。"), std::string::npos);
}

TEST(MalformedGif, NetscapeBlocksWithoutTheirThreeBytesStayApplicationBlocks)
{
    test::MalformedFiles files;
    const Bytes frame = Descriptor(0, 0, 1, 1) + B({2}) + SubBlocks(PackCodes({{4, 3}, {1, 3}, {5, 3}}));
    for (const Bytes& data : {B({}), B({1}), B({1, 5}), B({2, 5, 0})}) {
        const Bytes loop = B({0x21, 0xFF, 11}) + B("NETSCAPE2.0") + SubBlocks(data);
        const Bytes file = kScreen4x4 + loop + frame + B({0x3B});
        CGIFDoc doc(files.Services());
        const std::string what = std::to_string(data.size()) + " data bytes";
        ASSERT_TRUE(files.Open(doc, file, what).opened) << what;
        ASSERT_EQ(doc.GetBlockCount(), 3) << what;
        EXPECT_TRUE(IsKind<CGifAppBlock>(doc.GetBlock(1))) << what;
        EXPECT_FALSE(IsKind<CGifAppBlockNavigatorLoop>(doc.GetBlock(1))) << what;
        EXPECT_EQ(static_cast<const CGifAppBlock*>(doc.GetBlock(1))->m_data, data) << what;
        EXPECT_EQ(test::Written(*doc.GetBlock(1)), loop) << what;
        // Without a loop count the animation plays once.
        AnimationPlayer player(&doc);
        ASSERT_TRUE(player.Create());
        EXPECT_EQ(PlayTimeline(player, 5, [](const FrameEvent&) { return true; }), 1) << what;
    }
    // The three bytes split over two sub-blocks still give the count; a wrong block size byte
    // is not trusted either way.
    for (const int blockSize : {11, 10, 0, 255}) {
        CGIFDoc doc(files.Services());
        const std::string what = "block size " + std::to_string(blockSize);
        ASSERT_TRUE(files
                        .Open(doc,
                              kScreen4x4 + B({0x21, 0xFF, blockSize}) + B("NETSCAPE2.0") +
                                  B({1, 1, 2, 5, 0, 0}) + frame + B({0x3B}),
                              what)
                        .opened);
        ASSERT_TRUE(IsKind<CGifAppBlockNavigatorLoop>(doc.GetBlock(1))) << what;
        EXPECT_EQ(static_cast<const CGifAppBlockNavigatorLoop*>(doc.GetBlock(1))->m_nLoopCount, 5) << what;
    }
}

// The resident memory of the process in bytes, from /proc; 0 where that cannot be read.
std::uint64_t ResidentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::uint64_t pages = 0;
    std::uint64_t resident = 0;
    if (!(statm >> pages >> resident))
        return 0;
    return resident * 4096;
}

TEST(MalformedGif, SmallFilesClaimingHugeImagesStayWithinTheMemoryBounds)
{
    test::MalformedFiles files;
    // 16384 x 8192 = kMaxImagePixels, with a single code of data each.
    const Bytes huge =
        Descriptor(0, 0, 16384, 8192) + B({8}) + SubBlocks(PackCodes({{256, 9}, {1, 9}, {257, 9}}));
    static_assert(16384ull * 8192 == kMaxImagePixels);
    const int withinBudget = static_cast<int>(kMaxDocumentPixels / kMaxImagePixels);
    Bytes file = kScreen4x4;
    for (int i = 0; i < withinBudget; ++i) file = file + huge;

    [[maybe_unused]] const std::uint64_t before = ResidentBytes();
    {
        CGIFDoc doc(files.Services());
        const auto result = files.Open(doc, file + B({0x3B}), "images up to the budget", false);
        ASSERT_TRUE(result.opened);
        EXPECT_EQ(test::ImagePixels(doc), kMaxDocumentPixels);
        EXPECT_EQ(PackedDibRow(*ImageAt(doc, 1).m_hDib, 0)[0], 1);
#if !defined(__SANITIZE_ADDRESS__)
        // Rows the data never reached cost no resident memory: a 1 GiB claim from a few hundred
        // bytes holds the process to a few megabytes more.
        if (before != 0) {
            EXPECT_LT(ResidentBytes(), before + (64u << 20));
        }
#endif
    }
    // One image more is refused with a reason, and nothing stays.
    CGIFDoc doc(files.Services());
    const auto result = files.Open(doc, file + huge + B({0x3B}), "one image beyond the budget", false);
    EXPECT_FALSE(result.opened);
    // A single image beyond its own bound is refused before anything is allocated for it.
    EXPECT_FALSE(
        files.Open(doc, kScreen4x4 + Descriptor(0, 0, 65535, 65535) + B({8, 0, 0x3B}), "65535 x 65535")
            .opened);
}

}  // namespace
}  // namespace korvanta
