// The main frame: menu, toolbar, status bar, the block list in the middle and the property bar
// docked at the right. It holds the open document, runs the commands the document does not run
// itself, opens and closes the animation window, and answers the private messages through which
// the pages and blocks reach the document.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/main_window.h"
#include "platform/palette.h"
#include "ui/gif_view.h"
#include "ui/recent_file_list.h"

class QAction;
class QLabel;
class QMenu;
class QPrinter;
class QStatusBar;
class QToolBar;

namespace korvanta {

class CAnimWnd;
class CGIFDoc;
class CGifBar;
class ClipboardService;
class FileDialogService;
class MessageService;
class ProgressFactory;

// The services the frame's documents use. Members left NULL get the Qt implementations; tests
// answer questions and dialogs through their own.
struct FrameServices {
    MessageService* messages = nullptr;
    FileDialogService* fileDialogs = nullptr;
    ClipboardService* clipboard = nullptr;
    ProgressFactory* progress = nullptr;
};

class CMainFrame final : public QMainWindow, public MainWindow, public ViewHost {
    Q_OBJECT
public:
    explicit CMainFrame(FrameServices services = {}, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CGIFDoc* GetActiveDocument() const { return m_pDoc.get(); }
    CGIFView* GetActiveView() const { return m_pView; }
    CGifBar* GetGifBar() const { return m_wndGifBar; }
    QToolBar* ToolBar() const { return m_wndToolBar; }
    QStatusBar* StatusBar() const { return m_wndStatusBar; }
    CAnimWnd* AnimWindow() const;
    CRecentFileList& RecentFiles() { return m_recentFiles; }

    // The first action of a command (menus, toolbar and accelerators share it); NULL when none.
    QAction* Action(unsigned id) const;
    // Every action of a command: one command may appear in two menus with two labels.
    std::vector<QAction*> Actions(unsigned id) const;
    // Runs a command as its menu entry, toolbar button or accelerator does.
    void OnCommand(unsigned id);
    // Menus, toolbar and accelerators follow the document's answers.
    void UpdateMenus();

    // A new, unnamed document: header, loop and control block. Asks about unsaved changes first;
    // false when the user cancelled.
    bool OnFileNew();
    // Opens a file in place of the document, after the question about unsaved changes. A file
    // that cannot be read is reported and leaves the document as it was; false then.
    bool OpenDocumentFile(const QString& path);
    // Reads a file in place of the document without asking; false when it cannot be read.
    bool LoadDocumentFile(const QString& path);
    // Exit's question about unsaved changes; true when the program may end.
    bool CanClose();

    // MainWindow: the private messages.
    void SetGlobalPalette(HPALETTE palette) override;
    HPALETTE GetGlobalPalette() override;
    bool HasGlobalTable() override;
    int GetGlobalTableSize() override;
    void CopyGlobalPalette() override;
    int CountNoLocalTable() override;
    void ApplyPage() override;

    // ViewHost.
    void ShowBlockPage(CGifBlock* block) override;
    void FocusCurrentPage() override;
    void OnDocumentUpdated() override;

    // Command 2000: opens the animation window, or closes the one that is open.
    void OnPlay();
    // Prints the block list on the printer as the list draws itself.
    static void PrintList(QPrinter& printer, const CGIFDoc& doc);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateGifBar();
    QAction* NewAction(unsigned id, const QString& label);
    void RebuildRecentFileMenu();
    void UpdateIndicators();
    void ReadSettings();
    void WriteSettings() const;

    std::unique_ptr<CGIFDoc> MakeDocument();
    // The frame shows doc from now on; the one before is closed.
    void SetDocument(std::unique_ptr<CGIFDoc> doc);
    void UpdateTitle();
    // Keeps the block list at least 128 pixels wide beside its scroll bar.
    void RecalcLayout();

    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnFilePrint();
    void OnOpenRecentFile(int index);
    void OnAppAbout();
    void OnHelpFinder();
    void OnNextPane();
    // The current block's page into the block; false when the page refused a value.
    bool TakePage();
    // The same while the focus is in the page, so that what was typed there is not lost.
    bool TakeFocusedPage();
    void CloseAnimation();
    // UM_ANIMCLOSED: posted by the animation window as it goes.
    void OnAnimClosed();

    // Members of the frame proper.
    QPointer<CAnimWnd> m_pAnimWnd;
    CGifBar* m_wndGifBar = nullptr;
    QStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;

    // The services: the Qt ones, unless the caller gave others.
    std::unique_ptr<MessageService> m_ownMessages;
    std::unique_ptr<FileDialogService> m_ownFileDialogs;
    std::unique_ptr<ClipboardService> m_ownClipboard;
    std::unique_ptr<ProgressFactory> m_ownProgress;
    FrameServices m_services;

    std::unique_ptr<CGIFDoc> m_pDoc;
    CGIFView* m_pView = nullptr;
    std::multimap<unsigned, QAction*> m_actions;
    std::map<unsigned, std::function<void()>> m_handlers;
    QMenu* m_pFileMenu = nullptr;
    QAction* m_pRecentAnchor = nullptr;  // the separator after the recent-file entries
    std::vector<QAction*> m_recentActions;
    CRecentFileList m_recentFiles;
    std::vector<QLabel*> m_indicators;  // kana, caps, num, scroll
    bool m_bInRecalcLayout = false;
};

}  // namespace korvanta
