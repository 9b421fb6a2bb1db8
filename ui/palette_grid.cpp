#include "ui/palette_grid.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "ui/palette_dlg.h"
#include "ui/qt_dc.h"

namespace korvanta {

namespace {

// A one-pixel ring just inside the rectangle.
void FrameRect(QPainter& painter, const QRect& r, const QColor& colour)
{
    QtDC dc(painter);
    dc.SetFrameColor(colour);
    dc.FrameRect(CRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
}

}  // namespace

CPaletteGrid::CPaletteGrid(CPaletteDlg* dialog)
    : QWidget(dialog), m_pDialog(dialog), m_hPalette(dialog->Palette())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QRect CPaletteGrid::CellRect(int index)
{
    return {(index % kColumns) * kCellSize, (index / kColumns) * kCellSize, kCellSize, kCellSize};
}

int CPaletteGrid::CellAt(QPoint point)
{
    const int side = kColumns * kCellSize;
    if (point.x() < 0 || point.y() < 0 || point.x() >= side || point.y() >= side)
        return -1;
    return (point.y() / kCellSize) * kColumns + point.x() / kCellSize;
}

void CPaletteGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const int selected = m_pDialog->Selected();
    const int count = m_hPalette ? m_hPalette->GetEntryCount() : 0;
    for (int i = 0; i < kCells; ++i) {
        const QRect cell = CellRect(i);
        if (!event->region().intersects(cell))
            continue;
        // A black outline around the colour, as a rectangle drawn with the default pen.
        painter.fillRect(cell, Qt::black);
        const QRect inside = cell.adjusted(1, 1, -1, -1);
        if (i < count) {
            const PALETTEENTRY& e = (*m_hPalette)[i];
            painter.fillRect(inside, QColor(e.peRed, e.peGreen, e.peBlue));
        } else {
            painter.fillRect(inside, Qt::white);
            painter.fillRect(inside, QBrush(Qt::black, Qt::FDiagPattern));
        }
        if (i == selected) {
            FrameRect(painter, cell, Qt::white);
            FrameRect(painter, cell.adjusted(1, 1, -1, -1), Qt::black);
        }
    }
}

void CPaletteGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int selected = m_pDialog->Selected();
    if (selected >= 0 && selected < kCells)
        update(CellRect(selected));
    const int index = CellAt(event->position().toPoint());
    const int count = m_hPalette ? m_hPalette->GetEntryCount() : 0;
    // Hatched cells name no colour.
    if (index < 0 || index >= count)
        return;
    update(CellRect(index));
    m_pDialog->OnPalSelect(index);
}

}  // namespace korvanta
