#include "model/gif_control_block.h"

#include "model/gif_pages.h"
#include "model/playback_state.h"
#include "platform/archive.h"

namespace korvanta {

const CRuntimeClass CGifControlBlock::classInfo{"CGifControlBlock", &CGifBlock::classInfo};

void CGifControlBlock::DrawInList(CDC& dc, CRect& rect)
{
    DrawListLabel(dc, rect, "control");
}

CSize CGifControlBlock::GetListSize() const
{
    return {128, 40};
}

PageKind CGifControlBlock::GetPage() const
{
    return PageKind::control;
}

void CGifControlBlock::CopySettingsFrom(const CGifControlBlock& other)
{
    m_nDisposal = other.m_nDisposal;
    m_bUserInput = other.m_bUserInput;
    m_bTransparent = other.m_bTransparent;
    m_nDelay = other.m_nDelay;
    m_nTransparentIndex = other.m_nTransparentIndex;
}

int CGifControlBlock::UpdateFromPage(CGifPageData& pageData)
{
    auto* page = dynamic_cast<CGifControlPageData*>(&pageData);
    if (page == nullptr)
        return 0;
    const bool changed = page->m_nDelay != m_nDelay || page->m_nDisposal != m_nDisposal ||
                         page->m_bTransparent != m_bTransparent ||
                         page->m_nTransparentIndex != m_nTransparentIndex ||
                         page->m_bUserInput != m_bUserInput;
    m_nDelay = page->m_nDelay;
    m_nDisposal = page->m_nDisposal;
    m_bTransparent = page->m_bTransparent;
    m_nTransparentIndex = page->m_nTransparentIndex;
    m_bUserInput = page->m_bUserInput;
    return changed ? 1 : 0;
}

void CGifControlBlock::UpdatePage(CGifPageData& pageData)
{
    auto* page = dynamic_cast<CGifControlPageData*>(&pageData);
    if (page == nullptr)
        return;
    page->m_nDelay = m_nDelay;
    page->m_nDisposal = m_nDisposal;
    page->m_bTransparent = m_bTransparent;
    page->m_nTransparentIndex = m_nTransparentIndex;
    page->m_bUserInput = m_bUserInput;
    page->m_hFramePalette = m_hFramePalette;
    page->m_hFrameDib = m_hFrameDib;
    page->RefreshSwatch();
}

bool CGifControlBlock::Play(PlaybackState& wnd)
{
    wnd.m_nFrameDelay = m_nDelay;
    wnd.m_nFrameTransparent = m_bTransparent ? m_nTransparentIndex : -1;
    wnd.m_nFrameDisposal = m_nDisposal;
    // The user-input flag never makes playback wait; such a frame only lasts a second at least.
    if (m_bUserInput && wnd.m_nFrameDelay < 100)
        wnd.m_nFrameDelay = 100;
    return false;
}

void CGifControlBlock::DecodeFields(std::uint8_t packed, std::uint16_t delay, std::uint8_t transparentIndex)
{
    m_nDisposal = (packed >> 2) & 7;
    m_bUserInput = (packed & 0x02) != 0;
    m_bTransparent = (packed & 0x01) != 0;
    m_nDelay = delay;
    m_nTransparentIndex = transparentIndex;
}

void CGifControlBlock::SerializeGif(CArchive& ar, Progress*)
{
    if (!ar.IsLoading()) {
        Write(ar);
        return;
    }
    // Exactly six bytes, whatever the block size byte says.
    ar.ReadByte();
    const std::uint8_t packed = ar.ReadByte();
    const std::uint16_t delay = ar.ReadWord();
    const std::uint8_t transparentIndex = ar.ReadByte();
    ar.ReadByte();
    DecodeFields(packed, delay, transparentIndex);
}

void CGifControlBlock::Write(CArchive& ar) const
{
    ar.WriteByte(0x21);
    ar.WriteByte(0xF9);
    ar.WriteByte(4);
    ar.WriteByte(static_cast<std::uint8_t>((m_bTransparent ? 1 : 0) + (m_bUserInput ? 2 : 0) +
                                           ((m_nDisposal & 7) << 2)));
    ar.WriteWord(static_cast<std::uint16_t>(m_nDelay & 0xFFFF));
    ar.WriteByte(static_cast<std::uint8_t>(m_nTransparentIndex & 0xFF));
    ar.WriteByte(0);
}

ClipData CGifControlBlock::CreateClipData() const
{
    return ClipFromStreamForm([this](CArchive& ar) { Write(ar); });
}

bool CGifControlBlock::ReadClipData(std::span<const std::uint8_t> data)
{
    // Block size, packed byte, delay, index: the terminator is not needed.
    if (data.size() < 5)
        return false;
    DecodeFields(data[1], static_cast<std::uint16_t>(data[2] | (data[3] << 8)), data[4]);
    return true;
}

bool CGifControlBlock::AdoptFrom(const CGifHeaderBlock*)
{
    return true;
}

}  // namespace korvanta
