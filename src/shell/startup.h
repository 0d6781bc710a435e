// Start-up, the video mode, the logo splash, the end pictures and shutdown.
#pragma once

#include "core/video_mode.h"

#include <cstddef>

// Size of the start-up error text: the longest message plus its terminator, rounded up.
constexpr std::size_t kErrorTextSize = 64;
extern char error_text[kErrorTextSize];

// Copies the message of `code` (1..5) into error_text; other codes leave it unchanged.
void set_error_text(int code);

// What the command line asks for: a window when the first argument is exactly
// "windowed" or "--scale"; "--scale N" (after "windowed", or alone) the window's
// scale, 1 to kMaxWindowScale. Without it, or with a factor out of range (said on
// stderr), the largest that fits the desktop (0).
struct CommandLine {
    bool windowed;
    int scale;
};
CommandLine read_command_line(int argc, char **argv);

// Runs the whole start-up up to an open screen. False when no video mode could be
// opened (the reason is already reported).
bool start_up(int argc, char **argv);

// Opens the screen the settings ask for (set_video_mode), then the colour conversion
// and the translucency the game draws with. False, said on stderr and in a message
// box, when no mode opens.
bool open_game_screen();

// The splash shows the logo's 640 x 479 from its corner (its last row is never
// shown), 1:1 at 640 x 480 and squeezed onto the whole screen at 320 x 200. Of a
// smaller picture only what it has is shown, at the same scale: the library's
// stretch_blit does not clip its source, and would read past a small bitmap.
struct SplashBlit {
    int src_w, src_h;   // taken from the logo's corner
    int dest_w, dest_h; // drawn at the screen's corner
};
SplashBlit splash_logo_blit(int logo_w, int logo_h, int screen_w, int screen_h, bool squeeze);

void show_logo_splash();
void show_end_pictures();
void shut_down();
