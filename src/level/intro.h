// The level-intro panel: the map's title and the two kinds of pickup, shown over
// the play screen until a key starts play.
#pragma once

#include "core/cell_set.h"
#include "core/platform.h"

struct BITMAP;
struct LevelObserver;

// The keys that close the panel.
constexpr KeyRecord kIntroClosingKeys = key_bit(Key::Enter) | key_bit(Key::LeftControl) |
                                        key_bit(Key::Space) | key_bit(Key::Up) |
                                        key_bit(Key::Down) | key_bit(Key::Left) |
                                        key_bit(Key::Right);

// Panel words by language: the switch label, then the refill label.
struct IntroWords {
    const char *switches;
    const char *refills;
};
constexpr IntroWords kIntroWords[] = {
    {"PALANCAS", "ENERGIAS"},  // Spanish
    {"SWITCHES", "POWER"},     // English
    {"SWITCHES", "POWER"},     // French
    {"SWITCHES", "POWER"},     // Italian
    {"SCHALTERE", "ENERGIE"},  // German
};

// Draws the panel on the screen (`screen_copy` keeps what lay under it at 320 x 200),
// plays the panel sound and waits, sleeping, for a closing key. True with the
// record that closed it in `closing`; false when a replay ran out of records first.
bool show_level_intro_panel(const char *title, const CellSet &menu_cells,
                            const CellSet &sprite_tiles, BITMAP *screen_copy,
                            const LevelObserver *observer, KeyRecord &closing);
