// Opening the screen at one of the game's two sizes, in the first colour depth the
// display accepts. Start-up and the set-up menu's resolution switch both go through
// here.
#pragma once

// How one attempt to open a mode is made: the library's set_gfx_mode in the game,
// something that refuses on demand in tests.
typedef int (*SetModeFn)(int card, int w, int h, int v_w, int v_h);

struct VideoModeChoice {
    bool ok;
    int depth;   // 16, 32 or 24
    int card;    // the driver that opened it
    bool fell_back_to_window; // full screen was asked for and refused in every depth
};

// Opens the screen: depths 16, 32 and 24 in that order with the asked driver; when
// full screen is refused in all three, the windowed driver in the same order.
VideoModeChoice set_video_mode(bool windowed, bool low_resolution, SetModeFn set_mode);

// What the game uses to open a mode: the library's set_gfx_mode unless a test has
// put its own in place (see platform.h).
SetModeFn game_set_mode();
