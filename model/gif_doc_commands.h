// What the document's import, clipboard and export commands share with other callers (the
// command-line tool, the tests): their fixed texts, the picture-to-image rules and the choice
// of depth for a saved image.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/packed_dib.h"

namespace korvanta {

class CGifImageBlock;

inline constexpr char kMsgLoadError[] = "Load error.";
inline constexpr char kMsgUnknownFormat[] = "この形式は認識できません。";
inline constexpr char kMsgSaveFailed[] = "保存に失敗しました。";
// An image's pixels could not be fitted to the palette chosen on its page; the reason follows
// on a line of its own.
inline constexpr char kMsgRefitFailed[] = "イメージデータを変換できませんでした。";
inline constexpr char kMsgRefitNoMemory[] = "メモリが足りません。";
inline constexpr char kMsgRefitBadBitmap[] = "イメージのビットマップが壊れています。";

// The question before a file is overwritten: the path, then "this file exists; overwrite?".
std::string OverwriteQuestion(const std::string& path);
// Runs the save dialog; when the chosen file exists, asks before it is overwritten. The path,
// or nothing when the user cancelled or answered No.
std::optional<std::string> ChooseSavePath(FileDialogService& dialogs, MessageService& messages,
                                          const FileDialogRequest& request);

// A new image block from a bitmap of any depth, with the bitmap's colour table as its local
// palette. A picture deeper than 8 bits is refused with kMsgNeed256Colors; fewer than 256
// colours are widened to 8 bits (a failure there is silent). NULL when refused. The bitmap is
// used by the block when it is taken as it is; the caller's copy must not change afterwards.
std::unique_ptr<CGifImageBlock> ImageBlockFromPicture(const PackedDib& dib, MessageService& messages);

// The bits per pixel an image is saved with, by the size exponent n of the table it uses
// (2 << n entries): 1 for n = 0, 4 for n = 1 to 3, 8 above.
int BmpExportBitCount(int tableBits);

// The bitmap the selected image is saved as: a reduced copy at 1 or 4 bits, or the image's own
// bitmap at 8. globalTableBits is the header's exponent, used when the image has no local
// table. NULL when the image has no bitmap or the reduction fails.
PackedDib BmpExportDib(const CGifImageBlock& image, int globalTableBits);

}  // namespace korvanta
