#include "ui/dialog_template.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace korvanta {

void DialogTemplate::Place(QWidget* control, int id, int x, int y, int cx, int cy) const
{
    if (id != 0)
        control->setObjectName(QString::number(id));
    m_units.Place(control, x, y, cx, cy);
}

int DialogTemplate::UnitsFor(const QWidget* control) const
{
    // Rounded up, so the control is never narrower than its text.
    return (control->sizeHint().width() * 4 + m_units.BaseX() - 1) / m_units.BaseX();
}

QLabel* DialogTemplate::Static(const QString& text, int x, int y, int cx, int cy)
{
    auto* label = new QLabel(text, m_pDialog);
    label->setMargin(0);
    Place(label, 0, x, y, cx < 0 ? UnitsFor(label) : cx, cy);
    return label;
}

QLabel* DialogTemplate::CenteredStatic(const QString& text, int x, int y, int cx, int cy)
{
    QLabel* label = Static(text, x, y, cx, cy);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

QLabel* DialogTemplate::Swatch(int id, int x, int y, int cx, int cy)
{
    auto* swatch = new QLabel(m_pDialog);
    swatch->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    swatch->setAutoFillBackground(true);
    Place(swatch, id, x, y, cx, cy);
    return swatch;
}

void DialogTemplate::PaintSwatch(QWidget* swatch, const CBrush* brush, const HPALETTE& palette)
{
    if (swatch == nullptr)
        return;
    QPalette colours = swatch->parentWidget() != nullptr ? swatch->parentWidget()->palette() : QPalette();
    if (brush != nullptr && !brush->bPaletteIndex) {
        colours.setColor(QPalette::Window, QColor(brush->red, brush->green, brush->blue));
    } else if (brush != nullptr && palette && brush->nIndex >= 0 &&
               brush->nIndex < palette->GetEntryCount()) {
        const PALETTEENTRY& e = (*palette)[brush->nIndex];
        colours.setColor(QPalette::Window, QColor(e.peRed, e.peGreen, e.peBlue));
    }
    swatch->setPalette(colours);
    swatch->update();
}

QGroupBox* DialogTemplate::Group(const QString& text, int x, int y, int cx, int cy)
{
    auto* group = new QGroupBox(text, m_pDialog);
    // As the templates were drawn: the frame's top line runs through the middle of the title,
    // which starts at the group's top edge, so the controls placed inside keep their distance to
    // the line.
    group->setStyleSheet(
        QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
                       "QGroupBox::title { subcontrol-origin: margin; left: 0.5em; padding: 0 2px; }"));
    Place(group, 0, x, y, cx, cy);
    group->lower();
    return group;
}

QLineEdit* DialogTemplate::Edit(int id, int x, int y, int cx, int cy)
{
    auto* edit = new QLineEdit(m_pDialog);
    Place(edit, id, x, y, cx, cy);
    return edit;
}

QPushButton* DialogTemplate::Button(int id, const QString& text, int x, int y, int cx, int cy)
{
    auto* button = new QPushButton(text, m_pDialog);
    button->setAutoDefault(false);
    Place(button, id, x, y, cx, cy);
    return button;
}

QCheckBox* DialogTemplate::Check(int id, const QString& text, int x, int y, int cx, int cy)
{
    auto* check = new QCheckBox(text, m_pDialog);
    // A box that sits on a group's frame hides the frame's line behind it.
    check->setAutoFillBackground(true);
    Place(check, id, x, y, cx < 0 ? UnitsFor(check) : cx, cy);
    return check;
}

QRadioButton* DialogTemplate::Radio(int id, const QString& text, int x, int y, int cx, int cy)
{
    auto* radio = new QRadioButton(text, m_pDialog);
    Place(radio, id, x, y, cx < 0 ? UnitsFor(radio) : cx, cy);
    return radio;
}

void DialogTemplate::SetUpMultiLine(QPlainTextEdit* edit, bool horizontalScroll)
{
    edit->setTabChangesFocus(true);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setHorizontalScrollBarPolicy(horizontalScroll ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit->setLineWrapMode(horizontalScroll ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
}

QComboBox* DialogTemplate::Combo(int id, int x, int y, int cx, int cy)
{
    auto* combo = new QComboBox(m_pDialog);
    Place(combo, id, x, y, cx, cy);
    // A drop-down list's template height includes the list; the closed box is as high as its font.
    combo->resize(combo->width(), combo->sizeHint().height());
    return combo;
}

}  // namespace korvanta
