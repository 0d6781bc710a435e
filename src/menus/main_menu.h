// The main menu: play, level, set-up and exit over the animated backdrop. It owns
// every picture, buffer, cell and sample the menus use while it runs and hands them
// to the screens it opens.
#pragma once

#include "core/cell_set.h"

#include <cstdint>

struct BITMAP;

// What the main menu returns to the top level.
constexpr int32_t kMenuLeave = -1;     // the exit entry, its key or ESC
constexpr int32_t kMenuPlayGame = 9;   // play the game from its first level

// Runs the menu until the player leaves (-1) or the play sub-menu gives a non-zero
// result (9, or an accepted password's value). Never returns 0.
int32_t main_menu();

// The selection bar under the chosen entry (171 x 27): menu cell 168 tiled, drifting
// one pixel right and one up each frame as `scroll` advances (0..15).
constexpr int kSelectionBarW = 171, kSelectionBarH = 27;
void tile_selection_bar(BITMAP *bar, const CellSet &cells, int &scroll);

// Draws the bar, the panels and the words of the main menu over the backdrop
// already in `frame`, for the current resolution and language; a `message` takes
// the title's place.
void draw_main_menu(BITMAP *frame, BITMAP *bar, const CellSet &cells, int selection,
                    const char *message = nullptr);
