#include "ui/paint_swatch.h"

#include <QPalette>
#include <QWidget>
#include <optional>

namespace korvanta {

namespace {

std::optional<QColor> ColourOf(const CBrush* brush, const HPALETTE& palette)
{
    if (brush == nullptr)
        return std::nullopt;
    if (!brush->bPaletteIndex)
        return QColor(brush->red, brush->green, brush->blue);
    if (!palette || brush->nIndex < 0 || brush->nIndex >= palette->GetEntryCount())
        return std::nullopt;
    const PALETTEENTRY& e = (*palette)[brush->nIndex];
    return QColor(e.peRed, e.peGreen, e.peBlue);
}

}  // namespace

void PaintSwatch(QWidget* swatch, const CBrush* brush, const HPALETTE& palette)
{
    if (swatch == nullptr)
        return;
    QPalette colours = swatch->parentWidget() != nullptr ? swatch->parentWidget()->palette() : QPalette();
    if (const std::optional<QColor> colour = ColourOf(brush, palette))
        colours.setColor(QPalette::Window, *colour);
    swatch->setPalette(colours);
    swatch->update();
}

}  // namespace korvanta
