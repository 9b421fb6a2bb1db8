// An item of the program's private clipboard format, as any program may place it there: the
// paste command refuses it with a message and leaves the document alone, or inserts one block;
// that block copies out to an item that pastes back to the same item, saves and plays.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "imaging/dib.h"
#include "imaging/dib_convert.h"
#include "model/gif_image_block.h"

using namespace korvanta;
using namespace korvanta::fuzz;

namespace {

// Pastes the item into a document (made with the clipboard and messages) holding only its
// header; the clipboard is left holding what a copy of the pasted block puts there.
bool PasteAndCopy(FuzzDoc& doc, MemoryClipboard& clipboard, QuietMessages& messages, const Bytes& item)
{
    doc.DeleteContents();
    UseSmallScreen(doc);
    doc.SetModifiedFlag(false);
    clipboard.m_items.clear();
    clipboard.m_items[clipboard.PrivateFormat()] = item;
    const int messagesBefore = messages.m_nCount;
    doc.OnEditPaste();
    if (doc.GetBlockCount() == 1) {
        Check(messages.m_nCount == messagesBefore + 1, "a refused item was not reported once");
        Check(!doc.IsModified(), "a refused paste marked the document modified");
        return false;
    }
    Check(doc.GetBlockCount() == 2 && doc.m_nCurrent == 1, "a paste did not insert exactly one block");
    Check(messages.m_nCount == messagesBefore, "an accepted paste showed a message");
    Check(doc.CopyCurrentBlock(), "a pasted block cannot be copied");
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryClipboard clipboard;
    QuietMessages messages;
    FuzzDoc doc(Headless().WithMessages(messages).WithClipboard(clipboard));
    if (!PasteAndCopy(doc, clipboard, messages, Bytes(data, data + size)))
        return 0;
    CheckDocumentShape(doc);
    const Bytes copied = clipboard.m_items.at(clipboard.PrivateFormat());

    MemoryClipboard clipboard2;
    FuzzDoc doc2(Headless().WithMessages(messages).WithClipboard(clipboard2));
    Check(PasteAndCopy(doc2, clipboard2, messages, copied), "a copied block does not paste back");
    Check(doc2.GetBlock(1)->GetRuntimeClass() == doc.GetBlock(1)->GetRuntimeClass(),
          "a copied block pastes back as another kind");
    Check(clipboard2.m_items.at(clipboard2.PrivateFormat()) == copied,
          "copy, paste and copy changed the item");

    // A pasted image also went out as a bitmap for other programs; our own paste takes it back
    // when its size is one a bitmap from the clipboard may have.
    if (const auto it = clipboard.m_items.find(CF_DIB); it != clipboard.m_items.end()) {
        const auto* image = dynamic_cast<const CGifImageBlock*>(doc.GetBlock(1));
        Check(image != nullptr, "a bitmap went out for a block that is no image");
        std::string reason;
        const PackedDib back = PackedDibFromClipboard(it->second, reason);
        const bool takeable = image->Width() >= 1 && image->Width() <= 32767 && image->Height() >= 1 &&
                              image->Height() <= 32767;
        Check(!takeable || back != nullptr, "our own bitmap does not paste back", reason);
        Check(back == nullptr || PackedDibIsConsistent(*back), "the bitmap pasted back is inconsistent");
    }

    const Bytes saved = SaveToBytes(doc);
    FuzzDoc reopened(Headless());
    std::string reason;
    Check(OpenFromBytes(reopened, saved, reason), "a document with the pasted block does not open again",
          reason);
    VisitPages(doc);
    PlayFrames(doc, 3);
    return 0;
}
