// The document's list rules: new documents, insertion, control-block templates, list extent
// and the global palette.
#include "model/gif_doc.h"

#include <gtest/gtest.h>

#include "model/gif_app_blocks.h"
#include "model/gif_control_block.h"
#include "model/gif_header_block.h"
#include "model/gif_pages.h"
#include "model/gif_text_blocks.h"
#include "tests/test_util.h"

namespace korvanta {
namespace {

using test::Kinds;

class FixedView : public CView {
public:
    explicit FixedView(int height) : m_nHeight(height) {}
    int GetClientHeight() const override { return m_nHeight; }
    void OnUpdate() override { ++m_nUpdates; }
    int m_nHeight;
    int m_nUpdates = 0;
};

TEST(GifDoc, NewDocumentHoldsHeaderLoopAndControl)
{
    CGIFDoc doc(test::Headless());
    EXPECT_EQ(doc.m_nCurrent, -1);
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(Kinds(doc), "header loop control");
    EXPECT_EQ(doc.m_nCurrent, 2);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(static_cast<CGifAppBlockNavigatorLoop*>(doc.GetBlock(1))->m_nLoopCount, 10000);
    const auto* control = static_cast<CGifControlBlock*>(doc.GetBlock(2));
    EXPECT_EQ(control->m_nDisposal, 2);
    EXPECT_EQ(control->m_nDelay, 100);
}

TEST(GifDoc, NothingGoesBetweenHeaderAndLoopBlock)
{
    CGIFDoc doc(test::Headless());
    doc.OnNewDocument();
    doc.m_nCurrent = 0;
    doc.OnInsertComment();
    EXPECT_EQ(Kinds(doc), "header loop comment control");
    EXPECT_EQ(doc.m_nCurrent, 2);
    EXPECT_TRUE(doc.IsModified());

    doc.OnInsertLoop();  // one exists: nothing changes
    EXPECT_EQ(Kinds(doc), "header loop comment control");
    EXPECT_EQ(doc.m_nCurrent, 2);

    doc.m_nCurrent = 3;
    doc.OnInsertText();
    EXPECT_EQ(Kinds(doc), "header loop comment control text");
    EXPECT_EQ(doc.m_nCurrent, 4);
}

TEST(GifDoc, LoopBlockGoesDirectlyAfterHeader)
{
    CGIFDoc doc(test::Headless());
    doc.DeleteContents();
    doc.InsertBlock(-1, std::make_unique<CGifCommentBlock>());
    doc.InsertLoopBlock();
    EXPECT_EQ(Kinds(doc), "header loop comment");
    EXPECT_EQ(doc.m_nCurrent, 1);
}

TEST(GifDoc, NewControlBlockCopiesNearestEarlierControlBlock)
{
    CGIFDoc doc(test::Headless());
    doc.DeleteContents();
    auto add = [&](int delay, int transparentIndex) {
        auto c = std::make_unique<CGifControlBlock>();
        c->m_nDelay = delay;
        c->m_nTransparentIndex = transparentIndex;
        c->m_bTransparent = true;
        doc.InsertBlock(-1, std::move(c));
    };
    doc.InsertBlock(-1, std::make_unique<CGifCommentBlock>());  // 1
    add(50, 3);                                                 // 2
    doc.InsertBlock(-1, std::make_unique<CGifCommentBlock>());  // 3
    add(70, 9);                                                 // 4

    doc.m_nCurrent = 3;  // nearest at or before: index 2
    doc.OnInsertControl();
    ASSERT_EQ(doc.m_nCurrent, 4);
    auto* made = static_cast<CGifControlBlock*>(doc.GetBlock(4));
    EXPECT_EQ(made->m_nDelay, 50);
    EXPECT_EQ(made->m_nTransparentIndex, 3);
    EXPECT_TRUE(made->m_bTransparent);

    doc.m_nCurrent = 1;  // none at or before: the last one of the list
    doc.OnInsertControl();
    EXPECT_EQ(static_cast<CGifControlBlock*>(doc.GetBlock(2))->m_nDelay, 70);

    CGIFDoc empty(test::Headless());
    empty.DeleteContents();
    empty.InsertControlBlock(0);  // none at all: the defaults
    EXPECT_EQ(static_cast<CGifControlBlock*>(empty.GetBlock(1))->m_nDelay, 100);
    EXPECT_FALSE(static_cast<CGifControlBlock*>(empty.GetBlock(1))->m_bTransparent);
}

TEST(GifDoc, ListExtentAddsHalfTheViewOrAFixedMargin)
{
    CGIFDoc doc(test::Headless());
    doc.OnNewDocument();
    EXPECT_EQ(doc.GetListExtent(), (CSize{128, 120 + 128}));
    FixedView view(301);
    doc.AddView(&view);
    EXPECT_EQ(doc.GetListExtent(), (CSize{128, 40 + 40 + 40 + 150}));
    doc.OnInsertComment();
    EXPECT_EQ(view.m_nUpdates, 1);
    doc.RemoveView(&view);
}

TEST(GifDoc, GlobalPaletteOperations)
{
    CGIFDoc doc(test::Headless());
    doc.OnNewDocument();
    EXPECT_FALSE(doc.HasGlobalColorTable());
    EXPECT_EQ(doc.GetGlobalTableSize(), 7);
    const PALETTEENTRY entries[16] = {};
    const HPALETTE palette = CPalette::Create(entries);
    DocumentMainWindow mainWnd(doc);
    mainWnd.SetGlobalPalette(palette);
    EXPECT_TRUE(mainWnd.HasGlobalTable());
    EXPECT_EQ(mainWnd.GetGlobalPalette(), palette);  // adopted, not copied
    EXPECT_EQ(mainWnd.GetGlobalTableSize(), 3);
}

TEST(GifDoc, ApplyingAPageMarksModifiedOnlyOnChange)
{
    CGIFDoc doc(test::Headless());
    doc.OnNewDocument();  // the control block is current
    CGifControlPageData page;
    doc.GetCurrentBlock()->UpdatePage(page);
    DocumentMainWindow mainWnd(doc);
    mainWnd.m_pPage = &page;
    mainWnd.ApplyPage();
    EXPECT_FALSE(doc.IsModified());
    page.m_nDelay = 5;
    mainWnd.ApplyPage();
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(static_cast<CGifControlBlock*>(doc.GetBlock(2))->m_nDelay, 5);
}

TEST(GifDoc, TextPageSwatchesComeFromGlobalPalette)
{
    CGIFDoc doc(test::Headless());
    doc.OnNewDocument();
    DocumentMainWindow mainWnd(doc);
    CGifTextBlock block;
    block.m_nForeground = 255;
    block.m_nBackground = 37;
    CGifTextPageData page;
    page.m_pMainWnd = &mainWnd;
    block.UpdatePage(page);
    ASSERT_TRUE(page.m_pTextBrush && page.m_pBkBrush);
    EXPECT_EQ(*page.m_pTextBrush, CBrush::Solid(255, 255, 255));
    EXPECT_EQ(*page.m_pBkBrush, CBrush::Solid(36, 36, 85));
}

}  // namespace
}  // namespace korvanta
