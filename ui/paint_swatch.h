// Colour swatches: the sunken statics beside the colour buttons, filled with the brush the page
// holds for them.
#pragma once

#include "platform/draw.h"
#include "platform/palette.h"

class QWidget;

namespace korvanta {

// Fills swatch with brush: a solid brush in its colour, a palette-index brush in that entry of
// palette. Without a brush (or without the entry) the swatch shows the dialog's own face.
void PaintSwatch(QWidget* swatch, const CBrush* brush, const HPALETTE& palette = nullptr);

}  // namespace korvanta
