// The logo splash before the first menu, the two end pictures and the way out.
#include "shell/startup.h"

#include "core/game_config.h"
#include "core/owners.h"
#include "core/paths.h"
#include "core/platform.h"
#include "ui/fade.h"
#include "ui/jpeg.h"
#include "ui/transitions.h"

#include <allegro.h>

namespace {

constexpr int kSplashWidth = 640;
constexpr int kSplashHeight = 479; // the logo's last row is never shown
constexpr int kSplashHoldRetraces = 60;
constexpr int kSplashWaitRetraces = 240;

// A picture the game cannot show is reported and skipped, never drawn from null.
BITMAP *load_picture_or_report(const char *name) {
    BITMAP *bmp = load_jpg(name, nullptr);
    if (!bmp) report_data_problem(name, "is missing or not a picture the game can read");
    return bmp;
}

void draw_logo(BITMAP *logo) {
    BITMAP *scr = video_screen();
    const bool squeeze = game_config.low_resolution != 0;
    const SplashBlit b = splash_logo_blit(logo->w, logo->h, video_w(), video_h(), squeeze);
    if (b.dest_w <= 0 || b.dest_h <= 0) return;
    // Nor does stretch_blit convert between depths: a logo of another depth than
    // the screen would be read as if it had the screen's.
    if (squeeze && bitmap_color_depth(logo) != bitmap_color_depth(scr)) return;
    if (squeeze)
        stretch_blit(logo, scr, 0, 0, b.src_w, b.src_h, 0, 0, b.dest_w, b.dest_h);
    else
        blit(logo, scr, 0, 0, 0, 0, b.src_w, b.src_h);
}

bool any_of_space_enter_esc() {
    return input_key_down(Key::Space) || input_key_down(Key::Enter) || input_key_down(Key::Esc);
}

// Shows one end picture with the screen's last row black, waits with `done`, and
// throws the picture away.
void show_end_picture(const char *high, const char *low, bool (*done)()) {
    OwnedBitmap pic(load_picture_or_report(game_config.low_resolution ? low : high));
    if (!pic) return;
    show_picture(pic.get());
    hline(video_screen(), 0, video_h() - 1, video_w() - 1, 0);
    while (!done()) wait_ticks(1);
    pic.reset();
    input_clear_keybuf();
}

bool any_key() { return input_keypressed(); }

} // namespace

SplashBlit splash_logo_blit(int logo_w, int logo_h, int screen_w, int screen_h, bool squeeze) {
    SplashBlit b;
    b.src_w = logo_w < kSplashWidth ? logo_w : kSplashWidth;
    b.src_h = logo_h < kSplashHeight ? logo_h : kSplashHeight;
    if (b.src_w < 0) b.src_w = 0;
    if (b.src_h < 0) b.src_h = 0;
    b.dest_w = squeeze ? b.src_w * screen_w / kSplashWidth : b.src_w;
    b.dest_h = squeeze ? b.src_h * screen_h / kSplashHeight : b.src_h;
    return b;
}

void show_logo_splash() {
    OwnedBitmap logo(load_picture_or_report("GFX/ZENTIX.JPG"));
    OwnedSample jingle(data_load_wav("sfx/mirvane.wav"));
    if (!jingle) report_data_problem("sfx/mirvane.wav", "is missing or not a sample the game can play");
    if (logo) draw_logo(logo.get());
    for (int i = 0; i < kSplashHoldRetraces; ++i) wait_retrace();
    // The jingle plays at full volume whatever the effects setting says.
    if (jingle) start_sample(jingle.get(), 255, 127, 1000, false);
    input_clear_keybuf();
    for (int i = 0; i < kSplashWaitRetraces && !input_keypressed(); ++i) wait_retrace();
}

void show_end_pictures() {
    // The press that left the menu must not also skip the first picture.
    while (input_key_down(Key::Esc)) wait_ticks(1);
    show_end_picture("gfx/enddemo_1.jpg", "gfx/enddemo_1_baja.jpg", any_of_space_enter_esc);
    show_end_picture("gfx/enddemo_2.jpg", "gfx/enddemo_2_baja.jpg", any_key);
}

void shut_down() {
    fade_to_black();
    remove_timer();
    remove_keyboard();
    release_scaled_picture();
    allegro_exit();
}
