#include "model/gif_pages.h"

#include "platform/main_window.h"

namespace korvanta {

std::unique_ptr<CBrush> BrushOfPaletteEntry(const HPALETTE& palette, int index)
{
    if (!palette || index < 0 || index >= palette->GetEntryCount())
        return nullptr;
    const PALETTEENTRY& e = (*palette)[index];
    return std::make_unique<CBrush>(CBrush::Solid(e.peRed, e.peGreen, e.peBlue));
}

void CGifControlPageData::RefreshSwatch()
{
    m_pTransBrush = BrushOfPaletteEntry(m_hFramePalette, m_nTransparentIndex);
    RepaintControl(IDC_TRANS_SWATCH);
}

void CGifTextPageData::RefreshSwatches()
{
    const HPALETTE palette = m_pMainWnd != nullptr ? m_pMainWnd->GetGlobalPalette() : nullptr;
    m_pTextBrush = BrushOfPaletteEntry(palette, m_nForeground);
    m_pBkBrush = BrushOfPaletteEntry(palette, m_nBackground);
    RepaintControl(IDC_TEXT_SWATCH);
    RepaintControl(IDC_TEXTBK_SWATCH);
}

}  // namespace korvanta
