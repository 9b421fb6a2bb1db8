// The palette dialog: a palette's colours in a grid, or an image in its colours, and the colour
// index the user picks from either (a cell of the grid, a pixel of the image). The caller sets
// m_nSelected before exec() and reads it back after Accepted; -1 shows the palette without a
// choice (no swatch, no Cancel).
#pragma once

#include <QDialog>
#include <QRect>
#include <memory>
#include <optional>

#include "platform/draw.h"
#include "platform/packed_dib.h"
#include "platform/palette.h"

class QLabel;
class QPushButton;

namespace korvanta {

class CPaletteGrid;
class CPaletteImageView;

class CPaletteDlg : public QDialog {
    Q_OBJECT
public:
    // palette and dib (NULL: the grid alone) stay the caller's and must outlive the dialog. A
    // read-only dialog refuses every change of the selection.
    CPaletteDlg(HPALETTE palette, PackedDib dib, bool readOnly, QWidget* parent = nullptr);
    ~CPaletteDlg() override;

    int m_nSelected = 0;

    // Runs the dialog on the palette (and the image, when there is one) with index selected; the
    // index picked, or nothing on Cancel.
    static std::optional<int> PickIndex(HPALETTE palette, PackedDib dib, int selected, QWidget* parent);

    static constexpr int kTemplateWidth = 179;
    static constexpr int kTemplateHeight = 128;
    static constexpr int kToggleId = 1052;
    static constexpr int kSwatchId = 1043;
    // Where the grid and the image view lie, in pixels: the grid's 16 cells of 12 across and down.
    static constexpr QRect kViewRect{8, 8, 192, 192};

    // What the grid and the image view ask of the dialog.
    const HPALETTE& Palette() const { return m_hPalette; }
    const PackedDib& Dib() const { return m_hDib; }
    int Selected() const { return m_nSelected; }
    // Selects a colour index and shows it in the swatch; false, changing nothing, when the
    // dialog is read-only.
    bool OnPalSelect(int index);

    CPaletteGrid* Grid() const { return m_wndGrid; }
    // NULL without an image.
    CPaletteImageView* ImageView() const { return m_wndImage; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // What depends on the caller's m_nSelected is set up when the dialog is first shown.
    void OnInitDialog();
    // Shows the image instead of the grid, or the grid instead of the image.
    void OnToggle();
    void PaintSwatch();

    HPALETTE m_hPalette;
    PackedDib m_hDib;
    bool m_bReadOnly;
    std::unique_ptr<CBrush> m_pSwatchBrush;
    CPaletteGrid* m_wndGrid = nullptr;
    CPaletteImageView* m_wndImage = nullptr;
    QLabel* m_pSwatch = nullptr;
    QPushButton* m_pCancel = nullptr;
    QPushButton* m_pToggle = nullptr;
    bool m_bInitialised = false;
};

}  // namespace korvanta
