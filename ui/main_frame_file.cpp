// The main frame's file commands: new, open, save, the recent files, dropped files, printing,
// help, about and the end of the program.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>
#include <QUrl>

#include "model/gif_doc.h"
#include "platform/message_box.h"
#include "ui/about_dlg.h"
#include "ui/command_table.h"
#include "ui/gif_view.h"
#include "ui/main_frame.h"
#include "ui/qt_file_dialog_service.h"

namespace korvanta {

namespace {
constexpr char kOpenFilter[] = "GIF Files (*.gif)|*.gif|すべてのﾌｧｲﾙ (*.*)|*.*||";
constexpr char kHelpMissing[] = "ヘルプファイルが見つかりません。";
}  // namespace

bool CMainFrame::OnFileNew()
{
    if (!m_pDoc->SaveModified())
        return false;
    auto doc = MakeDocument();
    doc->OnNewDocument();
    SetDocument(std::move(doc));
    m_pView->OnInitialUpdate();
    return true;
}

void CMainFrame::OnFileOpen()
{
    FileDialogRequest request;
    request.bOpen = true;
    request.filter = kOpenFilter;
    request.flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    const std::optional<std::string> path = m_services.fileDialogs->GetFileName(request);
    if (path)
        OpenDocumentFile(PathToQString(*path));
}

bool CMainFrame::OpenDocumentFile(const QString& path)
{
    return m_pDoc->SaveModified() && LoadDocumentFile(path);
}

bool CMainFrame::LoadDocumentFile(const QString& path)
{
    // The file is read into a document of its own, so a file that cannot be read leaves the
    // open document as it was.
    auto doc = MakeDocument();
    if (!doc->OnOpenDocument(PathFromQString(path)))
        return false;
    SetDocument(std::move(doc));
    m_recentFiles.Add(path);
    RebuildRecentFileMenu();
    WriteSettings();
    m_pView->OnInitialUpdate();
    return true;
}

void CMainFrame::OnFileSave()
{
    if (m_pDoc->DoFileSave())
        m_recentFiles.Add(PathToQString(m_pDoc->GetPathName()));
    RebuildRecentFileMenu();
    WriteSettings();
}

void CMainFrame::OnFileSaveAs()
{
    if (m_pDoc->DoSave(std::string(), true))
        m_recentFiles.Add(PathToQString(m_pDoc->GetPathName()));
    RebuildRecentFileMenu();
    WriteSettings();
}

void CMainFrame::OnOpenRecentFile(int index)
{
    if (index < 0 || index >= m_recentFiles.Files().size())
        return;
    const QString path = m_recentFiles.Files()[index];
    if (!m_pDoc->SaveModified())
        return;
    // A file that cannot be opened any more leaves the list; the reason has been shown.
    if (!LoadDocumentFile(path)) {
        m_recentFiles.Remove(index);
        RebuildRecentFileMenu();
        WriteSettings();
    }
}

void CMainFrame::RebuildRecentFileMenu()
{
    if (m_pFileMenu == nullptr || m_recentActions.empty())
        return;
    // The first entry is kept (it stands for the list while it is empty); the others go.
    QAction* first = m_recentActions.front();
    for (std::size_t i = 1; i < m_recentActions.size(); ++i) {
        QAction* action = m_recentActions[i];
        m_pFileMenu->removeAction(action);
        for (auto it = m_actions.begin(); it != m_actions.end(); ++it) {
            if (it->second == action) {
                m_actions.erase(it);
                break;
            }
        }
        action->deleteLater();
    }
    m_recentActions.resize(1);
    const QStringList& files = m_recentFiles.Files();
    if (files.isEmpty()) {
        first->setText(QString::fromUtf8(kRecentFilePlaceholder));
        first->setEnabled(false);
        return;
    }
    first->setText(CRecentFileList::MenuLabel(0, files[0]));
    first->setEnabled(true);
    for (int i = 1; i < files.size(); ++i) {
        const unsigned id = ID_FILE_MRU_FILE1 + static_cast<unsigned>(i);
        QAction* action = NewAction(id, CRecentFileList::MenuLabel(i, files[i]));
        action->setStatusTip(StatusTipOf(ID_FILE_MRU_FILE1));
        m_pFileMenu->insertAction(m_pRecentAnchor, action);
        m_recentActions.push_back(action);
    }
}

void CMainFrame::ReadSettings()
{
    QSettings settings;
    m_recentFiles.Load(settings);
}

void CMainFrame::WriteSettings() const
{
    QSettings settings;
    m_recentFiles.Save(settings);
}

bool CMainFrame::CanClose()
{
    return m_pDoc == nullptr || m_pDoc->SaveModified();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!TakeFocusedPage() || !CanClose()) {
        event->ignore();
        return;
    }
    CloseAnimation();
    WriteSettings();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
    }
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    // One document at a time: the first file dropped is opened.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            activateWindow();
            OpenDocumentFile(url.toLocalFile());
            return;
        }
    }
}

void CMainFrame::OnFilePrint()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        PrintList(printer, *m_pDoc);
}

void CMainFrame::PrintList(QPrinter& printer, const CGIFDoc& doc)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    // The list is drawn at the screen's size: one list pixel is one ninety-sixth of an inch.
    const double scale = printer.resolution() / 96.0;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int pageHeight = static_cast<int>(page.height() / scale);
    int pageTop = 0;
    int top = 0;
    // Pages break between entries, so no entry is cut in two.
    std::vector<std::pair<int, int>> pages;
    for (int i = 0; i < doc.GetBlockCount(); ++i) {
        const int height = doc.GetBlock(i)->GetListSize().cy;
        if (top + height - pageTop > pageHeight && top > pageTop) {
            pages.emplace_back(pageTop, top);
            pageTop = top;
        }
        top += height;
    }
    pages.emplace_back(pageTop, top);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (p > 0)
            printer.newPage();
        painter.save();
        painter.scale(scale, scale);
        painter.translate(0, -pages[p].first);
        painter.setClipRect(QRect(0, pages[p].first, 128, pages[p].second - pages[p].first));
        CGIFView::DrawList(painter, doc);
        painter.restore();
    }
    painter.end();
}

void CMainFrame::OnAppAbout()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::OnHelpFinder()
{
    // Installed beside the program's data, or in the source tree the program was built from.
    const QStringList candidates{
        QDir(QCoreApplication::applicationDirPath())
            .filePath(QStringLiteral("../share/korvanta/help/index.html")),
        QStringLiteral(KORVANTA_INSTALL_DATADIR "/korvanta/help/index.html"),
        QStringLiteral(KORVANTA_SOURCE_DIR "/res/help/index.html"),
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo::exists(candidate)) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(candidate).canonicalFilePath()));
            return;
        }
    }
    m_services.messages->MessageBox(kHelpMissing, MB_OK);
}

}  // namespace korvanta
