// The logical screen descriptor and the global colour table: block 0 of every document.
#pragma once

#include <cstdint>
#include <span>

#include "model/gif_block.h"
#include "platform/palette.h"

namespace korvanta {

// 256 entries: red level i >> 5, green level (i >> 2) & 7, blue level i & 3.
HPALETTE CreateDefaultPalette();

// A palette of the red, green, blue triples of a GIF colour table (1 to 256 of them).
HPALETTE PaletteFromRgb(std::span<const std::uint8_t> rgb);

// The smallest n in 0..7 with 2 << n entries holding the palette (8 past 256); 0 without one.
std::uint8_t TableBitsFor(const HPALETTE& palette);

// Writes a colour table of 2 << tableBits entries from the palette; entries beyond the
// palette's own repeat its last colour.
void WriteColorTable(CArchive& ar, const HPALETTE& palette, int tableBits);

class CGifHeaderBlock : public CGifBlock {
public:
    static const CRuntimeClass classInfo;
    const CRuntimeClass* GetRuntimeClass() const override { return &classInfo; }

    CGifHeaderBlock();

    void DrawInList(CDC& dc, CRect& rect) override;
    CSize GetListSize() const override;
    int UpdateFromPage(CGifPageData& page) override;
    void UpdatePage(CGifPageData& page) override;
    PageKind GetPage() const override;
    bool Play(PlaybackState& wnd) override;
    void SerializeGif(CArchive& ar, Progress* progress) override;

    void UpdateTableBits() { m_nTableBits = TableBitsFor(m_hPalette); }
    // The colour playback clears to: the global entry at the background index, black without
    // a global table.
    COLORREF24 BackgroundColor() const;

    int m_nWidth = 320;
    int m_nHeight = 240;
    bool m_bGlobalTable = false;
    bool m_bSorted = false;
    std::uint8_t m_nColorRes = 7;
    std::uint8_t m_nTableBits = 7;
    std::uint8_t m_nBackground = 0;
    std::uint8_t m_nAspect = 0;
    HPALETTE m_hPalette;  // exists from construction on, also while m_bGlobalTable is clear

private:
    void Read(CArchive& ar);
    void Write(CArchive& ar) const;
    void RebuildSwatch(CGifHeaderPageData& page) const;
};

}  // namespace korvanta
