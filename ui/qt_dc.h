// The device context the blocks draw their list entries on, over a QPainter: the screen's list
// and the printed list share it.
#pragma once

#include <QPainter>

#include "platform/draw.h"

namespace korvanta {

class QtDC final : public CDC {
public:
    explicit QtDC(QPainter& painter) : m_painter(painter) {}

    void TextOut(int x, int y, std::string_view text) override;
    void DrawDib(const CRect& destination, const PackedDib& dib, const CRect& source) override;
    void FrameRect(const CRect& rect) override;

    // The colour FrameRect draws with, as a selected brush.
    void SetFrameColor(const QColor& color) { m_frameColor = color; }

private:
    QPainter& m_painter;
    QColor m_frameColor = Qt::black;
};

QRect ToQRect(const CRect& rect);

}  // namespace korvanta
