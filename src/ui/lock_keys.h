#pragma once

namespace kestrova::ui {

struct LockKeys {
    bool known = false;  // false where the window system cannot tell (offscreen, Wayland)
    bool num = false;
    bool caps = false;
    bool scroll = false;
};

// The keyboard's Num, Caps and Scroll Lock states, asked of the X server.
LockKeys CurrentLockKeys();

}  // namespace kestrova::ui
