// The property bar docked at the main frame's right edge: one page per block kind, stacked at
// the same place with exactly one shown, and the play button below them.
#pragma once

#include <QPushButton>
#include <QWidget>
#include <functional>
#include <map>

#include "model/gif_block.h"
#include "ui/dialog_units.h"

namespace korvanta {

class CGIFDoc;
class CGifPage;
class MainWindow;
class MessageService;

class CGifBar final : public QWidget {
    Q_OBJECT
public:
    // The bar's template is 150 x 194 dialog units; the play button, command 2000, sits at
    // (52, 173), 46 x 14; the pages lie at (0, 4).
    static constexpr int kTemplateWidth = 150;
    static constexpr int kTemplateHeight = 194;
    static constexpr int kPlayButtonId = 2000;

    // The pages send their private messages to mainWindow and report refused values through
    // messages.
    CGifBar(MainWindow* mainWindow, MessageService& messages, QWidget* parent);

    const DialogUnits& Units() const { return m_units; }
    QPushButton* PlayButton() const { return m_pPlayButton; }

    // Takes a page of a block kind into the stack, at (0, 4), hidden and disabled, and tells its
    // page data where the main window is.
    void AddPage(PageKind kind, CGifPage* page);
    // The page that edits a kind of block; NULL when the bar has none for it.
    CGifPage* GetPage(PageKind kind) const;
    // Hides and disables the page shown, unless it is page, then shows and enables page.
    // Showing the page already shown does nothing; NULL only hides.
    void ShowPage(CGifPage* page);
    CGifPage* CurrentPage() const { return m_pCurrentPage; }

    // What the pages ask of the bar: their values taken into the current block, and the focus
    // back on the block list.
    void ApplyPage();
    void FocusList();

    MainWindow* GetMainWindow() const { return m_pMainWnd; }
    MessageService& Messages() const { return m_messages; }
    // The document being edited, for the page commands that ask the user through its services
    // (palette files); NULL while there is none.
    CGIFDoc* ActiveDocument() const { return m_activeDocument ? m_activeDocument() : nullptr; }

    std::function<void()> m_onFocusList;
    std::function<CGIFDoc*()> m_activeDocument;

private:
    DialogUnits m_units;
    MainWindow* m_pMainWnd;
    MessageService& m_messages;
    QPushButton* m_pPlayButton;
    std::map<PageKind, CGifPage*> m_pages;
    CGifPage* m_pCurrentPage = nullptr;
};

}  // namespace korvanta
