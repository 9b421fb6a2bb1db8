#include "ui/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include "model/gif_doc.h"
#include "model/gif_image_block.h"
#include "ui/anim_wnd.h"
#include "ui/command_table.h"
#include "ui/gif_app_page.h"
#include "ui/gif_bar.h"
#include "ui/gif_comment_page.h"
#include "ui/gif_control_page.h"
#include "ui/gif_header_page.h"
#include "ui/gif_image_page.h"
#include "ui/gif_loop_page.h"
#include "ui/gif_page.h"
#include "ui/gif_text_page.h"
#include "ui/lock_keys.h"
#include "ui/progress_dlg.h"
#include "ui/qt_clipboard_service.h"
#include "ui/qt_file_dialog_service.h"
#include "ui/qt_message_service.h"

// The program's icons live in a static library, whose resources the linker keeps only when asked.
static void InitKorvantaResources()
{
    Q_INIT_RESOURCE(korvanta);
}

namespace korvanta {

namespace {
// The frame's first size; the first layout widens it at once to fit the list and the bar.
constexpr int kInitialWidth = 128;
constexpr int kInitialHeight = 460;
// The narrowest the block list may become beside its scroll bar.
constexpr int kMinListWidth = 128;

constexpr char kNoImageBlock[] = "イメージブロックがありません。";
}  // namespace

CMainFrame::CMainFrame(FrameServices services, QWidget* parent) : QMainWindow(parent), m_services(services)
{
    InitKorvantaResources();
    setObjectName(QStringLiteral("CMainFrame"));
    if (m_services.messages == nullptr)
        m_services.messages = (m_ownMessages = std::make_unique<QtMessageService>(this)).get();
    if (m_services.fileDialogs == nullptr)
        m_services.fileDialogs = (m_ownFileDialogs = std::make_unique<QtFileDialogService>(this)).get();
    if (m_services.clipboard == nullptr)
        m_services.clipboard = (m_ownClipboard = std::make_unique<QtClipboardService>()).get();
    if (m_services.progress == nullptr)
        m_services.progress = (m_ownProgress = std::make_unique<QtProgressFactory>(this)).get();

    resize(kInitialWidth, kInitialHeight);
    setAcceptDrops(true);
    m_pView = new CGIFView(this, this);
    setCentralWidget(m_pView);
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateGifBar();
    ReadSettings();
    RebuildRecentFileMenu();
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateMenus);
    SetDocument(MakeDocument());
    m_pDoc->OnNewDocument();
    m_pView->OnInitialUpdate();
}

CMainFrame::~CMainFrame()
{
    CloseAnimation();
    m_pView->SetDocument(nullptr);
}

std::unique_ptr<CGIFDoc> CMainFrame::MakeDocument()
{
    return std::make_unique<CGIFDoc>(DocumentServices{*m_services.messages, *m_services.progress,
                                                      *m_services.fileDialogs, *m_services.clipboard});
}

void CMainFrame::SetDocument(std::unique_ptr<CGIFDoc> doc)
{
    CloseAnimation();
    m_pView->SetDocument(doc.get());
    m_pDoc = std::move(doc);
}

CAnimWnd* CMainFrame::AnimWindow() const
{
    return m_pAnimWnd.data();
}

// ---- actions, menus, toolbar, status bar ----

QAction* CMainFrame::NewAction(unsigned id, const QString& label)
{
    auto* action = new QAction(label, this);
    action->setObjectName(QString::number(id));
    action->setStatusTip(StatusTipOf(id));
    action->setToolTip(ToolTipOf(id));
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    m_actions.emplace(id, action);
    return action;
}

void CMainFrame::CreateActions()
{
    m_handlers = {
        {ID_FILE_NEW, [this] { OnFileNew(); }},
        {ID_FILE_OPEN, [this] { OnFileOpen(); }},
        {ID_FILE_SAVE, [this] { OnFileSave(); }},
        {ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); }},
        {ID_FILE_PRINT, [this] { OnFilePrint(); }},
        {ID_APP_EXIT, [this] { close(); }},
        {ID_APP_ABOUT, [this] { OnAppAbout(); }},
        {ID_HELP_FINDER, [this] { OnHelpFinder(); }},
        {ID_NEXT_PANE, [this] { OnNextPane(); }},
        {ID_PREV_PANE, [this] { OnNextPane(); }},
        {ID_PLAY, [this] { OnPlay(); }},
        {ID_VIEW_TOOLBAR, [this] { m_wndToolBar->setVisible(!m_wndToolBar->isVisible()); }},
        {ID_VIEW_STATUS_BAR, [this] { m_wndStatusBar->setVisible(!m_wndStatusBar->isVisible()); }},
        {ID_INSERT_IMAGE, [this] { m_pDoc->OnInsertImage(); }},
        {ID_INSERT_CONTROL, [this] { m_pDoc->OnInsertControl(); }},
        {ID_INSERT_COMMENT, [this] { m_pDoc->OnInsertComment(); }},
        {ID_INSERT_TEXT, [this] { m_pDoc->OnInsertText(); }},
        {ID_INSERT_LOOP, [this] { m_pDoc->OnInsertLoop(); }},
        {ID_SAVE_SELECTED_IMAGE, [this] { m_pDoc->OnSaveSelectedImage(); }},
        {ID_EDIT_CUT, [this] { m_pDoc->OnEditCut(); }},
        {ID_EDIT_COPY, [this] { m_pDoc->OnEditCopy(); }},
        {ID_EDIT_PASTE, [this] { m_pDoc->OnEditPaste(); }},
    };
    // Commands without a menu entry still have their accelerators: undo stays disabled, print
    // and the pane keys work from anywhere in the window.
    for (const unsigned id : {ID_EDIT_UNDO, ID_FILE_PRINT, ID_NEXT_PANE, ID_PREV_PANE}) {
        QAction* action = NewAction(id, QString());
        action->setShortcuts(AcceleratorsOf(id));
        addAction(action);
    }
}

void CMainFrame::CreateMenus()
{
    for (const MenuDefinition& popup : MainMenu()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(popup.title));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateMenus);
        if (popup.items.front().id == ID_FILE_NEW)
            m_pFileMenu = menu;
        for (const MenuItem& item : popup.items) {
            if (item.id == 0) {
                QAction* separator = menu->addSeparator();
                if (m_pRecentAnchor == nullptr && !m_recentActions.empty())
                    m_pRecentAnchor = separator;
                continue;
            }
            QAction* action = NewAction(item.id, QString::fromUtf8(item.label));
            if (item.id == ID_FILE_MRU_FILE1)
                m_recentActions.push_back(action);
            // An accelerator belongs to one action only, or Qt would find it ambiguous: the
            // insert menu's entry carries Ctrl+I, not the file menu's.
            if (!(item.id == ID_INSERT_IMAGE && menu == m_pFileMenu))
                action->setShortcuts(AcceleratorsOf(item.id));
            if (item.id == ID_VIEW_TOOLBAR || item.id == ID_VIEW_STATUS_BAR)
                action->setCheckable(true);
            menu->addAction(action);
        }
    }
}

void CMainFrame::CreateToolBar()
{
    m_wndToolBar = new QToolBar(QStringLiteral("ﾂｰﾙﾊﾞｰ"), this);
    m_wndToolBar->setObjectName(QStringLiteral("ToolBar"));
    m_wndToolBar->setIconSize(QSize(16, 15));
    for (const unsigned id : ToolbarCommands()) {
        if (id == 0) {
            m_wndToolBar->addSeparator();
            continue;
        }
        QAction* action = Action(id);
        action->setIcon(QIcon(ToolbarIconOf(id)));
        m_wndToolBar->addAction(action);
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
}

void CMainFrame::CreateStatusBar()
{
    m_wndStatusBar = new QStatusBar(this);
    m_wndStatusBar->setObjectName(QStringLiteral("StatusBar"));
    m_wndStatusBar->addWidget(new QLabel(QString::fromUtf8(kIdleStatus), m_wndStatusBar), 1);
    for (const char* text : kIndicators) {
        auto* indicator = new QLabel(QString::fromUtf8(text), m_wndStatusBar);
        indicator->setObjectName(QString::fromUtf8(text));
        indicator->setFrameShape(QFrame::Panel);
        indicator->setFrameShadow(QFrame::Sunken);
        indicator->setAlignment(Qt::AlignCenter);
        indicator->setMinimumWidth(indicator->sizeHint().width() + 8);
        m_wndStatusBar->addPermanentWidget(indicator);
        m_indicators.push_back(indicator);
    }
    // The lock keys change without telling the window; their state is read a few times a second.
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &CMainFrame::UpdateIndicators);
    timer->start(250);
    UpdateIndicators();
    setStatusBar(m_wndStatusBar);
}

void CMainFrame::CreateGifBar()
{
    m_wndGifBar = new CGifBar(this, *m_services.messages, this);
    m_wndGifBar->m_onFocusList = [this] { m_pView->setFocus(Qt::OtherFocusReason); };
    m_wndGifBar->m_activeDocument = [this] { return m_pDoc.get(); };
    // One page per block kind, made once, in the order of their templates.
    m_wndGifBar->AddPage(PageKind::header, new CGifHeaderPage(m_wndGifBar));
    m_wndGifBar->AddPage(PageKind::control, new CGifControlPage(m_wndGifBar));
    m_wndGifBar->AddPage(PageKind::image, new CGifImagePage(m_wndGifBar));
    m_wndGifBar->AddPage(PageKind::comment, new CGifCommentPage(m_wndGifBar));
    m_wndGifBar->AddPage(PageKind::text, new CGifTextPage(m_wndGifBar));
    m_wndGifBar->AddPage(PageKind::loop, new CGifLoopPage(m_wndGifBar));
    m_wndGifBar->AddPage(PageKind::application, new CGifAppPage(m_wndGifBar));
    QPushButton* play = m_wndGifBar->PlayButton();
    play->setStatusTip(StatusTipOf(ID_PLAY));
    play->setToolTip(ToolTipOf(ID_PLAY));
    connect(play, &QPushButton::clicked, this, [this] { OnCommand(ID_PLAY); });
    auto* dock = new QDockWidget(this);
    dock->setObjectName(QStringLiteral("GifBarDock"));
    dock->setTitleBarWidget(new QWidget(dock));
    dock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    dock->setAllowedAreas(Qt::RightDockWidgetArea);
    dock->setWidget(m_wndGifBar);
    addDockWidget(Qt::RightDockWidgetArea, dock);
    m_wndGifBar->ShowPage(m_wndGifBar->GetPage(PageKind::header));
}

QAction* CMainFrame::Action(unsigned id) const
{
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

std::vector<QAction*> CMainFrame::Actions(unsigned id) const
{
    std::vector<QAction*> actions;
    for (auto [it, end] = m_actions.equal_range(id); it != end; ++it) actions.push_back(it->second);
    return actions;
}

void CMainFrame::UpdateMenus()
{
    for (const auto& [id, action] : m_actions) {
        if (id == ID_FILE_MRU_FILE1 && m_recentFiles.Files().isEmpty()) {
            action->setEnabled(false);
            continue;
        }
        action->setEnabled(m_pDoc != nullptr && m_pDoc->IsCommandEnabled(id));
    }
    if (QAction* toolbar = Action(ID_VIEW_TOOLBAR))
        toolbar->setChecked(m_wndToolBar->isVisibleTo(this));
    if (QAction* status = Action(ID_VIEW_STATUS_BAR))
        status->setChecked(m_wndStatusBar->isVisibleTo(this));
    m_wndGifBar->PlayButton()->setEnabled(m_pDoc != nullptr && m_pDoc->IsCommandEnabled(ID_PLAY));
    UpdateTitle();
}

void CMainFrame::OnCommand(unsigned id)
{
    // A value typed into the page is the user's latest edit: a command (save, above all) sees it,
    // and a refused one stops the command.
    if (m_pDoc == nullptr || !TakeFocusedPage())
        return;
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + CRecentFileList::kSize) {
        OnOpenRecentFile(static_cast<int>(id - ID_FILE_MRU_FILE1));
        return;
    }
    // The play button and the accelerators reach here even where a menu would be grey.
    if (!m_pDoc->IsCommandEnabled(id) && id != ID_PLAY)
        return;
    const auto it = m_handlers.find(id);
    if (it != m_handlers.end())
        it->second();
    UpdateMenus();
}

void CMainFrame::UpdateTitle()
{
    QString title = QStringLiteral("UNTITLED");
    if (m_pDoc != nullptr && !m_pDoc->GetPathName().empty())
        title = QFileInfo(PathToQString(m_pDoc->GetPathName())).fileName();
    setWindowTitle(title + QStringLiteral("[*] - Korvanta"));
    setWindowModified(m_pDoc != nullptr && m_pDoc->IsModified());
}

void CMainFrame::UpdateIndicators()
{
    // An indicator shows its text in full while its lock is on, greyed while it is off or unknown.
    const std::optional<LockKeys> keys = QueryLockKeys();
    const bool on[] = {keys && keys->kana, keys && keys->caps, keys && keys->num, keys && keys->scroll};
    for (std::size_t i = 0; i < m_indicators.size() && i < std::size(on); ++i)
        m_indicators[i]->setEnabled(on[i]);
}

bool CMainFrame::event(QEvent* event)
{
    // A status tip that ends leaves the message pane to its idle text.
    if (event->type() == QEvent::StatusTip && static_cast<QStatusTipEvent*>(event)->tip().isEmpty()) {
        m_wndStatusBar->clearMessage();
        return true;
    }
    return QMainWindow::event(event);
}

// ---- layout ----

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    RecalcLayout();
}

void CMainFrame::RecalcLayout()
{
    if (m_bInRecalcLayout || m_pView == nullptr)
        return;
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // The view never becomes narrower than the list and its scroll bar, and a frame resized
    // below that is widened again at once.
    m_pView->setMinimumWidth(kMinListWidth + 2 * scrollBar + 2 * m_pView->frameWidth());
    const int w = m_pView->viewport()->width() - scrollBar;
    if (w < kMinListWidth) {
        m_bInRecalcLayout = true;
        resize(width() - w + kMinListWidth, height());
        m_bInRecalcLayout = false;
    }
}

// ---- the private messages ----

void CMainFrame::SetGlobalPalette(HPALETTE palette)
{
    m_pDoc->SetGlobalPalette(std::move(palette));
}

HPALETTE CMainFrame::GetGlobalPalette()
{
    return m_pDoc->GetGlobalPalette();
}

bool CMainFrame::HasGlobalTable()
{
    return m_pDoc->HasGlobalColorTable();
}

int CMainFrame::GetGlobalTableSize()
{
    return m_pDoc->GetGlobalTableSize();
}

void CMainFrame::CopyGlobalPalette()
{
    m_pDoc->CopyGlobalPaletteToImages();
}

int CMainFrame::CountNoLocalTable()
{
    return m_pDoc->CountImagesWithoutLocalTable();
}

void CMainFrame::ApplyPage()
{
    if (!TakePage())
        m_pView->OnPageInvalid();
}

bool CMainFrame::TakePage()
{
    CGifBlock* block = m_pDoc->GetCurrentBlock();
    CGifPage* page = block != nullptr ? m_wndGifBar->GetPage(block->GetPage()) : nullptr;
    if (page == nullptr)
        return true;
    if (!page->UpdateData(true))
        return false;
    ApplyPageToCurrentBlock(*m_pDoc, page->PageData());
    // An image that could not be refitted gives the page back the palette and table it kept;
    // the controls must show that, not the choice that failed. Other pages keep what was typed
    // (the loop count applies at every keystroke, and refilling would move the caret).
    if (IsKind<CGifImageBlock>(block))
        page->UpdateData(false);
    UpdateMenus();
    return true;
}

bool CMainFrame::TakeFocusedPage()
{
    CGifPage* page = m_wndGifBar->CurrentPage();
    QWidget* focus = QApplication::focusWidget();
    if (page == nullptr || focus == nullptr || !page->isAncestorOf(focus))
        return true;
    return TakePage();
}

void CMainFrame::ShowBlockPage(CGifBlock* block)
{
    CGifPage* page = m_wndGifBar->GetPage(block->GetPage());
    m_wndGifBar->ShowPage(page);
    if (page == nullptr)
        return;
    block->UpdatePage(page->PageData());
    page->UpdateData(false);
}

void CMainFrame::FocusCurrentPage()
{
    if (CGifPage* page = m_wndGifBar->CurrentPage())
        page->setFocus(Qt::TabFocusReason);
    else
        m_wndGifBar->setFocus(Qt::TabFocusReason);
}

void CMainFrame::OnDocumentUpdated()
{
    UpdateMenus();
}

void CMainFrame::OnNextPane()
{
    // The list and the property bar take the focus in turn, whichever way the key goes.
    if (m_pView->hasFocus())
        FocusCurrentPage();
    else
        m_pView->setFocus(Qt::TabFocusReason);
}

// ---- playing ----

void CMainFrame::OnPlay()
{
    if (!m_pDoc->HasImageBlocks()) {
        m_services.messages->MessageBox(kNoImageBlock, MB_OK);
        return;
    }
    if (m_pAnimWnd) {
        CloseAnimation();
        return;
    }
    auto* anim = new CAnimWnd(m_pDoc.get(), this);
    // The pointer is cleared as the window goes, not when its queued message arrives, so that
    // nothing can reach a window that no longer exists.
    anim->m_onClosed = [this] {
        m_pAnimWnd = nullptr;
        QMetaObject::invokeMethod(this, &CMainFrame::OnAnimClosed, Qt::QueuedConnection);
    };
    if (!anim->Create()) {
        delete anim;
        m_services.messages->MessageBox("この論理画面は大きすぎるため再生できません。", MB_OK);
        return;
    }
    m_pAnimWnd = anim;
    anim->show();
    anim->activateWindow();
    anim->raise();
}

void CMainFrame::CloseAnimation()
{
    if (m_pAnimWnd)
        m_pAnimWnd->close();
    m_pAnimWnd = nullptr;
}

void CMainFrame::OnAnimClosed()
{
    m_wndGifBar->PlayButton()->setText(QStringLiteral("再生"));
}

}  // namespace korvanta
