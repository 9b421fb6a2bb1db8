// The application: Japanese texts and font for every window, the program's clipboard format,
// the main frame, and the file named on the command line.
#pragma once

#include <QIcon>
#include <QStringList>
#include <QTranslator>
#include <memory>

#include "ui/main_frame.h"

namespace korvanta {

class QtClipboardService;

// The program's icon in every size it is drawn in.
QIcon ApplicationIcon();

class CGifEditApp {
public:
    CGifEditApp();
    ~CGifEditApp();
    CGifEditApp(const CGifEditApp&) = delete;
    CGifEditApp& operator=(const CGifEditApp&) = delete;

    // Starts the editor with the program's arguments (the first is the program itself). False
    // when it cannot start: the clipboard format is refused, or the file named cannot be opened
    // (the reason has been shown). Services given are used in place of the Qt ones.
    bool InitInstance(const QStringList& arguments, FrameServices services = {});

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }

    // The identifier of the "KORVANTA" clipboard format.
    unsigned m_nClipFormat = 0;

private:
    void InstallJapanese();

    QTranslator m_qtTranslator;
    std::unique_ptr<QtClipboardService> m_pClipboard;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};

}  // namespace korvanta
