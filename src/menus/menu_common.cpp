// The shared steps of the menu screens.
#include "menus/menu_common.h"

#include "core/game_config.h"
#include "core/platform.h"
#include "ui/backdrop.h"

#include <allegro.h>

#include <cstring>

MusicModule menu_music = nullptr;

int menu_resolution() { return game_config.low_resolution ? 1 : 0; }

int menu_language() {
    const int32_t l = game_config.language;
    return (l >= 0 && l < kLanguageCount) ? l : kSpanish;
}

BITMAP *menu_frame(const MenuResources &res) { return res.frame_buffers[menu_resolution()]; }

void draw_menu_background(const MenuResources &res, int ripple_phase, int bounce_phase) {
    const int r = menu_resolution();
    BITMAP *dest = res.frame_buffers[r];
    if (!dest) return;
    if (r == 0)
        draw_menu_backdrop(ripple_phase, bounce_phase, res.backgrounds[0], res.logos[0],
                           res.logo_work[0], dest);
    else
        draw_menu_backdrop_low(ripple_phase, bounce_phase, res.backgrounds[1], res.logos[1],
                               res.logo_work[1], dest);
}

void advance_menu_phases(int32_t &ripple_phase, int32_t &bounce_phase) {
    if (++ripple_phase >= kRippleSteps) ripple_phase = 0;
    if (++bounce_phase >= kBounceSteps) bounce_phase = 0;
}

void play_menu_sample(SAMPLE *sample) {
    if (game_config.sound_available == 1 && sample)
        start_sample(sample, game_config.effects_volume, 127, 1000, false);
}

void wait_key_release(Key k) {
    input_clear_keybuf();
    while (input_key_down(k) && !input_replay_finished()) {
        input_next_frame();
        wait_ticks(1);
    }
}

int first_key_down(const Key *keys, int count) {
    for (int i = 0; i < count; ++i)
        if (input_key_down(keys[i])) return i;
    return -1;
}

void menu_wait_frame() {
    wait_ticks(1);
    input_next_frame();
}

void show_menu_frame(const MenuResources &res) {
    BITMAP *frame = menu_frame(res);
    if (frame) blit(frame, video_screen(), 0, 0, 0, 0, video_w(), video_h());
    if (platform.on_present) platform.on_present(platform.present_context);
}

bool menu_keys_gone() { return input_replay_finished(); }

int16_t centred_x(int column, const char *text) {
    return static_cast<int16_t>(column - 8 * static_cast<int>(std::strlen(text)));
}
