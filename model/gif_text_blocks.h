// The two blocks that carry text: comment extensions and plain text extensions. Their text is
// kept as the raw bytes of the data sub-blocks, without any character conversion.
#pragma once

#include <string>

#include "model/gif_block.h"

namespace korvanta {

// Appends a sub-block's bytes to text, up to its first zero byte: a zero ends that
// sub-block's contribution, the next sub-block is appended normally.
void AppendSubBlockText(std::string& text, std::span<const std::uint8_t> subBlock);

class CGifCommentBlock : public CGifBlock {
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

    std::string m_strText;

private:
    void Write(CArchive& ar) const;
};

class CGifTextBlock : public CGifBlock {
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

    // As wide as the page gives them; writing keeps the low 16 or 8 bits.
    int m_nGridLeft = 0;
    int m_nGridTop = 0;
    int m_nGridWidth = 0;
    int m_nGridHeight = 0;
    int m_nCellWidth = 8;
    int m_nCellHeight = 16;
    int m_nForeground = 255;
    int m_nBackground = 0;
    std::string m_strText;

private:
    void Write(CArchive& ar) const;
};

}  // namespace korvanta
