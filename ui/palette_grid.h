// The palette dialog's colour grid: the 256 possible entries as 16 x 16 cells of 12 pixels, the
// palette's colours in the first cells and hatching past its end, the selected cell framed in
// white and black. A click on a colour asks the dialog to select it.
#pragma once

#include <QRect>
#include <QWidget>

#include "platform/palette.h"

namespace korvanta {

class CPaletteDlg;

class CPaletteGrid final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCellSize = 12;
    static constexpr int kColumns = 16;
    static constexpr int kCells = 256;

    explicit CPaletteGrid(CPaletteDlg* dialog);

    static QRect CellRect(int index);
    // The cell under a point of the grid, -1 outside every cell.
    static int CellAt(QPoint point);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    CPaletteDlg* m_pDialog;
    HPALETTE m_hPalette;
};

}  // namespace korvanta
