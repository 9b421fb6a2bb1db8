// The playback state: which frames come when, for how long and how often; what each frame
// leaves on the canvas (disposal, transparency, clipping, interlaced build-up); and a document
// edited between ticks.
#include "player/animation_player.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "imaging/dib.h"
#include "model/gif_app_blocks.h"
#include "model/gif_control_block.h"
#include "model/gif_doc.h"
#include "model/gif_header_block.h"
#include "model/gif_image_block.h"
#include "model/gif_text_blocks.h"
#include "player/frame_timeline.h"
#include "tests/test_util.h"

namespace korvanta {
namespace {

// Entry i of the test palettes; every index has a colour of its own.
COLORREF24 Colour(int i)
{
    return MakeBgr(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                   static_cast<std::uint8_t>(i * 7));
}

HPALETTE Ramp()
{
    std::vector<PALETTEENTRY> entries;
    for (int i = 0; i < 256; ++i)
        entries.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                           static_cast<std::uint8_t>(i * 7), 0});
    return CPalette::Create(entries);
}

// Builds a document block by block, in exactly the order given.
class Movie {
public:
    // A logical screen of width x height; with a global table the background is entry
    // `background` of the ramp.
    Movie(int width, int height, bool globalTable = true, int background = 0)
    {
        m_doc.DeleteContents();
        CGifHeaderBlock* header = m_doc.GetHeader();
        header->m_nWidth = width;
        header->m_nHeight = height;
        header->m_bGlobalTable = globalTable;
        header->m_nBackground = static_cast<std::uint8_t>(background);
        header->m_hPalette = Ramp();
    }

    Movie& Loop(int count)
    {
        auto loop = std::make_unique<CGifAppBlockNavigatorLoop>();
        loop->m_nLoopCount = count;
        return Add(std::move(loop));
    }

    Movie& Control(int delay, int disposal = 0, int transparent = -1, bool userInput = false)
    {
        auto control = std::make_unique<CGifControlBlock>();
        control->m_nDelay = delay;
        control->m_nDisposal = disposal;
        control->m_bTransparent = transparent >= 0;
        control->m_nTransparentIndex = transparent >= 0 ? transparent : 0;
        control->m_bUserInput = userInput;
        return Add(std::move(control));
    }

    // An image whose pixel (x, y) has index f(x, y), drawn in the ramp's colours.
    Movie& Image(int left, int top, int width, int height, const std::function<int(int, int)>& f,
                 bool interlace = false)
    {
        auto image = std::make_unique<CGifImageBlock>();
        image->m_nLeft = left;
        image->m_nTop = top;
        image->m_bInterlace = interlace;
        image->m_hDib = NewPackedDib(width, height, 8);
        image->LoadColorTable(Ramp());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                PackedDibRow(*image->m_hDib, y)[x] = static_cast<std::uint8_t>(f(x, y));
        return Add(std::move(image));
    }

    Movie& Fill(int left, int top, int width, int height, int index, bool interlace = false)
    {
        return Image(
            left, top, width, height, [index](int, int) { return index; }, interlace);
    }

    Movie& Comment() { return Add(std::make_unique<CGifCommentBlock>()); }

    Movie& Add(std::unique_ptr<CGifBlock> block)
    {
        m_doc.m_blocks.push_back(std::move(block));
        return *this;
    }

    CGIFDoc m_doc{test::Headless()};
};

COLORREF24 Pixel(const AnimationPlayer& player, int x, int y)
{
    const std::uint8_t* p = PackedDibRow(*player.m_hCanvas, y) + static_cast<std::size_t>(x) * 3;
    return MakeBgr(p[2], p[1], p[0]);
}

// Each frame as "block:delay", with "+build" for a frame that was built up first.
std::vector<std::string> Timeline(AnimationPlayer& player, int passes = 1000000)
{
    std::vector<std::string> frames;
    PlayTimeline(player, passes, [&](const FrameEvent& e) {
        // Appended piece by piece: a chain of + draws a false -Wrestrict from GCC 12 at -O3.
        std::string frame = std::to_string(e.block);
        frame += ':';
        frame += std::to_string(e.delay);
        if (e.build != 0) {
            frame += '+';
            frame += std::to_string(e.build);
        }
        frames.push_back(std::move(frame));
        return true;
    });
    return frames;
}

using Frames = std::vector<std::string>;

// A player whose saved copies can never be allocated.
class NoMemoryPlayer : public AnimationPlayer {
public:
    using AnimationPlayer::AnimationPlayer;

protected:
    PackedDib AllocateSavedCopy(int, int) override { return nullptr; }
};

TEST(PlayerPasses, LoopCountTwoPlaysTwiceAndRestartsAfterTheLoopBlock)
{
    // Header, loop (2), control (50), A, control (0), B.
    Movie movie(8, 4);
    movie.Loop(2).Control(50).Fill(0, 0, 4, 4, 10).Control(0).Fill(4, 0, 4, 4, 20);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());

    EXPECT_EQ(Timeline(player), (Frames{"3:50", "5:0", "3:50", "5:0"}));
    EXPECT_EQ(player.m_nRestart, 1);
    EXPECT_EQ(player.m_nPassesLeft, 0);
    EXPECT_EQ(player.m_nShown, 6);

    // Finished: B stays, and every further tick waits one second and changes nothing.
    EXPECT_FALSE(player.OnTimer());
    EXPECT_EQ(player.TimerInterval(), 1000);
    EXPECT_EQ(Pixel(player, 5, 1), Colour(20));
}

TEST(PlayerPasses, SecondPassDrawsOverTheLastFrameOfTheFirst)
{
    // A covers the left half, B the right half; the header is not played again, so B is
    // still there when A comes back.
    Movie movie(8, 4);
    movie.Loop(2).Control(50).Fill(0, 0, 4, 4, 10).Control(10).Fill(4, 0, 4, 4, 20);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    std::vector<COLORREF24> rightHalf;
    PlayTimeline(player, 2, [&](const FrameEvent&) {
        rightHalf.push_back(Pixel(player, 6, 2));
        return true;
    });
    EXPECT_EQ(rightHalf, (std::vector<COLORREF24>{Colour(0), Colour(20), Colour(20), Colour(20)}));
}

TEST(PlayerPasses, WithoutLoopBlockPlaysOnce)
{
    Movie movie(8, 4);
    movie.Control(50).Fill(0, 0, 4, 4, 10).Control(0).Fill(4, 0, 4, 4, 20);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    EXPECT_EQ(Timeline(player), (Frames{"2:50", "4:0"}));
    EXPECT_EQ(player.m_nShown, 5);
    EXPECT_FALSE(player.AdvanceFrame());
}

TEST(PlayerPasses, LoopCountZeroPlays32767Passes)
{
    Movie movie(2, 2);
    movie.Loop(0).Control(5).Fill(0, 0, 1, 1, 1);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    int frames = 0;
    PlayTimeline(player, 1000000, [&](const FrameEvent& e) {
        EXPECT_EQ(e.block, 3);
        ++frames;
        return true;
    });
    EXPECT_EQ(frames, 32767);
    EXPECT_EQ(player.m_nPassesLeft, 0);
}

TEST(PlayerPasses, FramesStopAtThePassesAskedFor)
{
    Movie movie(2, 2);
    movie.Loop(0).Control(5).Fill(0, 0, 1, 1, 1).Fill(1, 1, 1, 1, 2);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    EXPECT_EQ(Timeline(player, 3), (Frames{"3:5", "4:100", "3:5", "4:100", "3:5", "4:100"}));
}

TEST(PlayerPasses, DocumentWithoutImagesEndsAtOnceEvenWhenLoopingForever)
{
    Movie movie(2, 2);
    movie.Loop(0).Control(5).Comment();
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    EXPECT_FALSE(player.Activate());
    EXPECT_FALSE(player.OnTimer());
    EXPECT_EQ(player.m_nPassesLeft, 0);
    EXPECT_FALSE(player.OnTimer());
}

TEST(PlayerTiming, FramesWithoutControlBlockLastOneSecondAndDrawEveryIndex)
{
    Movie movie(2, 1);
    movie.Fill(0, 0, 1, 1, 255).Fill(1, 0, 1, 1, 0);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    EXPECT_EQ(Timeline(player), (Frames{"1:100", "2:100"}));
    EXPECT_EQ(player.m_nFrameTransparent, -1);
    EXPECT_EQ(Pixel(player, 0, 0), Colour(255));
    EXPECT_EQ(Pixel(player, 1, 0), Colour(0));
}

TEST(PlayerTiming, UserInputRaisesShortDelaysToOneSecond)
{
    Movie movie(2, 1);
    movie.Control(20, 0, -1, true).Fill(0, 0, 1, 1, 1).Control(150, 0, -1, true).Fill(0, 0, 1, 1, 2);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    EXPECT_EQ(Timeline(player), (Frames{"2:100", "4:150"}));
}

TEST(PlayerTiming, TickIntervalFollowsTheFrameOnScreen)
{
    Movie movie(2, 1);
    movie.Control(0).Fill(0, 0, 1, 1, 1).Control(7).Fill(0, 0, 1, 1, 2);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    ASSERT_TRUE(player.Activate());
    EXPECT_EQ(player.TimerInterval(), 0);  // as fast as the timer allows
    EXPECT_TRUE(player.OnTimer());
    EXPECT_EQ(player.TimerInterval(), 70);
}

TEST(PlayerTransparency, IndexStaysInForceAndIsDroppedAtTheEndOfAPass)
{
    // Header, loop (2), A, control (transparent 3), B. Pass 1: A opaque (nothing set yet),
    // B transparent. Pass 2: A opaque again (-1 from the end of the pass), B transparent.
    Movie movie(4, 1);
    movie.Loop(2)
        .Fill(0, 0, 4, 1, 3)
        .Control(10, 0, 3)
        .Image(0, 0, 4, 1, [](int x, int) { return x < 2 ? 3 : 9; })
        .Fill(0, 0, 4, 1, 8)                                            // no control block
        .Image(0, 0, 4, 1, [](int x, int) { return x == 3 ? 3 : 7; });  // index 3 still transparent
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    std::vector<std::vector<COLORREF24>> canvases;
    PlayTimeline(player, 2, [&](const FrameEvent&) {
        canvases.push_back({Pixel(player, 0, 0), Pixel(player, 2, 0), Pixel(player, 3, 0)});
        return true;
    });
    const std::vector<std::vector<COLORREF24>> expected{
        {Colour(3), Colour(3), Colour(3)},  // A
        {Colour(3), Colour(9), Colour(9)},  // B keeps A under its index 3
        {Colour(8), Colour(8), Colour(8)},  //
        {Colour(7), Colour(7), Colour(8)},  // transparency carried over without a control block
        {Colour(3), Colour(3), Colour(3)},  // pass 2: A's index 3 is drawn again
        {Colour(3), Colour(9), Colour(9)}, {Colour(8), Colour(8), Colour(8)},
        {Colour(7), Colour(7), Colour(8)},
    };
    EXPECT_EQ(canvases, expected);
}

TEST(PlayerDisposal, BackgroundFillUsesTheGlobalEntryClippedToTheScreen)
{
    // A (disposal 2) hangs over the right edge; B is one pixel elsewhere.
    Movie movie(6, 3, true, 42);
    movie.Fill(0, 0, 6, 3, 5).Control(10, 2).Fill(3, 1, 5, 2, 6).Control(10, 0).Fill(0, 0, 1, 1, 7);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    PlayTimeline(player, 1, [](const FrameEvent&) { return true; });
    EXPECT_EQ(Pixel(player, 0, 0), Colour(7));
    EXPECT_EQ(Pixel(player, 2, 1), Colour(5));
    EXPECT_EQ(Pixel(player, 3, 1), Colour(42));
    EXPECT_EQ(Pixel(player, 5, 2), Colour(42));
    EXPECT_EQ(Pixel(player, 5, 0), Colour(5));
    EXPECT_EQ(player.m_rcFrame, (CRect{0, 0, 1, 1}));
}

TEST(PlayerDisposal, BackgroundIsBlackWithoutGlobalTable)
{
    Movie movie(4, 1, false, 42);
    movie.Fill(0, 0, 4, 1, 5).Control(10, 2).Fill(1, 0, 2, 1, 6).Fill(3, 0, 1, 1, 7);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    Timeline(player);
    EXPECT_EQ(Pixel(player, 0, 0), Colour(5));
    EXPECT_EQ(Pixel(player, 1, 0), MakeBgr(0, 0, 0));
    EXPECT_EQ(Pixel(player, 2, 0), MakeBgr(0, 0, 0));
}

TEST(PlayerDisposal, PreviousRestoresWhatWasUnderTheImage)
{
    Movie movie(4, 1);
    movie.Image(0, 0, 4, 1, [](int x, int) { return 10 + x; })
        .Control(10, 3)
        .Fill(1, 0, 2, 1, 6)
        .Control(10, 0)
        .Fill(3, 0, 1, 1, 7);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    std::vector<COLORREF24> second;
    PlayTimeline(player, 1, [&](const FrameEvent&) {
        second.push_back(Pixel(player, 1, 0));
        return true;
    });
    EXPECT_EQ(second, (std::vector<COLORREF24>{Colour(11), Colour(6), Colour(11)}));
    EXPECT_EQ(Pixel(player, 2, 0), Colour(12));
    EXPECT_FALSE(player.m_hSaved);
}

TEST(PlayerDisposal, PreviousRestoresAnInterlacedImageAfterItsBuildUp)
{
    Movie movie(2, 16);
    movie.Fill(0, 0, 2, 16, 4).Control(10, 3).Fill(0, 0, 2, 16, 5, true).Control(10, 0).Fill(0, 0, 1, 1, 6);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    std::vector<std::string> timeline;
    std::vector<COLORREF24> lastRow;
    PlayTimeline(player, 1, [&](const FrameEvent& e) {
        timeline.push_back(std::to_string(e.block) + "+" + std::to_string(e.build));
        lastRow.push_back(Pixel(player, 1, 15));
        return true;
    });
    EXPECT_EQ(timeline, (Frames{"1+0", "3+150", "5+0"}));
    EXPECT_EQ(lastRow, (std::vector<COLORREF24>{Colour(4), Colour(5), Colour(4)}));
}

TEST(PlayerDisposal, PendingDisposalCarriesIntoTheNextPass)
{
    // The last image of the pass (disposal 2) is erased before the first image of the next.
    Movie movie(4, 1, true, 42);
    movie.Loop(2).Control(10, 0).Fill(0, 0, 1, 1, 5).Control(10, 2).Fill(2, 0, 2, 1, 6);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    std::vector<COLORREF24> right;
    PlayTimeline(player, 2, [&](const FrameEvent&) {
        right.push_back(Pixel(player, 3, 0));
        return true;
    });
    EXPECT_EQ(right, (std::vector<COLORREF24>{Colour(42), Colour(6), Colour(42), Colour(6)}));
}

TEST(PlayerDisposal, WithoutSavedCopyPreviousFallsBackToBackground)
{
    Movie movie(4, 1, true, 42);
    movie.Fill(0, 0, 4, 1, 5).Control(10, 3).Fill(1, 0, 2, 1, 6).Control(10, 0).Fill(3, 0, 1, 1, 7);
    NoMemoryPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    Timeline(player);
    EXPECT_EQ(Pixel(player, 0, 0), Colour(5));
    EXPECT_EQ(Pixel(player, 1, 0), Colour(42));
    EXPECT_EQ(Pixel(player, 2, 0), Colour(42));
}

TEST(PlayerDisposal, WithoutSavedCopyInterlacedImageBuildsUpWithoutErasing)
{
    // Row 1 is transparent. The early stages paint it with row 0's band; the refinement
    // normally erases that band again, and without a saved copy it stays.
    const auto movie = [](Movie& m) {
        m.Fill(0, 0, 1, 16, 4)
            .Control(10, 0, 3)
            .Image(
                0, 0, 1, 16, [](int, int y) { return y == 1 ? 3 : 20 + y; }, true);
    };
    Movie plain(1, 16);
    movie(plain);
    AnimationPlayer player(&plain.m_doc);
    ASSERT_TRUE(player.Create());
    EXPECT_EQ(Timeline(player), (Frames{"1:100", "3:10+150"}));
    EXPECT_EQ(Pixel(player, 0, 1), Colour(4));

    Movie starved(1, 16);
    movie(starved);
    NoMemoryPlayer noMemory(&starved.m_doc);
    ASSERT_TRUE(noMemory.Create());
    EXPECT_EQ(Timeline(noMemory), (Frames{"1:100", "3:10+150"}));
    EXPECT_EQ(Pixel(noMemory, 0, 1), Colour(20));
    for (int y = 2; y < 16; ++y) EXPECT_EQ(Pixel(noMemory, 0, y), Colour(20 + y)) << "row " << y;
    EXPECT_EQ(Pixel(noMemory, 0, 0), Colour(20));
}

TEST(PlayerClipping, ImageOutsideTheScreenDrawsNothingButKeepsItsDelay)
{
    Movie movie(4, 2);
    movie.Fill(0, 0, 4, 2, 5).Control(33, 2).Fill(4, 0, 3, 3, 6).Control(44, 0).Fill(-9, -9, 3, 3, 7, true);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    EXPECT_EQ(Timeline(player), (Frames{"1:100", "3:33", "5:44"}));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Pixel(player, x, 1), Colour(5));
    EXPECT_FALSE(player.m_bDisposePending);
}

TEST(PlayerClipping, ImagesPartlyOutsideDrawTheirVisiblePart)
{
    Movie movie(4, 4);
    movie.Image(-2, -1, 4, 3, [](int x, int y) { return 10 * y + x; }).Image(3, 3, 5, 5, [](int, int) {
        return 99;
    });
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    ASSERT_TRUE(player.Activate());
    EXPECT_EQ(Pixel(player, 0, 0), Colour(12));
    EXPECT_EQ(Pixel(player, 1, 1), Colour(23));
    EXPECT_EQ(Pixel(player, 2, 0), Colour(0));  // the header's background
    EXPECT_EQ(player.m_rcFrame, (CRect{0, 0, 2, 2}));
    ASSERT_TRUE(player.OnTimer());
    EXPECT_EQ(Pixel(player, 3, 3), Colour(99));
    EXPECT_EQ(player.m_rcFrame, (CRect{3, 3, 4, 4}));
}

TEST(PlayerInterlace, SixteenRowsBuildUpInFourStages)
{
    Movie movie(1, 16);
    movie.Control(25).Image(
        0, 0, 1, 16, [](int, int y) { return y; }, true);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    const auto rows = [&] {
        std::vector<int> out;
        for (int y = 0; y < 16; ++y)
            out.push_back(static_cast<int>(Pixel(player, 0, y) >> 16));  // red is the row drawn
        return out;
    };
    ASSERT_TRUE(player.Activate());
    EXPECT_EQ(rows(), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 8, 8, 8, 8, 8, 8, 8, 8}));
    EXPECT_EQ(player.TimerInterval(), 500);
    player.OnTimer();
    EXPECT_EQ(rows(), (std::vector<int>{0, 0, 0, 0, 4, 4, 4, 4, 8, 8, 8, 8, 12, 12, 12, 12}));
    EXPECT_EQ(player.TimerInterval(), 500);
    player.OnTimer();
    EXPECT_EQ(rows(), (std::vector<int>{0, 0, 2, 2, 4, 4, 6, 6, 8, 8, 10, 10, 12, 12, 14, 14}));
    EXPECT_EQ(player.TimerInterval(), 500);
    player.OnTimer();
    EXPECT_EQ(rows(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_FALSE(player.m_bInterlacing);
    EXPECT_EQ(player.TimerInterval(), 250);  // only now does the frame's own delay start
    EXPECT_FALSE(player.m_hSaved);
}

TEST(PlayerInterlace, BandsStayInsideTheImageAndTheScreen)
{
    // 12 rows on a screen of 10: the first stage's band from row 8 would reach row 15.
    Movie movie(1, 14);
    movie.Fill(0, 0, 1, 14, 50)
        .Image(
            0, 0, 1, 12, [](int, int y) { return y; }, true);
    AnimationPlayer player(&movie.m_doc);
    player.m_pDoc->GetHeader()->m_nHeight = 10;
    ASSERT_TRUE(player.Create());
    ASSERT_TRUE(player.Activate());
    ASSERT_TRUE(player.OnTimer());  // the interlaced image, first stage
    EXPECT_EQ(Pixel(player, 0, 9), Colour(8));
    EXPECT_EQ(player.m_rcFrame, (CRect{0, 0, 1, 10}));

    movie.m_doc.GetHeader()->m_nHeight = 14;
    AnimationPlayer taller(&movie.m_doc);
    ASSERT_TRUE(taller.Create());
    ASSERT_TRUE(taller.Activate());
    ASSERT_TRUE(taller.OnTimer());
    EXPECT_EQ(Pixel(taller, 0, 11), Colour(8));
    EXPECT_EQ(Pixel(taller, 0, 12), Colour(50));  // below the image: untouched
    EXPECT_EQ(Pixel(taller, 0, 13), Colour(50));
}

TEST(PlayerLiveDocument, EmptiedBetweenTicks)
{
    Movie movie(2, 2);
    movie.Loop(0).Control(5).Fill(0, 0, 2, 2, 1).Fill(0, 0, 1, 1, 2);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    ASSERT_TRUE(player.Activate());
    movie.m_doc.m_blocks.clear();
    EXPECT_FALSE(player.OnTimer());
    EXPECT_FALSE(player.RestartPlayback());
    EXPECT_EQ(Pixel(player, 0, 0), Colour(1));  // the picture stays as it was
}

TEST(PlayerLiveDocument, ShortenedBelowTheShownAndRestartIndexes)
{
    Movie movie(2, 2);
    movie.Control(5).Fill(0, 0, 1, 1, 1).Loop(0).Fill(0, 0, 1, 1, 2).Fill(0, 0, 1, 1, 3);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    ASSERT_TRUE(player.Activate());
    ASSERT_TRUE(player.OnTimer());
    ASSERT_TRUE(player.OnTimer());
    EXPECT_EQ(player.m_nShown, 5);
    EXPECT_EQ(player.m_nRestart, 3);
    movie.m_doc.m_blocks.resize(2);  // header, control: both indexes now past the end
    EXPECT_FALSE(player.OnTimer());
    EXPECT_EQ(player.m_nPassesLeft, 0);
}

TEST(PlayerLiveDocument, InterlacedImageRemovedWhileItBuildsUp)
{
    Movie movie(2, 16);
    movie.Control(30, 3).Fill(0, 0, 2, 16, 5, true).Fill(0, 0, 1, 1, 6);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    ASSERT_TRUE(player.Activate());
    ASSERT_TRUE(player.m_bInterlacing);

    // Replaced by a block of another kind: the build-up ends, the frame's delay starts.
    movie.m_doc.m_blocks[2] = std::make_unique<CGifCommentBlock>();
    EXPECT_FALSE(player.OnTimer());
    EXPECT_FALSE(player.m_bInterlacing);
    EXPECT_EQ(player.TimerInterval(), 300);
    EXPECT_TRUE(player.m_hSaved);  // disposal 3 still needs it
    ASSERT_TRUE(player.OnTimer());
    EXPECT_EQ(player.m_nShown, 3);
    EXPECT_EQ(Pixel(player, 1, 15), Colour(0));  // restored before the next image

    // Removed altogether, with the list shorter than the index shown.
    Movie second(2, 16);
    second.Control(30, 0).Fill(0, 0, 2, 16, 5, true);
    AnimationPlayer again(&second.m_doc);
    ASSERT_TRUE(again.Create());
    ASSERT_TRUE(again.Activate());
    second.m_doc.m_blocks.resize(2);
    EXPECT_FALSE(again.OnTimer());
    EXPECT_FALSE(again.m_hSaved);
    EXPECT_FALSE(again.OnTimer());
    EXPECT_EQ(again.m_nPassesLeft, 0);
}

TEST(PlayerCreation, CanvasHasTheLogicalScreenAndStartsBlack)
{
    Movie movie(5, 3);
    AnimationPlayer player(&movie.m_doc);
    ASSERT_TRUE(player.Create());
    EXPECT_EQ(player.CanvasWidth(), 5);
    EXPECT_EQ(player.CanvasHeight(), 3);
    EXPECT_EQ(PackedDibBitCount(*player.m_hDisplay), 8);
    EXPECT_EQ(Pixel(player, 4, 2), MakeBgr(0, 0, 0));
    ASSERT_TRUE(player.m_palette);
    EXPECT_EQ(player.m_palette->GetEntryCount(), 236);
}

TEST(PlayerCreation, ScreenTooLargeForACanvasFails)
{
    Movie movie(65535, 65535);
    AnimationPlayer player(&movie.m_doc);
    EXPECT_FALSE(player.Create());
    EXPECT_FALSE(player.m_hCanvas);
    EXPECT_FALSE(player.m_hDisplay);
}

TEST(PlayerCreation, DocumentWithoutBlocksDoesNothing)
{
    CGIFDoc doc(test::Headless());
    doc.m_blocks.clear();
    AnimationPlayer player(&doc);
    ASSERT_TRUE(player.Create());
    EXPECT_FALSE(player.Activate());
    EXPECT_FALSE(player.OnTimer());
    EXPECT_EQ(player.m_nPassesLeft, 1);
}

}  // namespace
}  // namespace korvanta
