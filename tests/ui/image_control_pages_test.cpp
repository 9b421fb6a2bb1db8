// The control and image pages through their real widgets on a running frame: filling, applying
// on focus loss and clicks, refused values, the transparent colour picked from the image, the
// local colour table with the image-convert dialog, and the palette files.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "dialog_checks.h"
#include "frame_fixture.h"
#include "model/palette_file.h"
#include "ui/data_exchange.h"
#include "ui/dialog_template.h"
#include "ui/gif_bar.h"
#include "ui/gif_control_page.h"
#include "ui/gif_image_page.h"
#include "ui/palette_dlg.h"
#include "ui/palette_image_view.h"
#include "ui_documents.h"

using namespace korvanta;
using namespace korvanta::test;

namespace {

using Page = CGifImagePage;
using Control = CGifControlPage;

// Black, white, red, blue.
HPALETTE Primaries()
{
    const PALETTEENTRY entries[] = {{0, 0, 0, 0}, {255, 255, 255, 0}, {255, 0, 0, 0}, {0, 0, 255, 0}};
    return CPalette::Create(entries);
}

// Near red, near blue, near black, near white: the nearest primaries are 2, 3, 0, 1.
HPALETTE Muted()
{
    const PALETTEENTRY entries[] = {{200, 30, 30, 0}, {20, 20, 220, 0}, {10, 10, 10, 0}, {250, 250, 250, 0}};
    return CPalette::Create(entries);
}

constexpr int kControl = 2;
constexpr int kImage = 3;

// A new document (header, loop, control) and a 40 x 20 image of local colours x % 4; the header
// has a global table of the primaries when global is set.
void Build(FrameFixture& f, bool global)
{
    CGifHeaderBlock* header = f.Doc().GetHeader();
    header->m_bGlobalTable = global;
    header->m_hPalette = Primaries();
    f.Append(MakeImage(
        40, 20, [](int x, int) { return x % 4; }, Muted()));
    f.Doc().SetModifiedFlag(false);
}

void Select(FrameFixture& f, int index)
{
    const CRect entry = f.View().EntryRect(index);
    const QPoint centre((entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2);
    QTest::mouseClick(f.View().viewport(), Qt::LeftButton, Qt::NoModifier,
                      centre - f.View().VisibleRect().topLeft());
}

template <class T>
T* PageOf(FrameFixture& f, PageKind kind)
{
    return static_cast<T*>(f.Frame().GetGifBar()->GetPage(kind));
}

CGifImageBlock& ImageBlock(FrameFixture& f)
{
    return *static_cast<CGifImageBlock*>(f.Doc().GetBlock(kImage));
}

CGifControlBlock& ControlBlock(FrameFixture& f)
{
    return *static_cast<CGifControlBlock*>(f.Doc().GetBlock(kControl));
}

template <class T = QWidget>
T* Item(QWidget* page, int id)
{
    return DialogTemplate::Control<T>(page, id);
}

QColor SwatchColour(QWidget* page, int id)
{
    return Item(page, id)->palette().color(QPalette::Window);
}

// Types text into an edit in place of what it holds, then clicks the list entry index.
void TypeThenClick(FrameFixture& f, QLineEdit* edit, const QString& text, int index)
{
    edit->setFocus(Qt::MouseFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    Select(f, index);
}

}  // namespace

class ImageControlPagesTest : public QObject {
    Q_OBJECT
private slots:
    void pagesStartHiddenAndLayOutTheirTemplates()
    {
        FrameFixture f;
        CGifBar& bar = *f.Frame().GetGifBar();
        QVERIFY(bar.GetPage(PageKind::image)->isHidden());
        QVERIFY(!bar.GetPage(PageKind::image)->isEnabled());
        for (PageKind kind : {PageKind::control, PageKind::image}) {
            CGifPage* page = bar.GetPage(kind);
            QCOMPARE(page->pos(), bar.Units().Point(0, 4));
            QCOMPARE(page->size(), bar.Units().Size(142, 174));
            CheckLaidOut(*page);
        }
        auto* disposal = Item<QComboBox>(PageOf<Control>(f, PageKind::control), Control::IDC_DISPOSAL);
        QCOMPARE(disposal->count(), 4);
        QCOMPARE(disposal->itemText(2), QStringLiteral("背景色で消す"));
        QVERIFY(!Item(PageOf<Page>(f, PageKind::image), Page::IDC_WIDTH)->isEnabled());
        QVERIFY(!Item(PageOf<Page>(f, PageKind::image), Page::IDC_HEIGHT)->isEnabled());
    }

    void controlPageAppliesEachClickAndChoice()
    {
        FrameFixture f;
        Build(f, true);
        ControlBlock(f).m_nTransparentIndex = 1;
        Select(f, kControl);
        auto* page = PageOf<Control>(f, PageKind::control);
        QVERIFY(page->isVisible());
        QCOMPARE(Item<QLineEdit>(page, Control::IDC_DELAY)->text(), QStringLiteral("100"));
        QVERIFY(!Item(page, Control::IDC_TRANS_COLOR)->isEnabled());
        QVERIFY(!Item(page, IDC_TRANS_SWATCH)->isEnabled());
        // The swatch shows the governed image's colour 1.
        QCOMPARE(SwatchColour(page, IDC_TRANS_SWATCH), QColor(20, 20, 220));

        Item<QCheckBox>(page, Control::IDC_TRANSPARENT)->click();
        QVERIFY(ControlBlock(f).m_bTransparent);
        QVERIFY(f.Doc().IsModified());
        QVERIFY(Item(page, Control::IDC_TRANS_COLOR)->isEnabled());

        auto* disposal = Item<QComboBox>(page, Control::IDC_DISPOSAL);
        disposal->setFocus();
        QTest::keyClick(disposal, Qt::Key_Down);
        QCOMPARE(ControlBlock(f).m_nDisposal, 3);
        Item<QCheckBox>(page, Control::IDC_USER_INPUT)->click();
        QVERIFY(ControlBlock(f).m_bUserInput);

        // Enter hands the focus to the list, which applies the delay; the page stays.
        auto* delay = Item<QLineEdit>(page, Control::IDC_DELAY);
        delay->setFocus();
        delay->selectAll();
        QTest::keyClicks(delay, QStringLiteral("30"));
        QTest::keyClick(delay, Qt::Key_Return);
        QCOMPARE(ControlBlock(f).m_nDelay, 30);
        QCOMPARE(QApplication::focusWidget(), &f.View());
        QVERIFY(page->isVisible());
    }

    void aDisposalTheListLacksSurvivesAnApply()
    {
        FrameFixture f;
        Build(f, true);
        ControlBlock(f).m_nDisposal = 5;
        Select(f, kControl);
        Item<QCheckBox>(PageOf<Control>(f, PageKind::control), Control::IDC_USER_INPUT)->click();
        QCOMPARE(ControlBlock(f).m_nDisposal, 5);
    }

    void transparentColourIsPickedFromAPixel()
    {
        FrameFixture f;
        Build(f, true);
        ControlBlock(f).m_bTransparent = true;
        Select(f, kControl);
        auto* page = PageOf<Control>(f, PageKind::control);
        WhenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<CPaletteDlg*>(modal);
            QVERIFY(dialog != nullptr);
            QCOMPARE(dialog->m_nSelected, 0);
            QVERIFY(dialog->ImageView()->isVisible());
            // Column 6 of the image holds colour 6 % 4.
            QTest::mouseClick(dialog->ImageView()->viewport(), Qt::LeftButton, {}, QPoint(6, 3));
            Item<QPushButton>(dialog, IDOK)->click();
        });
        Item<QPushButton>(page, Control::IDC_TRANS_COLOR)->click();
        QCOMPARE(ControlBlock(f).m_nTransparentIndex, 2);
        QCOMPARE(SwatchColour(page, IDC_TRANS_SWATCH), QColor(10, 10, 10));
        QVERIFY(f.Doc().IsModified());

        // Cancel changes nothing.
        WhenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<CPaletteDlg*>(modal);
            QTest::mouseClick(dialog->ImageView()->viewport(), Qt::LeftButton, {}, QPoint(1, 1));
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        Item<QPushButton>(page, Control::IDC_TRANS_COLOR)->click();
        QCOMPARE(ControlBlock(f).m_nTransparentIndex, 2);
    }

    void aLetterInTheDelayKeepsTheBlockAndSwallowsTheClick()
    {
        FrameFixture f;
        Build(f, true);
        Select(f, kControl);
        auto* delay = Item<QLineEdit>(PageOf<Control>(f, PageKind::control), Control::IDC_DELAY);
        TypeThenClick(f, delay, QStringLiteral("12a"), kImage);
        QCOMPARE(f.m_messages.m_texts, std::vector<std::string>{kMsgParseInt});
        QCOMPARE(ControlBlock(f).m_nDelay, 100);
        QVERIFY(!f.Doc().IsModified());
        QCOMPARE(f.Doc().m_nCurrent, kControl);
        QCOMPARE(QApplication::focusWidget(), delay);

        TypeThenClick(f, delay, QStringLiteral("250"), kImage);
        QCOMPARE(ControlBlock(f).m_nDelay, 250);
        QCOMPARE(f.Doc().m_nCurrent, kImage);
        QCOMPARE(f.m_messages.m_texts.size(), std::size_t{1});
    }

    void imagePositionBeyondSixteenBitsIsRefused()
    {
        FrameFixture f;
        Build(f, true);
        Select(f, kImage);
        auto* page = PageOf<Page>(f, PageKind::image);
        QCOMPARE(Item<QLineEdit>(page, Page::IDC_WIDTH)->text(), QStringLiteral("40"));
        TypeThenClick(f, Item<QLineEdit>(page, Page::IDC_LEFT), QStringLiteral("65536"), kControl);
        QCOMPARE(f.m_messages.m_texts, std::vector<std::string>{RangeMessage(0, 65535)});
        QCOMPARE(ImageBlock(f).m_nLeft, 0);
        TypeThenClick(f, Item<QLineEdit>(page, Page::IDC_LEFT), QStringLiteral("-1"), kControl);
        QCOMPARE(f.m_messages.m_texts.back(), RangeMessage(0, 65535));
        Item<QLineEdit>(page, Page::IDC_LEFT)->setText(QStringLiteral("7"));
        TypeThenClick(f, Item<QLineEdit>(page, Page::IDC_TOP), QStringLiteral("65535"), kControl);
        QCOMPARE(ImageBlock(f).m_nLeft, 7);
        QCOMPARE(ImageBlock(f).m_nTop, 65535);
        QVERIFY(f.Doc().IsModified());
    }

    void droppingTheTableFitsToTheGlobalPalette()
    {
        FrameFixture f;
        Build(f, true);
        Select(f, kImage);
        auto* page = PageOf<Page>(f, PageKind::image);
        QVERIFY(Item(page, Page::IDC_SAVE_PALETTE)->isEnabled());
        WhenModal([](QWidget* modal) {
            Item<QRadioButton>(modal, 1049)->click();
            Item<QPushButton>(modal, IDOK)->click();
        });
        Item<QCheckBox>(page, Page::IDC_LOCAL_TABLE)->click();
        CGifImageBlock& image = ImageBlock(f);
        QVERIFY(!image.m_bLocalTable);
        QVERIFY(!image.m_hPalette);
        const int nearest[] = {2, 3, 0, 1};
        for (int x = 0; x < 4; ++x) QCOMPARE(int(PackedDibRow(*image.m_hDib, 5)[x]), nearest[x]);
        QVERIFY(f.Doc().IsModified());
        // The list was repainted and the page refilled from the block.
        QVERIFY(!page->Data().m_hPalette);
        QVERIFY(!Item(page, Page::IDC_SAVE_PALETTE)->isEnabled());
    }

    void cancellingTheConvertDialogKeepsTheTable()
    {
        FrameFixture f;
        Build(f, true);
        Select(f, kImage);
        auto* page = PageOf<Page>(f, PageKind::image);
        const HPALETTE before = ImageBlock(f).m_hPalette;
        WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        Item<QCheckBox>(page, Page::IDC_LOCAL_TABLE)->click();
        QVERIFY(Item<QCheckBox>(page, Page::IDC_LOCAL_TABLE)->isChecked());
        QVERIFY(ImageBlock(f).m_bLocalTable);
        QCOMPARE(ImageBlock(f).m_hPalette, before);
        QVERIFY(!f.Doc().IsModified());
    }

    void withoutAGlobalTableTheImagesPaletteBecomesGlobal()
    {
        FrameFixture f;
        Build(f, false);
        Select(f, kImage);
        auto* page = PageOf<Page>(f, PageKind::image);
        const HPALETTE former = ImageBlock(f).m_hPalette;
        bool asked = false;
        QTimer::singleShot(0, [&asked] {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                asked = true;
                modal->reject();
            }
        });
        auto* box = Item<QCheckBox>(page, Page::IDC_LOCAL_TABLE);
        box->click();
        QTest::qWait(1);
        QVERIFY(!asked);
        QVERIFY(f.Doc().HasGlobalColorTable());
        QCOMPARE(CopyLogPalette(f.Doc().GetGlobalPalette()), CopyLogPalette(former));
        QVERIFY(f.Doc().GetGlobalPalette() != former);
        QVERIFY(!ImageBlock(f).m_bLocalTable);

        // Checked again before the page was refilled: a copy of the global palette of its own,
        // never the palette it gave up nor the header's.
        box->click();
        const HPALETTE own = ImageBlock(f).m_hPalette;
        QVERIFY(ImageBlock(f).m_bLocalTable);
        QVERIFY(own != former && own != f.Doc().GetGlobalPalette());
        QCOMPARE(CopyLogPalette(own), CopyLogPalette(f.Doc().GetGlobalPalette()));
    }

    void checkingTheBoxGivesACopyOfTheGlobalPalette()
    {
        FrameFixture f;
        Build(f, true);
        ImageBlock(f).m_bLocalTable = false;
        ImageBlock(f).m_hPalette = nullptr;
        Select(f, kImage);
        auto* page = PageOf<Page>(f, PageKind::image);
        QVERIFY(!Item(page, Page::IDC_LOAD_PALETTE)->isEnabled());
        Item<QCheckBox>(page, Page::IDC_LOCAL_TABLE)->click();
        QVERIFY(ImageBlock(f).m_bLocalTable);
        QVERIFY(ImageBlock(f).m_hPalette != f.Doc().GetGlobalPalette());
        QCOMPARE(CopyLogPalette(ImageBlock(f).m_hPalette), CopyLogPalette(Primaries()));
        QVERIFY(Item(page, Page::IDC_LOAD_PALETTE)->isEnabled());

        // The palette shows read-only: no swatch, no Cancel.
        WhenModal([](QWidget* modal) {
            QVERIFY(Item(modal, CPaletteDlg::kSwatchId)->isHidden());
            QVERIFY(Item(modal, IDCANCEL)->isHidden());
            Item<QPushButton>(modal, IDOK)->click();
        });
        Item<QPushButton>(page, Page::IDC_SHOW_PALETTE)->click();
    }

    void paletteFilesAreSavedAndLoadedThroughTheButtons()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("muted.kvp")).toStdString();
        FrameFixture f;
        Build(f, true);
        Select(f, kImage);
        auto* page = PageOf<Page>(f, PageKind::image);
        f.m_dialogs.Answer(path);
        Item<QPushButton>(page, Page::IDC_SAVE_PALETTE)->click();
        QCOMPARE(QFile(QString::fromStdString(path)).size(), qint64(kPaletteFileSize));

        // The image takes the file's palette (the primaries now) keeping its indices.
        ImageBlock(f).m_hPalette = Primaries();
        Select(f, kControl);
        Select(f, kImage);
        f.m_dialogs.Answer(path);
        WhenModal([](QWidget* modal) { Item<QPushButton>(modal, IDOK)->click(); });
        Item<QPushButton>(page, Page::IDC_LOAD_PALETTE)->click();
        const std::vector<PALETTEENTRY> loaded = CopyLogPalette(ImageBlock(f).m_hPalette);
        QCOMPARE(loaded.size(), std::size_t{256});
        QCOMPARE(std::vector<PALETTEENTRY>(loaded.begin(), loaded.begin() + 4), CopyLogPalette(Muted()));
        QCOMPARE(int(PackedDibRow(*ImageBlock(f).m_hDib, 0)[3]), 3);
        QVERIFY(f.Doc().IsModified());
    }
};

QTEST_MAIN(ImageControlPagesTest)
#include "image_control_pages_test.moc"
