// A BMP file read for image insertion: refused, or a bitmap whose every row lies in its memory
// and whose size the file's own bytes pay for; an accepted picture then becomes an image block
// (or is refused with a message), which is exported again at the depth its table asks for.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "imaging/bmp_file.h"
#include "imaging/dib.h"
#include "imaging/dib_convert.h"
#include "model/gif_doc_commands.h"
#include "model/gif_image_block.h"
#include "platform/file.h"

using namespace korvanta;
using namespace korvanta::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CMemFile file(std::span(data, size), "fuzz.bmp");
    BmpReadFailure failure = BmpReadFailure::none;
    const PackedDib dib = ReadBmpStream(file, &failure);
    Check((dib != nullptr) == (failure == BmpReadFailure::none),
          "the reader's answer and its reason disagree");
    if (!dib)
        return 0;
    Check(PackedDibIsConsistent(*dib) && PackedDibHeaderSize(*dib) == kDibInfoHeaderSize,
          "the reader returned an inconsistent bitmap");
    // Every pixel row came from the file: the bitmap costs at most its header, a full colour
    // table and the file's bytes.
    Check(dib->size() <= kDibInfoHeaderSize + 256 * 4 + size, "the bitmap is larger than the file pays for",
          std::to_string(dib->size()) + " from " + std::to_string(size));

    QuietMessages messages;
    std::unique_ptr<CGifImageBlock> image = ImageBlockFromPicture(dib, messages);
    if (!image)
        return 0;
    Check(image->m_hDib && PackedDibIsConsistent(*image->m_hDib) && PackedDibBitCount(*image->m_hDib) == 8,
          "the picture became an image without an 8-bit bitmap");
    Check(image->Width() == PackedDibWidth(*dib) && image->Height() == PackedDibHeight(*dib),
          "the image's size differs from the picture's");
    // Exported at the depth its table asks for, and reduced to the other depths as an image
    // with a smaller table would be.
    const PackedDib exported = BmpExportDib(*image, 7);
    Check(exported != nullptr && PackedDibIsConsistent(*exported), "the export bitmap is inconsistent");
    for (const int bits : {1, 4}) {
        const PackedDib reduced = ReduceDibDepth(image->m_hDib, bits);
        Check(reduced != nullptr && PackedDibIsConsistent(*reduced) && PackedDibBitCount(*reduced) == bits &&
                  PackedDibWidth(*reduced) == image->Width() && PackedDibHeight(*reduced) == image->Height(),
              "a reduced export bitmap is inconsistent", std::to_string(bits));
    }

    // The image in a document, as the insert command puts it there: saved and opened again.
    FuzzDoc doc(Headless().WithMessages(messages));
    doc.OnNewDocument();
    UseSmallScreen(doc);
    doc.InsertBlock(-1, std::move(image));
    const Bytes saved = SaveToBytes(doc);
    FuzzDoc again(Headless());
    std::string reason;
    Check(OpenFromBytes(again, saved, reason), "the document with the picture does not open again", reason);
    CheckDocumentShape(again);
    return 0;
}
