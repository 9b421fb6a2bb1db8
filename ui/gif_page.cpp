#include "ui/gif_page.h"

#include <QFocusEvent>
#include <QKeyEvent>

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
    m_pBar->ApplyPage();
}

void CGifPage::ApplyOnFocusLoss(QWidget* control)
{
    control->installEventFilter(this);
}

bool CGifPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // A message box about a refused value takes the focus too; applying again then would
        // ask again without end. A page being hidden has handed its block over already.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            m_pBar->CurrentPage() == this && isVisible())
            SendApplyPage();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace korvanta
