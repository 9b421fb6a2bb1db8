// A graphic control extension: the delay, disposal, transparency and user-input flag of the
// next image.
#pragma once

#include "model/gif_block.h"
#include "platform/packed_dib.h"
#include "platform/palette.h"

namespace korvanta {

class CGifControlBlock : public CGifBlock {
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

    // The settings a new control block inherits from a neighbour.
    void CopySettingsFrom(const CGifControlBlock& other);

    // Borrowed from the image this block governs, for the page's colour choice; not GIF data.
    HPALETTE m_hFramePalette;
    PackedDib m_hFrameDib;
    int m_nDisposal = 2;
    bool m_bUserInput = false;
    bool m_bTransparent = false;
    int m_nDelay = 100;
    int m_nTransparentIndex = 0;

private:
    void DecodeFields(std::uint8_t packed, std::uint16_t delay, std::uint8_t transparentIndex);
    void Write(CArchive& ar) const;
};

}  // namespace korvanta
