// What every menu screen shares: the resources the main menu owns and hands down,
// and the small steps of a menu frame (backdrop, sample, key release, pacing).
#pragma once

#include "core/cell_set.h"
#include "core/platform.h"
#include "music/music.h"

#include <cstdint>

struct BITMAP;
struct SAMPLE;

// Pairs are indexed by the resolution: [0] 640 x 480, [1] 320 x 200. Both members
// are always there (or null when their file could not be read), because the set-up
// menu may switch the resolution while the menus run.
struct MenuResources {
    int32_t *ripple_phase;  // 0..49, advanced and written back by each screen
    int32_t *bounce_phase;  // 0..19, likewise
    BITMAP *backgrounds[2];
    BITMAP *logos[2];
    BITMAP *logo_work[2];
    BITMAP *frame_buffers[2];
    const CellSet *menu_cells; // glyphs, selection-bar cells and dial frames
    SAMPLE *move_sample;
    SAMPLE *confirm_sample;
    SAMPLE *cancel_sample;
};

// The menu music, loaded by the main menu while sound is available (null
// otherwise); the level browser starts it again after a level.
extern MusicModule menu_music;

// 0 at 640 x 480, 1 at 320 x 200.
int menu_resolution();
// The language to pick words with (a value out of range reads as Spanish).
int menu_language();

// The frame buffer of the current resolution.
BITMAP *menu_frame(const MenuResources &res);

// Draws the backdrop of the current resolution into its frame buffer.
void draw_menu_background(const MenuResources &res, int ripple_phase, int bounce_phase);
// One step of both phases: 50 -> 0 and 20 -> 0.
void advance_menu_phases(int32_t &ripple_phase, int32_t &bounce_phase);

// Plays a menu sample centred at the effects volume, when sound is on.
void play_menu_sample(SAMPLE *sample);

// Empties the key buffer and waits, sleeping on the tick, until `k` is up, so that
// one press acts once. Nothing is drawn meanwhile.
void wait_key_release(Key k);

// The first key of `keys` that is down, or -1.
int first_key_down(const Key *keys, int count);

// Ends a menu frame: waits for the next tick and moves a replay on by one frame.
void menu_wait_frame();
// Copies the frame buffer of the current resolution to the whole screen.
void show_menu_frame(const MenuResources &res);

// True when the keys come from a replay that has run out: a menu then leaves as
// it would with ESC, so that a headless run always ends.
bool menu_keys_gone();

// x that centres a text of `text`'s length on column `column` (16-pixel cells).
int16_t centred_x(int column, const char *text);
