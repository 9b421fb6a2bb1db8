// korvanta-fuzz-clip-seeds OUTDIR GIF...: the clipboard items the editor itself would produce
// from the blocks of the given GIF files, as seeds for the clipboard fuzz targets. Each block
// but the header becomes OUTDIR/clip_item/NAME-N (the private format); each image's bitmap
// becomes OUTDIR/clip_bitmap/NAME-N-BITS at 8 bits and reduced to 4 and 1.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <span>
#include <string>

#include "imaging/dib_convert.h"
#include "model/gif_doc.h"
#include "model/gif_image_block.h"
#include "platform/headless_services.h"

using namespace korvanta;

namespace {

void WriteBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: korvanta-fuzz-clip-seeds OUTDIR GIF...\n";
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out / "clip_item");
    std::filesystem::create_directories(out / "clip_bitmap");
    int written = 0;
    for (int a = 2; a < argc; ++a) {
        CGIFDoc doc(HeadlessServices::Shared());
        if (!doc.OnOpenDocument(argv[a]))
            continue;  // seeds come from files that open; others are skipped without a word
        const std::string name = std::filesystem::path(argv[a]).stem().string();
        // A few blocks of each file are enough: the formats repeat.
        for (int i = 1; i < doc.GetBlockCount() && i <= 12; ++i) {
            const CGifBlock* block = doc.GetBlock(i);
            const std::string base = name + "-" + std::to_string(i);
            if (const ClipData item = block->CreateClipData(); item && item->size() <= 1 << 20) {
                WriteBytes(out / "clip_item" / base, *item);
                ++written;
            }
            const auto* image = dynamic_cast<const CGifImageBlock*>(block);
            if (image == nullptr || !image->m_hDib || image->m_hDib->size() > 1 << 20)
                continue;
            WriteBytes(out / "clip_bitmap" / (base + "-8"), image->m_hDib->bytes());
            for (const int bits : {4, 1}) {
                if (const PackedDib reduced = ReduceDibDepth(image->m_hDib, bits))
                    WriteBytes(out / "clip_bitmap" / (base + "-" + std::to_string(bits)), reduced->bytes());
            }
            written += 3;
        }
    }
    std::cout << written << " clipboard seeds in " << out.string() << "\n";
    return 0;
}
