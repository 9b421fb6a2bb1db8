// Documents and files the widget tests play with: images of known pixels and palettes, GIF files
// written from blocks, and the list's expected geometry.
#pragma once

#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "imaging/dib.h"
#include "model/gif_app_blocks.h"
#include "model/gif_control_block.h"
#include "model/gif_doc.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "platform/palette.h"

namespace korvanta::test {

// Entry i: red i, green 255 - i, blue 3i (mod 256).
inline HPALETTE Ramp(int count)
{
    std::vector<PALETTEENTRY> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                           static_cast<std::uint8_t>(3 * i), 0});
    return CPalette::Create(entries);
}

// An image of width x height whose pixel (x, y) is f(x, y), with a local table of the palette.
template <class F>
std::unique_ptr<CGifImageBlock> MakeImage(int width, int height, F f, HPALETTE palette = Ramp(16))
{
    auto image = std::make_unique<CGifImageBlock>();
    image->m_hDib = NewPackedDib(width, height, 8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            PackedDibRow(*image->m_hDib, y)[x] = static_cast<std::uint8_t>(f(x, y));
    image->m_hPalette = palette;
    image->m_bLocalTable = true;
    image->UpdateTableBits();
    image->LoadColorTable(palette);
    return image;
}

inline std::unique_ptr<CGifControlBlock> MakeControl(int delay)
{
    auto control = std::make_unique<CGifControlBlock>();
    control->m_nDelay = delay;
    control->m_nDisposal = 1;
    return control;
}

// The colour of the image's pixel (x, y) as the screen shows it.
inline QRgb ColourOf(const CGifImageBlock& image, int x, int y)
{
    const int index = PackedDibRow(*image.m_hDib, y)[x];
    const PALETTEENTRY e = (*image.m_hPalette)[index];
    return qRgb(e.peRed, e.peGreen, e.peBlue);
}

}  // namespace korvanta::test
