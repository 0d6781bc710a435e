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

// A window shows the game's picture scaled by a whole factor. 0 asks for the largest
// that fits the desktop; the command line may ask for one from 1 to kMaxWindowScale.
constexpr int kMaxWindowScale = 8;
extern int window_scale_asked;

// The factor a window of the game's `w` x `h` gets on a desktop of `desk_w` x
// `desk_h` (0 x 0 when the library cannot tell): the asked one, or the largest whole
// factor that leaves a sixteenth of the desktop's height for its frame and panels,
// and never less than 1.
int window_scale_for(int asked, int desk_w, int desk_h, int w, int h);

// Opens the screen: depths 16, 32 and 24 in that order with the asked driver; when
// full screen is refused in all three, the windowed driver in the same order. A
// window is opened at its scale (window_scale_for) and the game then draws on a
// picture of its own size (platform.h: present_screen); when the scaled window is
// refused, the plain one is tried.
VideoModeChoice set_video_mode(bool windowed, bool low_resolution, SetModeFn set_mode);

// Lets go of a scaled window's picture (at shutdown, before the library goes).
void release_scaled_picture();

// What the game uses to open a mode: the library's set_gfx_mode unless a test has
// put its own in place (see platform.h).
SetModeFn game_set_mode();
