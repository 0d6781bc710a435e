// Start-up, the video mode, the logo splash, the end pictures and shutdown.
#pragma once

#include <cstddef>

// Size of the start-up error text: the longest message plus its terminator, rounded up.
constexpr std::size_t kErrorTextSize = 64;
extern char error_text[kErrorTextSize];

// Copies the message of `code` (1..5) into error_text; other codes leave it unchanged.
void set_error_text(int code);

void install_tick_timer();

// True when the program's first argument is exactly "windowed".
bool wants_window(int argc, char **argv);

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

// Runs the whole start-up up to an open screen. False when no video mode could be
// opened (the reason is already reported).
bool start_up(int argc, char **argv);

void show_logo_splash();
void show_end_pictures();
void shut_down();
