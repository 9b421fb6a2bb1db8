// One GIF image: its descriptor, its optional local colour table and its pixels, which always
// live in an 8-bit packed DIB whose colour table holds the colours they are drawn with.
#pragma once

#include <string>

#include "model/gif_block.h"
#include "platform/packed_dib.h"
#include "platform/palette.h"

namespace korvanta {

class ProgressFactory;

// The largest image the editor decodes or accepts: 2^27 pixels (134 megapixels, e.g.
// 16384 x 8192). GIF allows 65535 x 65535; a few bytes claiming that must not make the editor
// allocate gigabytes, so larger images are refused with a message.
constexpr std::uint64_t kMaxImagePixels = 1ull << 27;
// The most pixels the images of one file may hold together: 2^30 (1 GiB of pixel memory), room
// for a thousand 1280 x 720 frames. Without it a small file of many huge images, each within
// the bound above, could still claim gigabytes.
constexpr std::uint64_t kMaxDocumentPixels = 1ull << 30;

// The rows of an interlaced image in stream order: every 8th row from 0, every 8th from 4,
// every 4th from 2, every 2nd from 1.
class InterlaceOrder {
public:
    explicit InterlaceOrder(int height) : m_nHeight(height) {}
    // The image row of the n-th row in the stream, for n counting up from 0 below the height.
    int Next();

private:
    int m_nHeight;
    int m_nPass = 0;
    int m_nRow = 0;
    bool m_bStarted = false;
};

// Reports the read position (bytes consumed / file length) on the progress range 0..65535.
void ReportReadPosition(const CArchive& ar, Progress* progress);

// How the image data read from a file ended. An image whose data is damaged keeps what was
// decoded (the other pixels are index 0); the reader lists it among the file's warnings.
enum class ImageDataState : std::uint8_t {
    complete,     // every pixel decoded
    endedEarly,   // the data ended before the image was full
    invalidCode,  // a code the string table cannot explain ended the data
    undecodable,  // a minimum code size no decoder can use: no pixel was decoded
};

// The warning for damaged image data, without the block it belongs to; empty for complete data.
std::string ImageDataWarning(ImageDataState state);

class CGifImageBlock : public CGifBlock {
public:
    static const CRuntimeClass classInfo;
    const CRuntimeClass* GetRuntimeClass() const override { return &classInfo; }

    void DrawInList(CDC& dc, CRect& rect) override;
    CSize GetListSize() const override;
    int UpdateFromPage(CGifPageData& page) override;
    void UpdatePage(CGifPageData& page) override;
    PageKind GetPage() const override;
    bool Play(PlaybackState& wnd) override;
    void SerializeGif(CArchive& ar, Progress* progress) override;
    ClipData CreateClipData() const override;
    bool ReadClipData(std::span<const std::uint8_t> data) override;
    bool AdoptFrom(const CGifHeaderBlock* sourceHeader) override;

    void UpdateTableBits();
    int Width() const;
    int Height() const;
    // Copies the palette's entries (at most 256) into the DIB's colour table, reserved bytes 0.
    void LoadColorTable(const HPALETTE& palette);

    int m_nLeft = 0;
    int m_nTop = 0;
    bool m_bLocalTable = false;
    bool m_bInterlace = false;
    bool m_bSorted = false;
    std::uint8_t m_nTableBits = 7;
    PackedDib m_hDib;
    HPALETTE m_hPalette;
    // What the stream read found; complete for images made any other way.
    ImageDataState m_dataState = ImageDataState::complete;

private:
    // Fits the pixels to the palette by the mode (PaletteFitMode). False, with pixels and
    // colour table as they were and the reason in failure, when that cannot be done.
    bool RefitPixels(const HPALETTE& palette, int mode, ProgressFactory* progress, std::string& failure);
    void Read(CArchive& ar, Progress* progress);
    void Write(CArchive& ar) const;
    int MinimumCodeSize(const CArchive& ar) const;
};

}  // namespace korvanta
