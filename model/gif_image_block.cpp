#include "model/gif_image_block.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string>

#include "codec/lzw_decoder.h"
#include "codec/lzw_encoder.h"
#include "imaging/dib.h"
#include "imaging/dib_convert.h"
#include "imaging/palette_fit.h"
#include "model/gif_doc.h"
#include "model/gif_doc_commands.h"
#include "model/gif_header_block.h"
#include "model/gif_pages.h"
#include "model/playback_state.h"
#include "platform/archive.h"
#include "platform/byte_order.h"
#include "platform/draw.h"
#include "platform/file.h"
#include "platform/progress.h"

namespace korvanta {

const CRuntimeClass CGifImageBlock::classInfo{"CGifImageBlock", &CGifBlock::classInfo};

int InterlaceOrder::Next()
{
    static constexpr std::array<int, 4> kStart{0, 4, 2, 1};
    static constexpr std::array<int, 4> kStep{8, 8, 4, 2};
    if (!m_bStarted) {
        m_bStarted = true;
        return m_nRow;
    }
    m_nRow += kStep[static_cast<std::size_t>(m_nPass)];
    while (m_nRow >= m_nHeight && m_nPass < 3) m_nRow = kStart[static_cast<std::size_t>(++m_nPass)];
    return m_nRow;
}

void ReportReadPosition(const CArchive& ar, Progress* progress)
{
    const auto length = ar.GetFile()->GetLength();
    if (progress == nullptr || length == 0)
        return;
    const double fraction = static_cast<double>(ar.GetConsumedPosition()) / static_cast<double>(length);
    progress->SetPos(static_cast<int>(fraction * 65535.0));
}

namespace {

[[noreturn]] void ThrowTooLarge(int width, int height)
{
    throw CArchiveException(CArchiveException::genericException,
                            "イメージが大きすぎます (" + std::to_string(width) + "x" +
                                std::to_string(height) + ")。扱えるのは 134217728 画素までです。");
}

// Each row's position: natural order, or the interlace order.
template <class Fn>
void ForEachStreamRow(int height, bool interlaced, Fn&& fn)
{
    InterlaceOrder order(height);
    for (int n = 0; n < height; ++n) {
        if (!fn(interlaced ? order.Next() : n))
            return;
    }
}

ImageDataState DecodedState(const CLzwDecoder& decoder, int width, int height)
{
    if (width == 0 || height == 0)
        return ImageDataState::complete;
    if (decoder.Status() == CLzwDecoder::kStatusCannotOpen)
        return ImageDataState::undecodable;
    if (decoder.Status() == CLzwDecoder::kStatusInvalidData)
        return ImageDataState::invalidCode;
    // Rows are only asked for until the image is full, so the data only runs out before that.
    return decoder.DataExhausted() ? ImageDataState::endedEarly : ImageDataState::complete;
}

// Reports the read position after rows, as ReportReadPosition does, whenever the decoder has
// read from the archive since the last report: the position cannot have moved otherwise, and
// asking the file for it after every row costs more than decoding a narrow row.
class RowProgress {
public:
    RowProgress(const CArchive& ar, Progress* progress) : m_ar(ar), m_pProgress(progress) {}

    void AfterRows(const CLzwDecoder& decoder)
    {
        if (m_pProgress == nullptr || decoder.ReadCount() == m_nReadCount)
            return;
        m_nReadCount = decoder.ReadCount();
        ReportReadPosition(m_ar, m_pProgress);
    }

private:
    const CArchive& m_ar;
    Progress* m_pProgress;
    std::uint64_t m_nReadCount = 0;
};

// The rows of one pass of the stream: the whole image, or one pass of the interlace order.
struct RowPass {
    int start;
    int step;
};

// Progress is reported after about this many pixels: a small frame is decoded in one call,
// a large image's progress still moves.
constexpr int kPixelsPerCall = 64 * 1024;

// Decodes rows in stream order straight into the bitmap, until the data runs out; returns how
// many rows were decoded. Each row's padding is cleared, the pixels the decoder writes whole.
int DecodeRows(CLzwDecoder& decoder, DibBlock& dib, bool interlaced, RowProgress& progress)
{
    const int width = PackedDibWidth(dib);
    const int height = PackedDibHeight(dib);
    const std::size_t stride = PackedDibRowBytes(dib);
    if (width == 0 || height == 0)
        return 0;
    static constexpr std::array<RowPass, 4> kInterlaced{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};
    static constexpr std::array<RowPass, 1> kNatural{{{0, 1}}};
    const std::span<const RowPass> passes =
        interlaced ? std::span<const RowPass>(kInterlaced) : std::span<const RowPass>(kNatural);
    // Rows are stored bottom row first: image row y lies y rows below the top row in memory.
    std::uint8_t* const top = PackedDibRow(dib, 0);
    const bool padded = stride > static_cast<std::size_t>(width);
    const int rowsPerCall = std::max(1, kPixelsPerCall / width);
    int decoded = 0;
    for (const RowPass& pass : passes) {
        const std::ptrdiff_t step = -static_cast<std::ptrdiff_t>(stride) * pass.step;
        for (int y = pass.start; y < height;) {
            const int rows = std::min(rowsPerCall, (height - y + pass.step - 1) / pass.step);
            std::uint8_t* const first = top - static_cast<std::size_t>(y) * stride;
            if (padded) {
                // The 1 to 3 bytes after the pixels; the decoder writes the rest.
                for (int k = 0; k < rows; ++k) PutLe32(first + k * step + stride - 4, 0);
            }
            decoded += decoder.LzwDecodeRows(first, step, rows);
            progress.AfterRows(decoder);
            if (decoder.DataExhausted())
                return decoded;
            y += rows * pass.step;
        }
    }
    return decoded;
}

// Up to this many bytes of rows the data never reached are cleared in place.
constexpr std::uint64_t kClearInPlaceBytes = 64 * 1024;

// Clears the rows after the first `decoded` in stream order, which hold whatever the memory
// held. Many are not cleared but left to a new bitmap from zeroed system memory, into which the
// decoded rows are copied: a few bytes claiming a huge image then cost no resident memory for the
// rows they never reach. Without memory for that bitmap they are cleared in place after all.
// Returns the bitmap that holds the image.
PackedDib ClearRowsNotDecoded(PackedDib dib, int decoded, bool interlaced)
{
    const int width = PackedDibWidth(*dib);
    const int height = PackedDibHeight(*dib);
    const std::size_t stride = PackedDibRowBytes(*dib);
    const std::uint64_t missing = static_cast<std::uint64_t>(height - decoded) * stride;
    if (missing == 0)
        return dib;
    PackedDib zeroed = missing > kClearInPlaceBytes ? NewPackedDib(width, height, 8) : nullptr;
    int n = 0;
    ForEachStreamRow(height, interlaced, [&](int y) {
        if (!zeroed && n >= decoded)
            std::memset(PackedDibRow(*dib, y), 0, stride);
        else if (zeroed && n < decoded)
            std::memcpy(PackedDibRow(*zeroed, y), PackedDibRow(*dib, y), stride);
        ++n;
        return true;
    });
    return zeroed ? zeroed : dib;
}

}  // namespace

std::string ImageDataWarning(ImageDataState state)
{
    switch (state) {
        case ImageDataState::endedEarly:
            return "イメージデータが途中で終わっています。読めた画素までを表示します。";
        case ImageDataState::invalidCode:
            return "イメージデータに不正な符号があります。その前までの画素を表示します。";
        case ImageDataState::undecodable:
            return "イメージデータの最小符号サイズが不正なため、画素を読めませんでした。";
        case ImageDataState::complete:
            break;
    }
    return {};
}

int CGifImageBlock::Width() const
{
    return m_hDib ? PackedDibWidth(*m_hDib) : 0;
}

int CGifImageBlock::Height() const
{
    return m_hDib ? PackedDibHeight(*m_hDib) : 0;
}

void CGifImageBlock::UpdateTableBits()
{
    m_nTableBits = TableBitsFor(m_hPalette);
}

void CGifImageBlock::LoadColorTable(const HPALETTE& palette)
{
    if (!m_hDib || !palette)
        return;
    std::uint8_t* table = PackedDibColorTable(*m_hDib);
    const int count = std::min(palette->GetEntryCount(), PackedDibColorCount(*m_hDib));
    // Whole 4-byte entries, the reserved byte 0 as it stays: a loop the compiler vectorizes,
    // where three byte stores an entry cost more than decoding a small frame's table does.
    const PALETTEENTRY* entries = palette->Entries().data();
    for (int i = 0; i < count; ++i) {
        const PALETTEENTRY& e = entries[i];
        PutLe32(table + i * 4, static_cast<std::uint32_t>(e.peBlue | e.peGreen << 8 | e.peRed << 16));
    }
}

CSize CGifImageBlock::GetListSize() const
{
    return {128, 80};
}

PageKind CGifImageBlock::GetPage() const
{
    return PageKind::image;
}

void CGifImageBlock::DrawInList(CDC& dc, CRect& rect)
{
    const int w = Width();
    const int h = Height();
    if (w <= 0 || h <= 0)
        return;
    // Fitted into the rectangle, anchored at its top left; small images are enlarged.
    const double horizontal = static_cast<double>(rect.Width()) / w;
    const double vertical = static_cast<double>(rect.Height()) / h;
    CRect target = rect;
    if (vertical <= horizontal)
        target.right = rect.left + static_cast<int>(vertical * w);
    else
        target.bottom = rect.top + static_cast<int>(horizontal * h);
    dc.DrawDib(target, m_hDib, CRect{0, 0, w, h});
    rect = target;
}

void CGifImageBlock::UpdatePage(CGifPageData& pageData)
{
    auto* page = dynamic_cast<CGifImagePageData*>(&pageData);
    if (page == nullptr)
        return;
    page->m_nLeft = m_nLeft;
    page->m_nTop = m_nTop;
    page->m_nWidth = static_cast<unsigned>(Width());
    page->m_nHeight = static_cast<unsigned>(Height());
    page->m_bLocalTable = m_bLocalTable;
    page->m_bInterlace = m_bInterlace;
    page->m_bSorted = m_bSorted;
    page->m_nTableBits = m_nTableBits;
    page->m_hPalette = m_hPalette;  // borrowed
}

int CGifImageBlock::UpdateFromPage(CGifPageData& pageData)
{
    auto* page = dynamic_cast<CGifImagePageData*>(&pageData);
    if (page == nullptr)
        return 0;
    // A change of the local-table flag is noted where it is taken, below.
    bool changed = page->m_bSorted != m_bSorted || page->m_nTop != m_nTop ||
                   page->m_bInterlace != m_bInterlace || page->m_nLeft != m_nLeft;
    bool refitted = false;
    std::string failure;
    m_nLeft = page->m_nLeft;
    m_nTop = page->m_nTop;
    const bool newPalette = page->m_hPalette && page->m_hPalette != m_hPalette;
    if (m_bLocalTable && newPalette) {
        // A new local palette, or the palette the page supplies (the global one) when the local
        // table goes: the pixels follow it, or palette and pixels both stay as they were.
        if (RefitPixels(page->m_hPalette, page->m_nConvert, page->m_pProgress, failure)) {
            m_hPalette = page->m_bLocalTable ? page->m_hPalette : nullptr;
            changed = refitted = true;
        }
    } else if (m_bLocalTable && !page->m_bLocalTable) {
        m_hPalette = nullptr;
        changed = true;
    } else if (!m_bLocalTable && page->m_bLocalTable && page->m_hPalette) {
        m_hPalette = page->m_hPalette;
        changed = true;
    }
    // A local table needs a palette: without one the flag is not taken.
    if (failure.empty())
        m_bLocalTable = page->m_bLocalTable && m_hPalette;
    m_bInterlace = page->m_bInterlace;
    m_bSorted = page->m_bSorted;
    UpdateTableBits();
    if (!failure.empty()) {
        // The page goes back to the table the image kept.
        UpdatePage(*page);
        if (page->m_pMessages != nullptr)
            page->m_pMessages->MessageBox(std::string(kMsgRefitFailed) + "\n" + failure,
                                          MB_OK | MB_ICONEXCLAMATION);
    }
    return (refitted ? 2 : 0) | (changed ? 1 : 0);
}

bool CGifImageBlock::RefitPixels(const HPALETTE& palette, int mode, ProgressFactory* progress,
                                 std::string& failure)
{
    if (!m_hDib || PackedDibHeaderSize(*m_hDib) != kDibInfoHeaderSize || !PackedDibIsConsistent(*m_hDib) ||
        PackedDibBitCount(*m_hDib) != 8) {
        failure = kMsgRefitBadBitmap;
        return false;
    }
    // A picture taken from a bitmap of few colours has a short colour table; the pixels may
    // only name entries the table holds, so it grows to the palette's length first. The image
    // keeps its old bitmap until the fit has succeeded.
    PackedDib dib = m_hDib;
    if (PackedDibColorCount(*dib) < palette->GetEntryCount())
        dib = WidenColorTable(m_hDib, palette->GetEntryCount());
    if (!dib || !FitDibToPalette(dib, palette, mode, progress)) {
        failure = kMsgRefitNoMemory;
        return false;
    }
    m_hDib = std::move(dib);
    return true;
}

bool CGifImageBlock::Play(PlaybackState& wnd)
{
    wnd.ComposeImage(*this);
    return true;
}

void CGifImageBlock::SerializeGif(CArchive& ar, Progress* progress)
{
    if (ar.IsLoading())
        Read(ar, progress);
    else
        Write(ar);
}

void CGifImageBlock::Read(CArchive& ar, Progress* progress)
{
    m_nLeft = ar.ReadWord();
    m_nTop = ar.ReadWord();
    const int width = ar.ReadWord();
    const int height = ar.ReadWord();
    const std::uint8_t packed = ar.ReadByte();
    m_bLocalTable = (packed & 0x80) != 0;
    m_bInterlace = (packed & 0x40) != 0;
    m_bSorted = (packed & 0x20) != 0;
    m_nTableBits = static_cast<std::uint8_t>(packed & 7);
    if (m_bLocalTable) {
        std::array<std::uint8_t, 3 * 256> rgb;
        const std::size_t bytes = static_cast<std::size_t>(3 * (2 << m_nTableBits));
        if (ar.Read(rgb.data(), bytes) < bytes)
            throw CArchiveException(CArchiveException::endOfFile);
        m_hPalette = PaletteFromRgb(std::span(rgb.data(), bytes));
    }
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (pixels > kMaxImagePixels)
        ThrowTooLarge(width, height);
    if (auto* doc = dynamic_cast<CGIFDoc*>(ar.m_pDocument))
        doc->ChargeImagePixels(pixels);
    // The decoder writes every row it reaches; clearing them first would cost a tenth of the
    // decoding. The bitmap becomes the block's only once every pixel holds an index.
    PackedDib dib = NewPackedDibUncleared(width, height, 8);
    if (!dib)
        throw CMemoryException();

    const std::uint8_t minimumCodeSize = ar.ReadByte();
    CLzwDecoder decoder;
    int decoded = 0;
    if (decoder.LzwDecoderOpen(ar, minimumCodeSize, width) == 0) {
        decoder.LzwDecoderPrime();
        // Rows the data never reaches become index 0: once the data is exhausted nothing more
        // is decoded, so a few bytes claiming a huge image cost no work per missing row.
        RowProgress rowProgress(ar, progress);
        decoded = DecodeRows(decoder, *dib, m_bInterlace, rowProgress);
    }
    m_dataState = DecodedState(decoder, width, height);
    m_hDib = ClearRowsNotDecoded(std::move(dib), decoded, m_bInterlace);
    if (m_bLocalTable)
        LoadColorTable(m_hPalette);
    const bool terminatorRead = decoder.TerminatorConsumed();
    decoder.LzwDecoderClose();
    // Whatever the data held, reading resumes right after the image's terminator.
    if (!terminatorRead) {
        std::array<std::uint8_t, 256> skip;  // read into and never looked at
        while (const unsigned n = ar.ReadByte()) {
            if (ar.Read(skip.data(), n) < n)
                throw CArchiveException(CArchiveException::endOfFile);
        }
    }
}

int CGifImageBlock::MinimumCodeSize(const CArchive& ar) const
{
    int bits = m_nTableBits;
    if (!m_bLocalTable) {
        const auto* doc = dynamic_cast<const CGIFDoc*>(ar.m_pDocument);
        bits = doc != nullptr ? doc->GetGlobalTableSize() : 7;
    }
    int size = bits == 0 ? 2 : bits + 1;
    // Pixels beyond the table must still be coded as themselves: a code size too small for
    // them would write codes the decoder reads as clear or end codes and corrupt the stream.
    // The OR of the pixels has as many bits as the highest of them, and is quicker to take.
    std::uint8_t bitsUsed = 0;
    const int w = Width();
    for (int y = 0; y < Height() && bitsUsed < 0x80; ++y) {
        const std::uint8_t* row = PackedDibRow(*m_hDib, y);
        for (int x = 0; x < w; ++x) bitsUsed |= row[x];
    }
    while (size < 8 && (1 << size) <= bitsUsed) ++size;
    return size;
}

void CGifImageBlock::Write(CArchive& ar) const
{
    const int width = Width();
    const int height = Height();
    ar.WriteByte(0x2C);
    ar.WriteWord(StreamWord(m_nLeft, "イメージの左位置"));
    ar.WriteWord(StreamWord(m_nTop, "イメージの上位置"));
    ar.WriteWord(StreamWord(width, "イメージの幅"));
    ar.WriteWord(StreamWord(height, "イメージの高さ"));
    ar.WriteByte(static_cast<std::uint8_t>((m_bLocalTable ? 0x80 : 0) | (m_bInterlace ? 0x40 : 0) |
                                           (m_bSorted ? 0x20 : 0) | (m_nTableBits & 7)));
    if (m_bLocalTable)
        WriteColorTable(ar, m_hPalette, m_nTableBits);
    const auto minimumCodeSize = static_cast<std::uint8_t>(width > 0 && height > 0 ? MinimumCodeSize(ar) : 2);
    ar.WriteByte(minimumCodeSize);
    CLzwEncoder encoder;
    if (encoder.LzwEncoderOpen(ar, minimumCodeSize) == 0) {
        encoder.LzwEncoderStart();
        ForEachStreamRow(height, m_bInterlace, [&](int y) {
            encoder.LzwEncodeRow(PackedDibRow(*m_hDib, y), width);
            return true;
        });
    }
    encoder.LzwEncoderFinish();
    ar.WriteByte(0);
    encoder.LzwEncoderClose();
}

ClipData CGifImageBlock::CreateClipData() const
{
    const int width = Width();
    const int height = Height();
    try {
        std::vector<std::uint8_t> out;
        const std::size_t table = m_bLocalTable ? static_cast<std::size_t>(3 * (2 << m_nTableBits)) : 0;
        out.reserve(10 + table + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        CMemFile file("clipboard");
        CArchive ar(&file, CArchive::store);
        ar.WriteByte(0x2C);
        for (const int value : {m_nLeft, m_nTop, width, height})
            ar.WriteWord(static_cast<std::uint16_t>(value & 0xFFFF));
        ar.WriteByte(static_cast<std::uint8_t>((m_bLocalTable ? 0x80 : 0) | (m_bInterlace ? 0x40 : 0) |
                                               (m_bSorted ? 0x20 : 0) | (m_nTableBits & 7)));
        if (m_bLocalTable)
            WriteColorTable(ar, m_hPalette, m_nTableBits);
        for (int y = height - 1; y >= 0; --y)  // bottom row first, no padding
            ar.Write(PackedDibRow(*m_hDib, y), static_cast<std::size_t>(width));
        ar.Close();
        return file.Detach();
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

bool CGifImageBlock::ReadClipData(std::span<const std::uint8_t> data)
{
    if (data.size() < 9)
        return false;
    const auto word = [&](std::size_t i) { return data[i] | (data[i + 1] << 8); };
    const int width = word(4);
    const int height = word(6);
    const std::uint8_t packed = data[8];
    const bool localTable = (packed & 0x80) != 0;
    const auto tableBits = static_cast<std::uint8_t>(packed & 7);
    const std::size_t table = localTable ? static_cast<std::size_t>(3 * (2 << tableBits)) : 0;
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    // The item must hold its whole table and every pixel; a short or lying item is refused.
    if (pixels > kMaxImagePixels || data.size() - 9 < table || data.size() - 9 - table < pixels)
        return false;
    PackedDib dib = NewPackedDib(width, height, 8);
    if (!dib)
        return false;
    const std::uint8_t* source = data.data() + 9 + table;
    for (int y = height - 1; y >= 0; --y, source += width) std::copy_n(source, width, PackedDibRow(*dib, y));
    m_nLeft = word(0);
    m_nTop = word(2);
    m_bLocalTable = localTable;
    m_bInterlace = (packed & 0x40) != 0;
    m_bSorted = (packed & 0x20) != 0;
    m_nTableBits = tableBits;
    m_hDib = std::move(dib);
    m_hPalette = localTable ? PaletteFromRgb(data.subspan(9, table)) : nullptr;
    if (m_bLocalTable)
        LoadColorTable(m_hPalette);
    return true;
}

bool CGifImageBlock::AdoptFrom(const CGifHeaderBlock* sourceHeader)
{
    // The colours an image without a local table showed in its own file are that file's
    // global palette (or its default palette): they become its local table.
    if (!m_bLocalTable && sourceHeader != nullptr && sourceHeader->m_hPalette) {
        m_bLocalTable = true;
        m_hPalette = DuplicatePalette(sourceHeader->m_hPalette);
        UpdateTableBits();
    }
    return true;
}

}  // namespace korvanta
