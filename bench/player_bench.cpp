// korvanta-bench-player: how long playback takes per frame on a 640x480 screen, for the kinds of
// frame a GIF animation holds, and the dithering of the display picture. Prints one line a case:
// `CASE us_per_frame=X`. Playback keeps up with its delays as long as a frame costs well under
// the 16.7 ms of 60 frames per second.
//
// The animations are generated in memory (the same on every run) and played through the
// simulated clock, so a case measures the player, not the reader.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/dib.h"
#include "model/gif_app_blocks.h"
#include "model/gif_control_block.h"
#include "model/gif_doc.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "platform/headless_services.h"
#include "player/animation_player.h"
#include "player/display_palette.h"
#include "player/frame_timeline.h"

namespace korvanta {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFrames = 100;

HPALETTE Rainbow()
{
    std::vector<PALETTEENTRY> entries;
    for (int i = 0; i < 256; ++i)
        entries.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3),
                           static_cast<std::uint8_t>(255 - i), 0});
    return CPalette::Create(entries);
}

struct FrameLayout {
    int left = 0;
    int top = 0;
    int width = kWidth;
    int height = kHeight;
    int disposal = 0;
    int transparent = -1;
    bool interlace = false;
};

// Header (640x480, global table), then a control block and an image for each frame. Pixel
// values vary with position and frame, so every frame really changes the canvas.
std::unique_ptr<CGIFDoc> MakeAnimation(const std::function<FrameLayout(int)>& layout)
{
    auto doc = std::make_unique<CGIFDoc>(HeadlessServices::Shared());
    doc->DeleteContents();
    CGifHeaderBlock* header = doc->GetHeader();
    header->m_nWidth = kWidth;
    header->m_nHeight = kHeight;
    header->m_bGlobalTable = true;
    header->m_hPalette = Rainbow();
    doc->m_blocks.push_back(std::make_unique<CGifAppBlockNavigatorLoop>());
    for (int n = 0; n < kFrames; ++n) {
        const FrameLayout s = layout(n);
        auto control = std::make_unique<CGifControlBlock>();
        control->m_nDelay = 4;
        control->m_nDisposal = s.disposal;
        control->m_bTransparent = s.transparent >= 0;
        control->m_nTransparentIndex = std::max(s.transparent, 0);
        doc->m_blocks.push_back(std::move(control));
        auto image = std::make_unique<CGifImageBlock>();
        image->m_nLeft = s.left;
        image->m_nTop = s.top;
        image->m_bInterlace = s.interlace;
        image->m_hDib = NewPackedDib(s.width, s.height, 8);
        image->LoadColorTable(Rainbow());
        for (int y = 0; y < s.height; ++y) {
            std::uint8_t* row = PackedDibRow(*image->m_hDib, y);
            for (int x = 0; x < s.width; ++x)
                row[x] = static_cast<std::uint8_t>((x / 4 + y / 4 + n * 7) & 0xFF);
        }
        doc->m_blocks.push_back(std::move(image));
    }
    return doc;
}

// Plays the whole animation once (every frame complete, interlaced ones after their build-up),
// optionally dithering each frame as a palette display would; microseconds per frame.
double TimePlayback(CGIFDoc& doc, bool dither)
{
    AnimationPlayer player(&doc);
    if (!player.Create())
        return -1;
    double best = 1e300;
    // The best of a few runs: the machine's noise only ever adds time.
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const int frames = PlayTimeline(player, 1, [&](const FrameEvent&) {
            if (dither)
                player.DitherToDisplay();
            return true;
        });
        const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count() / std::max(frames, 1));
    }
    return best;
}

void Report(const char* name, double usPerFrame)
{
    std::printf("%s us_per_frame=%.1f\n", name, usPerFrame);
}

}  // namespace
}  // namespace korvanta

int main()
{
    using namespace korvanta;
    const auto fullOpaque = MakeAnimation([](int) { return FrameLayout{}; });
    const auto fullTransparent = MakeAnimation([](int) {
        FrameLayout s;
        s.transparent = 0;
        return s;
    });
    const auto sprites = MakeAnimation([](int n) {
        FrameLayout s;
        s.left = (n * 37) % (kWidth - 100);
        s.top = (n * 23) % (kHeight - 100);
        s.width = 160;
        s.height = 120;
        s.disposal = n % 2 == 0 ? 2 : 3;
        s.transparent = 5;
        return s;
    });
    const auto restoreFull = MakeAnimation([](int) {
        FrameLayout s;
        s.disposal = 3;
        return s;
    });
    const auto interlaced = MakeAnimation([](int) {
        FrameLayout s;
        s.interlace = true;
        s.disposal = 3;
        return s;
    });
    const auto offScreen = MakeAnimation([](int n) {
        FrameLayout s;
        s.left = -320 + n;
        s.top = 240;
        return s;
    });

    Report("compose_full_opaque", TimePlayback(*fullOpaque, false));
    Report("compose_full_transparent", TimePlayback(*fullTransparent, false));
    Report("compose_sprites_dispose_2_3", TimePlayback(*sprites, false));
    Report("compose_full_dispose_3", TimePlayback(*restoreFull, false));
    Report("compose_full_interlaced_dispose_3", TimePlayback(*interlaced, false));
    Report("compose_half_off_screen", TimePlayback(*offScreen, false));
    Report("compose_full_opaque_and_dither", TimePlayback(*fullOpaque, true));

    // The dither alone, on a canvas of varied colours.
    AnimationPlayer player(fullOpaque.get());
    if (player.Create() && player.Activate()) {
        double best = 1e300;
        for (int run = 0; run < 5; ++run) {
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < 20; ++i) player.DitherToDisplay();
            const std::chrono::duration<double, std::micro> elapsed =
                std::chrono::steady_clock::now() - start;
            best = std::min(best, elapsed.count() / 20);
        }
        Report("dither_display_640x480", best);
    }
    return 0;
}
