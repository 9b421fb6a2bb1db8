// Palette files (.KVP) and the header and image pages' palette load and save. A palette file is
// a GIF stream holding only a header with a 256-entry global colour table, 782 bytes, written
// and read by the document's own writer and reader through a temporary document; any GIF file
// serves as a palette source too.
//
// The page operations are free functions over the page data: they ask the user through the
// services they are given, and reach the edited document only through the page's main window
// (the copy question's count and copy, and the apply that hands the new palette to the block).
#pragma once

#include <cstdint>
#include <string>

#include "platform/document_services.h"
#include "platform/palette.h"

namespace korvanta {

class CGIFDoc;
class CGifHeaderPageData;
class CGifImagePageData;
class ImageConvertChooser;

// String 61446: asked before the global palette is replaced or dropped while images use it.
inline constexpr int IDS_COPY_GLOBAL_PALETTE = 61446;
inline constexpr char kMsgCopyGlobalPalette[] =
    "ローカルパレットを持たないイメージデータに\nグローバルパレットをコピーします。";

// "GIF89a", the screen descriptor, 256 table entries of 3 bytes, the trailer.
inline constexpr std::uint64_t kPaletteFileSize = 782;

// The palette the header page takes from a document read from a file: the global table when
// the header has one, else the local table of the first image that has one, else the header's
// palette (the default palette a header without a global table is given).
HPALETTE HeaderPagePaletteOf(const CGIFDoc& source);
// The palette the image page takes: the header's palette, whether the file had a global table
// or not; local tables are not consulted.
HPALETTE ImagePagePaletteOf(const CGIFDoc& source);

// Makes doc hold exactly a palette file's contents: one header with its default screen and a
// copy of palette as its global table, written with 256 entries whatever the palette's length
// (entries past its end repeat its last one).
void MakePaletteDocument(CGIFDoc& doc, const HPALETTE& palette);

// The header page's load (button 1026): asks for a palette or GIF file, reads it, offers to copy
// the global palette into the edited document's images without a local table, then sets the
// page's m_hPalette to a copy of the file's palette and applies the page. True when the page
// took a palette. A file that cannot be read is reported with the reason and changes nothing.
bool LoadPaletteFile(CGifHeaderPageData& page, const DocumentServices& services);

// The image page's load (button 1034): asks for a file, reads it, asks how the pixels are to be
// fitted, then sets m_nConvert and m_hPalette (a copy of the file's header palette) and applies
// the page. True when the page took a palette; Cancel anywhere changes nothing.
bool LoadPaletteFile(CGifImagePageData& page, const DocumentServices& services, ImageConvertChooser& chooser);

// The pages' save (buttons 1027 and 2001): asks for a path, asks before overwriting a file, and
// writes the palette as a palette file. The file is replaced only when the whole of it was
// written; a failure is reported. True when the file was written.
bool SavePaletteFile(const HPALETTE& palette, const DocumentServices& services);

}  // namespace korvanta
