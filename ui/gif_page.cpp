#include "ui/gif_page.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QTimer>

#include "ui/gif_bar.h"

namespace korvanta {

CGifPage::CGifPage(int templateId, CGifBar* parent)
    : QWidget(parent), m_nTemplateId(templateId), m_pBar(parent), m_units(parent->Units())
{
    setObjectName(QStringLiteral("page%1").arg(templateId));
    setFixedSize(m_units.Size(kTemplateWidth, kTemplateHeight));
    hide();
}

void CGifPage::OnOK()
{
    m_pBar->FocusList();
}

void CGifPage::OnCancel()
{
    m_pBar->FocusList();
}

void CGifPage::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            OnOK();
            return;
        case Qt::Key_Escape:
            OnCancel();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void CGifPage::SendApplyPage()
{
    if (m_bApplying)
        return;
    const QScopedValueRollback<bool> applying(m_bApplying, true);
    m_pBar->ApplyPage();
}

void CGifPage::ApplyOnFocusLoss(QWidget* control)
{
    m_applyOnFocusLoss.insert(control);
    control->installEventFilter(this);
}

void CGifPage::HookControls()
{
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
        if (focusProxy() == nullptr && child->parentWidget() == this && child->focusPolicy() & Qt::TabFocus)
            setFocusProxy(child);
    }
}

bool CGifPage::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
        case QEvent::FocusOut:
            if (m_applyOnFocusLoss.count(watched) != 0)
                OnFocusLost(static_cast<QWidget*>(watched), static_cast<QFocusEvent*>(event)->reason());
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (m_bIgnoreClick) {
                m_bIgnoreClick = false;
                return true;
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void CGifPage::OnFocusLost(QWidget* control, Qt::FocusReason reason)
{
    // A menu, a popup or a message box holds the focus only for a while, and a hidden page no
    // longer edits the current block.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
        reason == Qt::MenuBarFocusReason || !isVisible() || m_pBar->CurrentPage() != this)
        return;
    SendApplyPage();
    // A refused value takes the focus back. The click that moved it away must not act as well:
    // a check box would toggle and ask for the same refused apply again. The click arrives right
    // after this, within the same event; a click elsewhere is the list's, which swallows it.
    if (reason == Qt::MouseFocusReason && QApplication::focusWidget() == control) {
        m_bIgnoreClick = true;
        QTimer::singleShot(0, this, [this] { m_bIgnoreClick = false; });
    }
}

}  // namespace korvanta
