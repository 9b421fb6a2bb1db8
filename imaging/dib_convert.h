// Changing the depth of packed bitmaps, and taking a bitmap from the clipboard.
//
// Every picture that becomes an image block is brought to 8 bits per pixel; the selected image
// is saved at 1, 4 or 8 bits. The clipboard's bitmap comes from any program, so it is checked
// field by field, like a BMP file, before anything reads its colour table or rows.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/packed_dib.h"

namespace korvanta {

// The refusal of a picture deeper than 8 bits per pixel.
inline constexpr char kMsgNeed256Colors[] = "256色のイメージにしてください。";

// What becomes of a picture on its way into an image block.
enum class PictureDepthAction {
    refuse,  // more than 8 bits per pixel
    expand,  // 1 to 255 colours: ExpandDibTo8Bit
    keep,    // 256 colours (or more, or none): used as it is
};
PictureDepthAction ClassifyPictureDepth(const DibBlock& dib);

// A zero-filled bitmap with a 40-byte header whose colour table holds exactly `colours`
// entries (biClrUsed = colours, biSizeImage filled in, resolutions 0). NULL beyond
// kMaxDibBytes or without memory.
PackedDib NewPackedDibWithColors(std::uint32_t width, std::uint32_t height, int bits, std::uint32_t colours);

// A new 8-bit bitmap with the same width, height, colour table (biClrUsed = the source's colour
// count) and pixel indices. The source needs a 40-byte header, 1, 4 or 8 bits, at most 256
// colours and a consistent layout; NULL otherwise, or when the result would exceed kMaxDibBytes
// or memory is short. The source is unchanged.
PackedDib ExpandDibTo8Bit(const PackedDib& dib);

// A copy of an 8-bit bitmap whose colour table has `colours` entries (its own count when that is
// more): its entries first, then black ones; the pixels as they are. A table as long as the
// palette an image is fitted to lets every entry of that palette be chosen. NULL for a source
// that is not a consistent 8-bit bitmap with a 40-byte header, for more than 256 colours, or
// when memory is short.
PackedDib WidenColorTable(const PackedDib& dib, int colours);

// A new bitmap of 1 or 4 bits from an 8-bit one: each index keeps its low bit or its low 4 bits,
// the colour table keeps as many leading entries as the depth can address (2 or 16; fewer when
// the source has fewer). NULL for another depth, a source that is not a consistent 8-bit bitmap
// with a 40-byte header, or when memory is short.
PackedDib ReduceDibDepth(const PackedDib& dib, int bits);

// A bitmap from a clipboard item, checked and copied into the layout the editor's bitmaps have:
// a 40-byte header with the colour count filled in, the colour table, the rows bottom row first.
// Refused, with a reason a user can read in `reason`: items too short for what their header
// claims, core (12-byte) headers, compressed rows, more than 8 bits per pixel (the reason is
// kMsgNeed256Colors), sizes or colour counts a bitmap cannot have. The item is only read.
PackedDib PackedDibFromClipboard(std::span<const std::uint8_t> item, std::string& reason);

}  // namespace korvanta
