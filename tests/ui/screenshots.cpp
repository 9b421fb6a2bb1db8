// Makes the pictures of the editor for the README and the notes: the program on the sample file
// with the animation playing, every property page and the dialogs. Run it on a virtual X
// server through scripts/screenshot.sh; it takes the screen as the X server shows it.
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QScreen>
#include <QTimer>

#include "model/gif_app_blocks.h"
#include "model/gif_commands.h"
#include "model/gif_control_block.h"
#include "model/gif_doc.h"
#include "model/gif_image_block.h"
#include "model/gif_text_blocks.h"
#include "ui/about_dlg.h"
#include "ui/anim_wnd.h"
#include "ui/gif_bar.h"
#include "ui/gif_edit_app.h"
#include "ui/image_convert_dlg.h"
#include "ui/main_frame.h"
#include "ui/palette_dlg.h"

using namespace korvanta;

namespace {

void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The screen's pixels inside rect, as another program (ImageMagick's import) reads them.
bool Capture(const QRect& rect, const QString& path)
{
    QProcess import;
    QEventLoop loop;
    QObject::connect(&import, &QProcess::finished, &loop, &QEventLoop::quit);
    const QString crop =
        QStringLiteral("%1x%2+%3+%4").arg(rect.width()).arg(rect.height()).arg(rect.x()).arg(rect.y());
    import.start(QStringLiteral("import"), {"-window", "root", "-crop", crop, "+repage", path});
    loop.exec();
    return import.exitStatus() == QProcess::NormalExit && import.exitCode() == 0;
}

QRect FrameRect(const QWidget& widget)
{
    return widget.frameGeometry();
}

// Makes the first block of a kind current; false when the document has none.
bool SelectFirst(CGIFDoc& doc, PageKind kind)
{
    for (int i = 0; i < doc.GetBlockCount(); ++i) {
        if (doc.GetBlock(i)->GetPage() == kind) {
            doc.m_nCurrent = i;
            doc.UpdateAllViews();
            Wait(300);
            return true;
        }
    }
    return false;
}

// The property bar with the page of the first block of a kind.
bool CapturePage(CMainFrame& frame, PageKind kind, const QString& path)
{
    if (!SelectFirst(*frame.GetActiveDocument(), kind))
        return false;
    const CGifBar& bar = *frame.GetGifBar();
    return Capture(QRect(bar.mapToGlobal(QPoint(0, 0)), bar.size()), path);
}

// A dialog shown beside the frame without running it, so that nothing waits for an answer.
bool CaptureDialog(QDialog& dialog, const QPoint& at, const QString& path)
{
    dialog.move(at);
    dialog.show();
    Wait(300);
    const bool captured = Capture(dialog.frameGeometry(), path);
    dialog.hide();
    return captured;
}

// A plain-text and an application block at the end of the list, so that every page has a block
// to show: the sample has neither.
void AddTextAndApplicationBlocks(CGIFDoc& doc)
{
    auto text = std::make_unique<CGifTextBlock>();
    text->m_nGridWidth = 96;
    text->m_nGridHeight = 16;
    text->m_strText = "Korvanta";
    doc.InsertBlock(-1, std::move(text));
    auto application = std::make_unique<CGifAppBlock>();
    const char identifier[] = "KORVANTA";
    std::copy_n(identifier, 8, application->m_identifier.begin());
    application->m_authCode = {'1', '.', '0'};
    for (const char c : std::string("block list\x01\x02"))
        application->m_data.push_back(static_cast<std::uint8_t>(c));
    doc.InsertBlock(-1, std::move(application));
    doc.UpdateAllViews();
}

// Every page, and the dialogs the pages open.
bool CapturePagesAndDialogs(CMainFrame& frame, const QDir& out)
{
    CGIFDoc& doc = *frame.GetActiveDocument();
    AddTextAndApplicationBlocks(doc);
    const std::pair<PageKind, const char*> pages[] = {
        {PageKind::header, "header"},          {PageKind::control, "control"}, {PageKind::image, "image"},
        {PageKind::comment, "comment"},        {PageKind::text, "text"},       {PageKind::loop, "loop"},
        {PageKind::application, "application"}};
    for (const auto& [kind, name] : pages) {
        const bool present = SelectFirst(doc, kind);
        if (present && !CapturePage(frame, kind, out.filePath(QStringLiteral("%1-page.png").arg(name))))
            return false;
    }
    const QPoint beside(FrameRect(frame).right() + 16, 40);
    CPaletteDlg grid(doc.GetGlobalPalette(), nullptr, false, &frame);
    if (!CaptureDialog(grid, beside, out.filePath(QStringLiteral("palette-dialog.png"))))
        return false;
    SelectFirst(doc, PageKind::control);
    const auto* control = dynamic_cast<const CGifControlBlock*>(doc.GetCurrentBlock());
    CPaletteDlg image(control->m_hFramePalette, control->m_hFrameDib, false, &frame);
    image.m_nSelected = control->m_nTransparentIndex;
    if (!CaptureDialog(image, beside, out.filePath(QStringLiteral("palette-dialog-image.png"))))
        return false;
    CImageConvertDlg convert(&frame);
    if (!CaptureDialog(convert, beside, out.filePath(QStringLiteral("image-convert-dialog.png"))))
        return false;
    CAboutDlg about(&frame);
    return CaptureDialog(about, beside, out.filePath(QStringLiteral("about-dialog.png")));
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Korvanta"));
    QCoreApplication::setApplicationName(QStringLiteral("korvanta-screenshots"));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        fprintf(stderr, "usage: korvanta-screenshots SAMPLE.gif OUTDIR\n");
        return 2;
    }
    const QDir out(args[2]);
    // A plain desktop behind the windows: the virtual screen is black.
    QWidget desktop(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint);
    desktop.setStyleSheet(QStringLiteral("background: #d8dce0"));
    desktop.setGeometry(QGuiApplication::primaryScreen()->geometry());
    desktop.show();
    CGifEditApp app;
    if (!app.InitInstance({args[0], args[1]}))
        return 1;
    CMainFrame& frame = *app.MainFrame();
    frame.move(0, 0);
    frame.resize(440, 520);
    Wait(500);

    // The list with an image selected, and the animation playing beside it.
    CGIFDoc& doc = *frame.GetActiveDocument();
    for (int i = 0; i < doc.GetBlockCount(); ++i) {
        if (doc.GetBlock(i)->GetPage() == PageKind::image) {
            doc.m_nCurrent = i;
            doc.UpdateAllViews();
            break;
        }
    }
    frame.OnCommand(ID_PLAY);
    CAnimWnd* anim = frame.AnimWindow();
    if (anim == nullptr)
        return 1;
    anim->move(FrameRect(frame).right() + 16, 40);
    Wait(1800);
    const QRect both = FrameRect(frame).united(FrameRect(*anim)).adjusted(0, 0, 8, 8);
    if (!Capture(both, out.filePath(QStringLiteral("editor.png"))))
        return 1;
    anim->close();
    Wait(200);
    return CapturePagesAndDialogs(frame, out) ? 0 : 1;
}
