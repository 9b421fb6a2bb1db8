// The playback state of the animation window, without the window: it walks the document's
// blocks, lets each act through Play, composes the images onto a 24-bit canvas of the logical
// screen and says how long the next timer tick must wait. Time is never read from a clock; the
// caller (the window's timer, or a simulated clock) calls OnTimer when TimerInterval has passed.
//
// The document is played live: it may be edited or emptied between two calls, and every entry
// point checks block indexes against the document as it is at that moment.
#pragma once

#include <cstdint>

#include "model/playback_state.h"
#include "platform/packed_dib.h"
#include "platform/palette.h"
#include "platform/types.h"

namespace korvanta {

class CGIFDoc;
class CGifBlock;
class CGifImageBlock;

class AnimationPlayer : public PlaybackState {
public:
    // Milliseconds between two refinement steps of an interlaced image.
    static constexpr int kInterlaceStepMs = 500;
    // Refinement steps after the first pass of an interlaced image is drawn.
    static constexpr int kInterlaceSteps = 3;

    explicit AnimationPlayer(CGIFDoc* doc) : m_pDoc(doc) {}

    // The largest logical screen played: 2^25 pixels (an 8K UHD screen of 7680 x 4320 fits), so
    // that canvas (96 MiB), display picture (32 MiB) and a saved copy (96 MiB) stay within
    // 224 MiB. A few header bytes may claim 65535 x 65535; the window must not fill gigabytes.
    static constexpr std::uint64_t kMaxCanvasPixels = 1ull << 25;

    // The window's creation: the canvas (black) and the display picture of the header's logical
    // screen, and the 236-colour palette. False when any of them cannot be made or the screen
    // exceeds kMaxCanvasPixels; the player is then not to be played.
    bool Create();

    // Activation: playback starts from the beginning with a fresh state (no disposal pending,
    // no transparency, method 0, the default delay). Returns RestartPlayback's result.
    bool Activate();
    // Deactivation: an interrupted build-up or pending disposal is dropped with its saved copy.
    void Deactivate();

    // Milliseconds the next tick must wait: the refinement step while an interlaced image builds
    // up, else the delay of the frame on screen (hundredths of a second; 0 is the shortest the
    // timer gives).
    std::int64_t TimerInterval() const;
    // One tick: refines the interlaced image on screen, or advances to the next frame with the
    // default delay unless a control block on the way sets another. True when the canvas
    // changed; false once playback has finished (the last frame stays).
    bool OnTimer();

    // Resets the passes and plays from block 0 up to the first frame; true when a frame is on
    // the canvas.
    bool RestartPlayback();
    // Plays up to the next frame, wrapping at the end of the list and counting passes. True
    // when a new frame was composed; false when playback has finished (or cannot run), the last
    // frame then staying as it is.
    bool AdvanceFrame();
    // Error-diffuses the canvas into m_hDisplay; nothing when the display picture is missing.
    void DitherToDisplay();

    // The image block's Play: disposal of the previous image, then a new frame or one
    // refinement step of the interlaced image being built up.
    void ComposeImage(const CGifImageBlock& image) override;
    // Draws every image pixel that lies on the canvas, leaving transparent ones alone.
    void DrawImageRows(const CGifImageBlock& image);
    // Draws interlace pass m_nPass in bands of the given refinement level, clipped to
    // m_rcFrame, and moves on to the next pass; after the fourth the build-up is over.
    void DrawInterlacePass(const CGifImageBlock& image, int level);

    // Width and height of the canvas (the logical screen when the player was created).
    int CanvasWidth() const;
    int CanvasHeight() const;

    int m_nPass = 0;                 // interlace pass drawn next, 0..4
    bool m_bInterlacing = false;     // an interlaced image is still being refined
    CRect m_rcFrame;                 // the last image's rectangle, clipped to the canvas
    PackedDib m_hSaved;              // the canvas under m_rcFrame before that image was drawn
    bool m_bDisposePending = false;  // the last image is disposed of before the next is drawn
    PackedDib m_hDisplay;            // 8-bit copy of the canvas on the 236-colour palette
    HPALETTE m_palette;              // the 236-colour display palette
    int m_nShown = -1;               // block whose frame is on the canvas; the block count at the end
    CGIFDoc* m_pDoc = nullptr;       // the document played; not owned
    int m_nDefaultDelay = 100;       // delay of a frame that no control block sets
    int m_nPassesPlayed = 0;         // passes completed since RestartPlayback

protected:
    // The saved copy under a new frame, zero-filled; NULL when it cannot be allocated, which
    // playback survives (see StartFrame).
    virtual PackedDib AllocateSavedCopy(int width, int height);

private:
    int BlockCount() const;
    // The image block at m_nShown, or NULL when the document no longer has one there.
    CGifBlock* ShownImage() const;
    void DisposePrevious();
    void StartFrame(const CGifImageBlock& image);
    void RefineFrame(const CGifImageBlock& image);
    // Ends a build-up that cannot go on; the saved copy stays only for a pending restore.
    void AbandonRefinement();
};

}  // namespace korvanta
