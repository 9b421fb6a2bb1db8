// The playback state the blocks act on as the player steps through the list: what header,
// control and loop blocks set, and the canvas the header clears. The player owns it and adds
// the stepping, the timing and the image composition.
#pragma once

#include "platform/packed_dib.h"
#include "platform/palette.h"
#include "platform/types.h"

namespace korvanta {

class CGifImageBlock;

class PlaybackState {
public:
    virtual ~PlaybackState() = default;

    // Composes the image onto the canvas with the disposal, transparency and interlaced
    // build-up in force; the player fills this in.
    virtual void ComposeImage(const CGifImageBlock& /*image*/) {}

    int m_nScan = 0;                // index of the block whose Play is running
    int m_nRestart = 0;             // each later pass resumes at the block after this one
    int m_nPassesLeft = 1;          // passes through the list still to play; 0 = finished
    int m_nFrameDisposal = 0;       // disposal method in force
    COLORREF24 m_crBackground = 0;  // background for disposal method 2 (black)
    int m_nFrameTransparent = -1;   // transparent index in force, -1 = none
    int m_nFrameDelay = 1;          // delay of the frame on screen, hundredths of a second
    PackedDib m_hCanvas;            // 24-bit picture of the logical screen
    HPALETTE m_hFramePalette;       // the header's palette, for displays that need one
};

}  // namespace korvanta
