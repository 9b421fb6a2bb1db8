// Private clipboard items cut short or lying about their sizes, pasted through the paste
// command: each pastes as the one block it holds, or is refused with one message and the
// document left as it was; an image item pays for every pixel it claims.
#include <gtest/gtest.h>

#include "imaging/dib.h"
#include "model/gif_app_blocks.h"
#include "model/gif_control_block.h"
#include "model/gif_doc.h"
#include "model/gif_doc_commands.h"
#include "model/gif_image_block.h"
#include "model/gif_text_blocks.h"
#include "tests/malformed/malformed_util.h"

namespace korvanta {
namespace {

using test::B;
using test::Bytes;
using test::operator+;

class MalformedClipboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_doc.DeleteContents();  // a lone header: every kind, the loop block too, may be pasted
        m_doc.SetModifiedFlag(false);
    }

    // Pastes the item; true when it became a block (which is removed again), false when it was
    // refused with the one message and the document left alone.
    bool Paste(const Bytes& item, const std::string& what)
    {
        m_messages.m_texts.clear();
        m_clipboard.m_items = {{m_clipboard.PrivateFormat(), item}};
        m_doc.OnEditPaste();
        if (m_doc.GetBlockCount() == 1) {
            EXPECT_EQ(m_messages.m_texts, std::vector<std::string>{kMsgUnknownFormat}) << what;
            EXPECT_FALSE(m_doc.IsModified()) << what;
            return false;
        }
        EXPECT_TRUE(m_messages.m_texts.empty()) << what;
        EXPECT_EQ(m_doc.GetBlockCount(), 2) << what;
        if (const auto* image = dynamic_cast<const CGifImageBlock*>(m_doc.GetBlock(1))) {
            EXPECT_TRUE(image->m_hDib && PackedDibIsConsistent(*image->m_hDib)) << what;
            // Every pixel came from the item; rows are padded by at most 3 bytes.
            EXPECT_LE(image->m_hDib->size(), kDibInfoHeaderSize + 256 * 4 + 4 * item.size()) << what;
        }
        m_doc.DeleteContents();
        m_doc.SetModifiedFlag(false);
        return true;
    }

    test::FakeMessages m_messages;
    test::FakeClipboard m_clipboard;
    CGIFDoc m_doc{test::Headless().WithMessages(m_messages).WithClipboard(m_clipboard)};
};

// The items the editor itself puts on the clipboard, one of each kind.
std::vector<std::pair<std::string, Bytes>> ItemsOfEveryKind()
{
    std::vector<std::unique_ptr<CGifBlock>> blocks;
    auto control = std::make_unique<CGifControlBlock>();
    control->m_nDelay = 12;
    blocks.push_back(std::move(control));
    auto comment = std::make_unique<CGifCommentBlock>();
    comment->m_strText = std::string(300, 'c');  // two sub-blocks
    blocks.push_back(std::move(comment));
    auto text = std::make_unique<CGifTextBlock>();
    text->m_strText = "text";
    blocks.push_back(std::move(text));
    auto app = std::make_unique<CGifAppBlock>();
    app->m_identifier = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};
    app->m_data = {1, 2, 3};
    blocks.push_back(std::move(app));
    blocks.push_back(std::make_unique<CGifAppBlockNavigatorLoop>());
    for (const bool local : {false, true}) {
        auto image = std::make_unique<CGifImageBlock>();
        image->m_hDib = NewPackedDib(5, 3, 8);
        PackedDibRow(*image->m_hDib, 1)[2] = 7;
        if (local) {
            image->m_hPalette = CPalette::Create(std::vector<PALETTEENTRY>(8, PALETTEENTRY{1, 2, 3, 0}));
            image->m_bLocalTable = true;
            image->UpdateTableBits();
        }
        blocks.push_back(std::move(image));
    }
    const char* names[] = {"control", "comment", "text", "application", "loop", "image", "image with table"};
    std::vector<std::pair<std::string, Bytes>> items;
    for (std::size_t i = 0; i < blocks.size(); ++i)
        items.emplace_back(names[i], *blocks[i]->CreateClipData());
    return items;
}

TEST_F(MalformedClipboard, EveryItemCutShortIsRefusedAndWholeItemsPaste)
{
    for (const auto& [kind, item] : ItemsOfEveryKind()) {
        // The control block's terminator is not needed: its fields are all there without it.
        const std::size_t needed = kind == "control" ? item.size() - 1 : item.size();
        for (std::size_t n = 0; n <= item.size(); ++n) {
            const std::string what = kind + " cut at " + std::to_string(n);
            EXPECT_EQ(Paste(Bytes(item.begin(), item.begin() + static_cast<std::ptrdiff_t>(n)), what),
                      n >= needed)
                << what;
        }
    }
}

TEST_F(MalformedClipboard, ItemsLyingAboutTheirSizesAreRefused)
{
    const Bytes descriptor5x3 = B({0x2C, 0, 0, 0, 0, 5, 0, 3, 0});
    const std::vector<std::pair<std::string, Bytes>> lies = {
        {"image of 65535 x 65535 in 20 bytes",
         B({0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0}) + Bytes(10, 1)},
        {"image one pixel short", descriptor5x3 + B({0}) + Bytes(14, 1)},
        {"image with a local table it does not hold", descriptor5x3 + B({0x87}) + Bytes(15, 1)},
        {"image whose table eats its pixels", descriptor5x3 + B({0x80}) + Bytes(15, 1)},
        {"comment sub-block past the end", B({0x21, 0xFE, 5, 'a', 'b', 0})},
        {"comment without terminator", B({0x21, 0xFE, 2, 'a', 'b'})},
        {"text fields cut short", B({0x21, 0x01, 12, 0, 0, 0, 0})},
        {"text sub-block past the end", B({0x21, 0x01, 12}) + Bytes(12, 0) + B({9, 'x', 0})},
        {"application identifier cut short", B({0x21, 0xFF, 11}) + B("NETSC")},
        {"application sub-block past the end", B({0x21, 0xFF, 11}) + B("NETSCAPE2.0") + B({200, 1, 0, 0, 0})},
        {"control cut short", B({0x21, 0xF9, 4, 0})},
        {"unknown extension", B({0x21, 0x02, 0})},
        {"introducer only", B({0x21})},
        {"trailer", B({0x3B})},
        {"empty", B({})},
    };
    for (const auto& [what, item] : lies) EXPECT_FALSE(Paste(item, what)) << what;
    // Surplus bytes after a whole image are not read, and do not matter.
    EXPECT_TRUE(Paste(descriptor5x3 + B({0}) + Bytes(15, 1) + Bytes(100, 0xEE), "image with surplus bytes"));
    // A NETSCAPE item with fewer than three data bytes pastes as the application block it is.
    EXPECT_TRUE(Paste(B({0x21, 0xFF, 11}) + B("NETSCAPE2.0") + B({1, 1, 0}), "short loop data"));
}

}  // namespace
}  // namespace korvanta
