// The lock keys the status bar's indicators show. Only an X11 display tells their state; on
// other platforms (and offscreen) the state is unknown and the indicators show as off.
#pragma once

#include <optional>

namespace korvanta {

struct LockKeys {
    bool kana = false;
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

std::optional<LockKeys> QueryLockKeys();

}  // namespace korvanta
