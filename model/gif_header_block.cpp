#include "model/gif_header_block.h"

#include <algorithm>
#include <array>
#include <string>

#include "imaging/dib.h"
#include "model/gif_pages.h"
#include "model/playback_state.h"
#include "platform/archive.h"

namespace korvanta {

const CRuntimeClass CGifHeaderBlock::classInfo{"CGifHeaderBlock", &CGifBlock::classInfo};

namespace {

constexpr std::array<PALETTEENTRY, 256> DefaultEntries()
{
    constexpr std::array<std::uint8_t, 8> kRedGreen{0, 36, 72, 109, 145, 182, 218, 255};
    constexpr std::array<std::uint8_t, 4> kBlue{0, 85, 170, 255};
    std::array<PALETTEENTRY, 256> entries{};
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i] = {kRedGreen[i >> 5], kRedGreen[(i >> 2) & 7], kBlue[i & 3], 0};
    return entries;
}

// Made by the compiler: every document makes a default palette for its first header and for
// the one a read starts with, which costs more than opening a tiny file otherwise does.
constexpr std::array<PALETTEENTRY, 256> kDefaultEntries = DefaultEntries();

}  // namespace

HPALETTE CreateDefaultPalette()
{
    return CPalette::Create(kDefaultEntries);
}

namespace {

// Entries are zeroed when made, so a table of N entries costs what N cost, not what 256 do:
// the headers and images of small files have small tables.
template <std::size_t N>
HPALETTE PaletteFromRgbIn(std::span<const std::uint8_t> rgb)
{
    std::array<PALETTEENTRY, N> entries{};
    const std::size_t count = std::min(rgb.size() / 3, N);
    for (std::size_t i = 0; i < count; ++i) entries[i] = {rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2], 0};
    return CPalette::Create(std::span(entries.data(), count));
}

}  // namespace

HPALETTE PaletteFromRgb(std::span<const std::uint8_t> rgb)
{
    return rgb.size() <= 3 * 16 ? PaletteFromRgbIn<16>(rgb) : PaletteFromRgbIn<256>(rgb);
}

std::uint8_t TableBitsFor(const HPALETTE& palette)
{
    if (!palette)
        return 0;
    const int count = palette->GetEntryCount();
    std::uint8_t n = 0;
    while (n < 8 && (2 << n) < count) ++n;
    return n;
}

namespace {

// One default palette for every header: palettes never change, and every document made one for
// its first header and another when a file has no global table, a tenth of opening a tiny file.
const HPALETTE& SharedDefaultPalette()
{
    static const HPALETTE palette = CreateDefaultPalette();
    return palette;
}

}  // namespace

CGifHeaderBlock::CGifHeaderBlock() : m_hPalette(SharedDefaultPalette()) {}

void CGifHeaderBlock::DrawInList(CDC& dc, CRect& rect)
{
    DrawListLabel(dc, rect, "Header");
}

CSize CGifHeaderBlock::GetListSize() const
{
    return {128, 40};
}

PageKind CGifHeaderBlock::GetPage() const
{
    return PageKind::header;
}

COLORREF24 CGifHeaderBlock::BackgroundColor() const
{
    if (!m_bGlobalTable || !m_hPalette || m_nBackground >= m_hPalette->GetEntryCount())
        return MakeBgr(0, 0, 0);
    const PALETTEENTRY& e = (*m_hPalette)[m_nBackground];
    return MakeBgr(e.peRed, e.peGreen, e.peBlue);
}

void CGifHeaderBlock::RebuildSwatch(CGifHeaderPageData& page) const
{
    // The swatch shows the palette's colour whether or not the table is switched on.
    page.m_pBkBrush = BrushOfPaletteEntry(m_hPalette, m_nBackground);
    page.RepaintControl(IDC_HEADER_SWATCH);
}

void CGifHeaderBlock::UpdatePage(CGifPageData& pageData)
{
    auto* page = dynamic_cast<CGifHeaderPageData*>(&pageData);
    if (page == nullptr)
        return;
    page->m_nWidth = static_cast<unsigned>(m_nWidth);
    page->m_nHeight = static_cast<unsigned>(m_nHeight);
    page->m_bGlobalTable = m_bGlobalTable;
    page->m_bSorted = m_bSorted;
    page->m_nColorRes = m_nColorRes;
    page->m_nTableBits = m_nTableBits;
    page->m_nBackground = m_nBackground;
    page->m_nAspect = m_nAspect;
    page->m_hPalette = m_hPalette;  // shared, not copied
    RebuildSwatch(*page);
}

int CGifHeaderBlock::UpdateFromPage(CGifPageData& pageData)
{
    auto* page = dynamic_cast<CGifHeaderPageData*>(&pageData);
    if (page == nullptr)
        return 0;
    bool changed = false;
    bool swatch = false;
    const int width = static_cast<int>(page->m_nWidth);
    const int height = static_cast<int>(page->m_nHeight);
    const auto colorRes = static_cast<std::uint8_t>(page->m_nColorRes & 7);
    if (width != m_nWidth || height != m_nHeight || page->m_bGlobalTable != m_bGlobalTable ||
        page->m_bSorted != m_bSorted || colorRes != m_nColorRes)
        changed = true;
    m_nWidth = width;
    m_nHeight = height;
    m_bGlobalTable = page->m_bGlobalTable;
    m_bSorted = page->m_bSorted;
    m_nColorRes = colorRes;
    const auto background = static_cast<std::uint8_t>(page->m_nBackground);
    if (background != m_nBackground) {
        m_nBackground = background;
        changed = swatch = true;
    }
    m_nAspect = static_cast<std::uint8_t>(page->m_nAspect);
    if (page->m_hPalette != m_hPalette && page->m_hPalette) {
        m_hPalette = page->m_hPalette;  // the block owns it from now on
        changed = swatch = true;
    }
    UpdateTableBits();
    if (swatch)
        RebuildSwatch(*page);
    return changed ? 1 : 0;
}

bool CGifHeaderBlock::Play(PlaybackState& wnd)
{
    wnd.m_crBackground = BackgroundColor();
    if (wnd.m_hCanvas)
        FillDib24Rect(wnd.m_hCanvas, CRect{0, 0, m_nWidth, m_nHeight}, wnd.m_crBackground);
    wnd.m_hFramePalette = m_hPalette;
    return false;
}

void CGifHeaderBlock::SerializeGif(CArchive& ar, Progress*)
{
    if (ar.IsLoading())
        Read(ar);
    else
        Write(ar);
}

void CGifHeaderBlock::Read(CArchive& ar)
{
    m_nWidth = ar.ReadWord();
    m_nHeight = ar.ReadWord();
    const std::uint8_t packed = ar.ReadByte();
    m_bGlobalTable = (packed & 0x80) != 0;
    m_nColorRes = static_cast<std::uint8_t>((packed >> 4) & 7);
    m_bSorted = (packed & 0x08) != 0;
    m_nTableBits = static_cast<std::uint8_t>(packed & 7);
    m_nBackground = ar.ReadByte();
    m_nAspect = ar.ReadByte();
    if (!m_bGlobalTable) {
        m_hPalette = SharedDefaultPalette();
        return;
    }
    // Entries a truncated stream does not deliver stay black; the reader then reports the
    // missing data where the next block is due.
    const std::size_t bytes = std::size_t{3} << (m_nTableBits + 1);
    std::array<std::uint8_t, 3 * 256> rgb;
    const std::size_t got = ar.Read(rgb.data(), bytes);
    std::fill(rgb.begin() + static_cast<std::ptrdiff_t>(got),
              rgb.begin() + static_cast<std::ptrdiff_t>(bytes), std::uint8_t{0});
    m_hPalette = PaletteFromRgb(std::span(rgb.data(), bytes));
}

void WriteColorTable(CArchive& ar, const HPALETTE& palette, int tableBits)
{
    // Entries beyond the palette repeat its last colour, so the table has no invented colours.
    const int count = 2 << (tableBits & 7);
    const int available = palette ? palette->GetEntryCount() : 0;
    for (int i = 0; i < count; ++i) {
        PALETTEENTRY e{};
        if (available > 0)
            e = (*palette)[std::min(i, available - 1)];
        const std::uint8_t rgb[3] = {e.peRed, e.peGreen, e.peBlue};
        ar.Write(rgb, 3);
    }
}

void CGifHeaderBlock::Write(CArchive& ar) const
{
    const std::uint16_t width = StreamWord(m_nWidth, "論理画面の幅");
    const std::uint16_t height = StreamWord(m_nHeight, "論理画面の高さ");
    ar.WriteWord(width);
    ar.WriteWord(height);
    ar.WriteByte(static_cast<std::uint8_t>((m_bGlobalTable ? 0x80 : 0) | ((m_nColorRes & 7) << 4) |
                                           (m_bSorted ? 0x08 : 0) | (m_nTableBits & 7)));
    ar.WriteByte(m_nBackground);
    ar.WriteByte(m_nAspect);
    if (m_bGlobalTable)
        WriteColorTable(ar, m_hPalette, m_nTableBits);
}

}  // namespace korvanta
