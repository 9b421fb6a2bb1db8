// The document's commands that move blocks in and out: picture insertion, GIF import, copy,
// cut and paste, and saving the selected image, all through fake dialogs and clipboard.
#include <gtest/gtest.h>

#include "imaging/bmp_file.h"
#include "imaging/dib.h"
#include "imaging/dib_convert.h"
#include "model/gif_app_blocks.h"
#include "model/gif_control_block.h"
#include "model/gif_doc.h"
#include "model/gif_doc_commands.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "model/gif_text_blocks.h"
#include "tests/service_fakes.h"
#include "tests/test_util.h"

namespace korvanta {
namespace {

using test::Bytes;
using test::operator+;
using test::DibLayout;
using test::Kinds;
using test::Pixels;

// Entry i: red i, green 2i, blue 255 - i.
HPALETTE Ramp(int count)
{
    std::vector<PALETTEENTRY> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(2 * i),
                           static_cast<std::uint8_t>(255 - i), 0});
    return CPalette::Create(entries);
}

// An image whose pixel (x, y) is f(x, y), with a local table when a palette is given.
template <class F>
std::unique_ptr<CGifImageBlock> MakeImage(int width, int height, F f, HPALETTE palette = nullptr)
{
    auto image = std::make_unique<CGifImageBlock>();
    image->m_hDib = NewPackedDib(width, height, 8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            PackedDibRow(*image->m_hDib, y)[x] = static_cast<std::uint8_t>(f(x, y));
    if (palette) {
        image->m_hPalette = palette;
        image->m_bLocalTable = true;
        image->UpdateTableBits();
        image->LoadColorTable(palette);
    }
    return image;
}

std::vector<std::vector<int>> Indices(const DibBlock& dib)
{
    return Pixels(PackedDibWidth(dib), PackedDibHeight(dib),
                  [&](int x, int y) { return static_cast<int>(PackedDibRow(dib, y)[x]); });
}

const CGifImageBlock& ImageAt(const CGIFDoc& doc, int index)
{
    const auto* image = dynamic_cast<const CGifImageBlock*>(doc.GetBlock(index));
    if (image == nullptr)
        throw std::runtime_error("block " + std::to_string(index) + " is not an image");
    return *image;
}

class CountingView : public CView {
public:
    int GetClientHeight() const override { return 300; }
    void OnUpdate() override { ++m_nUpdates; }
    int m_nUpdates = 0;
};

// A new document (header, loop, control; the control block current) wired to fakes.
class DocCommands : public test::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        m_doc.AddView(&m_view);
        ASSERT_TRUE(m_doc.OnNewDocument());
    }
    void TearDown() override
    {
        m_doc.RemoveView(&m_view);
        TempDirTest::TearDown();
    }
    DocumentServices Services()
    {
        return test::Headless().WithMessages(m_messages).WithDialogs(m_dialogs).WithClipboard(m_clipboard);
    }
    // Writes a BMP file and inserts it through the command.
    void InsertBmp(const DibLayout& layout, const std::string& name = "picture.bmp")
    {
        const std::string path = PathOf(name);
        test::WriteFileBytes(path, test::BmpFileBytes(layout));
        m_dialogs.Answer(path);
        m_doc.OnInsertImage();
    }
    std::string WriteGif(const std::string& name, HPALETTE global,
                         std::vector<std::unique_ptr<CGifBlock>> blocks)
    {
        const std::string path = PathOf(name);
        test::WriteGifFile(path, global, std::move(blocks));
        return path;
    }
    void Append(std::unique_ptr<CGifBlock> block) { m_doc.InsertBlock(-1, std::move(block)); }

    test::FakeMessages m_messages;
    test::FakeFileDialogs m_dialogs;
    test::FakeClipboard m_clipboard;
    CountingView m_view;
    CGIFDoc m_doc{Services()};
};

using InsertImage = DocCommands;

TEST_F(InsertImage, FourBitSixteenColoursBecomesAnEightBitImageWithSixteenEntries)
{
    DibLayout layout;
    layout.width = 5;
    layout.height = 3;
    layout.bitCount = 4;
    layout.pixels = Pixels(5, 3, [](int x, int y) { return (x + 5 * y) % 16; });
    InsertBmp(layout);

    ASSERT_EQ(m_dialogs.m_requests.size(), 1u);
    const FileDialogRequest& request = m_dialogs.m_requests[0];
    EXPECT_TRUE(request.bOpen);
    EXPECT_EQ(request.flags, static_cast<unsigned>(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY));
    EXPECT_EQ(request.filter,
              "Picture Files(*.bmp;*.gif)|*.bmp;*.gif|Bitmap(*.bmp)|*.bmp|GIF(*.gif)|*.gif||");
    EXPECT_EQ(request.defaultExtension, "");

    EXPECT_EQ(Kinds(m_doc), "header loop control image");
    EXPECT_EQ(m_doc.m_nCurrent, 3);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_GE(m_view.m_nUpdates, 1);
    const CGifImageBlock& image = ImageAt(m_doc, 3);
    ASSERT_TRUE(image.m_hDib);
    EXPECT_EQ(PackedDibBitCount(*image.m_hDib), 8);
    EXPECT_EQ(PackedDibColorCount(*image.m_hDib), 16);
    ASSERT_TRUE(image.m_hPalette);
    EXPECT_EQ(image.m_hPalette->GetEntryCount(), 16);
    EXPECT_TRUE(image.m_bLocalTable);
    EXPECT_EQ(image.m_nTableBits, 3);
    EXPECT_EQ((*image.m_hPalette)[9], (PALETTEENTRY{9, 255 - 9, 27, 0}));
    EXPECT_EQ(Indices(*image.m_hDib), layout.pixels);
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(InsertImage, EightBitsWithAllColoursIsTakenAsItIsAndWithFewerIsRebuilt)
{
    DibLayout layout;
    layout.width = 7;
    layout.height = 2;
    layout.pixels = Pixels(7, 2, [](int x, int y) { return x * 30 + y; });
    InsertBmp(layout, "all.bmp");
    const PackedDib loaded = LoadBmpFile(PathOf("all.bmp"), m_messages);
    ASSERT_TRUE(loaded);
    const CGifImageBlock& full = ImageAt(m_doc, 3);
    EXPECT_EQ(full.m_hDib->Copy(), loaded->Copy());
    EXPECT_EQ(PackedDibColorCount(*full.m_hDib), 256);
    EXPECT_EQ(full.m_nTableBits, 7);

    layout.colorsUsed = 200;
    InsertBmp(layout, "some.bmp");
    const CGifImageBlock& some = ImageAt(m_doc, 4);
    EXPECT_EQ(PackedDibBitCount(*some.m_hDib), 8);
    EXPECT_EQ(PackedDibColorCount(*some.m_hDib), 200);
    EXPECT_EQ(some.m_hDib->size(), 40u + 200 * 4 + 8 * 2);
    EXPECT_EQ(some.m_hPalette->GetEntryCount(), 200);
    EXPECT_EQ(Indices(*some.m_hDib), layout.pixels);
}

TEST_F(InsertImage, DeeperThanEightBitsIsRefused)
{
    m_doc.SetModifiedFlag(false);
    for (const int bits : {16, 24, 32}) {
        SCOPED_TRACE(bits);
        m_messages.m_texts.clear();
        DibLayout layout;
        layout.bitCount = bits;
        layout.pixels = Pixels(3, 2, [](int x, int) { return 40 * x; });
        InsertBmp(layout);
        EXPECT_EQ(m_messages.m_texts, std::vector<std::string>{"256色のイメージにしてください。"});

        // the same picture cut short is no bitmap
        m_messages.m_texts.clear();
        std::vector<std::uint8_t> bytes = test::BmpFileBytes(layout);
        bytes.pop_back();
        test::WriteFileBytes(PathOf("cut.bmp"), bytes);
        m_dialogs.Answer(PathOf("cut.bmp"));
        m_doc.OnInsertImage();
        EXPECT_EQ(m_messages.m_texts, std::vector<std::string>{"Load error."});
    }
    EXPECT_EQ(Kinds(m_doc), "header loop control");
    EXPECT_FALSE(m_doc.IsModified());
}

TEST_F(InsertImage, ExtensionDecidesWithoutRegardToCase)
{
    DibLayout layout;
    layout.pixels = Pixels(3, 2, [](int x, int) { return x; });
    InsertBmp(layout, "mixed.Bmp");
    EXPECT_EQ(Kinds(m_doc), "header loop control image");
    EXPECT_TRUE(m_messages.m_texts.empty());

    InsertBmp(layout, "bitmap.png");
    EXPECT_EQ(m_messages.m_texts, std::vector<std::string>{"Load error."});

    m_messages.m_texts.clear();
    test::WriteFileBytes(PathOf("junk.bmp"), test::B("not a bitmap at all, not even close to one"));
    m_dialogs.Answer(PathOf("junk.bmp"));
    m_doc.OnInsertImage();
    EXPECT_EQ(m_messages.m_texts, std::vector<std::string>{"Load error."});

    m_messages.m_texts.clear();
    m_dialogs.Answer(PathOf("gone.bmp"));
    m_doc.OnInsertImage();
    EXPECT_EQ(m_messages.m_texts, (std::vector<std::string>{"File Not Found!", "Load error."}));
    EXPECT_EQ(Kinds(m_doc), "header loop control image");
}

TEST_F(InsertImage, CancelledDialogInsertsNothing)
{
    m_doc.SetModifiedFlag(false);
    m_doc.OnInsertImage();
    EXPECT_EQ(Kinds(m_doc), "header loop control");
    EXPECT_FALSE(m_doc.IsModified());
}

TEST_F(InsertImage, GifFileBringsItsBlocksAfterTheCurrentOneButNotHeaderOrLoop)
{
    auto control = std::make_unique<CGifControlBlock>();
    control->m_nDelay = 7;
    std::vector<std::unique_ptr<CGifBlock>> blocks;
    blocks.push_back(std::make_unique<CGifAppBlockNavigatorLoop>());
    blocks.push_back(std::move(control));
    blocks.push_back(MakeImage(3, 2, [](int x, int) { return x; }));
    blocks.push_back(MakeImage(
        2, 2, [](int x, int y) { return x ^ y; }, Ramp(2)));
    const std::string path = WriteGif("anim.GIF", Ramp(4), std::move(blocks));

    ASSERT_EQ(m_doc.m_nCurrent, 2);
    m_dialogs.Answer(path);
    m_doc.OnInsertImage();

    EXPECT_TRUE(m_messages.m_texts.empty());
    EXPECT_EQ(Kinds(m_doc), "header loop control control image image");
    EXPECT_EQ(m_doc.m_nCurrent, 5);
    EXPECT_EQ(static_cast<const CGifControlBlock*>(m_doc.GetBlock(3))->m_nDelay, 7);
    // The image that showed the file's global colours keeps them as its own table.
    const CGifImageBlock& first = ImageAt(m_doc, 4);
    EXPECT_TRUE(first.m_bLocalTable);
    ASSERT_TRUE(first.m_hPalette);
    EXPECT_EQ(first.m_hPalette->GetEntryCount(), 4);
    EXPECT_EQ((*first.m_hPalette)[3], (*Ramp(4))[3]);
    EXPECT_EQ(ImageAt(m_doc, 5).m_hPalette->GetEntryCount(), 2);
    EXPECT_EQ(Indices(*ImageAt(m_doc, 5).m_hDib), (std::vector<std::vector<int>>{{0, 1}, {1, 0}}));
}

TEST_F(InsertImage, GifFileTheReaderRejectsInsertsNothingAndSaysWhy)
{
    m_doc.SetModifiedFlag(false);
    const Bytes screen = test::B("GIF89a") + test::B({1, 0, 1, 0, 0x00, 0, 0});
    const Bytes control = test::B({0x21, 0xF9, 4, 0, 5, 0, 0, 0});
    test::WriteFileBytes(PathOf("bad.gif"), screen + control + test::B({0x21, 0x02, 0}));
    m_dialogs.Answer(PathOf("bad.gif"));
    m_doc.OnInsertImage();
    ASSERT_EQ(m_messages.m_texts.size(), 1u);
    EXPECT_NE(m_messages.m_texts[0].find("bad.gif"), std::string::npos);
    EXPECT_NE(m_messages.m_texts[0].find("0x02"), std::string::npos) << m_messages.m_texts[0];
    EXPECT_EQ(Kinds(m_doc), "header loop control");
    EXPECT_FALSE(m_doc.IsModified());

    // Without its trailer the file still brings what was read, with a warning.
    m_messages.m_texts.clear();
    test::WriteFileBytes(PathOf("short.gif"), screen + control);
    m_dialogs.Answer(PathOf("short.gif"));
    m_doc.OnInsertImage();
    EXPECT_EQ(Kinds(m_doc), "header loop control control");
    ASSERT_EQ(m_messages.m_texts.size(), 1u);
    EXPECT_NE(m_messages.m_texts[0].find("0x3B"), std::string::npos) << m_messages.m_texts[0];
}

using Clipboard = DocCommands;

// Copies the current block and pastes it; the pasted block must carry the same clipboard form.
TEST_F(Clipboard, EveryKindRoundTripsThroughCopyAndPaste)
{
    auto control = std::make_unique<CGifControlBlock>();
    control->m_nDelay = 33;
    control->m_bTransparent = true;
    control->m_nTransparentIndex = 5;
    control->m_bUserInput = true;
    control->m_nDisposal = 3;
    auto comment = std::make_unique<CGifCommentBlock>();
    comment->m_strText = "hello, clipboard";
    auto text = std::make_unique<CGifTextBlock>();
    text->m_nGridLeft = 3;
    text->m_nGridTop = 4;
    text->m_nGridWidth = 80;
    text->m_nGridHeight = 32;
    text->m_nForeground = 2;
    text->m_nBackground = 9;
    text->m_strText = "plain text";
    auto app = std::make_unique<CGifAppBlock>();
    app->m_identifier = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};
    app->m_authCode = {'1', '.', '0'};
    app->m_data = {1, 2, 3, 250, 0, 7};
    Append(std::move(control));
    Append(std::move(comment));
    Append(std::move(text));
    Append(std::move(app));
    Append(MakeImage(
        13, 3, [](int x, int y) { return x + 13 * y; }, Ramp(64)));  // rows padded to 16
    auto local = MakeImage(13, 3, [](int x, int y) { return (x * y) % 7; });
    local->m_nLeft = 4;
    local->m_bInterlace = true;
    local->LoadColorTable(m_doc.GetGlobalPalette());
    Append(std::move(local));

    for (int index = 3; index < 9; ++index) {
        SCOPED_TRACE(Kinds(m_doc).substr(0) + " at " + std::to_string(index));
        const int count = m_doc.GetBlockCount();
        m_doc.m_nCurrent = index;
        const CGifBlock* original = m_doc.GetBlock(index);
        const ClipData form = original->CreateClipData();
        ASSERT_TRUE(form);
        m_doc.OnEditCopy();
        EXPECT_EQ(m_clipboard.m_items.at(m_clipboard.PrivateFormat()), *form);
        const auto* image = dynamic_cast<const CGifImageBlock*>(original);
        if (image != nullptr) {
            EXPECT_EQ(m_clipboard.m_items.at(CF_DIB), image->m_hDib->Copy());
        } else {
            EXPECT_EQ(m_clipboard.m_items.count(CF_DIB), 0u);
        }

        m_doc.OnEditPaste();
        ASSERT_EQ(m_doc.GetBlockCount(), count + 1);
        EXPECT_EQ(m_doc.m_nCurrent, index + 1);
        const CGifBlock* pasted = m_doc.GetBlock(index + 1);
        EXPECT_EQ(pasted->GetRuntimeClass(), original->GetRuntimeClass());
        EXPECT_EQ(pasted->CreateClipData(), form);
        if (image != nullptr) {
            EXPECT_EQ(static_cast<const CGifImageBlock*>(pasted)->m_hDib->Copy(), image->m_hDib->Copy());
        }
        // Remove the copy again so the next index is the next original.
        m_doc.m_blocks.erase(m_doc.m_blocks.begin() + index + 1);
    }
    EXPECT_TRUE(m_messages.m_texts.empty());
    EXPECT_EQ(m_clipboard.m_items.size(), 2u) << "the last copy was an image: its item and its bitmap";
}

TEST_F(Clipboard, ControlBlockGoesOutAsItsEightStreamBytes)
{
    m_doc.OnEditCopy();  // the new document's control block
    const auto& item = m_clipboard.m_items.at(m_clipboard.PrivateFormat());
    EXPECT_EQ(item, test::B({0x21, 0xF9, 4, 0x08, 100, 0, 0, 0}));
    EXPECT_EQ(m_clipboard.m_items.size(), 1u);
}

TEST_F(Clipboard, LoopBlockPastesOnlyWhenNoneIsThereAndThenAfterTheHeader)
{
    auto* loop = static_cast<CGifAppBlockNavigatorLoop*>(m_doc.GetBlock(1));
    loop->m_nLoopCount = 3;
    m_doc.m_nCurrent = 1;
    m_doc.OnEditCopy();
    m_doc.m_nCurrent = 2;
    m_doc.SetModifiedFlag(false);
    m_doc.OnEditPaste();
    EXPECT_EQ(Kinds(m_doc), "header loop control");
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_TRUE(m_messages.m_texts.empty());

    m_doc.m_nCurrent = 1;
    m_doc.OnEditCut();
    EXPECT_EQ(Kinds(m_doc), "header control");
    EXPECT_EQ(m_doc.m_nCurrent, 1);
    m_doc.OnEditPaste();
    EXPECT_EQ(Kinds(m_doc), "header loop control");
    EXPECT_EQ(m_doc.m_nCurrent, 1);
    EXPECT_EQ(static_cast<CGifAppBlockNavigatorLoop*>(m_doc.GetBlock(1))->m_nLoopCount, 3);
}

TEST_F(Clipboard, ItemsOfUnknownKindOrWithShortDataAreRefused)
{
    Append(MakeImage(
        4, 4, [](int x, int) { return x; }, Ramp(16)));
    Bytes image = *m_doc.GetBlock(3)->CreateClipData();
    image.pop_back();
    Bytes comment = *CGifCommentBlock().CreateClipData();
    comment.pop_back();  // the terminator
    const std::vector<Bytes> items = {
        test::B({0x21, 0x02, 1, 0, 0}),  // an extension label we do not know
        {},
        test::B({0x21}),
        test::B({0x3B, 0x00}),
        image,    // one pixel missing
        comment,  // no terminator
        test::B({0x21, 0xF9, 4, 0}),
    };
    m_doc.SetModifiedFlag(false);
    for (const Bytes& item : items) {
        SCOPED_TRACE(item.size());
        m_messages.m_texts.clear();
        m_clipboard.m_items = {{m_clipboard.PrivateFormat(), item}};
        m_doc.OnEditPaste();
        EXPECT_EQ(m_messages.m_texts, std::vector<std::string>{"この形式は認識できません。"});
        EXPECT_EQ(Kinds(m_doc), "header loop control image");
        EXPECT_FALSE(m_doc.IsModified());
    }
}

TEST_F(Clipboard, PastedImageWithoutLocalTableShowsThisDocumentsGlobalColours)
{
    CGIFDoc other(Services());
    other.OnNewDocument();
    other.SetGlobalPalette(Ramp(8));
    auto image = MakeImage(3, 3, [](int x, int y) { return x + 3 * y; });
    image->LoadColorTable(other.GetGlobalPalette());
    other.InsertBlock(-1, std::move(image));
    other.OnEditCopy();

    m_doc.SetGlobalPalette(Ramp(200));
    m_doc.OnEditPaste();
    const CGifImageBlock& pasted = ImageAt(m_doc, 3);
    EXPECT_FALSE(pasted.m_bLocalTable);
    EXPECT_FALSE(pasted.m_hPalette);
    const std::uint8_t* table = PackedDibColorTable(*pasted.m_hDib);
    for (int i : {0, 7, 8, 199}) {
        const PALETTEENTRY& e = (*m_doc.GetGlobalPalette())[i];
        EXPECT_EQ(table[4 * i], e.peBlue) << i;
        EXPECT_EQ(table[4 * i + 1], e.peGreen) << i;
        EXPECT_EQ(table[4 * i + 2], e.peRed) << i;
    }
}

TEST_F(Clipboard, OwnItemWinsOverTheBitmap)
{
    Append(MakeImage(
        2, 2, [](int, int) { return 1; }, Ramp(4)));
    m_doc.OnEditCopy();
    m_doc.m_nCurrent = 2;
    m_doc.OnEditCopy();  // the control block: its item only
    DibLayout layout;
    layout.pixels = Pixels(3, 2, [](int, int) { return 0; });
    m_clipboard.m_items[CF_DIB] = test::DibBytes(layout);
    m_doc.OnEditPaste();
    EXPECT_EQ(Kinds(m_doc), "header loop control control image");
}

TEST_F(Clipboard, BitmapFromAnotherProgramBecomesAnImageBlock)
{
    DibLayout layout;
    layout.width = 5;
    layout.height = -3;  // top row first
    layout.bitCount = 4;
    layout.pixels = Pixels(5, 3, [](int x, int y) { return (3 * x + y) % 16; });
    m_clipboard.m_items[CF_DIB] = test::DibBytes(layout);
    m_doc.OnEditPaste();
    ASSERT_EQ(Kinds(m_doc), "header loop control image");
    const CGifImageBlock& image = ImageAt(m_doc, 3);
    EXPECT_EQ(PackedDibBitCount(*image.m_hDib), 8);
    EXPECT_EQ(Indices(*image.m_hDib), layout.pixels);
    EXPECT_EQ(image.m_hPalette->GetEntryCount(), 16);
    EXPECT_EQ(image.m_nTableBits, 3);
    EXPECT_TRUE(image.m_bLocalTable);
    EXPECT_EQ(m_clipboard.m_items.at(CF_DIB), test::DibBytes(layout)) << "the clipboard keeps its own";
}

TEST_F(Clipboard, BitmapsThatCannotBeReadAsTheySayAreRefusedWithAMessage)
{
    DibLayout deep;
    deep.bitCount = 24;
    deep.pixels = Pixels(3, 2, [](int, int) { return 9; });
    DibLayout rle;
    rle.compression = 1;
    rle.pixels = Pixels(3, 2, [](int, int) { return 9; });
    Bytes core = {12, 0, 0, 0, 2, 0, 2, 0, 1, 0, 8, 0};
    core.resize(12 + 3 * 256 + 8);
    Bytes lying = test::DibBytes(rle);
    lying[16] = 0;
    lying[8] = 200;  // 200 rows claimed, 2 there
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {test::DibBytes(deep), "256色のイメージにしてください。"},
        {test::DibBytes(rle), "圧縮"},
        {core, "12 バイト"},
        {lying, "足りません"},
    };
    m_doc.SetModifiedFlag(false);
    for (const auto& [bytes, reason] : cases) {
        SCOPED_TRACE(reason);
        m_messages.m_texts.clear();
        m_clipboard.m_items = {{CF_DIB, bytes}};
        m_doc.OnEditPaste();
        ASSERT_EQ(m_messages.m_texts.size(), 1u);
        EXPECT_NE(m_messages.m_texts[0].find(reason), std::string::npos) << m_messages.m_texts[0];
        EXPECT_EQ(Kinds(m_doc), "header loop control");
    }
    EXPECT_FALSE(m_doc.IsModified());
}

TEST_F(Clipboard, CutOfTheLastBlockMakesTheNewLastOneCurrent)
{
    m_doc.SetModifiedFlag(false);
    const int updates = m_view.m_nUpdates;
    m_doc.OnEditCut();
    EXPECT_EQ(Kinds(m_doc), "header loop");
    EXPECT_EQ(m_doc.m_nCurrent, 1);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_GT(m_view.m_nUpdates, updates);
    EXPECT_EQ(m_clipboard.m_items.at(m_clipboard.PrivateFormat()).size(), 8u);

    m_doc.DeleteCurrentBlock();  // the loop block, the same way
    EXPECT_EQ(Kinds(m_doc), "header");
    EXPECT_EQ(m_doc.m_nCurrent, 0);
}

TEST_F(Clipboard, CutKeepsTheBlockWhenTheClipboardCannotTakeIt)
{
    m_doc.SetModifiedFlag(false);
    m_clipboard.m_bRefuseOpen = true;
    m_doc.OnEditCopy();
    EXPECT_TRUE(m_messages.m_texts.empty()) << "a failed copy is silent";
    m_doc.OnEditCut();
    EXPECT_EQ(Kinds(m_doc), "header loop control");
    EXPECT_EQ(m_doc.m_nCurrent, 2);
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(m_messages.m_texts.size(), 1u);
    m_doc.OnEditPaste();  // nothing happens
    EXPECT_EQ(Kinds(m_doc), "header loop control");

    // With the headless clipboard, which never opens, the same.
    CGIFDoc bare(test::Headless());
    bare.OnNewDocument();
    bare.OnEditCut();
    EXPECT_EQ(bare.GetBlockCount(), 3);
}

TEST_F(Clipboard, HeaderIsNeverCopiedOrCut)
{
    m_doc.m_nCurrent = 0;
    m_doc.OnEditCopy();
    m_doc.OnEditCut();
    EXPECT_EQ(m_clipboard.m_nOpens, 0);
    EXPECT_EQ(Kinds(m_doc), "header loop control");
}

using SaveSelectedImage = DocCommands;

// The bits per pixel a written BMP file declares.
int FileBitCount(const std::string& path)
{
    const Bytes bytes = test::FileBytes(path);
    return bytes.size() < 30 ? -1 : bytes[28] | (bytes[29] << 8);
}

TEST_F(SaveSelectedImage, DepthFollowsTheSizeOfTheTableTheImageUses)
{
    const std::vector<std::pair<int, int>> cases = {{2, 1}, {16, 4}, {32, 8}};
    for (const auto& [entries, bits] : cases) {
        SCOPED_TRACE(entries);
        const int limit = entries;
        Append(MakeImage(
            13, 3, [&](int x, int y) { return (x + y) % limit; }, Ramp(entries)));
        const std::string path = PathOf("image" + std::to_string(entries) + ".bmp");
        m_dialogs.Answer(path);
        m_doc.OnSaveSelectedImage();
        EXPECT_EQ(FileBitCount(path), bits);
        const PackedDib back = ExpandDibTo8Bit(LoadBmpFile(path, m_messages));
        ASSERT_TRUE(back);
        EXPECT_EQ(Indices(*back), Indices(*ImageAt(m_doc, m_doc.m_nCurrent).m_hDib));
        for (int i = 0; i < std::min(entries, 16); ++i) {
            const std::uint8_t* e = PackedDibColorTable(*back) + 4 * i;
            EXPECT_EQ(e[2], i) << "red of entry " << i;
            EXPECT_EQ(e[0], 255 - i) << "blue of entry " << i;
        }
    }
    const FileDialogRequest& request = m_dialogs.m_requests.back();
    EXPECT_FALSE(request.bOpen);
    EXPECT_EQ(request.title, "選択イメージの保存");
    EXPECT_EQ(request.filter, "BMP Files(*.BMP)|*.BMP||");
    EXPECT_EQ(request.defaultExtension, ".BMP");
    EXPECT_EQ(request.flags, static_cast<unsigned>(OFN_HIDEREADONLY));
    EXPECT_TRUE(m_messages.m_texts.empty());
}

TEST_F(SaveSelectedImage, ImageWithoutLocalTableUsesTheHeadersTableSize)
{
    m_doc.SetGlobalPalette(Ramp(2));
    Append(MakeImage(9, 2, [](int x, int) { return x % 2; }));
    m_dialogs.Answer(PathOf("global.bmp"));
    m_doc.OnSaveSelectedImage();
    EXPECT_EQ(FileBitCount(PathOf("global.bmp")), 1);
}

TEST_F(SaveSelectedImage, OverwriteQuestionAnsweredNoLeavesTheFileUntouched)
{
    Append(MakeImage(
        3, 3, [](int, int) { return 1; }, Ramp(256)));
    const std::string path = PathOf("old.bmp");
    const Bytes old = test::B("the old contents");
    test::WriteFileBytes(path, old);
    m_messages.m_nAnswer = IDNO;
    m_dialogs.Answer(path);
    m_doc.OnSaveSelectedImage();
    ASSERT_EQ(m_messages.m_texts.size(), 1u);
    EXPECT_EQ(m_messages.m_texts[0], path + "\nこのﾌｧｲﾙは存在します。\n\n上書きしますか？");
    EXPECT_EQ(m_messages.m_types[0] & 0x0F, static_cast<unsigned>(MB_YESNO));
    EXPECT_EQ(test::FileBytes(path), old);

    m_messages.m_nAnswer = IDYES;
    m_dialogs.Answer(path);
    m_doc.OnSaveSelectedImage();
    EXPECT_EQ(FileBitCount(path), 8);
}

TEST_F(SaveSelectedImage, FailureIsReportedAndOnlyImagesEnableTheCommand)
{
    EXPECT_FALSE(m_doc.OnUpdateSaveSelectedImage());
    Append(MakeImage(
        3, 3, [](int, int) { return 1; }, Ramp(4)));
    EXPECT_TRUE(m_doc.OnUpdateSaveSelectedImage());
    m_dialogs.Answer(PathOf("missing-dir/out.bmp"));
    m_doc.OnSaveSelectedImage();
    EXPECT_EQ(m_messages.m_texts, std::vector<std::string>{"保存に失敗しました。"});
}

}  // namespace
}  // namespace korvanta
