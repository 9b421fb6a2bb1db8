// Dialog templates give every control's place in dialog units: a quarter of the font's average
// character width across, an eighth of its height down. This converts them for the font the
// interface uses, so pages and dialogs keep their designed proportions in any font size.
#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace korvanta {

// The 9-point Japanese proportional gothic of every window and dialog.
QFont InterfaceFont();

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}

    // The font's average character width and height in pixels, measured as the window system
    // measured them: the width of the 52 Latin letters, halved twice with rounding.
    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

    int X(int units) const;
    int Y(int units) const;
    QPoint Point(int x, int y) const { return {X(x), Y(y)}; }
    QSize Size(int cx, int cy) const { return {X(cx), Y(cy)}; }
    // The pixel rectangle of a control at (x, y) of size cx x cy, all in dialog units; the right
    // and bottom edges are converted themselves, so neighbouring controls never overlap.
    QRect Rect(int x, int y, int cx, int cy) const;

    // Puts a control where its template places it.
    void Place(QWidget* control, int x, int y, int cx, int cy) const;

private:
    int m_baseX;
    int m_baseY;
};

}  // namespace korvanta
