// Byte forms, clipboard forms, pages and playback effects of the non-image blocks.
#include <gtest/gtest.h>

#include "model/gif_app_blocks.h"
#include "model/gif_control_block.h"
#include "model/gif_header_block.h"
#include "model/gif_pages.h"
#include "model/gif_text_blocks.h"
#include "model/playback_state.h"
#include "tests/test_util.h"

namespace korvanta {
namespace {

using test::B;
using test::Bytes;
using test::operator+;

TEST(BlockBase, BlockThatOverridesNothingDoesNothing)
{
    CGifBlock block;
    test::FakeDC dc;
    CRect entry{0, 0, 128, 40};
    block.DrawInList(dc, entry);
    CGifCommentPageData page;
    PlaybackState state;
    EXPECT_TRUE(dc.m_calls.empty());
    EXPECT_EQ(block.GetListSize(), (CSize{0, 0}));
    EXPECT_EQ(block.GetPage(), PageKind::none);
    EXPECT_EQ(block.UpdateFromPage(page), 0);
    EXPECT_FALSE(block.Play(state));
    EXPECT_FALSE(block.CreateClipData());
    EXPECT_FALSE(block.ReadClipData(B({0})));
    EXPECT_FALSE(block.AdoptFrom(nullptr));
}

TEST(BlockBase, KindTestsFollowReportedClassChain)
{
    CGifAppBlockNavigatorLoop loop;
    CGifAppBlock app;
    EXPECT_FALSE(IsKind<CGifAppBlock>(&loop));  // a loop block is not an application block
    EXPECT_TRUE(IsKind<CGifAppBlockNavigatorLoop>(&loop));
    EXPECT_TRUE(IsKind<CGifBlock>(&loop));
    EXPECT_FALSE(IsKind<CGifAppBlockNavigatorLoop>(&app));
    EXPECT_TRUE(IsKind<CGifAppBlock>(&app));
}

TEST(BlockBase, ReadSubBlockReturnsLengthsAndThrowsOnShortData)
{
    std::uint8_t buffer[256];
    {
        CMemFile file(B({3, 'A', 'B', 'C', 0}));
        CArchive ar(&file, CArchive::load);
        EXPECT_EQ(CGifBlock::ReadSubBlock(ar, buffer), 3u);
        EXPECT_EQ(std::string(buffer, buffer + 3), "ABC");
        EXPECT_EQ(CGifBlock::ReadSubBlock(ar, buffer), 0u);
        try {
            CGifBlock::ReadSubBlock(ar, buffer);  // no size byte left
            FAIL();
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
        }
    }
    CMemFile file(B({5, 'A', 'B'}));
    CArchive ar(&file, CArchive::load);
    try {
        CGifBlock::ReadSubBlock(ar, buffer);
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badIndex);
    }
}

TEST(HeaderBlock, DefaultsAndDefaultPalette)
{
    CGifHeaderBlock header;
    EXPECT_EQ(test::Written(header), B({0x40, 0x01, 0xF0, 0x00, 0x77, 0x00, 0x00}));
    ASSERT_EQ(header.m_hPalette->GetEntryCount(), 256);
    EXPECT_EQ((*header.m_hPalette)[0], (PALETTEENTRY{0, 0, 0, 0}));
    EXPECT_EQ((*header.m_hPalette)[255], (PALETTEENTRY{255, 255, 255, 0}));
    EXPECT_EQ((*header.m_hPalette)[37], (PALETTEENTRY{36, 36, 85, 0}));
    EXPECT_FALSE(header.CreateClipData());
    EXPECT_FALSE(header.AdoptFrom(&header));
}

TEST(HeaderBlock, ShortPaletteFillsTableWithItsLastColour)
{
    CGifHeaderBlock header;
    const PALETTEENTRY entries[5] = {
        {1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}, {10, 11, 12, 0}, {13, 14, 15, 0}};
    header.m_hPalette = CPalette::Create(entries);
    header.m_bGlobalTable = true;
    header.UpdateTableBits();
    EXPECT_EQ(header.m_nTableBits, 2);
    const Bytes out = test::Written(header);
    ASSERT_EQ(out.size(), 7u + 24u);
    EXPECT_EQ(out[4], 0xF2);
    EXPECT_EQ(Bytes(out.begin() + 7 + 12, out.end()), B({13, 14, 15, 13, 14, 15, 13, 14, 15, 13, 14, 15}));
}

TEST(HeaderBlock, TableBitsReadWithoutTableAreKept)
{
    CGifHeaderBlock header;
    test::ReadFrom(header, B({0x10, 0x00, 0x08, 0x00, 0x05, 0x00, 0x00}));
    EXPECT_FALSE(header.m_bGlobalTable);
    EXPECT_EQ(header.m_nTableBits, 5);
    EXPECT_EQ(header.m_hPalette->GetEntryCount(), 256);
    EXPECT_EQ(test::Written(header), B({0x10, 0x00, 0x08, 0x00, 0x05, 0x00, 0x00}));
}

TEST(HeaderBlock, ScreenSizeThatDoesNotFitSixteenBitsIsRefusedNotWrapped)
{
    CGifHeaderBlock header;
    header.m_nWidth = 70000;
    try {
        test::Written(header);
        FAIL() << "a width of 70000 was written";
    } catch (const CArchiveException& e) {
        EXPECT_NE(e.GetErrorMessage().find("70000"), std::string::npos);
    }
    header.m_nWidth = 100;
    header.m_nHeight = -1;
    EXPECT_THROW(test::Written(header), CArchiveException);
}

TEST(HeaderBlock, PageExchange)
{
    CGifHeaderBlock header;
    header.m_nBackground = 37;
    CGifHeaderPageData page;
    header.UpdatePage(page);
    EXPECT_EQ(page.m_hPalette, header.m_hPalette);  // shared, not a copy
    ASSERT_TRUE(page.m_pBkBrush);
    EXPECT_EQ(*page.m_pBkBrush, CBrush::Solid(36, 36, 85));

    page.m_nAspect = 49;  // the aspect byte is taken but not a change
    EXPECT_EQ(header.UpdateFromPage(page), 0);
    EXPECT_EQ(header.m_nAspect, 49);

    const PALETTEENTRY two[2] = {{9, 9, 9, 0}, {8, 8, 8, 0}};
    page.m_hPalette = CPalette::Create(two);
    page.m_nTableBits = 6;  // never taken back
    EXPECT_EQ(header.UpdateFromPage(page), 1);
    EXPECT_EQ(header.m_hPalette, page.m_hPalette);
    EXPECT_EQ(header.m_nTableBits, 0);
    EXPECT_FALSE(page.m_pBkBrush);  // entry 37 no longer exists
}

TEST(HeaderBlock, PlayClearsCanvasToBlackWithoutGlobalTable)
{
    CGifHeaderBlock header;
    header.m_nBackground = 255;  // white in the default palette, but not a global table
    PlaybackState state;
    state.m_crBackground = 0x123456;
    EXPECT_FALSE(header.Play(state));
    EXPECT_EQ(state.m_crBackground, MakeBgr(0, 0, 0));
    header.m_bGlobalTable = true;
    header.Play(state);
    EXPECT_EQ(state.m_crBackground, MakeBgr(255, 255, 255));
    EXPECT_EQ(state.m_hFramePalette, header.m_hPalette);
}

TEST(ControlBlock, ReadsFieldsAndWritesTheStandardForm)
{
    CGifControlBlock block;
    EXPECT_EQ(test::ReadFrom(block, B({4, 0x0F, 0x0A, 0x00, 0x05, 0x00, 0x99})), 6u);
    EXPECT_EQ(block.m_nDisposal, 3);
    EXPECT_TRUE(block.m_bUserInput);
    EXPECT_TRUE(block.m_bTransparent);
    EXPECT_EQ(block.m_nDelay, 10);
    EXPECT_EQ(block.m_nTransparentIndex, 5);
    test::ReadFrom(block, B({4, 0x0D, 0x0A, 0x00, 0x05, 0x00}));
    EXPECT_FALSE(block.m_bUserInput);

    CGifControlBlock fresh;
    EXPECT_EQ(test::Written(fresh), B({0x21, 0xF9, 4, 0x08, 0x64, 0, 0, 0}));

    test::ReadFrom(block, B({4, 0xFF, 0, 0, 0, 0}));
    EXPECT_EQ(block.m_nDisposal, 7);
    EXPECT_EQ(test::Written(block)[3], 0x1F);
    block.m_nDelay = 70000;
    const Bytes out = test::Written(block);
    EXPECT_EQ(out[4] | (out[5] << 8), 4464);
}

TEST(ControlBlock, ClipboardRoundTripAndShortItem)
{
    CGifControlBlock block;
    block.m_nDisposal = 1;
    block.m_bTransparent = true;
    block.m_nTransparentIndex = 200;
    block.m_nDelay = 1234;
    const auto clip = block.CreateClipData();
    ASSERT_TRUE(clip);
    ASSERT_EQ(clip->size(), 8u);
    CGifControlBlock copy;
    EXPECT_TRUE(copy.ReadClipData(std::span(*clip).subspan(2)));
    EXPECT_EQ(test::Written(copy), *clip);
    EXPECT_FALSE(copy.ReadClipData(B({4, 1, 2, 3})));
}

TEST(ControlBlock, PlaySetsDelayTransparencyAndDisposal)
{
    CGifControlBlock block;
    PlaybackState state;
    block.m_nTransparentIndex = 9;  // not in force: the flag is clear
    block.m_bUserInput = true;
    block.m_nDelay = 20;
    EXPECT_FALSE(block.Play(state));
    EXPECT_EQ(state.m_nFrameDelay, 100);
    EXPECT_EQ(state.m_nFrameTransparent, -1);
    EXPECT_EQ(state.m_nFrameDisposal, 2);
    block.m_nDelay = 150;
    block.m_bTransparent = true;
    block.Play(state);
    EXPECT_EQ(state.m_nFrameDelay, 150);
    EXPECT_EQ(state.m_nFrameTransparent, 9);
}

TEST(ControlBlock, PageExchangeRefreshesSwatchFromFramePalette)
{
    CGifControlBlock block;
    const PALETTEENTRY entries[2] = {{1, 1, 1, 0}, {200, 100, 50, 0}};
    block.m_hFramePalette = CPalette::Create(entries);
    block.m_bTransparent = true;
    block.m_nTransparentIndex = 1;
    CGifControlPageData page;
    block.UpdatePage(page);
    ASSERT_TRUE(page.m_pTransBrush);
    EXPECT_EQ(*page.m_pTransBrush, CBrush::Solid(200, 100, 50));
    EXPECT_EQ(block.UpdateFromPage(page), 0);
    page.m_nDisposal = 3;
    EXPECT_EQ(block.UpdateFromPage(page), 1);
    EXPECT_EQ(block.m_nDisposal, 3);
}

TEST(CommentBlock, SubBlockSplitting)
{
    CGifCommentBlock block;
    block.m_strText = "ABC";
    EXPECT_EQ(test::Written(block), B({0x21, 0xFE, 3, 'A', 'B', 'C', 0}));
    EXPECT_EQ(block.CreateClipData()->size(), 7u);
    block.m_strText.clear();
    EXPECT_EQ(test::Written(block), B({0x21, 0xFE, 0}));
    EXPECT_EQ(block.CreateClipData()->size(), 3u);

    for (const std::size_t length : {255u, 256u, 300u}) {
        block.m_strText.assign(length, 'x');
        const Bytes out = test::Written(block);
        ASSERT_EQ(out.size(), 2 + length + (length + 254) / 255 + 1) << length;
        EXPECT_EQ(out[2], 255);
        if (length > 255) {
            EXPECT_EQ(out[2 + 256], length - 255);
        }
        EXPECT_EQ(out.back(), 0);
        EXPECT_EQ(block.CreateClipData()->size(), out.size());
    }
}

TEST(CommentBlock, ZeroByteEndsItsSubBlocksText)
{
    CGifCommentBlock block;
    test::ReadFrom(block, B({2, 'A', 0, 1, 'B', 0}));
    EXPECT_EQ(block.m_strText, "AB");
}

TEST(CommentBlock, ClipboardItemIsBoundedByItsSize)
{
    CGifCommentBlock block;
    EXPECT_TRUE(block.ReadClipData(B({2, 'h', 'i', 0})));
    EXPECT_EQ(block.m_strText, "hi");
    EXPECT_FALSE(block.ReadClipData(B({2, 'x', 'y'})));     // no terminator
    EXPECT_FALSE(block.ReadClipData(B({9, 'x', 'y', 0})));  // sub-block past the end
    EXPECT_FALSE(block.ReadClipData({}));
    EXPECT_EQ(block.m_strText, "hi");  // a refused item changes nothing
}

TEST(TextBlock, ByteForms)
{
    CGifTextBlock block;
    EXPECT_EQ(test::Written(block),
              B({0x21, 0x01, 0x0C, 0, 0, 0, 0, 0, 0, 0, 0, 0x08, 0x10, 0xFF, 0x00, 0x00}));
    block.m_nGridLeft = 300;
    const Bytes out = test::Written(block);
    EXPECT_EQ(out[3], 0x2C);
    EXPECT_EQ(out[4], 0x01);
    EXPECT_EQ(block.CreateClipData()->size(), 16u);

    // A block size byte other than 12 still means twelve field bytes.
    CGifTextBlock read;
    test::ReadFrom(read, B({0x07, 1, 0, 2, 0, 3, 0, 4, 0, 5, 6, 7, 8, 2, 'o', 'k', 0}));
    EXPECT_EQ(read.m_nGridLeft, 1);
    EXPECT_EQ(read.m_nGridHeight, 4);
    EXPECT_EQ(read.m_nBackground, 8);
    EXPECT_EQ(read.m_strText, "ok");
}

TEST(TextBlock, ClipboardRoundTripAndRefusals)
{
    CGifTextBlock block;
    block.m_nGridTop = 513;
    block.m_nForeground = 3;
    block.m_strText = std::string(400, 'q');
    const auto clip = block.CreateClipData();
    ASSERT_TRUE(clip);
    CGifTextBlock copy;
    ASSERT_TRUE(copy.ReadClipData(std::span(*clip).subspan(2)));
    EXPECT_EQ(test::Written(copy), *clip);
    EXPECT_FALSE(copy.ReadClipData(std::span(*clip).subspan(2, 12)));
    EXPECT_FALSE(copy.ReadClipData(std::span(*clip).subspan(2, clip->size() - 3)));
}

Bytes AppBody(const std::string& identifier, const std::string& code, const Bytes& subBlocks)
{
    return B({11}) + B(identifier) + B(code) + subBlocks;
}

std::unique_ptr<CGifBlock> ReadApp(const Bytes& body)
{
    CGifAppBlock app;
    test::ReadFrom(app, body);
    if (auto loop = app.CreateLoopBlock())
        return loop;
    auto kept = std::make_unique<CGifAppBlock>();
    test::ReadFrom(*kept, body);
    return kept;
}

TEST(AppBlock, NetscapeLoopExtensionBecomesLoopBlock)
{
    auto block = ReadApp(AppBody("NETSCAPE", "2.0", B({3, 1, 0, 0, 0})));
    ASSERT_TRUE(IsKind<CGifAppBlockNavigatorLoop>(block.get()));
    EXPECT_EQ(static_cast<CGifAppBlockNavigatorLoop&>(*block).m_nLoopCount, 0);
    PlaybackState state;
    state.m_nScan = 4;
    EXPECT_FALSE(block->Play(state));
    EXPECT_EQ(state.m_nPassesLeft, 32767);
    EXPECT_EQ(state.m_nRestart, 4);

    block = ReadApp(AppBody("NETSCAPE", "2.0", B({3, 1, 5, 0, 0})));
    EXPECT_EQ(static_cast<CGifAppBlockNavigatorLoop&>(*block).m_nLoopCount, 5);
}

TEST(AppBlock, OtherExtensionsStayApplicationBlocks)
{
    for (const Bytes& body :
         {AppBody("NETSCAPE", "2.0", B({3, 2, 5, 0, 0})), AppBody("NETSCAPE", "2.1", B({3, 1, 5, 0, 0})),
          AppBody("GIFCONnb", "1.0", B({3, 1, 5, 0, 0})),
          // too short to hold a count: never read past the data
          AppBody("NETSCAPE", "2.0", B({0})), AppBody("NETSCAPE", "2.0", B({1, 1, 0})),
          AppBody("NETSCAPE", "2.0", B({2, 1, 5, 0}))}) {
        auto block = ReadApp(body);
        EXPECT_TRUE(IsKind<CGifAppBlock>(block.get()));
        // written back byte for byte
        EXPECT_EQ(test::Written(*block), B({0x21, 0xFF}) + body);
    }
}

TEST(AppBlock, PageTexts)
{
    auto block = ReadApp(AppBody("NETSCAPE", "2.0", B({3, 2, 5, 0, 0})));
    CGifAppPageData page;
    page.m_strIdent = "stale";
    block->UpdatePage(page);
    EXPECT_EQ(page.m_strIdent, "NETSCAPE2.0");
    EXPECT_EQ(page.m_strData,
              "02 05 00 " + std::string(5 * 3, ' ') + "    " + "..." + std::string(5, ' ') + "\r\n");
    EXPECT_EQ(block->UpdateFromPage(page), 0);

    CGifAppBlock gif;
    gif.m_identifier = {'A', 'B', 0, 'D', 'E', 'F', 'G', 'H'};
    gif.m_authCode = {'1', '2', '3'};
    gif.m_data = B("GIF89a");
    gif.UpdatePage(page);
    // "%8.8s%3.3s": each part cut at a zero byte and right-aligned in its width
    EXPECT_EQ(page.m_strIdent, "      AB123");
    gif.m_authCode = {'1', 0, '3'};
    gif.UpdatePage(page);
    EXPECT_EQ(page.m_strIdent, "      AB  1");
    EXPECT_EQ(page.m_strData, "47 49 46 38 39 61 " + std::string(2 * 3, ' ') + "    " + "GIF89a" + "  \r\n");
    gif.m_data.clear();
    gif.UpdatePage(page);
    EXPECT_EQ(page.m_strData, "");
}

TEST(AppBlock, DataSplitIntoSubBlocksAndClipboardSize)
{
    CGifAppBlock app;
    app.m_identifier = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};
    app.m_authCode = {'1', '.', '0'};
    app.m_data.assign(300, 7);
    const Bytes out = test::Written(app);
    ASSERT_EQ(out.size(), 14u + 1 + 255 + 1 + 45 + 1);
    EXPECT_EQ(out[14], 255);
    EXPECT_EQ(out[14 + 256], 45);
    const auto clip = app.CreateClipData();
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->size(), 317u);

    CGifAppBlock copy;
    ASSERT_TRUE(copy.ReadClipData(std::span(*clip).subspan(2)));
    EXPECT_EQ(copy.m_data, app.m_data);
    EXPECT_FALSE(CGifAppBlock().ReadClipData(std::span(*clip).subspan(2, 11)));
    EXPECT_FALSE(CGifAppBlock().ReadClipData(std::span(*clip).subspan(2, 100)));
}

TEST(LoopBlock, WrittenFormAndClipboardRoundTrip)
{
    CGifAppBlockNavigatorLoop loop;
    const Bytes expected =
        B({0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0x10, 0x27, 0});
    EXPECT_EQ(test::Written(loop), expected);
    EXPECT_TRUE(loop.m_data.empty());
    loop.m_nLoopCount = 258;
    const auto clip = loop.CreateClipData();
    ASSERT_TRUE(clip);
    // the paste path: an application block, then the conversion
    CGifAppBlock app;
    ASSERT_TRUE(app.ReadClipData(std::span(*clip).subspan(2)));
    auto back = app.CreateLoopBlock();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->m_nLoopCount, 258);
    EXPECT_FALSE(loop.AdoptFrom(nullptr));
    EXPECT_TRUE(app.AdoptFrom(nullptr));
}

TEST(LoopBlock, PageCountOutsideSixteenBitsIsNotTaken)
{
    CGifAppBlockNavigatorLoop loop;
    CGifLoopPageData page;
    loop.UpdatePage(page);
    EXPECT_EQ(page.m_nLoopCount, 10000u);
    page.m_nLoopCount = 65536;
    EXPECT_EQ(loop.UpdateFromPage(page), 0);
    EXPECT_EQ(loop.m_nLoopCount, 10000);
    page.m_nLoopCount = 0;
    EXPECT_EQ(loop.UpdateFromPage(page), 1);
    EXPECT_EQ(loop.m_nLoopCount, 0);
}

TEST(BlockList, LabelsAndSizes)
{
    CGifHeaderBlock header;
    CGifControlBlock control;
    CGifCommentBlock comment;
    CGifTextBlock text;
    CGifAppBlock app;
    CGifAppBlockNavigatorLoop loop;
    test::FakeDC dc;
    for (CGifBlock* b : std::initializer_list<CGifBlock*>{&header, &control, &comment, &text, &app, &loop}) {
        CRect entry{2, 42, 126, 78};
        b->DrawInList(dc, entry);
        EXPECT_EQ(entry, (CRect{2, 42, 126, 78}));  // a label leaves the whole entry to be framed
        EXPECT_EQ(b->GetListSize(), (CSize{128, 40}));
    }
    EXPECT_EQ(dc.m_calls,
              (std::vector<std::string>{"text 10,50 Header", "text 10,50 control", "text 10,50 comment",
                                        "text 10,50 TEXT", "text 10,50 Applicaton", "text 10,50 Loop"}));
}

}  // namespace
}  // namespace korvanta
