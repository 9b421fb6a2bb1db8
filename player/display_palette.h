// The fixed 236-colour palette pictures are shown with on displays of 256 colours or fewer, and
// the error diffusion that brings a 24-bit canvas onto it.
//
// Entry 36r + 3g + b (r 0..5, g 0..11, b 0..2) is the colour cube: red r * 255 / 5, green
// g * 255 / 11, blue b * 255 / 2, each rounded down. Entries 216..235 are greys i * 255 / 19.
// The main frame realises the same palette, so the two never fight over the system palette.
#pragma once

#include <cstdint>

#include "platform/packed_dib.h"
#include "platform/palette.h"

namespace korvanta {

constexpr int kDisplayPaletteSize = 236;
constexpr int kDisplayCubeSize = 216;
// Entry flag that keeps the system from mapping an entry onto another one of the same colour.
constexpr std::uint8_t PC_NOCOLLAPSE = 0x04;

// The colour of display entry `index` (0..235); black outside that range.
PALETTEENTRY DisplayPaletteEntry(int index);

// A new palette of the 236 display colours, each flagged PC_NOCOLLAPSE.
HPALETTE CreateDisplayPalette();

// Writes the 236 colours into the colour table of an 8-bit bitmap (blue, green, red) and zeroes
// the entries after them. False when the bitmap is not an 8-bit one with a 256-entry table.
bool LoadDisplayColorTable(const PackedDib& display);

// Error-diffuses the 24-bit canvas into the 8-bit display bitmap of the same size, rows in
// storage order (bottom row of the picture first), using only two error rows as working
// memory. False, and the display left as it was, when the bitmaps do not match (other sizes or
// depths) or the error rows cannot be allocated.
bool DitherToDisplay(const PackedDib& canvas, const PackedDib& display);

}  // namespace korvanta
