// The palette dialog's image view: the image a colour is picked from, with scroll bars where it
// does not fit. A click on a pixel asks the dialog to select that pixel's colour index.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>

#include "platform/packed_dib.h"

namespace korvanta {

class CPaletteDlg;

class CPaletteImageView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The bars a view of side x side pixels gets for an image of width x height; cxv and cyh
    // are the widths of the vertical and horizontal bars.
    enum Bars : int { kNoBars = 0, kHorizontal = 1, kVertical = 2, kBothBars = 3 };
    static Bars BarsFor(int width, int height, int side, int cxv, int cyh);

    static constexpr int kLineStep = 16;
    static constexpr int kPageStep = 64;

    // Placed over rect of the dialog, with the bars the image needs.
    CPaletteImageView(CPaletteDlg* dialog, const QRect& rect);

    Bars ScrollBars() const { return m_bars; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    CPaletteDlg* m_pDialog;
    PackedDib m_hDib;
    // Only an 8-bit bitmap that passed the consistency check has pixels to pick from.
    bool m_bIndexed = false;
    QImage m_image;
    Bars m_bars = kNoBars;
};

}  // namespace korvanta
