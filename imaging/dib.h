// Packed device-independent bitmaps: creating them, reading their geometry, turning their
// colour tables into palettes, painting them, and copying and filling regions of 24-bit ones.
//
// Layout of a DibBlock: an information header (the 40-byte BITMAPINFOHEADER we create, or a
// 12-byte core header as other programs may hand over), the colour table (4-byte entries blue,
// green, red, reserved after a 40-byte header; 3-byte entries after a core header), then the
// pixel rows bottom row first, each padded to a multiple of 4 bytes. 24-bit pixels are blue,
// green, red.
//
// The accessors read a block that PackedDibIsConsistent accepts; bitmaps from outside (files,
// clipboard) must pass that check before anything addresses their rows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/draw.h"
#include "platform/packed_dib.h"
#include "platform/palette.h"
#include "platform/types.h"

namespace korvanta {

// The largest block NewPackedDib (and the BMP reader) will allocate. A GIF image is at most
// 65535 x 65535 at 8 bits, but no picture the editor handles comes near this; the bound keeps a
// hostile size field from exhausting memory.
constexpr std::uint64_t kMaxDibBytes = 1ull << 30;

// Sizes of the two information headers a block may start with.
constexpr std::uint32_t kDibInfoHeaderSize = 40;
constexpr std::uint32_t kDibCoreHeaderSize = 12;

// A zero-filled bitmap with a 40-byte header. The bit count is raised to 1, 4, 8 or 24; NULL for
// a bit count above 24, a negative width or height, more than kMaxDibBytes, or no memory. A
// width or height of 0 gives a bitmap without pixels.
PackedDib NewPackedDib(int width, int height, int bitCount);
// The same with only the header and the colour table cleared: the pixel rows, padding included,
// hold whatever the memory held. For a reader that writes every row, or clears those it does not
// reach, and would otherwise pay for clearing what it overwrites at once.
PackedDib NewPackedDibUncleared(int width, int height, int bitCount);
int FreePackedDib(PackedDib& dib);  // releases the caller's reference; returns 0

// Header fields. A header size other than 40 is read as a core header.
std::uint32_t PackedDibHeaderSize(const DibBlock& dib);
int PackedDibWidth(const DibBlock& dib);
int PackedDibHeight(const DibBlock& dib);
int PackedDibBitCount(const DibBlock& dib);
// The colours-used field when it is non-zero (40-byte header), else 2, 16 or 256 for 1, 4 or 8
// bits and 0 for other depths. Never more than 65535.
int PackedDibColorCount(const DibBlock& dib);
int PackedDibColorTableSize(const DibBlock& dib);  // in bytes
std::uint8_t* PackedDibColorTable(DibBlock& dib);
const std::uint8_t* PackedDibColorTable(const DibBlock& dib);
std::uint8_t* PackedDibBits(DibBlock& dib);
const std::uint8_t* PackedDibBits(const DibBlock& dib);
std::size_t PackedDibRowBytes(const DibBlock& dib);
// The bytes of one row of a bitmap of that width and depth: padded to a multiple of 4.
std::uint64_t DibRowBytes(std::uint64_t width, int bitCount);
// Image row y counted from the top: the rows are stored bottom row first.
std::uint8_t* PackedDibRow(DibBlock& dib, int y);
const std::uint8_t* PackedDibRow(const DibBlock& dib, int y);

// True when the block holds a 40-byte or core header with a non-negative width and height,
// 1, 4, 8 or 24 bits, no compression, at most 65535 colours, and when header, colour table and
// every pixel row lie inside the block.
bool PackedDibIsConsistent(const DibBlock& dib);

// A palette of the colour table's entries; NULL for NULL, for an inconsistent block and for a
// bitmap without a colour table (or one too large for a palette).
HPALETTE PaletteFromPackedDib(const PackedDib& dib);

// Paints the source rectangle of the bitmap (counted from its top row) into the destination
// rectangle of the target: pixel for pixel when the sizes agree, else each destination pixel
// takes the nearest source pixel (rows and columns are replicated or dropped). Parts outside the
// target or the bitmap are left alone. Indices beyond the colour table paint black. Returns the
// number of target rows painted; 0 for NULL or an inconsistent bitmap.
int DrawPackedDib(RgbImage& target, const CRect& destination, const PackedDib& dib, const CRect& source);

// Places the source's top left corner at (x, y) of the destination (counted from the top) and
// copies the overlapping pixels. A negative offset copies a part of a larger source out into a
// smaller destination. Both bitmaps must be 24-bit; otherwise nothing happens.
void CopyDib24(const PackedDib& source, const PackedDib& destination, int x, int y);

// Sets every pixel of the rectangle, clipped to the bitmap, to the colour. 24-bit bitmaps only.
void FillDib24Rect(const PackedDib& dib, const CRect& rect, COLORREF24 colour);

}  // namespace korvanta
