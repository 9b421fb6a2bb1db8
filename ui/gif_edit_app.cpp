#include "ui/gif_edit_app.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>

#include "platform/clipboard.h"
#include "ui/dialog_units.h"
#include "ui/qt_clipboard_service.h"

namespace korvanta {

QIcon ApplicationIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/korvanta-%1.png").arg(size), QSize(size, size));
    return icon;
}

CGifEditApp::CGifEditApp() = default;

CGifEditApp::~CGifEditApp()
{
    // The frame's documents use the clipboard service; they go first.
    m_pMainFrame.reset();
}

void CGifEditApp::InstallJapanese()
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    // Qt's own buttons and dialogs (OK, キャンセル, the file dialog) speak Japanese too.
    if (m_qtTranslator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&m_qtTranslator);
    QApplication::setFont(InterfaceFont());
}

bool CGifEditApp::InitInstance(const QStringList& arguments, FrameServices services)
{
    InstallJapanese();
    if (services.clipboard == nullptr) {
        m_pClipboard = std::make_unique<QtClipboardService>();
        services.clipboard = m_pClipboard.get();
    }
    m_nClipFormat = services.clipboard->RegisterClipboardFormat(kClipFormatName);
    if (m_nClipFormat == 0)
        return false;
    m_pMainFrame = std::make_unique<CMainFrame>(services);
    QGuiApplication::setWindowIcon(ApplicationIcon());
    // One file may be named; it is opened as the File menu opens it.
    if (arguments.size() > 1 && !m_pMainFrame->OpenDocumentFile(arguments.at(1)))
        return false;
    m_pMainFrame->show();
    return true;
}

}  // namespace korvanta
