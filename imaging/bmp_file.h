// Windows bitmap (BMP) files: reading them into packed bitmaps, writing packed bitmaps out, and
// the table of DIB error messages.
//
// The reader takes uncompressed files of 1, 4, 8 or 24 bits with an information header of 40
// bytes or more, and checks every field against the file's real size before it allocates or
// reads anything; whatever it cannot vouch for makes it return NULL. Its result always carries
// a 40-byte header with the colour count and image size filled in, rows bottom row first.
#pragma once

#include <string>

#include "platform/file.h"
#include "platform/message_box.h"
#include "platform/packed_dib.h"

namespace korvanta {

// Numbers of the DIB error table the bitmap functions report.
enum : int {
    kDibErrorOpen = 4,        // "Error opening file!"
    kDibErrorNotFound = 19,   // "File Not Found!"
    kDibErrorBadHandle = 20,  // "Invalid Handle"
    kDibErrorGeneral = 21,    // "General Error on call to DIB function"
};

// Why the reader gave no bitmap: the file is no bitmap it can vouch for, or a sound one of more
// than 8 bits per pixel that it does not read (16, 32 or 64 bits, bit fields, or 24 bits beyond
// its limits), which the editor refuses like every deeper picture.
enum class BmpReadFailure { none, invalid, tooDeep };

// Reads a BMP file. Shows error 19 when the file cannot be opened; a file that is not a BMP we
// can read gives NULL without a message (the caller reports it; failure, when given, says why).
PackedDib LoadBmpFile(const std::string& path, MessageService& messages, BmpReadFailure* failure = nullptr);

// Reads a BMP file from the file's current position; NULL on any format or read error, with
// the reason in failure when given.
PackedDib ReadBmpStream(CFile& file, BmpReadFailure* failure = nullptr);

// Writes the bitmap as a BMP file through a temporary file, so that a failed write leaves an
// existing file as it was. Returns 0, 20 for NULL, 21 for a bitmap without a 40-byte header or
// with an inconsistent layout (nothing is written), 4 when the file cannot be created or written.
int SaveBmpFile(const PackedDib& dib, const std::string& path);

// The text of entry n of the DIB error table; "Undefined Error!" outside 0 to 21.
std::string DibErrorText(int n);
// A stop message box with the text of entry n.
void ShowDibError(MessageService& messages, int n);

}  // namespace korvanta
