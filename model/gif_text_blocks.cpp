#include "model/gif_text_blocks.h"

#include <algorithm>
#include <array>

#include "model/gif_pages.h"
#include "platform/archive.h"

namespace korvanta {

const CRuntimeClass CGifCommentBlock::classInfo{"CGifCommentBlock", &CGifBlock::classInfo};
const CRuntimeClass CGifTextBlock::classInfo{"CGifTextBlock", &CGifBlock::classInfo};

void AppendSubBlockText(std::string& text, std::span<const std::uint8_t> subBlock)
{
    const auto end = std::find(subBlock.begin(), subBlock.end(), std::uint8_t{0});
    text.append(subBlock.begin(), end);
}

namespace {

std::span<const std::uint8_t> Bytes(const std::string& text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

void ReadTextSubBlocks(CArchive& ar, std::string& text)
{
    std::array<std::uint8_t, 256> buffer{};
    while (const unsigned n = CGifBlock::ReadSubBlock(ar, buffer.data()))
        AppendSubBlockText(text, std::span(buffer.data(), n));
}

bool ReadClipText(std::span<const std::uint8_t> data, std::string& text)
{
    std::string collected;
    if (!ReadClipSubBlocks(data, [&](auto subBlock) { AppendSubBlockText(collected, subBlock); }))
        return false;
    text = std::move(collected);
    return true;
}

}  // namespace

// Comment block

void CGifCommentBlock::DrawInList(CDC& dc, CRect& rect)
{
    DrawListLabel(dc, rect, "comment");
}

CSize CGifCommentBlock::GetListSize() const
{
    return {128, 40};
}

PageKind CGifCommentBlock::GetPage() const
{
    return PageKind::comment;
}

int CGifCommentBlock::UpdateFromPage(CGifPageData& pageData)
{
    auto* page = dynamic_cast<CGifCommentPageData*>(&pageData);
    if (page == nullptr)
        return 0;
    const bool changed = page->m_strText != m_strText;
    m_strText = page->m_strText;
    return changed ? 1 : 0;
}

void CGifCommentBlock::UpdatePage(CGifPageData& pageData)
{
    if (auto* page = dynamic_cast<CGifCommentPageData*>(&pageData))
        page->m_strText = m_strText;
}

void CGifCommentBlock::SerializeGif(CArchive& ar, Progress*)
{
    if (ar.IsLoading())
        ReadTextSubBlocks(ar, m_strText);
    else
        Write(ar);
}

void CGifCommentBlock::Write(CArchive& ar) const
{
    ar.WriteByte(0x21);
    ar.WriteByte(0xFE);
    WriteSubBlocks(ar, Bytes(m_strText));
}

ClipData CGifCommentBlock::CreateClipData() const
{
    return ClipFromStreamForm([this](CArchive& ar) { Write(ar); });
}

bool CGifCommentBlock::ReadClipData(std::span<const std::uint8_t> data)
{
    return ReadClipText(data, m_strText);
}

bool CGifCommentBlock::AdoptFrom(const CGifHeaderBlock*)
{
    return true;
}

// Plain text block

void CGifTextBlock::DrawInList(CDC& dc, CRect& rect)
{
    DrawListLabel(dc, rect, "TEXT");
}

CSize CGifTextBlock::GetListSize() const
{
    return {128, 40};
}

PageKind CGifTextBlock::GetPage() const
{
    return PageKind::text;
}

int CGifTextBlock::UpdateFromPage(CGifPageData& pageData)
{
    auto* page = dynamic_cast<CGifTextPageData*>(&pageData);
    if (page == nullptr)
        return 0;
    const auto take = [](int& field, auto value, bool& changed) {
        const int v = static_cast<int>(value);
        changed = changed || v != field;
        field = v;
    };
    bool changed = false;
    take(m_nGridLeft, page->m_nGridLeft, changed);
    take(m_nGridTop, page->m_nGridTop, changed);
    take(m_nGridWidth, page->m_nGridWidth, changed);
    take(m_nGridHeight, page->m_nGridHeight, changed);
    take(m_nCellWidth, page->m_nCellWidth, changed);
    take(m_nCellHeight, page->m_nCellHeight, changed);
    take(m_nForeground, page->m_nForeground, changed);
    take(m_nBackground, page->m_nBackground, changed);
    changed = changed || page->m_strText != m_strText;
    m_strText = page->m_strText;
    return changed ? 1 : 0;
}

void CGifTextBlock::UpdatePage(CGifPageData& pageData)
{
    auto* page = dynamic_cast<CGifTextPageData*>(&pageData);
    if (page == nullptr)
        return;
    page->m_nGridLeft = static_cast<unsigned>(m_nGridLeft);
    page->m_nGridTop = static_cast<unsigned>(m_nGridTop);
    page->m_nGridWidth = static_cast<unsigned>(m_nGridWidth);
    page->m_nGridHeight = static_cast<unsigned>(m_nGridHeight);
    page->m_nCellWidth = static_cast<unsigned>(m_nCellWidth);
    page->m_nCellHeight = static_cast<unsigned>(m_nCellHeight);
    page->m_nForeground = m_nForeground;
    page->m_nBackground = m_nBackground;
    page->m_strText = m_strText;
    page->RefreshSwatches();
}

void CGifTextBlock::SerializeGif(CArchive& ar, Progress*)
{
    if (!ar.IsLoading()) {
        Write(ar);
        return;
    }
    ar.ReadByte();  // block size: twelve field bytes always follow, whatever it says
    m_nGridLeft = ar.ReadWord();
    m_nGridTop = ar.ReadWord();
    m_nGridWidth = ar.ReadWord();
    m_nGridHeight = ar.ReadWord();
    m_nCellWidth = ar.ReadByte();
    m_nCellHeight = ar.ReadByte();
    m_nForeground = ar.ReadByte();
    m_nBackground = ar.ReadByte();
    ReadTextSubBlocks(ar, m_strText);
}

void CGifTextBlock::Write(CArchive& ar) const
{
    ar.WriteByte(0x21);
    ar.WriteByte(0x01);
    ar.WriteByte(12);
    for (int value : {m_nGridLeft, m_nGridTop, m_nGridWidth, m_nGridHeight})
        ar.WriteWord(static_cast<std::uint16_t>(value & 0xFFFF));
    for (int value : {m_nCellWidth, m_nCellHeight, m_nForeground, m_nBackground})
        ar.WriteByte(static_cast<std::uint8_t>(value & 0xFF));
    WriteSubBlocks(ar, Bytes(m_strText));
}

ClipData CGifTextBlock::CreateClipData() const
{
    return ClipFromStreamForm([this](CArchive& ar) { Write(ar); });
}

bool CGifTextBlock::ReadClipData(std::span<const std::uint8_t> data)
{
    // Block size byte and twelve field bytes, then the sub-blocks.
    if (data.size() < 13)
        return false;
    std::string text;
    if (!ReadClipText(data.subspan(13), text))
        return false;
    const auto word = [&](std::size_t i) { return data[i] | (data[i + 1] << 8); };
    m_nGridLeft = word(1);
    m_nGridTop = word(3);
    m_nGridWidth = word(5);
    m_nGridHeight = word(7);
    m_nCellWidth = data[9];
    m_nCellHeight = data[10];
    m_nForeground = data[11];
    m_nBackground = data[12];
    m_strText = std::move(text);
    return true;
}

bool CGifTextBlock::AdoptFrom(const CGifHeaderBlock*)
{
    return true;
}

}  // namespace korvanta
