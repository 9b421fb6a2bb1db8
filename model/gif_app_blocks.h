// Application extensions, kept byte for byte, and the looping extension ("NETSCAPE" "2.0"
// with a loop count), the one application extension the editor understands.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "model/gif_block.h"

namespace korvanta {

class CGifAppBlockNavigatorLoop;

class CGifAppBlock : public CGifBlock {
public:
    static const CRuntimeClass classInfo;
    const CRuntimeClass* GetRuntimeClass() const override { return &classInfo; }

    void DrawInList(CDC& dc, CRect& rect) override;
    CSize GetListSize() const override;
    int UpdateFromPage(CGifPageData& page) override;
    void UpdatePage(CGifPageData& page) override;
    PageKind GetPage() const override;
    void SerializeGif(CArchive& ar, Progress* progress) override;
    ClipData CreateClipData() const override;
    bool ReadClipData(std::span<const std::uint8_t> data) override;
    bool AdoptFrom(const CGifHeaderBlock* sourceHeader) override;

    // A loop block when the identifier is "NETSCAPE", the code "2.0" and the data holds a
    // sub-block identifier 1 followed by the count; otherwise NULL and the caller keeps this
    // block. Shorter data than that stays an application block.
    std::unique_ptr<CGifAppBlockNavigatorLoop> CreateLoopBlock() const;

    // The page's identifier text: the identifier in 8 places and the code in 3, each cut at a
    // zero byte and padded with leading spaces when shorter.
    std::string IdentifierText() const;
    // The page's dump: 8 bytes a line as hex pairs and printable characters, "\r\n" endings.
    std::string DumpText() const;

    std::array<std::uint8_t, 8> m_identifier{};
    std::array<std::uint8_t, 3> m_authCode{};
    std::vector<std::uint8_t> m_data;

protected:
    void WriteExtension(CArchive& ar, std::span<const std::uint8_t> data) const;
};

// Derives from the application block for its data and clipboard reading, but reports
// CGifBlock as its base: a kind test for CGifAppBlock is false for a loop block.
class CGifAppBlockNavigatorLoop : public CGifAppBlock {
public:
    static const CRuntimeClass classInfo;
    const CRuntimeClass* GetRuntimeClass() const override { return &classInfo; }

    CGifAppBlockNavigatorLoop();

    void DrawInList(CDC& dc, CRect& rect) override;
    int UpdateFromPage(CGifPageData& page) override;
    void UpdatePage(CGifPageData& page) override;
    PageKind GetPage() const override;
    bool Play(PlaybackState& wnd) override;
    void SerializeGif(CArchive& ar, Progress* progress) override;
    ClipData CreateClipData() const override;
    bool AdoptFrom(const CGifHeaderBlock* sourceHeader) override;

    // 0 loops endlessly, which playback plays as 32767 passes.
    int m_nLoopCount = 10000;

private:
    std::array<std::uint8_t, 3> LoopData() const;
};

}  // namespace korvanta
