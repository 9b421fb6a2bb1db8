// The palette dialog through its real widgets: the grid's cells, the image view's bars and
// scrolling, picking by cell and by pixel, and read-only use.
#include "ui/palette_dlg.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "dialog_checks.h"
#include "platform/message_box.h"
#include "ui/dialog_template.h"
#include "ui/palette_grid.h"
#include "ui/palette_image_view.h"
#include "ui_documents.h"

using namespace korvanta;
using namespace korvanta::test;

namespace {

QColor EntryColour(const HPALETTE& palette, int index)
{
    const PALETTEENTRY& e = (*palette)[index];
    return {e.peRed, e.peGreen, e.peBlue};
}

QColor SwatchColour(const CPaletteDlg& dialog)
{
    return DialogTemplate::Control(&dialog, CPaletteDlg::kSwatchId)->palette().color(QPalette::Window);
}

// An image whose pixel (x, y) has index (x + y) % 16.
PackedDib Diagonal(int width, int height)
{
    return MakeImage(width, height, [](int x, int y) { return (x + y) % 16; })->m_hDib;
}

void ClickGrid(CPaletteDlg& dialog, int index)
{
    QTest::mouseClick(dialog.Grid(), Qt::LeftButton, {}, CPaletteGrid::CellRect(index).center());
}

}  // namespace

class PaletteDlgTest : public QObject {
    Q_OBJECT
private slots:
    void gridShowsTheColoursHatchingAndSelection()
    {
        const HPALETTE palette = Ramp(16);
        CPaletteDlg dialog(palette, nullptr, false);
        dialog.m_nSelected = 3;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.Grid()->isVisible());
        QVERIFY(!DialogTemplate::Control(&dialog, CPaletteDlg::kToggleId)->isEnabled());

        const QImage grid = dialog.Grid()->grab().toImage();
        QCOMPARE(grid.size(), QSize(192, 192));
        int coloured = 0;
        int hatched = 0;
        for (int i = 0; i < CPaletteGrid::kCells; ++i) {
            const QRect cell = CPaletteGrid::CellRect(i);
            QCOMPARE(grid.pixelColor(cell.topLeft() + QPoint(6, 0)), i == 3 ? QColor(Qt::white) : Qt::black);
            const QRect inside = cell.adjusted(2, 2, -2, -2);
            QSet<QRgb> colours;
            for (int y = inside.top(); y <= inside.bottom(); ++y)
                for (int x = inside.left(); x <= inside.right(); ++x) colours.insert(grid.pixel(x, y));
            if (colours == QSet<QRgb>{EntryColour(palette, i).rgb()})
                ++coloured;
            else if (colours == QSet<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)})
                ++hatched;
        }
        QCOMPARE(coloured, 16);
        QCOMPARE(hatched, 240);
        // The selection: white outside, black inside it.
        QCOMPARE(grid.pixelColor(CPaletteGrid::CellRect(3).topLeft() + QPoint(1, 6)), QColor(Qt::black));
        QCOMPARE(SwatchColour(dialog), EntryColour(palette, 3));

        ClickGrid(dialog, 40);
        QCOMPARE(dialog.m_nSelected, 3);
        ClickGrid(dialog, 15);
        QCOMPARE(dialog.m_nSelected, 15);
        QCOMPARE(SwatchColour(dialog), EntryColour(palette, 15));
        const QImage after = dialog.Grid()->grab().toImage();
        QCOMPARE(after.pixelColor(CPaletteGrid::CellRect(15).topLeft()), QColor(Qt::white));
        QCOMPARE(after.pixelColor(CPaletteGrid::CellRect(3).topLeft()), QColor(Qt::black));
    }

    void readOnlyHidesTheChoiceAndRefusesClicks()
    {
        CPaletteDlg dialog(Ramp(16), nullptr, true);
        dialog.m_nSelected = -1;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(DialogTemplate::Control(&dialog, CPaletteDlg::kSwatchId)->isHidden());
        QVERIFY(DialogTemplate::Control(&dialog, IDCANCEL)->isHidden());
        QVERIFY(!DialogTemplate::Control(&dialog, IDOK)->isHidden());
        ClickGrid(dialog, 5);
        QCOMPARE(dialog.m_nSelected, -1);
        QVERIFY(!dialog.OnPalSelect(7));
        QCOMPARE(dialog.m_nSelected, -1);
    }

    void imageViewGetsTheBarsItsImageNeeds()
    {
        struct Case {
            int width, height;
            CPaletteImageView::Bars bars;
        };
        for (const Case c :
             {Case{100, 100, CPaletteImageView::kNoBars}, Case{300, 100, CPaletteImageView::kHorizontal},
              Case{100, 300, CPaletteImageView::kVertical}, Case{192, 100, CPaletteImageView::kBothBars},
              Case{300, 300, CPaletteImageView::kBothBars}}) {
            CPaletteDlg dialog(Ramp(16), Diagonal(c.width, c.height), false);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            CPaletteImageView* view = dialog.ImageView();
            QVERIFY(view->isVisible());
            QVERIFY(dialog.Grid()->isHidden());
            QCOMPARE(view->ScrollBars(), c.bars);
            QCOMPARE(view->horizontalScrollBar()->isVisible(),
                     (c.bars & CPaletteImageView::kHorizontal) != 0);
            QCOMPARE(view->verticalScrollBar()->isVisible(), (c.bars & CPaletteImageView::kVertical) != 0);
            // The client area is what the bars leave, and the ranges reach the image's far edge.
            const QSize client = view->viewport()->size();
            QCOMPARE(
                view->horizontalScrollBar()->maximum(),
                std::max(0, c.width - client.width()) * ((c.bars & CPaletteImageView::kHorizontal) != 0));
            QCOMPARE(
                view->verticalScrollBar()->maximum(),
                std::max(0, c.height - client.height()) * ((c.bars & CPaletteImageView::kVertical) != 0));
        }
    }

    void scrollingStepsAndStopsAtTheEnds()
    {
        CPaletteDlg dialog(Ramp(16), Diagonal(300, 100), false);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QScrollBar* bar = dialog.ImageView()->horizontalScrollBar();
        QCOMPARE(bar->maximum(), 108);
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(bar->value(), 16);
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(bar->value(), 80);
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(bar->value(), 108);
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(bar->value(), 92);
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(bar->value(), 0);
        // The picture follows: the left column now shows image column 0 again.
        const QImage shown = dialog.ImageView()->viewport()->grab().toImage();
        QCOMPARE(shown.pixelColor(0, 0), EntryColour(Ramp(16), 0));
    }

    void aPixelClickPicksItsIndexAndTheToggleSwitches()
    {
        const HPALETTE palette = Ramp(16);
        CPaletteDlg dialog(palette, Diagonal(300, 100), false);
        dialog.m_nSelected = 0;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        CPaletteImageView* view = dialog.ImageView();
        view->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(5, 7));
        QCOMPARE(dialog.m_nSelected, (5 + 16 + 7) % 16);
        QCOMPARE(SwatchColour(dialog), EntryColour(palette, 12));
        // Below the image nothing is picked.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(5, 150));
        QCOMPARE(dialog.m_nSelected, 12);

        auto* toggle = DialogTemplate::Control<QPushButton>(&dialog, CPaletteDlg::kToggleId);
        QVERIFY(toggle->isEnabled());
        toggle->click();
        QVERIFY(dialog.Grid()->isVisible());
        QVERIFY(view->isHidden());
        toggle->click();
        QVERIFY(view->isVisible());
    }

    void buttonsLieBesideTheViewsAndFitTheirTexts()
    {
        CPaletteDlg dialog(Ramp(16), nullptr, false);
        dialog.show();
        CheckLaidOut(dialog);
        for (int id : {int(IDOK), int(IDCANCEL), CPaletteDlg::kToggleId, CPaletteDlg::kSwatchId})
            QVERIFY(!DialogTemplate::Control(&dialog, id)->geometry().intersects(CPaletteDlg::kViewRect));
        QVERIFY(dialog.rect().contains(CPaletteDlg::kViewRect));
    }
};

QTEST_MAIN(PaletteDlgTest)
#include "palette_dlg_test.moc"
