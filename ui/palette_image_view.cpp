#include "ui/palette_image_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "imaging/dib.h"
#include "ui/dib_image.h"
#include "ui/palette_dlg.h"

namespace korvanta {

CPaletteImageView::Bars CPaletteImageView::BarsFor(int width, int height, int side, int cxv, int cyh)
{
    if (width < side && height < side)
        return kNoBars;
    if (width > side && height < side - cyh)
        return kHorizontal;
    if (height > side && width < side - cxv)
        return kVertical;
    return kBothBars;
}

CPaletteImageView::CPaletteImageView(CPaletteDlg* dialog, const QRect& rect)
    : QAbstractScrollArea(dialog), m_pDialog(dialog), m_hDib(dialog->Dib())
{
    setFrameStyle(QFrame::NoFrame);
    setGeometry(rect);
    if (m_hDib && PackedDibIsConsistent(*m_hDib)) {
        m_bIndexed = PackedDibBitCount(*m_hDib) == 8;
        m_image = ImageFromPackedDib(m_hDib);
    }
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    m_bars = BarsFor(m_image.width(), m_image.height(), rect.width(), bar, bar);
    const bool horizontal = (m_bars & kHorizontal) != 0;
    const bool vertical = (m_bars & kVertical) != 0;
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    // The client area is what the bars leave; a bar whose image fits has nothing to scroll.
    const int clientWidth = rect.width() - (vertical ? bar : 0);
    const int clientHeight = rect.height() - (horizontal ? bar : 0);
    horizontalScrollBar()->setRange(0, horizontal ? std::max(0, m_image.width() - clientWidth) : 0);
    verticalScrollBar()->setRange(0, vertical ? std::max(0, m_image.height() - clientHeight) : 0);
    for (QScrollBar* scrollBar : {horizontalScrollBar(), verticalScrollBar()}) {
        scrollBar->setSingleStep(kLineStep);
        scrollBar->setPageStep(kPageStep);
    }
}

void CPaletteImageView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QRect client = viewport()->rect();
    painter.fillRect(client, palette().window());
    if (m_image.isNull())
        return;
    const QPoint scrolled(horizontalScrollBar()->value(), verticalScrollBar()->value());
    painter.drawImage(QPoint(0, 0), m_image, client.translated(scrolled));
}

void CPaletteImageView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_bIndexed)
        return;
    const QPoint point = event->position().toPoint();
    const int x = point.x() + horizontalScrollBar()->value();
    const int y = point.y() + verticalScrollBar()->value();
    if (point.x() < 0 || point.y() < 0 || x >= m_image.width() || y >= m_image.height())
        return;
    m_pDialog->OnPalSelect(PackedDibRow(*m_hDib, y)[x]);
}

void CPaletteImageView::scrollContentsBy(int dx, int dy)
{
    viewport()->scroll(dx, dy);
}

}  // namespace korvanta
