// Writes the bundled sample animation: a ball crossing a striped screen, with a loop block,
// control blocks, a transparent index and one interlaced frame. Deterministic, so the file in
// res/samples/ can be checked against what this program makes.
#include <cmath>
#include <iostream>
#include <memory>

#include "imaging/dib.h"
#include "model/gif_app_blocks.h"
#include "model/gif_control_block.h"
#include "model/gif_doc.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "model/gif_text_blocks.h"
#include "platform/headless_services.h"

namespace korvanta {
namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 64;

HPALETTE SamplePalette()
{
    std::vector<PALETTEENTRY> entries;
    for (int i = 0; i < 16; ++i) {
        // dark blue to white stripes, then warm ball colours
        const auto v = static_cast<std::uint8_t>(i * 17);
        entries.push_back(i < 8 ? PALETTEENTRY{static_cast<std::uint8_t>(v / 2),
                                               static_cast<std::uint8_t>(v / 2 + 20),
                                               static_cast<std::uint8_t>(120 + v), 0}
                                : PALETTEENTRY{255, static_cast<std::uint8_t>(v), 0, 0});
    }
    return CPalette::Create(entries);
}

std::unique_ptr<CGifControlBlock> Control(int delay, int disposal, int transparentIndex = -1)
{
    auto c = std::make_unique<CGifControlBlock>();
    c->m_nDelay = delay;
    c->m_nDisposal = disposal;
    c->m_bTransparent = transparentIndex >= 0;
    c->m_nTransparentIndex = transparentIndex >= 0 ? transparentIndex : 0;
    return c;
}

// The striped background, full screen.
std::unique_ptr<CGifImageBlock> Background()
{
    auto image = std::make_unique<CGifImageBlock>();
    image->m_hDib = NewPackedDib(kWidth, kHeight, 8);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            PackedDibRow(*image->m_hDib, y)[x] = static_cast<std::uint8_t>(((x + y) / 6) % 8);
    return image;
}

// A 16 x 16 ball at (left, top); index 15 around it is transparent.
std::unique_ptr<CGifImageBlock> Ball(int left, int top, bool interlaced)
{
    auto image = std::make_unique<CGifImageBlock>();
    image->m_nLeft = left;
    image->m_nTop = top;
    image->m_bInterlace = interlaced;
    image->m_hDib = NewPackedDib(16, 16, 8);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const double d = std::hypot(x - 7.5, y - 7.5);
            PackedDibRow(*image->m_hDib, y)[x] =
                static_cast<std::uint8_t>(d > 7.5 ? 15 : 8 + static_cast<int>(d) % 7);
        }
    }
    return image;
}

}  // namespace
}  // namespace korvanta

int main(int argc, char** argv)
{
    using namespace korvanta;
    if (argc != 2) {
        std::cerr << "usage: korvanta-make-sample OUT.gif\n";
        return 2;
    }
    CGIFDoc doc(HeadlessServices::Shared());
    doc.DeleteContents();
    doc.GetHeader()->m_nWidth = kWidth;
    doc.GetHeader()->m_nHeight = kHeight;
    doc.SetGlobalPalette(SamplePalette());
    doc.InsertLoopBlock();
    static_cast<CGifAppBlockNavigatorLoop*>(doc.GetBlock(1))->m_nLoopCount = 0;
    auto comment = std::make_unique<CGifCommentBlock>();
    comment->m_strText = "Korvanta sample animation";
    doc.InsertBlock(-1, std::move(comment));
    doc.InsertBlock(-1, Control(50, 1));
    doc.InsertBlock(-1, Background());
    for (int i = 0; i < 6; ++i) {
        // disposal 3 puts the stripes back under the ball before the next frame
        doc.InsertBlock(-1, Control(12, 3, 15));
        doc.InsertBlock(-1, Ball(4 + i * 14, 8 + (i % 3) * 12, i == 3));
    }
    if (!doc.OnSaveDocument(argv[1])) {
        std::cerr << "korvanta-make-sample: " << argv[1] << ": could not be written\n";
        return 1;
    }
    return 0;
}
