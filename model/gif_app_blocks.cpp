#include "model/gif_app_blocks.h"

#include <algorithm>
#include <cstring>

#include "model/gif_pages.h"
#include "model/playback_state.h"
#include "platform/archive.h"

namespace korvanta {

const CRuntimeClass CGifAppBlock::classInfo{"CGifAppBlock", &CGifBlock::classInfo};
const CRuntimeClass CGifAppBlockNavigatorLoop::classInfo{"CGifAppBlockNavigatorLoop", &CGifBlock::classInfo};

namespace {

constexpr std::array<std::uint8_t, 8> kNetscape{'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E'};
constexpr std::array<std::uint8_t, 3> kVersion20{'2', '.', '0'};

// Printable in the C locale; the dump must not depend on the user's locale.
bool IsPrintable(std::uint8_t c)
{
    return c >= 0x20 && c < 0x7F;
}

// The bytes up to the first zero, right-aligned in N places as "%N.Ns" formats them.
template <std::size_t N>
void AppendPadded(std::string& out, const std::array<std::uint8_t, N>& bytes)
{
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    out.append(static_cast<std::size_t>(bytes.end() - end), ' ');
    out.append(bytes.begin(), end);
}

}  // namespace

// Application block

void CGifAppBlock::DrawInList(CDC& dc, CRect& rect)
{
    DrawListLabel(dc, rect, "Applicaton");
}

CSize CGifAppBlock::GetListSize() const
{
    return {128, 40};
}

int CGifAppBlock::UpdateFromPage(CGifPageData&)
{
    return 0;  // the page is read-only
}

PageKind CGifAppBlock::GetPage() const
{
    return PageKind::application;
}

std::string CGifAppBlock::IdentifierText() const
{
    std::string text;
    AppendPadded(text, m_identifier);
    AppendPadded(text, m_authCode);
    return text;
}

std::string CGifAppBlock::DumpText() const
{
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (std::size_t offset = 0; offset < m_data.size(); offset += 8) {
        for (std::size_t i = offset; i < offset + 8; ++i) {
            if (i < m_data.size()) {
                text += kHex[m_data[i] >> 4];
                text += kHex[m_data[i] & 15];
                text += ' ';
            } else {
                text += "   ";
            }
        }
        text += "    ";
        for (std::size_t i = offset; i < offset + 8; ++i) {
            if (i < m_data.size())
                text += IsPrintable(m_data[i]) ? static_cast<char>(m_data[i]) : '.';
            else
                text += ' ';
        }
        text += "\r\n";
    }
    return text;
}

void CGifAppBlock::UpdatePage(CGifPageData& pageData)
{
    auto* page = dynamic_cast<CGifAppPageData*>(&pageData);
    if (page == nullptr)
        return;
    page->m_strIdent = IdentifierText();
    page->m_strData = DumpText();
}

void CGifAppBlock::SerializeGif(CArchive& ar, Progress*)
{
    if (!ar.IsLoading()) {
        WriteExtension(ar, m_data);
        return;
    }
    ar.ReadByte();  // block size: eleven bytes always follow, whatever it says
    for (auto& b : m_identifier) b = ar.ReadByte();
    for (auto& b : m_authCode) b = ar.ReadByte();
    std::array<std::uint8_t, 256> buffer{};
    while (const unsigned n = ReadSubBlock(ar, buffer.data()))
        m_data.insert(m_data.end(), buffer.begin(), buffer.begin() + n);
}

void CGifAppBlock::WriteExtension(CArchive& ar, std::span<const std::uint8_t> data) const
{
    ar.WriteByte(0x21);
    ar.WriteByte(0xFF);
    ar.WriteByte(11);
    ar.Write(m_identifier.data(), m_identifier.size());
    ar.Write(m_authCode.data(), m_authCode.size());
    WriteSubBlocks(ar, data);
}

ClipData CGifAppBlock::CreateClipData() const
{
    return ClipFromStreamForm([this](CArchive& ar) { WriteExtension(ar, m_data); });
}

bool CGifAppBlock::ReadClipData(std::span<const std::uint8_t> data)
{
    // Block size byte, 8 identifier bytes, 3 code bytes, then the sub-blocks.
    if (data.size() < 12)
        return false;
    std::vector<std::uint8_t> collected;
    if (!ReadClipSubBlocks(data.subspan(12),
                           [&](auto sub) { collected.insert(collected.end(), sub.begin(), sub.end()); }))
        return false;
    std::copy_n(data.begin() + 1, 8, m_identifier.begin());
    std::copy_n(data.begin() + 9, 3, m_authCode.begin());
    m_data.insert(m_data.end(), collected.begin(), collected.end());
    return true;
}

bool CGifAppBlock::AdoptFrom(const CGifHeaderBlock*)
{
    return true;
}

std::unique_ptr<CGifAppBlockNavigatorLoop> CGifAppBlock::CreateLoopBlock() const
{
    if (m_identifier != kNetscape || m_authCode != kVersion20)
        return nullptr;
    // Without the count bytes there is no loop count to read: stay an application block.
    if (m_data.size() < 3 || m_data[0] != 1)
        return nullptr;
    auto loop = std::make_unique<CGifAppBlockNavigatorLoop>();
    loop->m_nLoopCount = m_data[1] + 256 * m_data[2];
    return loop;
}

// Loop block

CGifAppBlockNavigatorLoop::CGifAppBlockNavigatorLoop()
{
    m_identifier = kNetscape;
    m_authCode = kVersion20;
}

void CGifAppBlockNavigatorLoop::DrawInList(CDC& dc, CRect& rect)
{
    DrawListLabel(dc, rect, "Loop");
}

PageKind CGifAppBlockNavigatorLoop::GetPage() const
{
    return PageKind::loop;
}

int CGifAppBlockNavigatorLoop::UpdateFromPage(CGifPageData& pageData)
{
    auto* page = dynamic_cast<CGifLoopPageData*>(&pageData);
    // The page refuses counts above 65535; one that slips through is not wrapped.
    if (page == nullptr || page->m_nLoopCount > 0xFFFF)
        return 0;
    const int count = static_cast<int>(page->m_nLoopCount);
    const bool changed = count != m_nLoopCount;
    m_nLoopCount = count;
    return changed ? 1 : 0;
}

void CGifAppBlockNavigatorLoop::UpdatePage(CGifPageData& pageData)
{
    if (auto* page = dynamic_cast<CGifLoopPageData*>(&pageData))
        page->m_nLoopCount = static_cast<unsigned>(m_nLoopCount);
}

bool CGifAppBlockNavigatorLoop::Play(PlaybackState& wnd)
{
    wnd.m_nPassesLeft = m_nLoopCount == 0 ? 32767 : m_nLoopCount;
    wnd.m_nRestart = wnd.m_nScan;
    return false;
}

std::array<std::uint8_t, 3> CGifAppBlockNavigatorLoop::LoopData() const
{
    return {1, static_cast<std::uint8_t>(m_nLoopCount & 0xFF),
            static_cast<std::uint8_t>((m_nLoopCount >> 8) & 0xFF)};
}

void CGifAppBlockNavigatorLoop::SerializeGif(CArchive& ar, Progress* progress)
{
    if (ar.IsLoading()) {
        CGifAppBlock::SerializeGif(ar, progress);
        return;
    }
    const auto data = LoopData();
    WriteExtension(ar, data);
}

ClipData CGifAppBlockNavigatorLoop::CreateClipData() const
{
    const auto data = LoopData();
    return ClipFromStreamForm([&](CArchive& ar) { WriteExtension(ar, data); });
}

bool CGifAppBlockNavigatorLoop::AdoptFrom(const CGifHeaderBlock*)
{
    return false;  // an imported file never brings its loop block
}

}  // namespace korvanta
