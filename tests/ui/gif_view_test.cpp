// The block list through its real widget: where entries lie, the selection frame's pixels,
// clicks, keys and scrolling.
#include <QScrollBar>
#include <QTest>

#include "frame_fixture.h"
#include "ui_documents.h"

using namespace korvanta;
using namespace korvanta::test;

namespace {

const QRgb kBlue = qRgb(0, 0, 255);

QImage Shot(CGIFView& view)
{
    return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Clicks the list at a point of the list (not of the window).
void ClickList(CGIFView& view, QPoint listPoint)
{
    const QPoint at = listPoint - view.VisibleRect().topLeft();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

}  // namespace

class GifViewTest : public QObject {
    Q_OBJECT
private slots:
    void entriesStackFromTheTop()
    {
        FrameFixture f;
        CGIFView& view = f.View();
        QCOMPARE(f.Doc().GetBlockCount(), 3);  // header, loop, control
        QCOMPARE(view.EntryRect(0), (CRect{0, 0, 128, 40}));
        QCOMPARE(view.EntryRect(1), (CRect{0, 40, 128, 80}));
        QCOMPARE(view.EntryRect(2), (CRect{0, 80, 128, 120}));
        f.Append(MakeImage(4, 4, [](int, int) { return 1; }));
        QCOMPARE(view.EntryRect(3), (CRect{0, 120, 128, 200}));

        // Left and top edges belong to an entry, right and bottom to what follows.
        QCOMPARE(view.HitTest({0, 0}), 0);
        QCOMPARE(view.HitTest({127, 39}), 0);
        QCOMPARE(view.HitTest({0, 40}), 1);
        QCOMPARE(view.HitTest({128, 10}), -1);
        QCOMPARE(view.HitTest({10, 200}), -1);

        // The scroll range goes half a window past the list.
        const int height = view.viewport()->height();
        QCOMPARE(view.verticalScrollBar()->maximum(), std::max(0, 200 + height / 2 - height));
    }

    void selectionFrameLiesInsideTheEdgeOrAroundTheThumbnail()
    {
        FrameFixture f;
        CGIFView& view = f.View();
        f.Doc().m_nCurrent = 2;
        f.Doc().UpdateAllViews();
        QImage shot = Shot(view);
        // The control block at y 80: 2 pixels of edge, then 2 of blue frame.
        QCOMPARE(shot.pixel(2, 82), kBlue);
        QCOMPARE(shot.pixel(3, 83), kBlue);
        QCOMPARE(shot.pixel(125, 117), kBlue);
        QVERIFY(shot.pixel(1, 81) != kBlue);
        QVERIFY(shot.pixel(4, 84) != kBlue);
        QVERIFY(shot.pixel(2, 42) != kBlue);  // the loop block is not selected

        // A tall image's thumbnail is narrowed to its proportions; the frame follows it.
        f.Append(MakeImage(10, 20, [](int x, int) { return x % 2; }));
        shot = Shot(view);
        const int top = 120 + 2;
        // The inner rectangle is 124 x 76; 76 / 20 = 3.8, so the thumbnail is 38 wide.
        QCOMPARE(shot.pixel(2 + 38 - 1, top + 10), kBlue);
        QVERIFY(shot.pixel(2 + 38 + 2, top + 10) != kBlue);
        QCOMPARE(shot.pixel(2, top + 75), kBlue);
    }

    void clicksSelectEntriesAndIgnoreTheRest()
    {
        FrameFixture f;
        CGIFView& view = f.View();
        ClickList(view, {20, 50});
        QCOMPARE(f.Doc().m_nCurrent, 1);
        ClickList(view, {20, 130});  // below the last entry
        QCOMPARE(f.Doc().m_nCurrent, 1);
        ClickList(view, {20, 5});
        QCOMPARE(f.Doc().m_nCurrent, 0);

        // After a refused page value exactly one click is swallowed.
        view.OnPageInvalid();
        ClickList(view, {20, 90});
        QCOMPARE(f.Doc().m_nCurrent, 0);
        ClickList(view, {20, 90});
        QCOMPARE(f.Doc().m_nCurrent, 2);
    }

    void arrowKeysMoveAndScrollToTheEdges()
    {
        FrameFixture f;
        for (int i = 0; i < 30; ++i) f.Append(MakeControl(10));
        CGIFView& view = f.View();
        view.setFocus();
        f.Doc().m_nCurrent = 0;
        f.Doc().UpdateAllViews();
        QCOMPARE(view.verticalScrollBar()->value(), 0);
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(f.Doc().m_nCurrent, 0);

        const int height = view.viewport()->height();
        // Down until the entry first lies wholly below the window: it is scrolled to the bottom.
        while (view.EntryRect(f.Doc().m_nCurrent + 1).top < height) QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(view.verticalScrollBar()->value(), 0);
        QTest::keyClick(&view, Qt::Key_Down);
        const CRect entry = view.EntryRect(f.Doc().m_nCurrent);
        QCOMPARE(view.verticalScrollBar()->value(), entry.bottom - height);

        // To the last block; Down there changes nothing.
        const int last = f.Doc().GetBlockCount() - 1;
        while (f.Doc().m_nCurrent < last) QTest::keyClick(&view, Qt::Key_Down);
        const int atEnd = view.verticalScrollBar()->value();
        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(f.Doc().m_nCurrent, last);
        QCOMPARE(view.verticalScrollBar()->value(), atEnd);

        // Up until an entry lies wholly above the window: it is scrolled to the top.
        while (view.EntryRect(f.Doc().m_nCurrent - 1).bottom > view.verticalScrollBar()->value())
            QTest::keyClick(&view, Qt::Key_Up);
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(view.verticalScrollBar()->value(), view.EntryRect(f.Doc().m_nCurrent).top);
    }

    void deleteCutsButNeverTheHeader()
    {
        FrameFixture f;
        CGIFView& view = f.View();
        view.setFocus();
        f.Doc().m_nCurrent = 0;
        QTest::keyClick(&view, Qt::Key_Delete);
        QCOMPARE(f.Doc().GetBlockCount(), 3);
        f.Doc().m_nCurrent = 2;
        QTest::keyClick(&view, Qt::Key_Backspace);
        QCOMPARE(f.Doc().GetBlockCount(), 2);
        QCOMPARE(f.Doc().m_nCurrent, 1);
    }

    void controlBlockBorrowsTheFollowingImage()
    {
        FrameFixture f;
        auto* control = dynamic_cast<CGifControlBlock*>(f.Doc().GetBlock(2));
        QVERIFY(control != nullptr);
        f.Doc().m_nCurrent = 2;
        f.Doc().UpdateAllViews();
        QCOMPARE(control->m_hFramePalette, f.Doc().GetGlobalPalette());
        QVERIFY(control->m_hFrameDib == nullptr);

        f.Append(MakeImage(3, 3, [](int, int) { return 2; }));
        auto* image = dynamic_cast<CGifImageBlock*>(f.Doc().GetBlock(3));
        f.Doc().m_nCurrent = 2;
        f.Doc().UpdateAllViews();
        QCOMPARE(control->m_hFramePalette, image->m_hPalette);
        QCOMPARE(control->m_hFrameDib, image->m_hDib);
    }
};

QTEST_MAIN(GifViewTest)
#include "gif_view_test.moc"
