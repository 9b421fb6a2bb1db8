#include "player/animation_player.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "imaging/dib.h"
#include "model/gif_doc.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "player/display_palette.h"

namespace korvanta {

namespace {

// First row and row step of the four GIF interlace passes; the band height of each refinement
// level (a pass drawn at level k fills kBand[k] canvas rows per image row).
constexpr std::array<int, 4> kFirstRow{0, 4, 2, 1};
constexpr std::array<int, 4> kRowStep{8, 8, 4, 2};
constexpr std::array<int, 4> kBand{8, 4, 2, 1};
constexpr int kInterlacePasses = 4;

// What composition needs of an image: its geometry and the canvas colour of each index.
struct ImageSource {
    const DibBlock* dib = nullptr;
    int width = 0;
    int height = 0;
    // Blue, green, red per index; indices beyond the colour table draw black.
    std::array<std::array<std::uint8_t, 3>, 256> colours{};
};

// False for a block without usable pixels (none yet, or not an 8-bit bitmap whose rows lie
// inside its memory): such an image draws nothing.
bool LoadImageSource(const CGifImageBlock& image, ImageSource& source)
{
    const PackedDib& dib = image.m_hDib;
    if (!dib || !PackedDibIsConsistent(*dib) || PackedDibBitCount(*dib) != 8)
        return false;
    source.dib = dib.get();
    source.width = PackedDibWidth(*dib);
    source.height = PackedDibHeight(*dib);
    const std::uint8_t* table = PackedDibColorTable(*dib);
    const std::size_t entryBytes = PackedDibHeaderSize(*dib) == kDibInfoHeaderSize ? 4 : 3;
    const int count = std::min(PackedDibColorCount(*dib), 256);
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* e = table + static_cast<std::size_t>(i) * entryBytes;
        source.colours[static_cast<std::size_t>(i)] = {e[0], e[1], e[2]};
    }
    return true;
}

// Copies columns [x0, x1) of the source row to the canvas row starting at canvas column
// left + x0, leaving pixels of the transparent index alone.
void DrawRowSpan(const ImageSource& source, const std::uint8_t* in, std::uint8_t* out, int x0, int x1,
                 int transparent)
{
    for (int x = x0; x < x1; ++x, out += 3) {
        const int index = in[x];
        if (index == transparent)
            continue;
        const auto& c = source.colours[static_cast<std::size_t>(index)];
        out[0] = c[0];
        out[1] = c[1];
        out[2] = c[2];
    }
}

}  // namespace

bool AnimationPlayer::Create()
{
    const CGifHeaderBlock* header = m_pDoc != nullptr ? m_pDoc->GetHeader() : nullptr;
    const int width = header != nullptr ? header->m_nWidth : 0;
    const int height = header != nullptr ? header->m_nHeight : 0;
    if (width < 0 || height < 0 ||
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxCanvasPixels)
        return false;
    m_hCanvas = NewPackedDib(width, height, 24);
    m_hDisplay = NewPackedDib(width, height, 8);
    m_palette = CreateDisplayPalette();
    if (!m_hCanvas || !m_hDisplay || !m_palette || !LoadDisplayColorTable(m_hDisplay)) {
        m_hCanvas.reset();
        m_hDisplay.reset();
        m_palette.reset();
        return false;
    }
    return true;
}

bool AnimationPlayer::Activate()
{
    // A fresh state, as a new window has: a build-up or disposal left from an earlier run
    // would otherwise act on the canvas the header is about to clear.
    m_hSaved.reset();
    m_bDisposePending = false;
    m_bInterlacing = false;
    m_nPass = 0;
    m_rcFrame = {};
    m_nFrameDisposal = 0;
    m_nFrameTransparent = -1;
    m_nFrameDelay = m_nDefaultDelay;
    return RestartPlayback();
}

void AnimationPlayer::Deactivate()
{
    m_hSaved.reset();
    m_bDisposePending = false;
    m_bInterlacing = false;
}

std::int64_t AnimationPlayer::TimerInterval() const
{
    if (m_bInterlacing)
        return kInterlaceStepMs;
    return std::max<std::int64_t>(m_nFrameDelay, 0) * 10;
}

bool AnimationPlayer::OnTimer()
{
    if (m_bInterlacing) {
        CGifBlock* image = ShownImage();
        if (image == nullptr) {
            // The image was removed or replaced while it built up: its frame stays as far as
            // it got, and its delay starts now.
            AbandonRefinement();
            return false;
        }
        m_nScan = m_nShown;
        image->Play(*this);
        return true;
    }
    m_nFrameDelay = m_nDefaultDelay;
    return AdvanceFrame();
}

bool AnimationPlayer::RestartPlayback()
{
    m_nPassesLeft = 1;
    if (BlockCount() == 0)
        return false;
    m_nRestart = 0;
    m_nShown = -1;
    m_nPassesPlayed = 0;
    for (m_nScan = 0; m_nScan < BlockCount(); ++m_nScan) {
        if (m_pDoc->GetBlock(m_nScan)->Play(*this)) {
            m_nShown = m_nScan;
            break;
        }
    }
    return m_nShown >= 0;
}

bool AnimationPlayer::AdvanceFrame()
{
    if (BlockCount() == 0 || m_nPassesLeft <= 0)
        return false;
    int passEnds = 0;
    for (;;) {
        // A document shortened since the last tick may leave m_nShown or m_nRestart past its
        // end; both then simply end the pass.
        m_nShown = std::max(m_nShown + 1, 0);
        const int count = BlockCount();
        if (m_nShown >= count) {
            m_nFrameTransparent = -1;
            --m_nPassesLeft;
            ++m_nPassesPlayed;
            // The second end of a pass in one call means a whole pass, from the restart
            // position to the end, held no image: every further pass would be the same, so
            // playback ends now instead of walking up to 32767 empty passes in one tick.
            if (m_nPassesLeft <= 0 || ++passEnds == 2) {
                m_nPassesLeft = 0;
                m_nShown = count;
                return false;
            }
            m_nShown = m_nRestart;
            continue;
        }
        m_nScan = m_nShown;
        if (m_pDoc->GetBlock(m_nScan)->Play(*this))
            return true;
    }
}

void AnimationPlayer::DitherToDisplay()
{
    korvanta::DitherToDisplay(m_hCanvas, m_hDisplay);
}

void AnimationPlayer::ComposeImage(const CGifImageBlock& image)
{
    if (m_bInterlacing) {
        RefineFrame(image);
        return;
    }
    if (m_bDisposePending)
        DisposePrevious();
    StartFrame(image);
}

void AnimationPlayer::DisposePrevious()
{
    if (m_hSaved) {
        CopyDib24(m_hSaved, m_hCanvas, m_rcFrame.left, m_rcFrame.top);
        m_hSaved.reset();
    } else {
        FillDib24Rect(m_hCanvas, m_rcFrame, m_crBackground);
    }
    m_bDisposePending = false;
}

void AnimationPlayer::StartFrame(const CGifImageBlock& image)
{
    // Only a pending restore keeps a saved copy beyond its image; anything else left over
    // belongs to no frame.
    m_hSaved.reset();
    const int width = image.m_hDib ? std::max(PackedDibWidth(*image.m_hDib), 0) : 0;
    const int height = image.m_hDib ? std::max(PackedDibHeight(*image.m_hDib), 0) : 0;
    const auto clip = [](std::int64_t v, int limit) {
        return static_cast<int>(std::clamp<std::int64_t>(v, 0, limit));
    };
    const int canvasWidth = CanvasWidth();
    const int canvasHeight = CanvasHeight();
    // Computed in 64 bits: a position near the int range plus the width must not wrap.
    m_rcFrame = CRect::Intersect(CRect{clip(image.m_nLeft, canvasWidth), clip(image.m_nTop, canvasHeight),
                                       clip(std::int64_t{image.m_nLeft} + width, canvasWidth),
                                       clip(std::int64_t{image.m_nTop} + height, canvasHeight)},
                                 CRect{0, 0, canvasWidth, canvasHeight});
    if (m_rcFrame.IsRectEmpty())
        return;  // nothing to draw; the image still counts as a frame and its delay runs

    bool saveUnder = false;
    switch (m_nFrameDisposal) {
        case 2:
            m_bDisposePending = true;
            break;
        case 3:
            m_bDisposePending = true;
            saveUnder = true;
            break;
        default:
            m_bDisposePending = false;
            break;
    }
    if (image.m_bInterlace)
        saveUnder = true;
    if (saveUnder) {
        // A copy that cannot be allocated is simply missing: disposal 3 then falls back to the
        // background fill, and the build-up draws its passes without erasing.
        m_hSaved = AllocateSavedCopy(m_rcFrame.Width(), m_rcFrame.Height());
        if (m_hSaved)
            CopyDib24(m_hCanvas, m_hSaved, -m_rcFrame.left, -m_rcFrame.top);
    }
    if (image.m_bInterlace) {
        m_bInterlacing = true;
        m_nPass = 0;
        DrawInterlacePass(image, 0);
    } else {
        DrawImageRows(image);
    }
}

void AnimationPlayer::RefineFrame(const CGifImageBlock& image)
{
    if (m_hSaved)
        CopyDib24(m_hSaved, m_hCanvas, m_rcFrame.left, m_rcFrame.top);
    const int level = std::clamp(m_nPass, 0, kInterlacePasses - 1);
    m_nPass = 0;
    while (m_bInterlacing && m_nPass <= level) DrawInterlacePass(image, level);
    if (!m_bInterlacing && m_nFrameDisposal != 3)
        m_hSaved.reset();
}

void AnimationPlayer::AbandonRefinement()
{
    m_bInterlacing = false;
    m_nPass = kInterlacePasses;
    if (m_nFrameDisposal != 3)
        m_hSaved.reset();
}

void AnimationPlayer::DrawImageRows(const CGifImageBlock& image)
{
    ImageSource source;
    if (!m_hCanvas || !LoadImageSource(image, source))
        return;
    const std::int64_t left = image.m_nLeft;
    const std::int64_t top = image.m_nTop;
    const int x0 = static_cast<int>(std::clamp<std::int64_t>(-left, 0, source.width));
    const int x1 = static_cast<int>(std::clamp<std::int64_t>(CanvasWidth() - left, 0, source.width));
    const int y0 = static_cast<int>(std::clamp<std::int64_t>(-top, 0, source.height));
    const int y1 = static_cast<int>(std::clamp<std::int64_t>(CanvasHeight() - top, 0, source.height));
    if (x0 >= x1)
        return;
    for (int y = y0; y < y1; ++y) {
        std::uint8_t* out =
            PackedDibRow(*m_hCanvas, static_cast<int>(top + y)) + static_cast<std::size_t>(left + x0) * 3;
        DrawRowSpan(source, PackedDibRow(*source.dib, y), out, x0, x1, m_nFrameTransparent);
    }
}

void AnimationPlayer::DrawInterlacePass(const CGifImageBlock& image, int level)
{
    const int pass = m_nPass;
    ImageSource source;
    if (pass >= 0 && pass < kInterlacePasses && level >= 0 && level < kInterlacePasses && m_hCanvas &&
        LoadImageSource(image, source)) {
        const std::int64_t left = image.m_nLeft;
        const std::int64_t top = image.m_nTop;
        // Columns of the image that fall inside m_rcFrame.
        const int x0 = static_cast<int>(std::clamp<std::int64_t>(m_rcFrame.left - left, 0, source.width));
        const int x1 = static_cast<int>(std::clamp<std::int64_t>(m_rcFrame.right - left, 0, source.width));
        const auto p = static_cast<std::size_t>(pass);
        const int band = kBand[static_cast<std::size_t>(level)];
        for (int r = kFirstRow[p]; x0 < x1 && r < source.height; r += kRowStep[p]) {
            const std::uint8_t* in = PackedDibRow(*source.dib, r);
            const int first = static_cast<int>(std::max<std::int64_t>(top + r, m_rcFrame.top));
            const int last = static_cast<int>(std::min<std::int64_t>(top + r + band, m_rcFrame.bottom));
            for (int y = first; y < last; ++y) {
                std::uint8_t* out = PackedDibRow(*m_hCanvas, y) + static_cast<std::size_t>(left + x0) * 3;
                DrawRowSpan(source, in, out, x0, x1, m_nFrameTransparent);
            }
        }
    }
    ++m_nPass;
    if (m_nPass >= kInterlacePasses)
        m_bInterlacing = false;
}

PackedDib AnimationPlayer::AllocateSavedCopy(int width, int height)
{
    return NewPackedDib(width, height, 24);
}

int AnimationPlayer::CanvasWidth() const
{
    return m_hCanvas ? PackedDibWidth(*m_hCanvas) : 0;
}

int AnimationPlayer::CanvasHeight() const
{
    return m_hCanvas ? PackedDibHeight(*m_hCanvas) : 0;
}

int AnimationPlayer::BlockCount() const
{
    return m_pDoc != nullptr ? m_pDoc->GetBlockCount() : 0;
}

CGifBlock* AnimationPlayer::ShownImage() const
{
    if (m_nShown < 0 || m_nShown >= BlockCount())
        return nullptr;
    CGifBlock* block = m_pDoc->GetBlock(m_nShown);
    return IsKind<CGifImageBlock>(block) ? block : nullptr;
}

}  // namespace korvanta
