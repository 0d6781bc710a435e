// The set-up menu's rules, apart from its drawing: how the arrow keys move the row
// and change the settings. Pure: no drawing, no sound, no video mode.
#pragma once

#include "core/game_config.h"
#include "core/platform.h"

#include <cstdint>

enum SetupRow {
    kRowResolution = 0,
    kRowRender = 1,
    kRowLanguage = 2,
    kRowEffects = 3,
    kRowMusic = 4,
    kSetupRows = 5,
};

constexpr int32_t kVolumeStep = 4;

// The row after Up (-1) or Down (+1), wrapping; the render row does not exist at
// 320 x 200 and is skipped there.
int setup_row_after(int row, int direction, bool low_resolution);

// A volume one step down or up, kept within 0..255.
int32_t step_volume(int32_t volume, int direction);

// The language one step down or up, wrapping round the five.
int32_t step_language(int32_t language, int direction);

// The render mode a newly entered resolution starts with: the view shown unscaled
// at 320 x 200, doubled plainly at 640 x 480.
constexpr int32_t render_mode_for_resolution(bool low_resolution) {
    return low_resolution ? kRenderOwnSize : kRenderDoubled;
}

// What an arrow key on a row asks for beyond the change to `cfg`.
struct SetupChange {
    bool changed = false;          // the settings file must be written on leaving
    bool switch_resolution = false; // open the other resolution (cfg not yet changed)
    bool music_volume = false;     // the music volume must be applied now
    bool relabel = false;          // the words of the menu changed
};

// Applies Left (-1) or Right (+1) on `row` to `cfg`. A resolution change is only
// asked for, because it may fail; the caller does it and then marks the change.
SetupChange setup_left_right(int row, int direction, GameConfig &cfg);
