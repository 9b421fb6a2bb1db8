// The GIF stream reader: signature, the order of blocks, dispatch on introducer and label, the
// trailer, progress, and a stream that ends where the next block is due.
#include <array>
#include <memory>
#include <string>

#include "model/gif_app_blocks.h"
#include "model/gif_doc.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "platform/archive.h"
#include "platform/file.h"

namespace korvanta {

namespace {

[[noreturn]] void ThrowBadIndex(const std::string& message)
{
    throw CArchiveException(CArchiveException::badIndex, message);
}

std::string Hex(std::uint8_t value)
{
    static const char kHex[] = "0123456789ABCDEF";
    return std::string("0x") + kHex[value >> 4] + kHex[value & 15];
}

}  // namespace

void CGIFDoc::ChargeImagePixels(std::uint64_t pixels)
{
    if (pixels > kMaxDocumentPixels - m_nPixelsRead)
        throw CArchiveException(CArchiveException::genericException,
                                "イメージの画素数が合計で大きすぎます。1 つのファイルで扱えるのは " +
                                    std::to_string(kMaxDocumentPixels) + " 画素までです。");
    m_nPixelsRead += pixels;
}

void CGIFDoc::ReadGif(CArchive& ar)
{
    const std::unique_ptr<Progress> progress = Progresses().CreateProgress();
    progress->SetRange(0, 65535);
    m_nPixelsRead = 0;
    m_readWarnings.clear();

    std::array<std::uint8_t, 6> signature{};
    if (ar.Read(signature.data(), 6) < 6 || signature[0] != 'G' || signature[1] != 'I' || signature[2] != 'F')
        ThrowBadIndex("GIF ファイルではありません。");
    const bool version87 = signature[3] == '8' && signature[4] == '7' && signature[5] == 'a';
    const bool version89 = signature[3] == '8' && signature[4] == '9' && signature[5] == 'a';
    if (!version87 && !version89)
        ThrowBadIndex("GIF のバージョンが 87a でも 89a でもありません。");

    CGifHeaderBlock* header = GetHeader();
    header->SerializeGif(ar, progress.get());

    // The position is reported after each block: nothing is read between one and the next.
    ReportReadPosition(ar, progress.get());
    for (;;) {
        std::uint8_t introducer = 0x3B;
        try {
            introducer = ar.ReadByte();
        } catch (const CException& e) {
            // A stream that ends where a block is due keeps every block read so far.
            try {
                const std::string path = ar.GetFile()->GetFilePath();
                const auto* archiveError = dynamic_cast<const CArchiveException*>(&e);
                if (archiveError != nullptr && archiveError->m_cause == CArchiveException::endOfFile) {
                    const CArchiveException missingTrailer(
                        CArchiveException::endOfFile,
                        "終端 (0x3B) の前でファイルが終わっています。読み込めたブロックはすべて残しました。");
                    ReportSaveLoadException(path, &missingTrailer, false, AFX_IDP_FAILED_TO_OPEN_DOC);
                } else {
                    ReportSaveLoadException(path, &e, false, AFX_IDP_FAILED_TO_OPEN_DOC);
                }
            } catch (...) {
            }
            introducer = 0x3B;
        }
        std::unique_ptr<CGifBlock> block;
        CGifImageBlock* image = nullptr;
        if (introducer == 0x3B)
            break;
        if (introducer == 0x2C) {
            auto newImage = std::make_unique<CGifImageBlock>();
            image = newImage.get();
            block = std::move(newImage);
        } else if (introducer == 0x21) {
            const std::uint8_t label = ar.ReadByte();
            // Extensions of unknown kinds are never skipped: the file is refused.
            block = NewExtensionBlock(label);
            if (!block)
                ThrowBadIndex("不明な拡張ブロック (ラベル " + Hex(label) + ") があります。");
        } else
            ThrowBadIndex("不明なブロック (" + Hex(introducer) + ") があります。");

        block->SerializeGif(ar, progress.get());

        if (image != nullptr) {
            // An image without a local table shows the global colours without further lookups.
            if (!image->m_hPalette)
                image->LoadColorTable(header->m_hPalette);
            if (image->m_dataState != ImageDataState::complete)
                m_readWarnings.push_back("ブロック " + std::to_string(GetBlockCount()) +
                                         " (イメージ): " + ImageDataWarning(image->m_dataState));
        }
        if (introducer == 0x21 && IsKind<CGifAppBlock>(block.get())) {
            if (auto loop = static_cast<const CGifAppBlock*>(block.get())->CreateLoopBlock())
                block = std::move(loop);
        }
        ReportReadPosition(ar, progress.get());
        InsertBlock(-1, std::move(block));
    }
}

}  // namespace korvanta
