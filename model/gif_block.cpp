#include "model/gif_block.h"

#include <algorithm>

#include "platform/archive.h"
#include "platform/draw.h"

namespace korvanta {

const CRuntimeClass CGifBlock::classInfo{"CGifBlock", nullptr};

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass) {
        if (c == base)
            return true;
    }
    return false;
}

void CGifBlock::DrawInList(CDC&, CRect&) {}

CSize CGifBlock::GetListSize() const
{
    return {0, 0};
}

int CGifBlock::UpdateFromPage(CGifPageData&)
{
    return 0;
}

void CGifBlock::UpdatePage(CGifPageData&) {}

PageKind CGifBlock::GetPage() const
{
    return PageKind::none;
}

bool CGifBlock::Play(PlaybackState&)
{
    return false;
}

void CGifBlock::SerializeGif(CArchive&, Progress*) {}

ClipData CGifBlock::CreateClipData() const
{
    return std::nullopt;
}

bool CGifBlock::ReadClipData(std::span<const std::uint8_t>)
{
    return false;
}

bool CGifBlock::AdoptFrom(const CGifHeaderBlock*)
{
    return false;
}

unsigned CGifBlock::ReadSubBlock(CArchive& ar, std::uint8_t* buffer)
{
    const unsigned n = ar.ReadByte();
    if (n != 0 && ar.Read(buffer, n) < n)
        throw CArchiveException(CArchiveException::badIndex, "データサブブロックが途中で終わっています。");
    return n;
}

void CGifBlock::WriteSubBlocks(CArchive& ar, std::span<const std::uint8_t> data)
{
    while (!data.empty()) {
        const std::size_t n = std::min<std::size_t>(255, data.size());
        ar.WriteByte(static_cast<std::uint8_t>(n));
        ar.Write(data.data(), n);
        data = data.subspan(n);
    }
    ar.WriteByte(0);
}

std::uint16_t CGifBlock::StreamWord(int value, const std::string& what)
{
    if (value < 0 || value > 0xFFFF)
        throw CArchiveException(CArchiveException::genericException,
                                what + " (" + std::to_string(value) +
                                    ") は GIF に保存できません。0 から 65535 の値にしてください。");
    return static_cast<std::uint16_t>(value);
}

void DrawListLabel(CDC& dc, const CRect& rect, const char* label)
{
    dc.TextOut(rect.left + 8, rect.top + 8, label);
}

}  // namespace korvanta
