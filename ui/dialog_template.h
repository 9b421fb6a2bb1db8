// Builds a page or dialog from its template: every control at its place and size in dialog
// units, with its identifier as object name so that handlers and tests find it by number.
#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QWidget>

#include "platform/draw.h"
#include "platform/palette.h"
#include "ui/dialog_units.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvanta {

class DialogTemplate {
public:
    DialogTemplate(QWidget* dialog, const DialogUnits& units) : m_pDialog(dialog), m_units(units) {}

    const DialogUnits& Units() const { return m_units; }

    // A static text. Without a width (-1) it is as wide as its text, as a template's
    // auto-sized label is; its height is a line of the font.
    QLabel* Static(const QString& text, int x, int y, int cx = -1, int cy = 8);
    QLabel* CenteredStatic(const QString& text, int x, int y, int cx, int cy = 8);
    // A sunken, framed static that shows a colour (a swatch).
    QLabel* Swatch(int id, int x, int y, int cx, int cy);
    QGroupBox* Group(const QString& text, int x, int y, int cx, int cy);
    QLineEdit* Edit(int id, int x, int y, int cx, int cy);
    QPushButton* Button(int id, const QString& text, int x, int y, int cx, int cy);
    // A check box or radio button without a width is as wide as its box and text.
    QCheckBox* Check(int id, const QString& text, int x, int y, int cx = -1, int cy = 10);
    QRadioButton* Radio(int id, const QString& text, int x, int y, int cx = -1, int cy = 10);
    // A drop-down list; cy is the height of the box with its list dropped down.
    QComboBox* Combo(int id, int x, int y, int cx, int cy);
    // A multi-line edit of class T with a border and a vertical scroll bar, where Enter breaks
    // the line and Tab moves on. Lines wrap at its width unless it scrolls horizontally.
    template <class T = QPlainTextEdit>
    T* MultiLineEdit(int id, int x, int y, int cx, int cy, bool horizontalScroll = false)
    {
        auto* edit = new T(m_pDialog);
        SetUpMultiLine(edit, horizontalScroll);
        Place(edit, id, x, y, cx, cy);
        return edit;
    }

    // Fills a swatch with the brush's colour; a brush of a palette index takes the entry of
    // palette. Without a brush (or an entry) the swatch keeps the dialog's own background.
    static void PaintSwatch(QWidget* swatch, const CBrush* brush, const HPALETTE& palette = {});

    // The control with an identifier, or NULL.
    template <class T = QWidget>
    static T* Control(const QWidget* dialog, int id)
    {
        return dialog->findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
    }

    // Puts a control made elsewhere at its place, named by its identifier (none for 0).
    void Place(QWidget* control, int id, int x, int y, int cx, int cy) const;

private:
    static void SetUpMultiLine(QPlainTextEdit* edit, bool horizontalScroll);
    // The width in dialog units a control needs for its own size hint.
    int UnitsFor(const QWidget* control) const;

    QWidget* m_pDialog;
    DialogUnits m_units;
};

}  // namespace korvanta
