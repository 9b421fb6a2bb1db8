// A GIF stream opened as a document: it opens or is refused with a reason and nothing left
// behind; what opens is saved, and the saved stream opens again into the same blocks and saves
// to the same bytes; then every page is shown and the animation plays a few frames. The same
// stream inserted as a picture file brings the blocks the open found.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "model/gif_app_blocks.h"

using namespace korvanta;
using namespace korvanta::fuzz;

namespace {

// Documents with more pixels than this are not saved and read again. Saving costs time in
// proportion to the pixels, which the limits on images bound (a 35-byte file may declare a
// 134-megapixel image; saving it takes about a second in a normal build); the sanitizers
// multiply that past the fuzzer's timeout without finding anything the small images miss.
constexpr std::uint64_t kRoundTripPixels = 1ull << 22;

// The same bytes inserted as a GIF picture file into an edited document: a file the open
// refuses brings nothing in and is reported once; one that opens brings every block but its
// header and loop blocks, with the open's report if it had one.
void CheckImport(std::span<const std::uint8_t> data, const FuzzDoc* opened)
{
    QuietMessages messages;
    FuzzDoc target(Headless().WithMessages(messages));
    target.OnNewDocument();
    UseSmallScreen(target);
    const int before = target.GetBlockCount();
    Check(target.LoadPictureFile(WriteInputFile(data, ".gif")) == nullptr, "a GIF file gave a bitmap");
    int expected = 0;
    if (opened != nullptr) {
        for (int i = 1; i < opened->GetBlockCount(); ++i)
            expected += IsKind<CGifAppBlockNavigatorLoop>(opened->GetBlock(i)) ? 0 : 1;
    }
    Check(target.GetBlockCount() == before + expected, "the import brought another number of blocks",
          std::to_string(target.GetBlockCount() - before) + " instead of " + std::to_string(expected));
    const std::size_t reports = opened != nullptr ? opened->m_reports.size() : 1;
    Check(target.m_reports.size() == reports && messages.m_nCount == 0,
          "the import reported another number of times",
          std::to_string(target.m_reports.size()) + " instead of " + std::to_string(reports));
    CheckDocumentShape(target);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QuietMessages messages;
    FuzzDoc doc(Headless().WithMessages(messages));
    std::string reason;
    const bool opened = OpenFromBytes(doc, std::span(data, size), reason);
    CheckImport(std::span(data, size), opened ? &doc : nullptr);
    if (!opened) {
        CheckFailedOpenLeftNothing(doc);
        return 0;
    }
    CheckDocumentShape(doc);
    // A stream that ends where a block is due is the one failure reported during a good open.
    Check(doc.m_reports.size() <= 1, "more than one report for one open");
    if (DocumentPixels(doc) > kRoundTripPixels) {
        VisitPages(doc);
        PlayFrames(doc, 2);
        return 0;
    }

    const Bytes saved = SaveToBytes(doc);
    FuzzDoc again(Headless());
    std::string againReason;
    Check(OpenFromBytes(again, saved, againReason), "the saved stream does not open", againReason);
    Check(again.m_reports.empty(), "the saved stream opens with a report",
          again.m_reports.empty() ? "" : again.m_reports[0]);
    Check(again.GetBlockCount() == doc.GetBlockCount(), "the saved stream has another number of blocks",
          std::to_string(doc.GetBlockCount()) + " -> " + std::to_string(again.GetBlockCount()));
    for (int i = 0; i < doc.GetBlockCount(); ++i)
        Check(doc.GetBlock(i)->GetRuntimeClass() == again.GetBlock(i)->GetRuntimeClass(),
              "a block changed its kind on the way through a save", std::to_string(i));
    Check(SaveToBytes(again) == saved, "saving the saved stream again gives other bytes");

    VisitPages(doc);
    PlayFrames(doc, 6);
    return 0;
}
