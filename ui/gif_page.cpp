#include "ui/gif_page.h"

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

}  // namespace korvanta
