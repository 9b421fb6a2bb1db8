// The images the benchmark codes: generated, never read from disk, and the same bytes on every
// run, so that results from different machines and builds compare.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/palette.h"

namespace korvanta::bench {

// One image of a GIF: its place on the screen and its pixel indices, top row first, `width`
// bytes a row with no padding.
struct Frame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    std::vector<std::uint8_t> pixels;

    const std::uint8_t* Row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
    std::uint8_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
};

// A whole GIF: screen, global palette (2, 4, ... or 256 entries: both encoders need a power of
// two) and frames. An animation also carries a loop block and a control block before each
// frame, delay in hundredths of a second.
struct BenchImage {
    std::string name;
    int screenWidth = 0;
    int screenHeight = 0;
    std::vector<PALETTEENTRY> palette;
    std::vector<Frame> frames;
    bool animated = false;
    int delay = 4;

    std::uint64_t PixelCount() const;
};

// 256 colours, every pixel an independent uniform index: the worst case for LZW.
BenchImage MakeNoiseImage(int width, int height);
// A 6 x 7 x 6 colour cube (and four greys) over smooth gradients, broad shapes and a fine grain,
// as a photograph reduced to a web palette looks to the coder.
BenchImage MakePhotoImage(int width, int height);
// The same photograph reduced to a 2 x 4 x 2 cube of 16 colours: longer runs, code size 4.
BenchImage MakePhoto16Image(int width, int height);
// The photograph's brightness error-diffused to black and white, as a scan or a fax: 2 colours,
// short irregular runs, code size 2.
BenchImage MakeTwoColourImage(int width, int height);
// Full-screen frames of a striped background crossed by shaded balls and bars that move from
// frame to frame; 256 colours of which a few dozen are used.
BenchImage MakeAnimation(int width, int height, int frameCount);
// 16 colours in flat bands, discs and boxes with outlines, as charts and cartoons are drawn: the
// long runs LZW codes best.
BenchImage MakeFlatImage(int width, int height);
// A full first frame, then for each further frame only the box a ball moving over a striped
// background leaves and enters (about 125 x 125 pixels at an offset), as optimized animations
// send sprites; a control block before each frame.
BenchImage MakeSpriteAnimation(int width, int height, int frameCount);
// A file of a few bytes to a few kilobytes, where the cost of opening dominates: 1 x 1 in two
// colours, 16 x 16 (from 8) in 16 colours, 32 x 32 (and above) in 256 colours.
BenchImage MakeTinyImage(int size);
// Uniform indices below `colours` (a power of two, 2 to 256) at an odd size: exercises the small
// code sizes.
BenchImage MakeSmallPaletteImage(int width, int height, int colours);

}  // namespace korvanta::bench
