// Plays an animation on a simulated clock: delivers the player's ticks one after the other, as
// its timer would, and reports every frame once it is complete (an interlaced image after its
// last refinement step), with the time it stays and the time it took to build up.
#pragma once

#include <cstdint>
#include <functional>

namespace korvanta {

class AnimationPlayer;

struct FrameEvent {
    int index = 0;          // frames counted from 0
    int block = 0;          // index of the image block whose frame this is
    int delay = 0;          // hundredths of a second the frame stays after it is complete
    int build = 0;          // hundredths of a second spent building it up before
    std::int64_t time = 0;  // milliseconds from the start of playback to its completion
    int pass = 0;           // passes completed before this frame
};

// Activates the player (playback from the beginning) and plays until `passes` passes are
// complete, playback finishes, or onFrame returns false. The canvas holds the frame while
// onFrame runs. Returns the number of frames reported.
int PlayTimeline(AnimationPlayer& player, int passes, const std::function<bool(const FrameEvent&)>& onFrame);

}  // namespace korvanta
