// The image block: stream forms through the codec, interlace order, clipboard form, pages,
// and what hostile image data may and may not do.
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <utility>

#include "imaging/dib.h"
#include "imaging/palette_fit.h"
#include "model/gif_control_block.h"
#include "model/gif_doc_commands.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "model/gif_pages.h"
#include "model/gif_text_blocks.h"
#include "tests/service_fakes.h"
#include "tests/test_util.h"

namespace korvanta {
namespace {

using test::B;
using test::Bytes;
using test::operator+;

std::vector<int> Order(int height)
{
    InterlaceOrder order(height);
    std::vector<int> rows;
    for (int n = 0; n < height; ++n) rows.push_back(order.Next());
    return rows;
}

HPALETTE Grey(int count)
{
    std::vector<PALETTEENTRY> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back(
            {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 0});
    return CPalette::Create(entries);
}

// An image whose pixel (x, y) is f(x, y).
template <class F>
std::unique_ptr<CGifImageBlock> MakeImage(int width, int height, F f)
{
    auto image = std::make_unique<CGifImageBlock>();
    image->m_hDib = NewPackedDib(width, height, 8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            PackedDibRow(*image->m_hDib, y)[x] = static_cast<std::uint8_t>(f(x, y));
    return image;
}

// A document of header (global table of 2 << bits grey entries when bits >= 0) and the blocks.
Bytes WriteDocument(std::vector<std::unique_ptr<CGifBlock>> blocks, int globalBits = 7)
{
    CGIFDoc doc(test::Headless());
    doc.DeleteContents();
    if (globalBits >= 0)
        doc.SetGlobalPalette(Grey(2 << globalBits));
    for (auto& b : blocks) doc.InsertBlock(-1, std::move(b));
    return test::WriteOut(doc);
}

const CGifImageBlock& ImageAt(const CGIFDoc& doc, int index)
{
    const auto* image = dynamic_cast<const CGifImageBlock*>(doc.GetBlock(index));
    EXPECT_NE(image, nullptr);
    return *image;
}

const Bytes kScreen4x1 = B("GIF89a") + B({4, 0, 1, 0, 0x00, 0, 0});  // no global table

TEST(InterlaceOrder, PassesInStreamOrder)
{
    EXPECT_EQ(Order(1), (std::vector<int>{0}));
    EXPECT_EQ(Order(5), (std::vector<int>{0, 4, 2, 1, 3}));
    EXPECT_EQ(Order(16), (std::vector<int>{0, 8, 4, 12, 2, 6, 10, 14, 1, 3, 5, 7, 9, 11, 13, 15}));
}

TEST(ImageBlock, DecodesItsDataIntoTheDib)
{
    // One row 0, 1, 2, 3 at minimum code size 2; no tables anywhere: default palette colours.
    CGIFDoc doc(test::Headless());
    test::ReadInto(doc,
                   kScreen4x1 + B({0x2C, 0, 0, 0, 0, 4, 0, 1, 0, 0x00, 2, 3, 0x44, 0x34, 0x05, 0, 0x3B}));
    ASSERT_EQ(doc.GetBlockCount(), 2);
    const auto& image = ImageAt(doc, 1);
    EXPECT_EQ(test::Indexes(image), B({0, 1, 2, 3}));
    EXPECT_FALSE(image.m_hPalette);
    // the default palette's entry 37 (36, 36, 85) sits in the DIB's table as blue, green, red
    const std::uint8_t* table = PackedDibColorTable(*image.m_hDib);
    EXPECT_EQ(Bytes(table + 37 * 4, table + 37 * 4 + 3), B({85, 36, 36}));
}

TEST(ImageBlock, RoundTripsWithLocalTableAndInterlace)
{
    auto image = MakeImage(37, 21, [](int x, int y) { return (x * 7 + y * 3) % 5; });
    image->m_nLeft = 3;
    image->m_nTop = 65535;
    image->m_bInterlace = true;
    image->m_bLocalTable = true;
    image->m_bSorted = true;
    image->m_hPalette = Grey(5);
    image->UpdateTableBits();
    EXPECT_EQ(image->m_nTableBits, 2);
    const Bytes expected = test::Indexes(*image);
    std::vector<std::unique_ptr<CGifBlock>> blocks;
    blocks.push_back(std::move(image));
    const Bytes file = WriteDocument(std::move(blocks), -1);

    CGIFDoc doc(test::Headless());
    test::ReadInto(doc, file);
    const auto& back = ImageAt(doc, 1);
    EXPECT_EQ(test::Indexes(back), expected);
    EXPECT_EQ(back.m_nTop, 65535);
    EXPECT_TRUE(back.m_bInterlace && back.m_bSorted && back.m_bLocalTable);
    EXPECT_EQ(back.m_hPalette->GetEntryCount(), 8);  // a table of 2 << 2 entries
    EXPECT_EQ(test::WriteOut(doc), file);
}

TEST(ImageBlock, MinimumCodeSizeFollowsTheTable)
{
    for (const auto& [bits, codeSize] : std::vector<std::pair<int, int>>{{0, 2}, {3, 4}, {7, 8}}) {
        auto image = MakeImage(3, 2, [](int, int) { return 1; });
        image->m_bLocalTable = true;
        image->m_hPalette = Grey(2 << bits);
        image->UpdateTableBits();
        const Bytes out = test::Written(*image);
        EXPECT_EQ(out[10 + 3 * (2 << bits)], codeSize) << bits;
    }
    // Without a local table the global table's size decides.
    std::vector<std::unique_ptr<CGifBlock>> blocks;
    blocks.push_back(MakeImage(3, 2, [](int, int) { return 1; }));
    const Bytes file = WriteDocument(std::move(blocks), 3);
    EXPECT_EQ(file[13 + 48 + 10], 4);
}

TEST(ImageBlock, PixelsBeyondTheTableWidenTheCodeSizeInsteadOfCorruptingTheStream)
{
    std::vector<std::unique_ptr<CGifBlock>> blocks;
    blocks.push_back(MakeImage(16, 16, [](int x, int y) { return (x * 16 + y) & 0xFF; }));
    const Bytes file = WriteDocument(std::move(blocks), 0);  // a global table of 2 colours
    CGIFDoc doc(test::Headless());
    test::ReadInto(doc, file);
    EXPECT_EQ(test::Indexes(ImageAt(doc, 1)),
              test::Indexes(*MakeImage(16, 16, [](int x, int y) { return (x * 16 + y) & 0xFF; })));
}

TEST(ImageBlock, UndecodableCodeSizesKeepIndexZeroAndTheFileOpens)
{
    for (const int codeSize : {0, 12, 255}) {
        CGIFDoc doc(test::Headless());
        test::ReadInto(doc, kScreen4x1 +
                                B({0x2C, 0, 0, 0, 0, 4, 0, 1, 0, 0x00, codeSize, 3, 0x44, 0x34, 0x05, 0}) +
                                B({0x21, 0xFE, 1, 'k', 0, 0x3B}));
        ASSERT_EQ(doc.GetBlockCount(), 3) << codeSize;
        EXPECT_EQ(test::Indexes(ImageAt(doc, 1)), B({0, 0, 0, 0}));
        EXPECT_EQ(static_cast<CGifCommentBlock*>(doc.GetBlock(2))->m_strText, "k");
    }
}

TEST(ImageBlock, ReadingResumesRightAfterTheTerminatorWhateverTheDataHolds)
{
    const Bytes comment = B({0x21, 0xFE, 1, 'k', 0, 0x3B});
    const std::vector<Bytes> data = {
        B({2, 3, 0x44, 0x34, 0x05, 0}),                       // exact
        B({2, 1, 0x05, 0}),                                   // end code at once
        B({2, 3, 0x44, 0x34, 0x05, 4, 1, 2, 3, 4, 0}),        // data after the end code
        B({2, 2, 0xFF, 0xFF, 0}),                             // codes past the table
        B({2, 0}),                                            // no data at all
        B({2, 255}) + Bytes(255, 0xFF) + B({3, 1, 2, 3, 0}),  // garbage, long
    };
    for (const Bytes& d : data) {
        CGIFDoc doc(test::Headless());
        test::ReadInto(doc, kScreen4x1 + B({0x2C, 0, 0, 0, 0, 4, 0, 1, 0, 0x00}) + d + comment);
        ASSERT_EQ(doc.GetBlockCount(), 3);
        EXPECT_EQ(static_cast<CGifCommentBlock*>(doc.GetBlock(2))->m_strText, "k");
    }
}

// Damaged data opens with what was decoded, silently in the editor, and is listed among the
// document's read warnings under the block's index.
TEST(ImageBlock, DamagedDataIsNamedAmongTheReadWarnings)
{
    const std::vector<std::tuple<Bytes, ImageDataState, Bytes>> cases = {
        {B({2, 3, 0x44, 0x34, 0x05, 0}), ImageDataState::complete, B({0, 1, 2, 3})},
        {B({2, 3, 0x44, 0x34, 0x05, 4, 1, 2, 3, 4, 0}), ImageDataState::complete, B({0, 1, 2, 3})},
        {B({2, 2, 0x44, 0x0A, 0}), ImageDataState::endedEarly, B({0, 1, 0, 0})},  // clear 0 1 end
        {B({2, 1, 0x05, 0}), ImageDataState::endedEarly, B({0, 0, 0, 0})},
        {B({2, 0}), ImageDataState::endedEarly, B({0, 0, 0, 0})},
        {B({2, 2, 0xFF, 0xFF, 0}), ImageDataState::invalidCode, B({0, 0, 0, 0})},
        {B({0, 3, 0x44, 0x34, 0x05, 0}), ImageDataState::undecodable, B({0, 0, 0, 0})},
    };
    for (const auto& [data, state, pixels] : cases) {
        SCOPED_TRACE(static_cast<int>(state));
        test::FakeMessages messages;
        CGIFDoc doc(test::Headless().WithMessages(messages));
        test::ReadInto(doc, kScreen4x1 + B({0x21, 0xFE, 1, 'k', 0}) +
                                B({0x2C, 0, 0, 0, 0, 4, 0, 1, 0, 0x00}) + data + B({0x3B}));
        const auto& image = ImageAt(doc, 2);
        EXPECT_EQ(image.m_dataState, state);
        EXPECT_EQ(test::Indexes(image), pixels);
        EXPECT_TRUE(messages.m_texts.empty());
        if (state == ImageDataState::complete)
            EXPECT_TRUE(doc.GetReadWarnings().empty());
        else
            EXPECT_EQ(doc.GetReadWarnings(),
                      std::vector<std::string>{"ブロック 2 (イメージ): " + ImageDataWarning(state)});
    }
}

TEST(ImageBlock, HugeImageIsRefusedWithAMessage)
{
    CGIFDoc doc(test::Headless());
    try {
        test::ReadInto(doc, kScreen4x1 + B({0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 2, 0, 0x3B}));
        FAIL() << "a 65535 x 65535 image was accepted";
    } catch (const CArchiveException& e) {
        EXPECT_NE(e.GetErrorMessage().find("65535x65535"), std::string::npos);
    }
}

TEST(ImageBlock, TallImageWithoutDataIsReadWithoutDecodingEveryRow)
{
    // 8000 x 16000 (128 megapixels) from a few bytes: the decoder stops with the data; the
    // test only proves it returns, the timing is in the benchmarks.
    CGIFDoc doc(test::Headless());
    test::ReadInto(doc,
                   kScreen4x1 + B({0x2C, 0, 0, 0, 0, 0x40, 0x1F, 0x80, 0x3E, 0x00, 8, 1, 0x00, 0, 0x3B}));
    EXPECT_EQ(ImageAt(doc, 1).Height(), 16000);
}

// Bitmaps of the size the image will take, filled with 0xAB and freed, so that a bitmap made
// next without clearing is likely to reuse their memory.
void SoilMemoryFor(int width, int height)
{
    for (int i = 0; i < 3; ++i) {
        PackedDib soiled = NewPackedDib(width, height, 8);
        std::fill(soiled->data(), soiled->data() + soiled->size(), std::uint8_t{0xAB});
    }
}

// The code stream of an image's stream form whose image has no local table.
Bytes CodeBytes(const Bytes& written)
{
    Bytes codes;
    for (std::size_t i = 11; i < written.size() && written[i] != 0; i += 1u + written[i])
        codes.insert(codes.end(), written.begin() + static_cast<std::ptrdiff_t>(i + 1),
                     written.begin() + static_cast<std::ptrdiff_t>(i + 1 + written[i]));
    return codes;
}

// The image's stream form after its introducer, with only the first `keep` bytes of its code
// stream, cut again into sub-blocks and ended by the terminator.
Bytes WithCodeBytes(const Bytes& written, std::size_t keep)
{
    Bytes codes = CodeBytes(written);
    codes.resize(std::min(keep, codes.size()));
    Bytes out(written.begin() + 1, written.begin() + 11);  // descriptor and minimum code size
    for (std::size_t i = 0; i < codes.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, codes.size() - i);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), codes.begin() + static_cast<std::ptrdiff_t>(i),
                   codes.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    out.push_back(0);
    return out;
}

TEST(ImageBlock, RowsTheDataNeverReachesAreIndexZeroWhateverTheMemoryHeld)
{
    // The reader does not clear a bitmap before decoding into it. Rows a cut stream never
    // reaches, the rest of the row it ends in and every row's padding must still be 0: cleared
    // in place when few (the first two sizes), or zeroed memory taken instead (the third). In
    // stream order, rows come whole, then at most one begun, then only zeros.
    for (const auto& [width, height] : {std::pair{41, 30}, std::pair{203, 150}, std::pair{611, 300}}) {
        for (const bool interlaced : {false, true}) {
            auto image = MakeImage(width, height, [](int x, int y) { return 1 + (x / 3 + y * 7) % 200; });
            image->m_bInterlace = interlaced;
            const Bytes written = test::Written(*image);
            ASSERT_EQ(written[0], 0x2C);
            const std::size_t stride = PackedDibRowBytes(*image->m_hDib);
            for (const std::size_t keep : {0, 1, 700, 6000}) {
                SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height) +
                             (interlaced ? " interlaced" : "") + ", " + std::to_string(keep) + " code bytes");
                SoilMemoryFor(width, height);
                CGifImageBlock read;
                test::ReadFrom(read, WithCodeBytes(written, keep));
                ASSERT_EQ(read.Width(), width);
                ASSERT_EQ(read.Height(), height);
                bool ended = keep == 0;
                InterlaceOrder order(height);
                for (int n = 0; n < height; ++n) {
                    const int y = interlaced ? order.Next() : n;
                    const std::uint8_t* got = PackedDibRow(*read.m_hDib, y);
                    const std::uint8_t* want = PackedDibRow(*image->m_hDib, y);
                    EXPECT_TRUE(std::all_of(got + width, got + stride, [](std::uint8_t b) { return b == 0; }))
                        << "padding of row " << y;
                    const int same = static_cast<int>(std::mismatch(got, got + width, want).first - got);
                    if (ended || same < width) {
                        EXPECT_TRUE(
                            std::all_of(got + same, got + width, [](std::uint8_t b) { return b == 0; }))
                            << "row " << y << " from column " << same;
                        EXPECT_TRUE(!ended || same == 0) << "row " << y << " after the data ended";
                        ended = true;
                    }
                }
                EXPECT_EQ(ended, keep < CodeBytes(written).size()) << "the whole stream decodes whole";
            }
        }
    }
}

TEST(ImageBlock, ClipboardFormRoundTripsAndIsBounded)
{
    auto image = MakeImage(13, 3, [](int x, int y) { return x + 13 * y; });
    image->m_bLocalTable = true;
    image->m_hPalette = Grey(64);
    image->UpdateTableBits();
    image->m_nLeft = 7;
    const auto clip = image->CreateClipData();
    ASSERT_TRUE(clip);
    ASSERT_EQ(clip->size(), 10u + 3 * 64 + 13 * 3);
    EXPECT_EQ((*clip)[10 + 192], 26);  // bottom row first: row 2 starts with 26

    CGifImageBlock copy;
    ASSERT_TRUE(copy.ReadClipData(std::span(*clip).subspan(1)));
    EXPECT_EQ(test::Indexes(copy), test::Indexes(*image));
    EXPECT_EQ(copy.m_nLeft, 7);
    EXPECT_EQ(copy.m_hPalette->GetEntryCount(), 64);
    EXPECT_EQ(PackedDibColorTable(*copy.m_hDib)[4 * 5], 5);

    CGifImageBlock refused;
    EXPECT_FALSE(refused.ReadClipData(std::span(*clip).subspan(1, clip->size() - 2)));  // one pixel short
    EXPECT_FALSE(refused.ReadClipData(std::span(*clip).subspan(1, 100)));               // table short
    EXPECT_FALSE(refused.ReadClipData(B({0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0})));     // lying size
    EXPECT_FALSE(refused.m_hDib);
}

TEST(ImageBlock, ThumbnailFitsTheListEntry)
{
    auto image = MakeImage(256, 64, [](int, int) { return 0; });
    test::FakeDC dc;
    CRect wide{2, 2, 126, 78};
    image->DrawInList(dc, wide);
    EXPECT_EQ(dc.m_calls, (std::vector<std::string>{"dib 2,2,126,33 from 0,0,256,64"}));
    // The rectangle comes back as the thumbnail, for the selection frame to go around.
    EXPECT_EQ(wide, (CRect{2, 2, 126, 33}));
    EXPECT_EQ(image->GetListSize(), (CSize{128, 80}));

    auto tall = MakeImage(10, 40, [](int, int) { return 0; });
    CRect entry{2, 2, 126, 78};
    tall->DrawInList(dc, entry);
    EXPECT_EQ(entry, (CRect{2, 2, 21, 78}));
    CGifImageBlock empty;
    CRect untouched{2, 2, 126, 78};
    empty.DrawInList(dc, untouched);
    EXPECT_EQ(untouched, (CRect{2, 2, 126, 78}));
}

TEST(ImageBlock, AdoptFromTakesACopyOfTheSourceGlobalPalette)
{
    CGifHeaderBlock source;
    source.m_hPalette = Grey(16);
    auto image = MakeImage(2, 2, [](int, int) { return 0; });
    EXPECT_TRUE(image->AdoptFrom(&source));
    EXPECT_TRUE(image->m_bLocalTable);
    EXPECT_NE(image->m_hPalette, source.m_hPalette);
    EXPECT_EQ(image->m_hPalette->GetEntryCount(), 16);
    EXPECT_EQ(image->m_nTableBits, 3);
    const HPALETTE own = image->m_hPalette;
    EXPECT_TRUE(image->AdoptFrom(&source));
    EXPECT_EQ(image->m_hPalette, own);
}

TEST(ImageBlock, PageExchangeRefitsAndTakesPalettes)
{
    auto image = MakeImage(2, 1, [](int x, int) { return x; });
    image->m_bLocalTable = true;
    image->m_hPalette = Grey(2);
    image->UpdateTableBits();
    CGifImagePageData page;
    image->UpdatePage(page);
    EXPECT_EQ(page.m_hPalette, image->m_hPalette);
    EXPECT_EQ(page.m_nWidth, 2u);
    EXPECT_EQ(image->UpdateFromPage(page), 0);

    // a new local palette, indices kept: pixels stay, the DIB's table takes the new colours
    const PALETTEENTRY red[4] = {{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {9, 9, 9, 0}};
    page.m_hPalette = CPalette::Create(red);
    page.m_nConvert = 0;
    EXPECT_EQ(image->UpdateFromPage(page), 3);
    EXPECT_EQ(image->m_hPalette, page.m_hPalette);
    EXPECT_EQ(image->m_nTableBits, 1);
    EXPECT_EQ(test::Indexes(*image), B({0, 1}));
    EXPECT_EQ(PackedDibColorTable(*image->m_hDib)[2], 255);

    // dropping the local table for the global palette: refitted, no palette of its own
    const HPALETTE global = Grey(256);
    page.m_bLocalTable = false;
    page.m_hPalette = global;
    page.m_nConvert = 1;
    EXPECT_EQ(image->UpdateFromPage(page), 3);
    EXPECT_FALSE(image->m_bLocalTable);
    EXPECT_FALSE(image->m_hPalette);
    EXPECT_EQ(image->m_nTableBits, 0);

    // a local table without a palette is not taken
    page.m_bLocalTable = true;
    page.m_hPalette = nullptr;
    EXPECT_EQ(image->UpdateFromPage(page), 0);
    EXPECT_FALSE(image->m_bLocalTable);

    // and back: the page's palette is taken as it is
    page.m_hPalette = DuplicatePalette(global);
    EXPECT_EQ(image->UpdateFromPage(page), 1);
    EXPECT_EQ(image->m_hPalette, page.m_hPalette);
    EXPECT_EQ(image->m_nTableBits, 7);
}

// The example users met: a 16-colour picture (every pixel entry 0, green) refitted to 256
// colours whose only green is the last entry. Every entry of the palette the image is written
// with must be a candidate, on screen and in the file.
TEST(ImageBlockRefit, ConsidersEveryEntryOfAPaletteLongerThanThePicturesTable)
{
    std::vector<PALETTEENTRY> entries(256, PALETTEENTRY{255, 128, 0, 0});
    entries[255] = {0, 255, 0, 0};
    const HPALETTE palette = CPalette::Create(entries);
    for (const int mode : {kNearestColor, kDither}) {
        SCOPED_TRACE(mode);
        test::DibLayout picture;
        picture.bitCount = 4;
        picture.pixels = test::Pixels(3, 2, [](int, int) { return 0; });
        test::FakeMessages messages;
        std::unique_ptr<CGifImageBlock> image =
            ImageBlockFromPicture(std::make_shared<DibBlock>(test::DibBytes(picture)), messages);
        ASSERT_TRUE(image);
        ASSERT_EQ(PackedDibColorCount(*image->m_hDib), 16);
        CGifImagePageData page;
        image->UpdatePage(page);
        page.m_hPalette = palette;
        page.m_nConvert = mode;
        EXPECT_EQ(image->UpdateFromPage(page), 3);
        EXPECT_EQ(test::Indexes(*image), Bytes(6, 255));
        ASSERT_EQ(PackedDibColorCount(*image->m_hDib), 256);
        const std::uint8_t* table = PackedDibColorTable(*image->m_hDib);
        EXPECT_EQ(Bytes(table + 255 * 4, table + 255 * 4 + 3), B({0, 255, 0}));

        std::vector<std::unique_ptr<CGifBlock>> blocks;
        blocks.push_back(std::move(image));
        CGIFDoc doc(test::Headless());
        test::ReadInto(doc, WriteDocument(std::move(blocks)));
        EXPECT_EQ(test::Indexes(ImageAt(doc, 1)), Bytes(6, 255));
        EXPECT_EQ((*ImageAt(doc, 1).m_hPalette)[255].peGreen, 255);
    }
}

// A refit that cannot be done leaves palette, table flag and pixels together as they were,
// puts the page back to them and says why; the other values of the page are still taken.
TEST(ImageBlockRefit, FailureKeepsPaletteAndPixelsAndSaysWhy)
{
    for (const bool dropTable : {false, true}) {
        SCOPED_TRACE(dropTable);
        auto image = MakeImage(2, 1, [](int x, int) { return x; });
        image->m_bLocalTable = true;
        image->m_hPalette = Grey(2);
        image->UpdateTableBits();
        Bytes broken = image->m_hDib->Copy();
        broken.pop_back();  // the last row no longer fits: an inconsistent bitmap
        image->m_hDib = std::make_shared<DibBlock>(broken);
        const HPALETTE own = image->m_hPalette;

        test::FakeMessages messages;
        CGifImagePageData page;
        image->UpdatePage(page);
        page.m_pMessages = &messages;
        page.m_nLeft = 7;
        page.m_bLocalTable = !dropTable;
        page.m_hPalette = Grey(256);
        page.m_nConvert = kNearestColor;
        EXPECT_EQ(image->UpdateFromPage(page), 1);  // the position only
        EXPECT_EQ(image->m_nLeft, 7);
        EXPECT_TRUE(image->m_bLocalTable);
        EXPECT_EQ(image->m_hPalette, own);
        EXPECT_EQ(image->m_nTableBits, 0);
        EXPECT_EQ(image->m_hDib->Copy(), broken);
        EXPECT_EQ(page.m_hPalette, own);
        EXPECT_TRUE(page.m_bLocalTable);
        ASSERT_EQ(messages.m_texts.size(), 1u);
        EXPECT_EQ(messages.m_texts[0], std::string(kMsgRefitFailed) + "\n" + kMsgRefitBadBitmap);

        // without a message service nothing is shown, and nothing changes either
        page.m_pMessages = nullptr;
        page.m_hPalette = Grey(256);
        EXPECT_EQ(image->UpdateFromPage(page), 0);
        EXPECT_EQ(image->m_hPalette, own);
    }
}

TEST(ImageBlock, GlobalPaletteCopiedToImagesWithoutLocalTable)
{
    CGIFDoc doc(test::Headless());
    doc.OnNewDocument();
    doc.SetGlobalPalette(Grey(16));
    EXPECT_FALSE(doc.HasImageBlocks());
    auto plain = MakeImage(1, 1, [](int, int) { return 0; });
    auto local = MakeImage(1, 1, [](int, int) { return 0; });
    local->m_bLocalTable = true;
    local->m_hPalette = Grey(4);
    doc.InsertBlock(-1, std::move(plain));
    doc.InsertBlock(-1, std::move(local));
    EXPECT_TRUE(doc.HasImageBlocks());
    DocumentMainWindow mainWnd(doc);
    EXPECT_EQ(mainWnd.CountNoLocalTable(), 1);
    mainWnd.CopyGlobalPalette();
    EXPECT_EQ(mainWnd.CountNoLocalTable(), 0);
    const auto& image = ImageAt(doc, 3);
    EXPECT_EQ(image.m_hPalette->GetEntryCount(), 16);
    EXPECT_NE(image.m_hPalette, doc.GetGlobalPalette());
    EXPECT_EQ(image.m_nTableBits, 3);
    EXPECT_EQ(ImageAt(doc, 4).m_hPalette->GetEntryCount(), 4);
}

TEST(ImageBlock, EveryNonEmptyRowCountAndWidthRoundTrips)
{
    for (const auto& [w, h] :
         std::vector<std::pair<int, int>>{{1, 1}, {1, 9}, {255, 2}, {300, 17}, {0, 0}, {5, 0}}) {
        std::vector<std::unique_ptr<CGifBlock>> blocks;
        blocks.push_back(MakeImage(w, h, [](int x, int y) { return (x ^ (y * 31)) & 0xFF; }));
        static_cast<CGifImageBlock&>(*blocks.back()).m_bInterlace = (w % 2) == 1;
        const Bytes expected = test::Indexes(static_cast<CGifImageBlock&>(*blocks.back()));
        const Bytes file = WriteDocument(std::move(blocks));
        CGIFDoc doc(test::Headless());
        test::ReadInto(doc, file);
        EXPECT_EQ(test::Indexes(ImageAt(doc, 1)), expected) << w << "x" << h;
        EXPECT_EQ(test::WriteOut(doc), file) << w << "x" << h;
    }
}

TEST(ImageBlock, ManyHugeImagesFromAFewBytesExceedTheDocumentBudget)
{
    // Nine images of 16384 x 8192 (each at the single-image bound), a few bytes each: together
    // more than one file may hold. Untouched rows cost no memory while they are read.
    Bytes file = test::B("GIF89a") + test::B({1, 0, 1, 0, 0x00, 0, 0});
    for (int i = 0; i < 9; ++i)
        file = file + test::B({0x2C, 0, 0, 0, 0, 0x00, 0x40, 0x00, 0x20, 0x00, 8, 1, 0x00, 0});
    file = file + test::B({0x3B});
    CGIFDoc doc(test::Headless());
    try {
        test::ReadInto(doc, file);
        FAIL() << "nine images of 2^27 pixels were accepted";
    } catch (const CArchiveException& e) {
        EXPECT_NE(e.GetErrorMessage().find("1073741824"), std::string::npos) << e.GetErrorMessage();
    }
    EXPECT_EQ(doc.GetBlockCount(), 9);  // eight read before the ninth was refused
}

}  // namespace
}  // namespace korvanta
