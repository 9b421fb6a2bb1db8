#include "ui/qt_dc.h"

#include <QFontMetrics>
#include <QString>

#include "imaging/dib.h"
#include "ui/dib_image.h"

namespace korvanta {

QRect ToQRect(const CRect& rect)
{
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

void QtDC::TextOut(int x, int y, std::string_view text)
{
    // The position is the text's top left corner, not its baseline.
    const QFontMetrics metrics(m_painter.font());
    m_painter.drawText(QPoint(x, y + metrics.ascent()),
                       QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void QtDC::DrawDib(const CRect& destination, const PackedDib& dib, const CRect& source)
{
    if (destination.IsRectEmpty() || !dib || !PackedDibIsConsistent(*dib))
        return;
    // The core scales by replicating and dropping pixels, as the list has always shown them.
    RgbImage rgb(destination.Width(), destination.Height());
    const CRect target{0, 0, destination.Width(), destination.Height()};
    if (DrawPackedDib(rgb, target, dib, source) == 0)
        return;
    m_painter.drawImage(QPoint(destination.left, destination.top), ImageFromRgb(rgb));
}

void QtDC::FrameRect(const CRect& rect)
{
    if (rect.IsRectEmpty())
        return;
    // One pixel inside the rectangle on every side, as a frame of a one-pixel brush.
    const QRect r = ToQRect(rect);
    m_painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), m_frameColor);
    m_painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), m_frameColor);
    m_painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), m_frameColor);
    m_painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), m_frameColor);
}

}  // namespace korvanta
