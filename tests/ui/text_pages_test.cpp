// The comment, text, loop and application pages through their real widgets: text bytes kept as
// they were unless edited, CP932 and UTF-8, the loop count refused as it is typed, the text
// page's ranges and swatches, the application page's dump.
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "model/gif_app_blocks.h"
#include "model/gif_text_blocks.h"
#include "page_fixture.h"
#include "platform/message_box.h"
#include "ui/data_exchange.h"
#include "ui/dialog_units.h"
#include "ui/gif_text_page.h"
#include "ui/page_text_codec.h"
#include "ui_documents.h"

using namespace korvanta;
using namespace korvanta::test;

namespace {

const std::string kUtf8Comment = "日本語のコメント\r\n2行目";
// "日本" and the half-width "ｶﾅ" in CP932.
const std::string kCp932Comment = "\x93\xFA\x96\x7B\xB6\xC5";
// Valid in neither: shown with replacement characters, written back unchanged.
const std::string kBrokenComment = "a\xFF\xA0z";

void AddComment(FrameFixture& f, const std::string& bytes)
{
    auto comment = std::make_unique<CGifCommentBlock>();
    comment->m_strText = bytes;
    f.Append(std::move(comment));
}

std::string CommentAt(const CGIFDoc& doc, int index)
{
    return dynamic_cast<const CGifCommentBlock*>(doc.GetBlock(index))->m_strText;
}

QPlainTextEdit* CommentEdit(FrameFixture& f)
{
    return ControlOf<QPlainTextEdit>(f.Frame().GetGifBar()->GetPage(PageKind::comment), 1020);
}

}  // namespace

class TextPagesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setFont(InterfaceFont()); }

    void codecReadsUtf8FirstAndFallsBackToUtf8ForWhatCp932Lacks()
    {
        // UTF-8 Japanese is valid CP932 too; it must not show as CP932.
        const DecodedText decoded = PageTextCodec::Decode("\xE3\x81\x82\xE3\x81\x84");
        QCOMPARE(decoded.text, QStringLiteral("あい"));
        QCOMPARE(decoded.encoding, TextEncoding::utf8);
        QCOMPARE(PageTextCodec::Decode(kBrokenComment).text, QStringLiteral("a\uFFFD\uFFFDz"));
        QCOMPARE(PageTextCodec::Decode("plain").encoding, TextEncoding::cp932);
        // Not in CP932: written as UTF-8 rather than lost.
        QCOMPARE(PageTextCodec::Encode(QStringLiteral("日本ä"), TextEncoding::cp932), std::string("日本ä"));
    }

    void commentsSurviveSelectingAndSavingByteForByte()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("comments.gif")).toStdString();
        FrameFixture f;
        f.Append(MakeImage(2, 2, [](int, int) { return 0; }));
        for (const std::string& bytes : {kUtf8Comment, kCp932Comment, kBrokenComment}) AddComment(f, bytes);
        f.Doc().SetModifiedFlag(false);

        ClickBlock(f, 4);
        QCOMPARE(CommentEdit(f)->toPlainText(), QStringLiteral("日本語のコメント\n2行目"));
        ClickBlock(f, 5);
        QCOMPARE(CommentEdit(f)->toPlainText(), QStringLiteral("日本ｶﾅ"));
        CommentEdit(f)->setFocus(Qt::MouseFocusReason);
        ClickBlock(f, 6);
        CommentEdit(f)->setFocus(Qt::MouseFocusReason);
        ClickBlock(f, 0);
        QVERIFY(!f.Doc().IsModified());
        QVERIFY(f.Doc().OnSaveDocument(path));

        FrameFixture reopened;
        QVERIFY(reopened.Doc().OnOpenDocument(path));
        QCOMPARE(reopened.Doc().GetBlockCount(), 7);
        QCOMPARE(CommentAt(reopened.Doc(), 4), kUtf8Comment);
        QCOMPARE(CommentAt(reopened.Doc(), 5), kCp932Comment);
        QCOMPARE(CommentAt(reopened.Doc(), 6), kBrokenComment);
    }

    void editedCommentsKeepTheirEncodingAndApplyOnLeaving()
    {
        FrameFixture f;
        AddComment(f, kCp932Comment);
        AddComment(f, kUtf8Comment);
        ClickBlock(f, 3);
        QPlainTextEdit* edit = CommentEdit(f);
        edit->setFocus(Qt::MouseFocusReason);
        edit->moveCursor(QTextCursor::End);
        QTest::keyClick(edit, Qt::Key_Return);
        edit->insertPlainText(QStringLiteral("語"));
        QVERIFY(edit->hasFocus());                       // Enter breaks the line in a comment
        QCOMPARE(CommentAt(f.Doc(), 3), kCp932Comment);  // typing alone applies nothing
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(f.View().hasFocus());
        QCOMPARE(CommentAt(f.Doc(), 3), kCp932Comment + "\r\n\x8C\xEA");
        QVERIFY(f.Doc().IsModified());

        ClickBlock(f, 4);
        edit->setFocus(Qt::MouseFocusReason);
        edit->moveCursor(QTextCursor::End);
        QTest::keyClicks(edit, QStringLiteral("!"));
        ClickBlock(f, 0);
        QCOMPARE(CommentAt(f.Doc(), 4), kUtf8Comment + "!");
    }

    void loopCountIsCheckedAsItIsTyped()
    {
        FrameFixture f;
        ClickBlock(f, 1);
        CGifPage* page = f.Frame().GetGifBar()->GetPage(PageKind::loop);
        auto* loop = dynamic_cast<CGifAppBlockNavigatorLoop*>(f.Doc().GetBlock(1));
        Retype(page, 1024, QStringLiteral("6553"));
        QCOMPARE(loop->m_nLoopCount, 6553);
        QVERIFY(f.m_messages.m_texts.empty());
        QTest::keyClicks(ControlOf(page, 1024), QStringLiteral("6"));
        QCOMPARE(f.m_messages.m_texts, (std::vector<std::string>{RangeMessage(0, 65535)}));
        QCOMPARE(loop->m_nLoopCount, 6553);
        // The refused text is selected, so the next digit replaces it.
        QTest::keyClicks(ControlOf(page, 1024), QStringLiteral("0"));
        QCOMPARE(loop->m_nLoopCount, 0);
        QCOMPARE(f.m_messages.m_texts.size(), std::size_t{1});
    }

    void textPageRefusesWideValuesAndShowsTheGlobalColours()
    {
        FrameFixture f;
        f.Append(std::make_unique<CGifTextBlock>());
        ClickBlock(f, 3);
        auto* page = PageOf<CGifTextPage>(f, PageKind::text);
        const auto colour = [&](int id) { return ControlOf(page, id)->palette().color(QPalette::Window); };
        // The default palette: entry 255 (foreground) white, entry 0 (background) black.
        QCOMPARE(colour(IDC_TEXT_SWATCH), QColor(Qt::white));
        QCOMPARE(colour(IDC_TEXTBK_SWATCH), QColor(Qt::black));

        auto* text = dynamic_cast<CGifTextBlock*>(f.Doc().GetBlock(3));
        Retype(page, CGifTextPage::IDC_GRID_LEFT, QStringLiteral("65536"));
        ClickBlock(f, 0);
        QCOMPARE(f.m_messages.m_texts.back(), RangeMessage(0, 65535));
        QCOMPARE(text->m_nGridLeft, 0);
        Retype(page, CGifTextPage::IDC_GRID_LEFT, QStringLiteral("300"));
        Retype(page, CGifTextPage::IDC_CELL_WIDTH, QStringLiteral("256"));
        QCOMPARE(text->m_nGridLeft, 300);  // applied as the focus moved on
        ClickBlock(f, 0);
        QCOMPARE(f.m_messages.m_texts.back(), RangeMessage(0, 255));
        QCOMPARE(text->m_nCellWidth, 8);
        QCOMPARE(f.Doc().m_nCurrent, 3);
        Retype(page, CGifTextPage::IDC_CELL_WIDTH, QStringLiteral("255"));

        // Colours come from the global palette: entry 37 of the default one is 36, 36, 85.
        AnswerPaletteDialog(37, true);
        ControlOf<QPushButton>(page, CGifTextPage::IDC_TEXT_COLOR)->click();
        QCOMPARE(text->m_nForeground, 37);
        QCOMPARE(text->m_nCellWidth, 255);
        QCOMPARE(colour(IDC_TEXT_SWATCH), QColor(36, 36, 85));
        AnswerPaletteDialog(5, false);
        ControlOf<QPushButton>(page, CGifTextPage::IDC_TEXTBK_COLOR)->click();
        QCOMPARE(text->m_nBackground, 0);
        QCOMPARE(colour(IDC_TEXTBK_SWATCH), QColor(Qt::black));
        AnswerPaletteDialog(5, true);
        ControlOf<QPushButton>(page, CGifTextPage::IDC_TEXTBK_COLOR)->click();
        QCOMPARE(text->m_nBackground, 5);
    }

    void applicationPageShowsIdentifierAndDumpOnly()
    {
        FrameFixture f;
        auto app = std::make_unique<CGifAppBlock>();
        app->m_identifier = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E'};
        app->m_authCode = {'2', '.', '0'};
        app->m_data = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x05, 0x00};
        f.Append(std::move(app));
        f.Doc().SetModifiedFlag(false);
        ClickBlock(f, 3);
        CGifPage* page = f.Frame().GetGifBar()->GetPage(PageKind::application);
        QCOMPARE(ControlOf<QLabel>(page, 1046)->text(), QStringLiteral("NETSCAPE2.0"));
        auto* dump = ControlOf<QPlainTextEdit>(page, 1047);
        QVERIFY(dump->isReadOnly());
        QCOMPARE(dump->toPlainText(), QStringLiteral("47 49 46 38 39 61 02 05     GIF89a..\n"
                                                     "00                          .       "));
        dump->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(dump, Qt::Key_Return);
        QVERIFY(f.View().hasFocus());
        QVERIFY(!f.Doc().IsModified());
    }
};

QTEST_MAIN(TextPagesTest)
#include "text_pages_test.moc"
