// The property pages through their real widgets: one page shown at a time, Enter and Escape,
// the header page's values, its global palette box and palette files, and every page's layout.
#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "dialog_checks.h"
#include "model/gif_header_block.h"
#include "model/gif_text_blocks.h"
#include "model/palette_file.h"
#include "page_fixture.h"
#include "ui/command_table.h"
#include "ui/data_exchange.h"
#include "ui/gif_header_page.h"
#include "ui_documents.h"

using namespace korvanta;
using namespace korvanta::test;

namespace {

using H = CGifHeaderPage;

const PageKind kKinds[] = {PageKind::header, PageKind::comment, PageKind::text, PageKind::loop,
                           PageKind::application};

// A document whose header has a 16-colour global table, with one image using it and one with a
// table of its own.
void AddImagesOnGlobalTable(FrameFixture& f)
{
    CGifHeaderBlock* header = f.Doc().GetHeader();
    header->m_bGlobalTable = true;
    header->m_hPalette = Ramp(16);
    auto shared = MakeImage(4, 4, [](int x, int) { return x; });
    shared->m_bLocalTable = false;
    f.Append(std::move(shared));
    f.Append(MakeImage(
        4, 4, [](int, int y) { return y; }, Ramp(4)));
    f.Doc().SetModifiedFlag(false);
}

CGifImageBlock* ImageAt(FrameFixture& f, int index)
{
    return dynamic_cast<CGifImageBlock*>(f.Doc().GetBlock(index));
}

}  // namespace

class HeaderPageTest : public QObject {
    Q_OBJECT
private slots:
    // The program's font, which the templates' units are measured in.
    void initTestCase() { QApplication::setFont(InterfaceFont()); }

    void onePageShownAtATimeAndRefilled()
    {
        FrameFixture f;
        CGifBar* bar = f.Frame().GetGifBar();
        for (const PageKind kind : kKinds) {
            CGifPage* page = bar->GetPage(kind);
            QVERIFY(page != nullptr);
            QCOMPARE(page->pos(), bar->Units().Point(0, 4));
            QCOMPARE(page->size(), bar->Units().Size(142, 174));
        }
        ClickBlock(f, 0);
        auto* header = PageOf<H>(f, PageKind::header);
        QCOMPARE(bar->CurrentPage(), header);
        for (const PageKind kind : kKinds) {
            CGifPage* page = bar->GetPage(kind);
            QCOMPARE(page->isVisible(), page == header);
            QCOMPARE(page->isEnabled(), page == header);
        }
        QCOMPARE(ControlOf<QLineEdit>(header, H::IDC_WIDTH)->text(), QStringLiteral("320"));

        // Two comments in turn: the same page, refilled.
        for (const char* text : {"first", "second"}) {
            auto comment = std::make_unique<CGifCommentBlock>();
            comment->m_strText = text;
            f.Append(std::move(comment));
        }
        CGifPage* commentPage = bar->GetPage(PageKind::comment);
        ClickBlock(f, 3);
        QCOMPARE(bar->CurrentPage(), commentPage);
        QVERIFY(!header->isVisible() && !header->isEnabled());
        QCOMPARE(ControlOf<QPlainTextEdit>(commentPage, 1020)->toPlainText(), QStringLiteral("first"));
        ClickBlock(f, 4);
        QCOMPARE(bar->CurrentPage(), commentPage);
        QVERIFY(commentPage->isVisible());
        QCOMPARE(ControlOf<QPlainTextEdit>(commentPage, 1020)->toPlainText(), QStringLiteral("second"));
    }

    void enterAndEscapeReturnToTheList()
    {
        FrameFixture f;
        ClickBlock(f, 0);
        auto* header = PageOf<H>(f, PageKind::header);
        Retype(header, H::IDC_WIDTH, QStringLiteral("400"));
        QTest::keyClick(ControlOf(header, H::IDC_WIDTH), Qt::Key_Return);
        QVERIFY(f.View().hasFocus());
        QVERIFY(header->isVisible());
        // Leaving the field applied it.
        QCOMPARE(f.Doc().GetHeader()->m_nWidth, 400);
        QVERIFY(f.Doc().IsModified());

        // Tab in the list enters the page at its first field.
        QTest::keyClick(&f.View(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), ControlOf(header, H::IDC_WIDTH));
        QWidget* global = ControlOf(header, H::IDC_GLOBAL_TABLE);
        global->setFocus();
        QTest::keyClick(global, Qt::Key_Escape);
        QVERIFY(f.View().hasFocus());
        QVERIFY(header->isVisible());
    }

    void screenSizeIsRefusedAboveSixteenBits()
    {
        FrameFixture f;
        ClickBlock(f, 0);
        f.Doc().SetModifiedFlag(false);
        auto* header = PageOf<H>(f, PageKind::header);
        Retype(header, H::IDC_HEIGHT, QStringLiteral("65536"));
        // The click on the loop block takes the focus, is refused and does nothing else.
        ClickBlock(f, 1);
        QCOMPARE(f.m_messages.m_texts, (std::vector<std::string>{RangeMessage(0, 65535)}));
        QCOMPARE(QApplication::focusWidget(), ControlOf(header, H::IDC_HEIGHT));
        QCOMPARE(f.Doc().m_nCurrent, 0);
        QCOMPARE(f.Doc().GetHeader()->m_nHeight, 240);
        QVERIFY(!f.Doc().IsModified());

        // A letter is refused the same way; a click on the page's own check box does nothing.
        Retype(header, H::IDC_HEIGHT, QStringLiteral("6x"));
        auto* global = ControlOf<QCheckBox>(header, H::IDC_GLOBAL_TABLE);
        QTest::mouseClick(global, Qt::LeftButton, Qt::NoModifier, QPoint(5, global->height() / 2));
        QCOMPARE(f.m_messages.m_texts.back(), std::string(kMsgParseUInt));
        QCOMPARE(f.m_messages.m_texts.size(), std::size_t{2});
        QVERIFY(!global->isChecked());

        Retype(header, H::IDC_HEIGHT, QStringLiteral("65535"));
        ClickBlock(f, 1);
        QCOMPARE(f.Doc().GetHeader()->m_nHeight, 65535);
        QCOMPARE(f.Doc().m_nCurrent, 0);  // the list swallowed the refused click; this one moved on
        ClickBlock(f, 1);
        QCOMPARE(f.Doc().m_nCurrent, 1);
    }

    void commandsTakeWhatWasTypedFirst()
    {
        FrameFixture f;
        ClickBlock(f, 0);
        auto* header = PageOf<H>(f, PageKind::header);
        const int blocks = f.Doc().GetBlockCount();
        Retype(header, H::IDC_WIDTH, QStringLiteral("x"));
        f.Frame().OnCommand(ID_INSERT_COMMENT);
        QCOMPARE(f.m_messages.m_texts, (std::vector<std::string>{kMsgParseUInt}));
        QCOMPARE(f.Doc().GetBlockCount(), blocks);
        Retype(header, H::IDC_WIDTH, QStringLiteral("500"));
        f.Frame().OnCommand(ID_INSERT_COMMENT);
        QCOMPARE(f.Doc().GetHeader()->m_nWidth, 500);
        QCOMPARE(f.Doc().GetBlockCount(), blocks + 1);
    }

    void globalPaletteBoxAsksBeforeImagesLoseTheirColours()
    {
        FrameFixture f;
        AddImagesOnGlobalTable(f);
        ClickBlock(f, 0);
        auto* header = PageOf<H>(f, PageKind::header);
        auto* global = ControlOf<QCheckBox>(header, H::IDC_GLOBAL_TABLE);
        QVERIFY(global->isChecked());
        const auto enabled = [&] {
            return std::vector<bool>{ControlOf(header, H::IDC_SORTED)->isEnabled(),
                                     ControlOf(header, H::IDC_LOAD_PALETTE)->isEnabled(),
                                     ControlOf(header, H::IDC_SAVE_PALETTE)->isEnabled()};
        };
        QCOMPARE(enabled(), (std::vector<bool>{true, true, true}));

        // Cancel: the box is checked again and nothing changes.
        f.m_messages.Answer(IDCANCEL);
        global->click();
        QCOMPARE(f.m_messages.m_texts, (std::vector<std::string>{kMsgCopyGlobalPalette}));
        QVERIFY(global->isChecked());
        QVERIFY(f.Doc().GetHeader()->m_bGlobalTable);
        QVERIFY(!ImageAt(f, 3)->m_bLocalTable);
        QVERIFY(!f.Doc().IsModified());

        // A refused value stops the copy before it is made.
        Retype(header, H::IDC_WIDTH, QStringLiteral("x"));
        global->click();
        QCOMPARE(f.m_messages.m_texts.back(), std::string(kMsgParseUInt));
        QVERIFY(global->isChecked());
        QVERIFY(!ImageAt(f, 3)->m_bLocalTable);
        Retype(header, H::IDC_WIDTH, QStringLiteral("320"));

        // OK: the image keeps the old global colours as its own table; the table goes off.
        f.m_messages.Answer(IDOK);
        global->click();
        QVERIFY(!f.Doc().GetHeader()->m_bGlobalTable);
        QVERIFY(ImageAt(f, 3)->m_bLocalTable);
        QCOMPARE(ImageAt(f, 3)->m_hPalette->GetEntryCount(), 16);
        QVERIFY(f.Doc().IsModified());
        QCOMPARE(enabled(), (std::vector<bool>{false, false, false}));

        // Now every image has a table of its own: checking and unchecking ask nothing.
        const std::size_t asked = f.m_messages.m_texts.size();
        global->click();
        global->click();
        QVERIFY(!f.Doc().GetHeader()->m_bGlobalTable);
        QCOMPARE(f.m_messages.m_texts.size(), asked);
    }

    void palettesAreSavedAndLoadedThroughTheButtons()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("ramp.KVP")).toStdString();
        FrameFixture f;
        AddImagesOnGlobalTable(f);
        ClickBlock(f, 0);
        auto* header = PageOf<H>(f, PageKind::header);
        f.m_dialogs.Answer(path);
        ControlOf<QPushButton>(header, H::IDC_SAVE_PALETTE)->click();
        QCOMPARE(QFile(QString::fromStdString(path)).size(), qint64{782});

        f.Doc().GetHeader()->m_hPalette = Ramp(2);
        f.Doc().UpdateAllViews();
        // The swatch shows the background entry of the palette the page holds.
        const auto swatch = [&] {
            return ControlOf(header, IDC_HEADER_SWATCH)->palette().color(QPalette::Window);
        };
        QCOMPARE(swatch(), QColor(0, 255, 0));

        // The copy question comes first; Cancel there still loads the palette.
        f.m_dialogs.Answer(path);
        f.m_messages.Answer(IDCANCEL);
        ControlOf<QPushButton>(header, H::IDC_LOAD_PALETTE)->click();
        QCOMPARE(f.m_messages.m_texts, (std::vector<std::string>{kMsgCopyGlobalPalette}));
        const HPALETTE loaded = f.Doc().GetGlobalPalette();
        QCOMPARE(loaded->GetEntryCount(), 256);
        QCOMPARE((*loaded)[15], (*Ramp(16))[15]);
        QCOMPARE((*loaded)[255], (*Ramp(16))[15]);
        QVERIFY(!ImageAt(f, 3)->m_bLocalTable);
        QVERIFY(f.Doc().IsModified());

        // The background colour is picked from the page's palette and painted in the swatch.
        AnswerPaletteDialog(7, true);
        ControlOf<QPushButton>(header, H::IDC_BKCOLOR)->click();
        QCOMPARE(f.Doc().GetHeader()->m_nBackground, 7);
        QCOMPARE(swatch(), QColor(7, 248, 21));
        AnswerPaletteDialog(9, false);
        ControlOf<QPushButton>(header, H::IDC_BKCOLOR)->click();
        QCOMPARE(f.Doc().GetHeader()->m_nBackground, 7);
    }

    void everyControlLiesInsideItsPageAndShowsAllItsText()
    {
        FrameFixture f;
        for (const PageKind kind : kKinds) CheckLaidOut(*PageOf<CGifPage>(f, kind));
    }
};

QTEST_MAIN(HeaderPageTest)
#include "header_page_test.moc"
