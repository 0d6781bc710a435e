// Start-up, the video mode, the logo splash, the end pictures and shutdown.
#pragma once

#include "core/video_mode.h"

#include <cstddef>

// Size of the start-up error text: the longest message plus its terminator, rounded up.
constexpr std::size_t kErrorTextSize = 64;
extern char error_text[kErrorTextSize];

// Copies the message of `code` (1..5) into error_text; other codes leave it unchanged.
void set_error_text(int code);

// True when the program's first argument is exactly "windowed".
bool wants_window(int argc, char **argv);

// Runs the whole start-up up to an open screen. False when no video mode could be
// opened (the reason is already reported).
bool start_up(int argc, char **argv);

// Opens the screen the settings ask for (set_video_mode), then the colour conversion
// and the translucency the game draws with. False, said on stderr and in a message
// box, when no mode opens.
bool open_game_screen();

void show_logo_splash();
void show_end_pictures();
void shut_down();
