// The control and image pages through their real widgets on a running frame: filling, applying
// on focus loss and clicks, refused values, the transparent colour picked from the image, the
// local colour table with the image-convert dialog, and the palette files.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

#include "dialog_checks.h"
#include "model/gif_doc_commands.h"
#include "model/palette_file.h"
#include "page_fixture.h"
#include "ui/data_exchange.h"
#include "ui/dialog_template.h"
#include "ui/gif_bar.h"
#include "ui/gif_control_page.h"
#include "ui/gif_image_page.h"
#include "ui/palette_dlg.h"
#include "ui/palette_image_view.h"
#include "ui/qt_file_dialog_service.h"
#include "ui_documents.h"

using namespace korvanta;
using namespace korvanta::test;

namespace {

using Image = CGifImagePage;
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

QColor SwatchColour(QWidget* page)
{
    return ControlOf(page, IDC_TRANS_SWATCH)->palette().color(QPalette::Window);
}

// A new document (header, loop, control) and a 40 x 20 image of the muted colours x % 4; the
// header holds the primaries, as its global table when global is set.
class Pages : public FrameFixture {
public:
    static constexpr int kControl = 2;
    static constexpr int kImage = 3;

    explicit Pages(bool global = true)
    {
        Doc().GetHeader()->m_bGlobalTable = global;
        Doc().GetHeader()->m_hPalette = Primaries();
        Append(MakeImage(
            40, 20, [](int x, int) { return x % 4; }, Muted()));
        Doc().SetModifiedFlag(false);
    }

    CGifControlBlock& ControlBlock() { return *static_cast<CGifControlBlock*>(Doc().GetBlock(kControl)); }
    CGifImageBlock& ImageBlock() { return *static_cast<CGifImageBlock*>(Doc().GetBlock(kImage)); }
    Control* ControlPage() { return PageOf<Control>(*this, PageKind::control); }
    Image* ImagePage() { return PageOf<Image>(*this, PageKind::image); }

    void Select(int index) { ClickBlock(*this, index); }
    // Types text into an edit in place of what it holds, then clicks list entry index.
    void TypeThenClick(QWidget* page, int id, const QString& text, int index)
    {
        Retype(page, id, text);
        Select(index);
    }
};

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
            QCOMPARE(page->geometry(), QRect(bar.Units().Point(0, 4), bar.Units().Size(142, 174)));
            CheckLaidOut(*page);
        }
        auto* disposal = ControlOf<QComboBox>(bar.GetPage(PageKind::control), Control::IDC_DISPOSAL);
        QCOMPARE(disposal->itemText(2), QStringLiteral("背景色で消す"));
        QCOMPARE(disposal->count(), 4);
        QVERIFY(!ControlOf(bar.GetPage(PageKind::image), Image::IDC_WIDTH)->isEnabled());
        QVERIFY(!ControlOf(bar.GetPage(PageKind::image), Image::IDC_HEIGHT)->isEnabled());
    }

    void controlPageAppliesEachClickAndChoice()
    {
        Pages f;
        f.ControlBlock().m_nTransparentIndex = 1;
        f.ControlBlock().m_nDisposal = 5;  // a method the list does not offer
        f.Select(Pages::kControl);
        Control* page = f.ControlPage();
        QCOMPARE(ControlOf<QLineEdit>(page, Control::IDC_DELAY)->text(), QStringLiteral("100"));
        QVERIFY(!ControlOf(page, Control::IDC_TRANS_COLOR)->isEnabled());
        QVERIFY(!ControlOf(page, IDC_TRANS_SWATCH)->isEnabled());
        QCOMPARE(SwatchColour(page), QColor(20, 20, 220));  // the governed image's colour 1

        ControlOf<QCheckBox>(page, Control::IDC_TRANSPARENT)->click();
        QVERIFY(f.ControlBlock().m_bTransparent);
        QCOMPARE(f.ControlBlock().m_nDisposal, 5);
        QVERIFY(f.Doc().IsModified());
        QVERIFY(ControlOf(page, Control::IDC_TRANS_COLOR)->isEnabled());
        auto* disposal = ControlOf<QComboBox>(page, Control::IDC_DISPOSAL);
        disposal->setFocus();
        QTest::keyClick(disposal, Qt::Key_Down);
        QCOMPARE(f.ControlBlock().m_nDisposal, 0);
        ControlOf<QCheckBox>(page, Control::IDC_USER_INPUT)->click();
        QVERIFY(f.ControlBlock().m_bUserInput);

        // Enter hands the focus to the list, which applies the delay; the page stays.
        auto* delay = ControlOf<QLineEdit>(page, Control::IDC_DELAY);
        delay->setFocus();
        delay->selectAll();
        QTest::keyClicks(delay, QStringLiteral("30"));
        QTest::keyClick(delay, Qt::Key_Return);
        QCOMPARE(f.ControlBlock().m_nDelay, 30);
        QCOMPARE(QApplication::focusWidget(), &f.View());
        QVERIFY(page->isVisible());
    }

    void transparentColourIsPickedFromAPixel()
    {
        Pages f;
        f.ControlBlock().m_bTransparent = true;
        f.Select(Pages::kControl);
        auto pick = [](QPoint pixel, Qt::Key end) {
            WhenModal([pixel, end](QWidget* modal) {
                auto* dialog = qobject_cast<CPaletteDlg*>(modal);
                QVERIFY(dialog->ImageView()->isVisible());
                QTest::mouseClick(dialog->ImageView()->viewport(), Qt::LeftButton, {}, pixel);
                QTest::keyClick(dialog, end);
            });
        };
        // Column 6 of the image holds colour 6 % 4.
        pick(QPoint(6, 3), Qt::Key_Return);
        ControlOf<QPushButton>(f.ControlPage(), Control::IDC_TRANS_COLOR)->click();
        QCOMPARE(f.ControlBlock().m_nTransparentIndex, 2);
        QCOMPARE(SwatchColour(f.ControlPage()), QColor(10, 10, 10));
        QVERIFY(f.Doc().IsModified());
        pick(QPoint(1, 1), Qt::Key_Escape);
        ControlOf<QPushButton>(f.ControlPage(), Control::IDC_TRANS_COLOR)->click();
        QCOMPARE(f.ControlBlock().m_nTransparentIndex, 2);
    }

    void aLetterInTheDelayKeepsTheBlockAndSwallowsTheClick()
    {
        Pages f;
        f.Select(Pages::kControl);
        f.TypeThenClick(f.ControlPage(), Control::IDC_DELAY, QStringLiteral("12a"), Pages::kImage);
        QCOMPARE(f.m_messages.m_texts, std::vector<std::string>{kMsgParseInt});
        QCOMPARE(f.ControlBlock().m_nDelay, 100);
        QVERIFY(!f.Doc().IsModified());
        QCOMPARE(f.Doc().m_nCurrent, Pages::kControl);
        QCOMPARE(QApplication::focusWidget(), ControlOf(f.ControlPage(), Control::IDC_DELAY));

        f.TypeThenClick(f.ControlPage(), Control::IDC_DELAY, QStringLiteral("250"), Pages::kImage);
        QCOMPARE(f.ControlBlock().m_nDelay, 250);
        QCOMPARE(f.Doc().m_nCurrent, Pages::kImage);
        QCOMPARE(f.m_messages.m_texts.size(), std::size_t{1});
    }

    void imagePositionOutsideSixteenBitsIsRefused()
    {
        Pages f;
        f.Select(Pages::kImage);
        Image* page = f.ImagePage();
        QCOMPARE(ControlOf<QLineEdit>(page, Image::IDC_WIDTH)->text(), QStringLiteral("40"));
        for (const char* text : {"65536", "-1"}) {
            f.TypeThenClick(page, Image::IDC_LEFT, QString::fromLatin1(text), Pages::kControl);
            QCOMPARE(f.m_messages.m_texts.back(), RangeMessage(0, 65535));
            QCOMPARE(f.ImageBlock().m_nLeft, 0);
        }
        ControlOf<QLineEdit>(page, Image::IDC_LEFT)->setText(QStringLiteral("7"));
        f.TypeThenClick(page, Image::IDC_TOP, QStringLiteral("65535"), Pages::kControl);
        QCOMPARE(f.ImageBlock().m_nLeft, 7);
        QCOMPARE(f.ImageBlock().m_nTop, 65535);
    }

    void droppingTheTableAsksThenFitsToTheGlobalPalette()
    {
        Pages f;
        f.Select(Pages::kImage);
        Image* page = f.ImagePage();
        auto* box = ControlOf<QCheckBox>(page, Image::IDC_LOCAL_TABLE);
        const HPALETTE before = f.ImageBlock().m_hPalette;
        WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        box->click();
        QVERIFY(box->isChecked());
        QCOMPARE(f.ImageBlock().m_hPalette, before);
        QVERIFY(!f.Doc().IsModified());

        WhenModal([](QWidget* modal) {
            ControlOf<QRadioButton>(modal, 1049)->click();
            ControlOf<QPushButton>(modal, IDOK)->click();
        });
        box->click();
        QVERIFY(!f.ImageBlock().m_bLocalTable);
        QVERIFY(!f.ImageBlock().m_hPalette);
        const int nearest[] = {2, 3, 0, 1};
        for (int x = 0; x < 4; ++x) QCOMPARE(int(PackedDibRow(*f.ImageBlock().m_hDib, 5)[x]), nearest[x]);
        QVERIFY(f.Doc().IsModified());
        // The list was repainted, which refilled the page from the block.
        QVERIFY(!page->m_hPalette);
        QVERIFY(!ControlOf(page, Image::IDC_SAVE_PALETTE)->isEnabled());
    }

    void aRefitThatFailsSaysWhyAndKeepsTheTable()
    {
        Pages f;
        f.Select(Pages::kImage);
        // A bitmap whose rows run past its memory cannot be refitted.
        const std::vector<std::uint8_t> cut(f.ImageBlock().m_hDib->bytes().begin(),
                                            f.ImageBlock().m_hDib->bytes().begin() + 200);
        f.ImageBlock().m_hDib = std::make_shared<DibBlock>(cut);
        const HPALETTE before = f.ImageBlock().m_hPalette;
        WhenModal([](QWidget* modal) {
            ControlOf<QRadioButton>(modal, 1049)->click();
            ControlOf<QPushButton>(modal, IDOK)->click();
        });
        auto* box = ControlOf<QCheckBox>(f.ImagePage(), Image::IDC_LOCAL_TABLE);
        box->click();
        QCOMPARE(f.ImageBlock().m_hPalette, before);
        QVERIFY(f.ImageBlock().m_bLocalTable);
        QVERIFY(box->isChecked());  // the page shows what the block kept
        QCOMPARE(f.m_messages.m_texts.size(), std::size_t{1});
        QVERIFY(f.m_messages.m_texts.front().starts_with(kMsgRefitFailed));
    }

    void withoutAGlobalTableTheImagesPaletteBecomesGlobal()
    {
        Pages f(false);
        f.Select(Pages::kImage);
        const HPALETTE former = f.ImageBlock().m_hPalette;
        bool asked = false;
        QTimer::singleShot(0, [&asked] {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                asked = true;
                modal->reject();
            }
        });
        auto* box = ControlOf<QCheckBox>(f.ImagePage(), Image::IDC_LOCAL_TABLE);
        box->click();
        QTest::qWait(1);
        QVERIFY(!asked);
        QVERIFY(f.Doc().HasGlobalColorTable());
        QCOMPARE(CopyLogPalette(f.Doc().GetGlobalPalette()), CopyLogPalette(former));
        QVERIFY(f.Doc().GetGlobalPalette() != former);
        QVERIFY(!f.ImageBlock().m_bLocalTable);

        // Checked again before the page was refilled: a copy of the global palette of its own,
        // never the palette it gave up nor the header's.
        box->click();
        const HPALETTE own = f.ImageBlock().m_hPalette;
        QVERIFY(f.ImageBlock().m_bLocalTable);
        QVERIFY(own != former && own != f.Doc().GetGlobalPalette());
        QCOMPARE(CopyLogPalette(own), CopyLogPalette(f.Doc().GetGlobalPalette()));
    }

    void checkingTheBoxGivesACopyOfTheGlobalPalette()
    {
        Pages f;
        f.ImageBlock().m_bLocalTable = false;
        f.ImageBlock().m_hPalette = nullptr;
        f.Select(Pages::kImage);
        Image* page = f.ImagePage();
        QVERIFY(!ControlOf(page, Image::IDC_LOAD_PALETTE)->isEnabled());
        ControlOf<QCheckBox>(page, Image::IDC_LOCAL_TABLE)->click();
        QVERIFY(f.ImageBlock().m_bLocalTable);
        QVERIFY(f.ImageBlock().m_hPalette != f.Doc().GetGlobalPalette());
        QCOMPARE(CopyLogPalette(f.ImageBlock().m_hPalette), CopyLogPalette(Primaries()));
        QVERIFY(ControlOf(page, Image::IDC_LOAD_PALETTE)->isEnabled());

        // The palette shows read-only: no swatch, no Cancel.
        WhenModal([](QWidget* modal) {
            QVERIFY(ControlOf(modal, CPaletteDlg::kSwatchId)->isHidden());
            QVERIFY(ControlOf(modal, IDCANCEL)->isHidden());
            ControlOf<QPushButton>(modal, IDOK)->click();
        });
        ControlOf<QPushButton>(page, Image::IDC_SHOW_PALETTE)->click();
    }

    void editsSurviveSavingAndReopening()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("edited.gif"));
        Pages f;
        f.Select(Pages::kControl);
        ControlOf<QCheckBox>(f.ControlPage(), Control::IDC_TRANSPARENT)->click();
        f.TypeThenClick(f.ControlPage(), Control::IDC_DELAY, QStringLiteral("7"), Pages::kImage);
        ControlOf<QCheckBox>(f.ImagePage(), Image::IDC_INTERLACE)->click();
        f.TypeThenClick(f.ImagePage(), Image::IDC_LEFT, QStringLiteral("300"), Pages::kControl);
        QVERIFY(f.Doc().OnSaveDocument(PathFromQString(path)));

        QVERIFY(f.Frame().LoadDocumentFile(path));
        QCOMPARE(f.ControlBlock().m_nDelay, 7);
        QVERIFY(f.ControlBlock().m_bTransparent);
        QCOMPARE(f.ImageBlock().m_nLeft, 300);
        QVERIFY(f.ImageBlock().m_bInterlace);
        QCOMPARE(int(PackedDibRow(*f.ImageBlock().m_hDib, 7)[5]), 1);
    }

    void paletteFilesAreSavedAndLoadedThroughTheButtons()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("muted.kvp")).toStdString();
        Pages f;
        f.Select(Pages::kImage);
        f.m_dialogs.Answer(path);
        ControlOf<QPushButton>(f.ImagePage(), Image::IDC_SAVE_PALETTE)->click();
        QCOMPARE(QFile(QString::fromStdString(path)).size(), qint64(kPaletteFileSize));

        // The image takes the file's palette in place of the primaries, keeping its indices.
        f.ImageBlock().m_hPalette = Primaries();
        f.Select(Pages::kControl);
        f.Select(Pages::kImage);
        f.m_dialogs.Answer(path);
        WhenModal([](QWidget* modal) { ControlOf<QPushButton>(modal, IDOK)->click(); });
        ControlOf<QPushButton>(f.ImagePage(), Image::IDC_LOAD_PALETTE)->click();
        const std::vector<PALETTEENTRY> loaded = CopyLogPalette(f.ImageBlock().m_hPalette);
        QCOMPARE(loaded.size(), std::size_t{256});
        QCOMPARE(std::vector<PALETTEENTRY>(loaded.begin(), loaded.begin() + 4), CopyLogPalette(Muted()));
        QCOMPARE(int(PackedDibRow(*f.ImageBlock().m_hDib, 0)[3]), 3);
        QVERIFY(f.Doc().IsModified());
    }
};

QTEST_MAIN(ImageControlPagesTest)
#include "image_control_pages_test.moc"
