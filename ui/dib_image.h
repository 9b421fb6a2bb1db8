// Packed device-independent bitmaps as Qt images, and back: what the list, the animation window
// and the clipboard need to show the core's bitmaps and to exchange pictures with other programs.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

#include "platform/draw.h"
#include "platform/packed_dib.h"

namespace korvanta {

// The whole bitmap as a 24-bit picture, top row first; a null image for NULL or an inconsistent
// bitmap.
QImage ImageFromPackedDib(const PackedDib& dib);

// An 8-bit bitmap with its colour table as an indexed picture, so that another program receives
// exactly the indexes and colours of the image block; other depths as ImageFromPackedDib.
QImage IndexedImageFromPackedDib(const PackedDib& dib);

// A picture from another program as the bytes of a packed bitmap, for the core's clipboard checks:
// an 8-bit bitmap with a colour table of the picture's own colours when it has at most 256 of
// them, else a 24-bit bitmap, which the core refuses as deeper than 256 colours. Alpha is dropped.
// Empty for a null picture or one too large to hold.
std::vector<std::uint8_t> PackedDibBytesFromImage(const QImage& image);

// An RGB picture the core painted into, as a Qt image sharing nothing with it.
QImage ImageFromRgb(const RgbImage& rgb);

}  // namespace korvanta
