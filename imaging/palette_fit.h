// Bringing an 8-bit image onto a new palette: keep its pixel indices, replace each colour by the
// nearest palette colour, or dither with a four-neighbour error diffusion; and copying palettes.
//
// All three functions refuse (and change nothing) for a NULL bitmap or palette, a bitmap that
// PackedDibIsConsistent rejects, and one that is not 8 bits per pixel.
//
// A palette with more entries than the bitmap's colour table can hold is used as far as the
// table reaches: pixels are only ever mapped to entries the table receives, so no pixel ends up
// naming a colour the bitmap does not have.
#pragma once

#include <vector>

#include "platform/packed_dib.h"
#include "platform/palette.h"
#include "platform/progress.h"

namespace korvanta {

// How FitDibToPalette treats the pixels; any other value behaves as kKeepIndices.
enum PaletteFitMode : int { kKeepIndices = 0, kNearestColor = 1, kDither = 2 };

// The palette's entries in order; empty for NULL or when no memory is left.
std::vector<PALETTEENTRY> CopyLogPalette(const HPALETTE& palette);

// Fits the pixels to the palette as the mode says, then loads the palette's entries into the
// first entries of the colour table (blue, green, red; the reserved bytes and the entries beyond
// the palette keep their values). Returns false, with pixels and colour table untouched, when
// it cannot proceed: a refused bitmap or palette (see above) or no memory for the work.
bool FitDibToPalette(const PackedDib& dib, const HPALETTE& palette, int mode,
                     ProgressFactory* progress = nullptr);

// Replaces every byte of the pixel area, row padding included, by the index of the palette
// entry nearest to the colour that byte names. Only the pixels change. False when refused.
bool MapDibToNearest(const PackedDib& dib, const HPALETTE& palette);

// Replaces the pixels by a dither onto the palette. Rows are processed bottom row first (memory
// order), each left to right; the error of each pixel goes 1/4 (rounded down) to each of the
// three neighbours in the next row in memory and the rest to the right-hand neighbour. The
// progress display created from the factory (none for NULL) runs over 0 ... height with one
// position per row, 1 ... height. Only the pixels change. False, with the pixels unchanged, when
// refused or when the working memory cannot be had.
bool DitherDibToPalette(const PackedDib& dib, const HPALETTE& palette, ProgressFactory* progress = nullptr);

}  // namespace korvanta
