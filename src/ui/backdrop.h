// The animated menu background and the volume dial. The backdrop is the menu
// picture with an upside-down, rippling, bouncing, translucent copy of the title
// logo laid over it; there is one version per screen size. The dial is a 3 x 3-cell
// picture from the menu cells chosen by a value and its maximum.
#pragma once

#include "core/cell_set.h"

#include <cstdint>

struct BITMAP;

// Phases: the ripple runs through 50 steps, the bounce through 20. The menus
// advance both by one a frame.
constexpr int kRippleSteps = 50;
constexpr int kBounceSteps = 20;
// The phases a main menu starts with: bounce step 10 is the logo's own height.
constexpr int kFirstRipplePhase = 0;
constexpr int kFirstBouncePhase = 10;

// Sideways shift of each logo row (-4..4) and the reflection's change of height
// (-9..9). Filled by fill_menu_wave_tables.
extern int16_t ripple_table[kRippleSteps];
extern int16_t bounce_table[kBounceSteps];
// makecol(255, 0, 255) in the current colour depth: the transparent colour of the
// backdrop's work bitmaps.
extern int mask_colour;

// Fills both tables from the sine and sets mask_colour for the colour depth now set.
void fill_menu_wave_tables();

// Sizes of the two versions.
constexpr int kBackdropHighW = 640, kBackdropHighH = 480;
constexpr int kLogoHighW = 640, kLogoHighH = 193;
constexpr int kBackdropLowW = 320, kBackdropLowH = 200;
constexpr int kLogoLowW = 320, kLogoLowH = 72;

// Draws one frame of the backdrop into `dest`: the background, then the logo's
// reflection. `logo_work` is scratch of the logo's size. A missing background leaves
// black under the reflection; a missing logo or work bitmap leaves the background
// alone. Phases outside their range are brought into it.
void draw_menu_backdrop(int ripple_phase, int bounce_phase, BITMAP *background, BITMAP *logo,
                        BITMAP *logo_work, BITMAP *dest);
void draw_menu_backdrop_low(int ripple_phase, int bounce_phase, BITMAP *background,
                            BITMAP *logo, BITMAP *logo_work, BITMAP *dest);

// Draws the frame of the dial for value / maximum at (x, y): 16 frames, frame f made
// of cells base + 24r + c (r, c = 0..2) with base = (f / 8) * 72 + (f % 8) * 3. The
// frame is brought into 0..15 and a maximum of 0 or less draws frame 0; missing
// cells are skipped.
void draw_dial(BITMAP *dest, int16_t x, int16_t y, int16_t value, int16_t maximum,
               const CellSet &cells);

// The first cell of dial frame `frame` (0..15).
constexpr int dial_base_cell(int frame) { return (frame / 8) * 72 + (frame % 8) * 3; }
