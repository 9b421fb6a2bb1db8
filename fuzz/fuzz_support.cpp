#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <unistd.h>

#include "imaging/dib.h"
#include "model/gif_app_blocks.h"
#include "model/gif_control_block.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "model/gif_pages.h"
#include "model/gif_text_blocks.h"
#include "platform/archive.h"
#include "platform/draw.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/headless_services.h"
#include "player/animation_player.h"
#include "player/frame_timeline.h"

namespace korvanta::fuzz {

namespace {

// Paints list entries into a picture of the entry's size, as the block list view does.
class PaintingDC : public CDC {
public:
    void TextOut(int, int, std::string_view) override {}
    void DrawDib(const CRect& destination, const PackedDib& dib, const CRect& source) override
    {
        RgbImage target(128, 80);
        DrawPackedDib(target, destination, dib, source);
    }
    void FrameRect(const CRect&) override {}
};

std::unique_ptr<CGifPageData> PageFor(PageKind kind)
{
    switch (kind) {
        case PageKind::header:
            return std::make_unique<CGifHeaderPageData>();
        case PageKind::control:
            return std::make_unique<CGifControlPageData>();
        case PageKind::image:
            return std::make_unique<CGifImagePageData>();
        case PageKind::comment:
            return std::make_unique<CGifCommentPageData>();
        case PageKind::text:
            return std::make_unique<CGifTextPageData>();
        case PageKind::loop:
            return std::make_unique<CGifLoopPageData>();
        case PageKind::application:
            return std::make_unique<CGifAppPageData>();
        case PageKind::none:
            break;
    }
    return nullptr;
}

}  // namespace

DocumentServices Headless()
{
    return HeadlessServices::Shared();
}

const std::string& WriteInputFile(std::span<const std::uint8_t> data, const std::string& extension)
{
    static std::map<std::string, std::string> paths;
    auto [it, added] = paths.try_emplace(extension);
    if (added) {
        const char* dir = std::getenv("TMPDIR");
        it->second = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/korvanta-fuzz-" +
                     std::to_string(::getpid()) + extension;
        if (paths.size() == 1)
            std::atexit([] {
                for (const auto& [ext, path] : paths) std::remove(path.c_str());
            });
    }
    std::FILE* f = std::fopen(it->second.c_str(), "wb");
    Check(f != nullptr, "cannot write the input file", it->second);
    const bool written = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
    Check(std::fclose(f) == 0 && written, "cannot write the input file", it->second);
    return it->second;
}

bool OpenFromBytes(FuzzDoc& doc, std::span<const std::uint8_t> data, std::string& reason)
{
    // The open logic of CDocument::OnOpenDocument, over a memory file instead of a path.
    auto fail = [&](const CException& e) {
        doc.DeleteContents();
        reason = e.GetErrorMessage();
        Check(!reason.empty(), "a refused stream gives no reason");
        doc.SetModifiedFlag(false);
        return false;
    };
    try {
        CMemFile file(data, "fuzz.gif");
        doc.SerializeFrom(file);
    } catch (const CException& e) {
        return fail(e);
    } catch (const std::bad_alloc&) {
        return fail(CMemoryException());
    }
    doc.SetModifiedFlag(false);
    return true;
}

Bytes SaveToBytes(CGIFDoc& doc)
{
    try {
        CMemFile file("fuzz-out.gif");
        doc.SerializeTo(file);
        return file.Detach();
    } catch (const CException& e) {
        Fail("a document that was read cannot be written", e.GetErrorMessage());
    }
}

std::uint64_t DocumentPixels(const CGIFDoc& doc)
{
    std::uint64_t total = 0;
    for (int i = 1; i < doc.GetBlockCount(); ++i) {
        if (const auto* image = dynamic_cast<const CGifImageBlock*>(doc.GetBlock(i)))
            total += static_cast<std::uint64_t>(image->Width()) * static_cast<std::uint64_t>(image->Height());
    }
    return total;
}

void CheckDocumentShape(const CGIFDoc& doc)
{
    Check(doc.GetBlockCount() >= 1 && doc.GetHeader() != nullptr, "block 0 is not a header");
    for (int i = 1; i < doc.GetBlockCount(); ++i) {
        const CGifBlock* block = doc.GetBlock(i);
        Check(block != nullptr, "a null block in the list");
        Check(!IsKind<CGifHeaderBlock>(block), "a second header", std::to_string(i));
        const auto* image = dynamic_cast<const CGifImageBlock*>(block);
        if (image == nullptr)
            continue;
        Check(image->m_hDib != nullptr, "an image without a bitmap", std::to_string(i));
        const DibBlock& dib = *image->m_hDib;
        Check(PackedDibIsConsistent(dib) && PackedDibBitCount(dib) == 8 &&
                  PackedDibHeaderSize(dib) == kDibInfoHeaderSize,
              "an image bitmap that is not a consistent 8-bit DIB", std::to_string(i));
        const auto pixels =
            static_cast<std::uint64_t>(image->Width()) * static_cast<std::uint64_t>(image->Height());
        Check(pixels <= kMaxImagePixels, "an image above the pixel limit", std::to_string(pixels));
        Check(image->Width() <= 0xFFFF && image->Height() <= 0xFFFF, "an image wider than GIF allows");
        Check(!image->m_bLocalTable || image->m_hPalette != nullptr, "a local table without a palette");
    }
    Check(DocumentPixels(doc) <= kMaxDocumentPixels, "the images exceed the budget of one file",
          std::to_string(DocumentPixels(doc)));
}

void CheckFailedOpenLeftNothing(const CGIFDoc& doc)
{
    Check(doc.GetBlockCount() == 1 && doc.GetHeader() != nullptr, "a failed open left blocks behind",
          std::to_string(doc.GetBlockCount()));
    Check(!doc.IsModified(), "a failed open left the document modified");
}

void UseSmallScreen(CGIFDoc& doc)
{
    doc.GetHeader()->m_nWidth = 48;
    doc.GetHeader()->m_nHeight = 32;
}

void PlayFrames(CGIFDoc& doc, int frames)
{
    const CGifHeaderBlock* header = doc.GetHeader();
    const auto screen =
        static_cast<std::uint64_t>(header->m_nWidth) * static_cast<std::uint64_t>(header->m_nHeight);
    if (screen > kMaxPlayedScreen)
        return;
    AnimationPlayer player(&doc);
    if (!player.Create())
        return;  // a logical screen too large for a canvas: the window does not open
    PlayTimeline(player, 2, [&](const FrameEvent& event) {
        if (event.index == 0 || screen <= kMaxDitheredScreen)
            player.DitherToDisplay();
        return event.index + 1 < frames;
    });
    player.Deactivate();
}

void VisitPages(CGIFDoc& doc)
{
    DocumentMainWindow mainWindow(doc);
    PaintingDC dc;
    for (int i = 0; i < doc.GetBlockCount(); ++i) {
        CGifBlock* block = doc.GetBlock(i);
        const CSize size = block->GetListSize();
        CRect entry{0, 0, size.cx, size.cy};
        block->DrawInList(dc, entry);
        std::unique_ptr<CGifPageData> page = PageFor(block->GetPage());
        if (!page)
            continue;
        page->m_pMainWnd = &mainWindow;
        block->UpdatePage(*page);
        // Applying an unchanged page must leave the block as it was.
        Check((block->UpdateFromPage(*page) & 2) == 0, "an unchanged page re-fitted pixels",
              std::to_string(i));
    }
}

}  // namespace korvanta::fuzz
