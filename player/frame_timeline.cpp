#include "player/frame_timeline.h"

#include "player/animation_player.h"

namespace korvanta {

int PlayTimeline(AnimationPlayer& player, int passes, const std::function<bool(const FrameEvent&)>& onFrame)
{
    if (!player.Activate())
        return 0;
    std::int64_t now = 0;
    int frames = 0;
    for (;;) {
        std::int64_t built = 0;
        while (player.m_bInterlacing) {
            const std::int64_t step = player.TimerInterval();
            now += step;
            built += step;
            player.OnTimer();
        }
        FrameEvent event;
        event.index = frames++;
        event.block = player.m_nShown;
        event.delay = player.m_nFrameDelay;
        event.build = static_cast<int>(built / 10);
        event.time = now;
        event.pass = player.m_nPassesPlayed;
        if (!onFrame(event))
            return frames;
        now += player.TimerInterval();
        // A tick that composes nothing means playback has finished; one that starts a pass
        // beyond the last one asked for is not reported.
        if (!player.OnTimer() || player.m_nPassesPlayed >= passes)
            return frames;
    }
}

}  // namespace korvanta
