#include "ui/gif_bar.h"

#include "model/gif_pages.h"
#include "platform/main_window.h"
#include "ui/gif_page.h"

namespace korvanta {

CGifBar::CGifBar(MainWindow* mainWindow, MessageService& messages, QWidget* parent)
    : QWidget(parent),
      m_units(InterfaceFont()),
      m_pMainWnd(mainWindow),
      m_messages(messages),
      m_pPlayButton(new QPushButton(QStringLiteral("再生"), this))
{
    setObjectName(QStringLiteral("CGifBar"));
    // The pages are laid out in this font's units; their texts must be measured in it too.
    setFont(InterfaceFont());
    setFixedWidth(m_units.X(kTemplateWidth));
    setMinimumHeight(m_units.Y(kTemplateHeight));
    m_pPlayButton->setObjectName(QString::number(kPlayButtonId));
    m_units.Place(m_pPlayButton, 52, 173, 46, 14);
}

void CGifBar::AddPage(PageKind kind, CGifPage* page)
{
    page->setParent(this);
    page->move(m_units.Point(0, 4));
    page->hide();
    page->setEnabled(false);
    page->PageData().m_pMainWnd = m_pMainWnd;
    m_pages[kind] = page;
}

CGifPage* CGifBar::GetPage(PageKind kind) const
{
    const auto it = m_pages.find(kind);
    return it == m_pages.end() ? nullptr : it->second;
}

void CGifBar::ShowPage(CGifPage* page)
{
    if (m_pCurrentPage != nullptr && m_pCurrentPage != page) {
        m_pCurrentPage->hide();
        m_pCurrentPage->setEnabled(false);
        m_pCurrentPage = nullptr;
    }
    if (m_pCurrentPage == nullptr) {
        m_pCurrentPage = page;
        if (page != nullptr) {
            page->show();
            page->setEnabled(true);
        }
    }
}

void CGifBar::ApplyPage()
{
    if (m_pMainWnd != nullptr)
        m_pMainWnd->ApplyPage();
}

void CGifBar::FocusList()
{
    if (m_onFocusList)
        m_onFocusList();
}

}  // namespace korvanta
