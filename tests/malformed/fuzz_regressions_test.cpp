// Inputs the fuzz targets found, reduced to what made them fail, each kept as the test of its fix.
#include <gtest/gtest.h>

#include "tests/malformed/malformed_util.h"

namespace korvanta {
namespace {

using test::B;
using test::Bytes;
using test::operator+;

// A 1 x 1 image of index 0 (minimum code size 2: clear, 0, end).
const Bytes kDot = B({0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x00, 2, 2, 0x44, 0x01, 0});

Bytes Screen(int width, int height)
{
    return B("GIF89a") + B({width & 0xFF, width >> 8, height & 0xFF, height >> 8, 0x00, 0, 0});
}

// fuzz_gif_doc, timeout: 13 header bytes claiming an 18425 x 17993 screen made the animation
// window allocate a 1 GB canvas and a 330 MB display picture and fill them (1.3 GB resident,
// 13 s under the sanitizers). The file opens; the window refuses such a screen.
TEST(FuzzRegressions, HugeLogicalScreenOpensButGetsNoCanvas)
{
    test::MalformedFiles files;
    CGIFDoc doc(files.Services());
    ASSERT_TRUE(files.Open(doc, Screen(0x47F9, 0x4649) + kDot + B({0x3B}), "18425 x 17993").opened);
    AnimationPlayer player(&doc);
    EXPECT_FALSE(player.Create());
    EXPECT_FALSE(player.m_hCanvas);
    EXPECT_FALSE(player.m_hDisplay);

    // The bound lies above an 8K UHD screen.
    for (const auto& [width, height, plays] :
         {std::tuple{7680, 4320, true}, {65535, 512, true}, {65535, 513, false}, {65535, 65535, false}}) {
        CGIFDoc screen(files.Services());
        ASSERT_TRUE(files.Open(screen, Screen(width, height) + kDot + B({0x3B}), "screen", false).opened);
        AnimationPlayer sized(&screen);
        EXPECT_EQ(sized.Create(), plays) << width << " x " << height;
        if (plays) {
            EXPECT_EQ(sized.CanvasWidth(), width);
            EXPECT_EQ(sized.CanvasHeight(), height);
        }
    }
}

}  // namespace
}  // namespace korvanta
