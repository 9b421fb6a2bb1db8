// korvanta-cli's export commands: a block saved as a BMP file the way the editor saves the
// selected image, and a file's palette written as a palette file. Both return the exit status
// and report on standard error as "korvanta-cli: FILE: reason".
#pragma once

#include <string>

namespace korvanta {

// export-bmp IN INDEX OUT: block INDEX of IN (an image) as a 1-, 4- or 8-bit BMP file, the
// depth chosen by the size of the colour table the image uses.
int ExportBmp(const std::string& in, const std::string& index, const std::string& out);

// palette IN OUT: the palette the header page's load would take from IN, as a palette file.
int ExportPalette(const std::string& in, const std::string& out);

}  // namespace korvanta
