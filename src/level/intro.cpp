// The level-intro panel.
#include "level/intro.h"

#include "core/game_config.h"
#include "core/owners.h"
#include "core/paths.h"
#include "core/platform.h"
#include "level/play.h"
#include "level/render.h"
#include "ui/panel.h"
#include "ui/text.h"

#include <allegro.h>

#include <cstring>

namespace {

struct Box {
    int16_t x1, y1, x2, y2, style;
};
struct Point {
    int16_t x, y;
};

// Where everything goes, at 640 x 480 ([0]) and at 320 x 200 ([1]).
struct IntroLayout {
    Box title_panel, list_panel, switch_icon_panel, refill_icon_panel;
    int16_t title_y;
    Point switch_label, refill_label, switch_icon, refill_icon;
};
constexpr IntroLayout kIntroLayouts[2] = {
    {{160, 184, 479, 215, 1}, {160, 216, 479, 295, 1}, {427, 227, 452, 252, 0},
     {427, 259, 452, 284, 0}, 192, {192, 232}, {192, 264}, {432, 232}, {432, 264}},
    {{0, 44, 319, 75, 1}, {0, 76, 319, 155, 1}, {267, 87, 292, 112, 0},
     {267, 119, 292, 144, 0}, 52, {32, 92}, {32, 124}, {272, 92}, {272, 124}},
};

constexpr const char *kPanelSampleFile = "SFX/info.wav";
constexpr int kCentrePan = 127;

void draw_box(BITMAP *dest, const Box &b) { draw_panel(dest, b.x1, b.y1, b.x2, b.y2, b.style); }

void draw_icon(BITMAP *dest, const CellSet &sprites, int cell, Point at) {
    if (sprites[cell]) draw_sprite(dest, sprites[cell], at.x, at.y);
}

void draw_intro(BITMAP *scr, const char *title, const CellSet &menu_cells,
                const CellSet &sprite_tiles) {
    const IntroLayout &l = kIntroLayouts[game_config.low_resolution ? 1 : 0];
    draw_box(scr, l.title_panel);
    draw_box(scr, l.list_panel);
    draw_box(scr, l.switch_icon_panel);
    draw_box(scr, l.refill_icon_panel);
    int length = static_cast<int>(strlen(title));
    glyph_text(scr, static_cast<int16_t>(video_w() / 2 - 8 * length), l.title_y, title, menu_cells);
    if (game_config.language >= 0 && game_config.language < kLanguageCount) {
        const IntroWords &w = kIntroWords[game_config.language];
        glyph_text(scr, l.switch_label.x, l.switch_label.y, w.switches, menu_cells);
        glyph_text(scr, l.refill_label.x, l.refill_label.y, w.refills, menu_cells);
    }
    draw_icon(scr, sprite_tiles, kSwitchCell, l.switch_icon);
    draw_icon(scr, sprite_tiles, kRefillCell, l.refill_icon);
}

// Polls the keys once a tick until a closing key is down; each poll consumes one
// key record.
bool wait_for_closing_key(const LevelObserver *observer, KeyRecord &closing) {
    for (;;) {
        if (input_replay_finished()) return false;
        KeyRecord keys = input_key_record();
        if (observer && observer->keys_used) observer->keys_used(observer->context, keys);
        if (keys & kIntroClosingKeys) {
            closing = keys;
            return true;
        }
        input_next_frame();
        wait_ticks(1);
    }
}

} // namespace

bool show_level_intro_panel(const char *title, const CellSet &menu_cells,
                            const CellSet &sprite_tiles, BITMAP *screen_copy,
                            const LevelObserver *observer, KeyRecord &closing) {
    BITMAP *scr = video_screen();
    bool low = game_config.low_resolution != 0;
    if (low && screen_copy) blit(scr, screen_copy, 0, 0, 0, 0, video_w(), video_h());
    draw_intro(scr, title, menu_cells, sprite_tiles);

    OwnedSample sound;
    if (game_config.sound_available) {
        sound.reset(data_load_sample(kPanelSampleFile));
        if (sound)
            start_sample(sound.get(), game_config.effects_volume, kCentrePan, 1000, true);
        else
            report_data_problem(kPanelSampleFile, "is missing or not a sample the game can play");
    }
    bool closed = wait_for_closing_key(observer, closing);
    // At 640 x 480 the panel lies inside the room view and the first frame covers it.
    if (low && screen_copy) blit(screen_copy, scr, 0, 0, 0, 0, video_w(), video_h());
    return closed;
}
