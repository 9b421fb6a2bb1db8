#include "korvanta_codec.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "imaging/dib.h"
#include "model/gif_app_blocks.h"
#include "model/gif_control_block.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/headless_services.h"
#include "platform/message_box.h"

namespace korvanta::bench {

namespace {

// Keeps the first message the reader shows instead of a dialog.
class RecordingMessages : public MessageService {
public:
    int MessageBox(const std::string& text, unsigned) override
    {
        if (m_strFirst.empty())
            m_strFirst = text;
        return IDOK;
    }
    std::string m_strFirst;
};

}  // namespace

DocumentServices Headless()
{
    return HeadlessServices::Shared();
}

std::unique_ptr<CGIFDoc> BuildDocument(const BenchImage& image)
{
    auto doc = std::make_unique<CGIFDoc>(Headless());
    doc->DeleteContents();
    CGifHeaderBlock* header = doc->GetHeader();
    header->m_nWidth = image.screenWidth;
    header->m_nHeight = image.screenHeight;
    doc->SetGlobalPalette(CPalette::Create(image.palette));
    if (image.animated) {
        doc->InsertLoopBlock();
        static_cast<CGifAppBlockNavigatorLoop*>(doc->GetBlock(1))->m_nLoopCount = 0;
    }
    for (const Frame& frame : image.frames) {
        if (image.animated) {
            auto control = std::make_unique<CGifControlBlock>();
            control->m_nDisposal = 1;
            control->m_nDelay = image.delay;
            doc->InsertBlock(-1, std::move(control));
        }
        auto block = std::make_unique<CGifImageBlock>();
        block->m_nLeft = frame.left;
        block->m_nTop = frame.top;
        block->m_bInterlace = frame.interlaced;
        block->m_hDib = NewPackedDib(frame.width, frame.height, 8);
        if (!block->m_hDib)
            throw std::runtime_error("no memory for a " + std::to_string(frame.width) + "x" +
                                     std::to_string(frame.height) + " bitmap");
        for (int y = 0; y < frame.height; ++y)
            std::copy_n(frame.Row(y), frame.width, PackedDibRow(*block->m_hDib, y));
        block->LoadColorTable(header->m_hPalette);
        doc->InsertBlock(-1, std::move(block));
    }
    return doc;
}

std::vector<std::uint8_t> KorvantaEncode(CGIFDoc& doc)
{
    CMemFile file("bench.gif");
    doc.SerializeTo(file);
    return file.Detach();
}

void KorvantaDecode(std::span<const std::uint8_t> bytes, CGIFDoc& doc)
{
    CMemFile file(bytes, "bench.gif");
    doc.SerializeFrom(file);
}

void KorvantaDecode(CMemFile& file, CGIFDoc& doc)
{
    file.Seek(0);
    doc.SerializeFrom(file);
}

std::vector<Frame> KorvantaDecodeFrames(std::span<const std::uint8_t> bytes)
{
    RecordingMessages messages;
    CGIFDoc doc(Headless().WithMessages(messages));
    try {
        KorvantaDecode(bytes, doc);
    } catch (const CException& e) {
        throw std::runtime_error(std::string("our reader: ") + e.what());
    }
    if (!messages.m_strFirst.empty())
        throw std::runtime_error("our reader reported: " + messages.m_strFirst);

    std::vector<Frame> frames;
    for (int i = 0; i < doc.GetBlockCount(); ++i) {
        const auto* image = dynamic_cast<const CGifImageBlock*>(doc.GetBlock(i));
        if (image == nullptr)
            continue;
        Frame frame;
        frame.left = image->m_nLeft;
        frame.top = image->m_nTop;
        frame.width = image->Width();
        frame.height = image->Height();
        frame.interlaced = image->m_bInterlace;
        frame.pixels.resize(static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height));
        for (int y = 0; y < frame.height; ++y)
            std::copy_n(PackedDibRow(*image->m_hDib, y), frame.width, frame.Row(y));
        frames.push_back(std::move(frame));
    }
    return frames;
}

}  // namespace korvanta::bench
