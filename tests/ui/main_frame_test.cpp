// The main frame through its real widgets: start-up, the menus and their states, the title,
// the questions before work is lost, the recent files, the layout rule and printing.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QUrl>

#include "frame_fixture.h"
#include "platform/file.h"
#include "ui/command_table.h"
#include "ui/gif_bar.h"
#include "ui/gif_edit_app.h"
#include "ui/qt_file_dialog_service.h"
#include "ui_documents.h"

using namespace korvanta;
using namespace korvanta::test;

namespace {

QStringList MenuTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions()) {
        QString text = action->isSeparator() ? QStringLiteral("-") : action->text();
        if (!action->shortcut().isEmpty())
            text += QLatin1Char('\t') + action->shortcut().toString(QKeySequence::PortableText);
        texts << text;
    }
    return texts;
}

bool Enabled(CMainFrame& frame, unsigned id)
{
    frame.UpdateMenus();
    return frame.Action(id)->isEnabled();
}

// Writes a GIF of a 200 x 100 screen with a loop, a control block and two images.
QString WriteSample(const QTemporaryDir& dir, const QString& name)
{
    FrameFixture maker;
    CGIFDoc& doc = maker.Doc();
    doc.InsertBlock(-1, MakeImage(200, 100, [](int x, int y) { return (x / 10 + y / 10) % 16; }));
    doc.InsertBlock(-1, MakeControl(20));
    doc.InsertBlock(-1, MakeImage(50, 50, [](int x, int) { return x % 4; }));
    const QString path = dir.filePath(name);
    if (!doc.OnSaveDocument(PathFromQString(path)))
        return {};
    return path;
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QSettings().clear(); }

    void menusCarryTheirLabelsAndShortcuts()
    {
        FrameFixture f;
        const QList<QAction*> popups = f.Frame().menuBar()->actions();
        QStringList titles;
        for (QAction* popup : popups) titles << popup->text();
        QCOMPARE(titles, (QStringList{"ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&V)", "ブロック挿入(&B)", "ﾍﾙﾌﾟ(&H)"}));
        QCOMPARE(MenuTexts(popups[0]->menu()),
                 (QStringList{"新規作成(&N)\tCtrl+N", "GIFを開く(&O)...\tCtrl+O", "上書き保存(&S)\tCtrl+S",
                              "名前を付けて保存(&A)...", "-", "イメージを挿入...", "選択イメージのみ保存...",
                              "-", "最新のﾌｧｲﾙ", "-", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}));
        QCOMPARE(MenuTexts(popups[1]->menu()),
                 (QStringList{"切り取り(&T)\tCtrl+X", "ｺﾋﾟｰ(&C)\tCtrl+C", "貼り付け(&P)\tCtrl+V"}));
        QCOMPARE(MenuTexts(popups[3]->menu()),
                 (QStringList{"イメージを挿入(&I)\tCtrl+I", "コントロール(&R)\tCtrl+R", "コメント(&C)",
                              "テキスト(&T)", "ループ(&L)"}));
        QCOMPARE(MenuTexts(popups[4]->menu()), (QStringList{"ﾄﾋﾟｯｸの検索(&H)", "-", "ﾊﾞｰｼﾞｮﾝ情報 (&A)..."}));
        QCOMPARE(f.Frame().Action(ID_EDIT_CUT)->shortcuts().size(), 2);  // Ctrl+X, Shift+Delete
        QCOMPARE(f.Frame().Action(ID_EDIT_COPY)->statusTip(),
                 QStringLiteral("選択ブロックをｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰします"));
        QCOMPARE(f.Frame().Action(ID_EDIT_COPY)->toolTip(), QStringLiteral("ｺﾋﾟ-"));

        QStringList toolbar;
        for (QAction* action : f.Frame().ToolBar()->actions())
            toolbar << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        QCOMPARE(toolbar,
                 (QStringList{"57600", "57601", "57603", "-", "57635", "57634", "57637", "-", "57664"}));
        QCOMPARE(f.Frame().ToolBar()->windowTitle(), QStringLiteral("ﾂｰﾙﾊﾞｰ"));
    }

    void statesFollowTheDocument()
    {
        FrameFixture f;
        CMainFrame& frame = f.Frame();
        // Header, loop and control only: nothing to save or play.
        QVERIFY(!Enabled(frame, ID_FILE_SAVE));
        QVERIFY(!Enabled(frame, ID_FILE_SAVE_AS));
        QVERIFY(!frame.GetGifBar()->PlayButton()->isEnabled());
        QVERIFY(!Enabled(frame, ID_SAVE_SELECTED_IMAGE));
        QVERIFY(Enabled(frame, ID_FILE_NEW));
        QVERIFY(!Enabled(frame, ID_EDIT_UNDO));
        QVERIFY(!Enabled(frame, ID_FILE_MRU_FILE1));
        f.Doc().m_nCurrent = 0;
        QVERIFY(!Enabled(frame, ID_EDIT_CUT));
        QVERIFY(!Enabled(frame, ID_EDIT_COPY));

        f.Append(MakeImage(2, 2, [](int, int) { return 0; }));
        QVERIFY(Enabled(frame, ID_FILE_SAVE));
        QVERIFY(frame.GetGifBar()->PlayButton()->isEnabled());
        QVERIFY(Enabled(frame, ID_SAVE_SELECTED_IMAGE));
        QVERIFY(Enabled(frame, ID_EDIT_CUT));

        // Undo stays disabled and its keys do nothing.
        const int blocks = f.Doc().GetBlockCount();
        QTest::keyClick(&frame, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(&frame, Qt::Key_Backspace, Qt::AltModifier);
        QCOMPARE(f.Doc().GetBlockCount(), blocks);
    }

    void playWithoutImagesSaysSo()
    {
        FrameFixture f;
        f.Frame().OnPlay();
        QCOMPARE(f.m_messages.m_texts, (std::vector<std::string>{"イメージブロックがありません。"}));
        QVERIFY(f.Frame().AnimWindow() == nullptr);
    }

    void titleStatusAndIndicators()
    {
        FrameFixture f;
        QCOMPARE(f.Frame().windowTitle(), QStringLiteral("UNTITLED[*] - Korvanta"));
        QVERIFY(!f.Frame().isWindowModified());
        f.Frame().OnCommand(ID_INSERT_COMMENT);
        QVERIFY(f.Frame().isWindowModified());
        auto* idle = f.Frame().StatusBar()->findChild<QLabel*>();
        QVERIFY(idle != nullptr);
        QCOMPARE(idle->text(), QStringLiteral("ﾚﾃﾞｨ"));
        for (const char* indicator : kIndicators)
            QVERIFY(f.Frame().StatusBar()->findChild<QLabel*>(QString::fromUtf8(indicator)) != nullptr);
    }

    void listKeepsItsMinimumWidth()
    {
        FrameFixture f;
        f.Frame().resize(100, 400);
        QTest::qWait(20);
        const int scrollBar = f.Frame().style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        QVERIFY(f.View().viewport()->width() - scrollBar >= 128);
    }

    void startsWithAFileOrEndsOnAnUnreadableOne()
    {
        QTemporaryDir dir;
        const QString path = WriteSample(dir, QStringLiteral("sample.gif"));
        QVERIFY(!path.isEmpty());
        RecordingMessages messages;
        QueuedFileDialogs dialogs;
        {
            CGifEditApp app;
            QVERIFY(
                app.InitInstance({"korvanta", path}, FrameServices{&messages, &dialogs, nullptr, nullptr}));
            QVERIFY(app.m_nClipFormat != 0);
            QCOMPARE(app.MainFrame()->GetActiveDocument()->GetBlockCount(), 6);
            QCOMPARE(app.MainFrame()->windowTitle(), QStringLiteral("sample.gif[*] - Korvanta"));
            QCOMPARE(app.MainFrame()->RecentFiles().Files().first(), QFileInfo(path).canonicalFilePath());
        }
        QFile bad(dir.filePath(QStringLiteral("bad.gif")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a gif");
        bad.close();
        CGifEditApp app;
        QVERIFY(!app.InitInstance({"korvanta", bad.fileName()},
                                  FrameServices{&messages, &dialogs, nullptr, nullptr}));
        QVERIFY(!messages.m_texts.empty());  // the reason was shown
    }

    void unreadableFileLeavesTheDocumentAsItWas()
    {
        QTemporaryDir dir;
        FrameFixture f;
        f.Append(MakeImage(2, 2, [](int, int) { return 1; }));
        f.Doc().SetModifiedFlag(false);
        CGIFDoc* before = &f.Doc();
        QVERIFY(!f.Frame().OpenDocumentFile(dir.filePath(QStringLiteral("missing.gif"))));
        QCOMPARE(&f.Doc(), before);
        QCOMPARE(f.Doc().GetBlockCount(), 4);
        QCOMPARE(f.m_messages.m_texts.size(), std::size_t{1});
    }

    void unsavedChangesAreAskedAbout()
    {
        QTemporaryDir dir;
        const QString path = WriteSample(dir, QStringLiteral("a.gif"));
        FrameFixture f;
        f.Frame().OnCommand(ID_INSERT_COMMENT);
        QVERIFY(f.Doc().IsModified());

        // Cancel keeps everything: new, open and exit all stop.
        f.m_messages.Answer(IDCANCEL);
        QVERIFY(!f.Frame().OnFileNew());
        QCOMPARE(f.Doc().GetBlockCount(), 4);
        QCOMPARE(f.m_messages.m_texts.back(), std::string("UNTITLED への変更を保存しますか?"));
        f.m_messages.Answer(IDCANCEL);
        QVERIFY(!f.Frame().OpenDocumentFile(path));
        QCOMPARE(f.Doc().GetBlockCount(), 4);
        f.m_messages.Answer(IDCANCEL);
        QVERIFY(!f.Frame().close());
        QVERIFY(f.Frame().isVisible());

        // Yes on an unnamed document asks for a name; cancelling that keeps the document too.
        f.m_messages.Answer(IDYES);
        QVERIFY(!f.Frame().OnFileNew());
        QCOMPARE(f.m_dialogs.m_requests.size(), std::size_t{1});
        QVERIFY(f.Doc().IsModified());

        // No discards the changes.
        f.m_messages.Answer(IDNO);
        QVERIFY(f.Frame().OpenDocumentFile(path));
        QCOMPARE(f.Doc().GetBlockCount(), 6);
        QVERIFY(!f.Doc().IsModified());
    }

    void droppedFileOpensAfterTheQuestionWithProgress()
    {
        QTemporaryDir dir;
        const QString path = WriteSample(dir, QStringLiteral("dropped.gif"));
        FrameFixture f;
        f.Frame().OnCommand(ID_INSERT_COMMENT);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f.Frame(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        f.m_messages.Answer(IDNO);
        QApplication::sendEvent(&f.Frame(), &drop);
        QCOMPARE(f.m_messages.m_texts.size(), std::size_t{1});  // the save-changes question
        QCOMPARE(f.Doc().GetBlockCount(), 6);
        QVERIFY(f.m_progress.m_nCreated > 0);  // reading showed its progress
    }

    void saveWritesAndKeepsTheOldFileOnFailure()
    {
        QTemporaryDir dir;
        const QString path = WriteSample(dir, QStringLiteral("s.gif"));
        FrameFixture f;
        QVERIFY(f.Frame().OpenDocumentFile(path));
        f.Frame().OnCommand(ID_INSERT_COMMENT);
        f.Frame().OnCommand(ID_FILE_SAVE);
        QVERIFY(!f.Doc().IsModified());
        FrameFixture reread;
        QVERIFY(reread.Frame().OpenDocumentFile(path));
        QCOMPARE(reread.Doc().GetBlockCount(), 7);

        // Save as into a directory that does not exist fails: the document stays modified.
        f.Frame().OnCommand(ID_INSERT_COMMENT);
        f.m_dialogs.Answer(PathFromQString(dir.filePath(QStringLiteral("no/such/dir/x.gif"))));
        f.Frame().OnCommand(ID_FILE_SAVE_AS);
        QVERIFY(f.Doc().IsModified());
        QCOMPARE(QString::fromStdString(f.Doc().GetPathName()), path);
    }

    void recentFilesOpenAndForgetMissingOnes()
    {
        QTemporaryDir dir;
        const QString a = WriteSample(dir, QStringLiteral("a.gif"));
        const QString b = WriteSample(dir, QStringLiteral("b.gif"));
        FrameFixture f;
        QVERIFY(f.Frame().OpenDocumentFile(a));
        QVERIFY(f.Frame().OpenDocumentFile(b));
        QCOMPARE(f.Frame().RecentFiles().Files().size(), 2);
        QCOMPARE(f.Frame().Actions(ID_FILE_MRU_FILE1).front()->text(),
                 CRecentFileList::MenuLabel(0, QFileInfo(b).canonicalFilePath()));
        f.Frame().OnCommand(ID_FILE_MRU_FILE1 + 1);
        QCOMPARE(QString::fromStdString(f.Doc().GetPathName()), a);

        QFile::remove(b);
        f.Frame().OnCommand(ID_FILE_MRU_FILE1 + 1);  // b, now second
        QCOMPARE(f.Frame().RecentFiles().Files(), QStringList{QFileInfo(a).canonicalFilePath()});
    }

    void printsTheListThroughItsOwnDrawing()
    {
        QTemporaryDir dir;
        FrameFixture f;
        for (int i = 0; i < 40; ++i) f.Append(MakeImage(8, 8, [i](int x, int) { return (x + i) % 16; }));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("list.pdf")));
        CMainFrame::PrintList(printer, f.Doc());
        QFile pdf(printer.outputFileName());
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        // 43 entries of 40 or 80 pixels do not fit one page.
        QVERIFY(bytes.count("/Type /Page") - bytes.count("/Type /Pages") >= 2);
    }

    void f6MovesBetweenListAndBar()
    {
        FrameFixture f;
        f.View().setFocus();
        QTRY_VERIFY(f.View().hasFocus());
        QTest::keyClick(&f.Frame(), Qt::Key_F6);
        QVERIFY(!f.View().hasFocus());
        QTest::keyClick(&f.Frame(), Qt::Key_F6, Qt::ShiftModifier);
        QVERIFY(f.View().hasFocus());
    }
};

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
