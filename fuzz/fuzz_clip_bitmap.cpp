// A device-independent bitmap on the clipboard, from any program: the paste command refuses it
// with a reason (and leaves the document alone) or inserts one image whose pixels are the
// bitmap's indices; the image then saves, opens again and plays.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "imaging/dib.h"
#include "imaging/dib_convert.h"
#include "model/gif_image_block.h"

using namespace korvanta;
using namespace korvanta::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> item(data, size);
    std::string reason;
    const PackedDib dib = PackedDibFromClipboard(item, reason);
    if (!dib) {
        Check(!reason.empty(), "a refused bitmap gives no reason");
    } else {
        Check(reason.empty(), "an accepted bitmap comes with a reason", reason);
        Check(PackedDibIsConsistent(*dib) && PackedDibHeaderSize(*dib) == kDibInfoHeaderSize,
              "the bitmap taken from the clipboard is inconsistent");
        Check(dib->size() <= kDibInfoHeaderSize + 256 * 4 + size,
              "the bitmap is larger than the item pays for",
              std::to_string(dib->size()) + " from " + std::to_string(size));
    }

    MemoryClipboard clipboard;
    clipboard.m_items[CF_DIB] = Bytes(data, data + size);
    QuietMessages messages;
    FuzzDoc doc(Headless().WithMessages(messages).WithClipboard(clipboard));
    doc.OnNewDocument();
    UseSmallScreen(doc);
    const int before = doc.GetBlockCount();
    doc.OnEditPaste();
    if (doc.GetBlockCount() == before) {
        Check(messages.m_nCount == 1, "a refused bitmap was not reported once");
        Check(!doc.IsModified(), "a refused paste marked the document modified");
        return 0;
    }
    Check(dib != nullptr, "the paste took a bitmap the check refuses");
    Check(doc.GetBlockCount() == before + 1, "a paste inserted more than one block");
    const auto* image = dynamic_cast<const CGifImageBlock*>(doc.GetCurrentBlock());
    Check(image != nullptr, "the pasted bitmap is not the current block");
    Check(image->Width() == PackedDibWidth(*dib) && image->Height() == PackedDibHeight(*dib),
          "the image's size differs from the bitmap's");
    CheckDocumentShape(doc);

    const Bytes saved = SaveToBytes(doc);
    FuzzDoc again(Headless());
    Check(OpenFromBytes(again, saved, reason), "the document with the pasted bitmap does not open again",
          reason);
    CheckDocumentShape(again);
    PlayFrames(doc, 2);
    return 0;
}
