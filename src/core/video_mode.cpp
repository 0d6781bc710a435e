// The depth order of the game's video modes, the window's scale, and the one way a
// mode is opened.
#include "core/video_mode.h"

#include "core/platform.h"

#include <allegro.h>

int window_scale_asked = 0;

namespace {

int library_set_mode(int card, int w, int h, int v_w, int v_h) {
    return set_gfx_mode(card, w, h, v_w, v_h);
}

int desktop_scale(int w, int h) {
    int desk_w = 0, desk_h = 0;
    if (get_desktop_resolution(&desk_w, &desk_h) != 0) desk_w = desk_h = 0;
    return window_scale_for(window_scale_asked, desk_w, desk_h, w, h);
}

// Opens one mode; a scaled window also needs the picture the game draws on.
bool open_mode(SetModeFn set_mode, int card, int w, int h, int scale) {
    if (set_mode(card, w * scale, h * scale, 0, 0) != 0) return false;
    if (scale == 1) return true;
    platform.scaled_picture = create_bitmap(w, h);
    platform.presented = create_bitmap(w, h);
    if (!platform.scaled_picture || !platform.presented) {
        release_scaled_picture();
        return false;
    }
    // The new window is black, and so is what it is known to show.
    clear_bitmap(platform.scaled_picture);
    clear_bitmap(platform.presented);
    platform.scale = scale;
    return true;
}

} // namespace

int window_scale_for(int asked, int desk_w, int desk_h, int w, int h) {
    if (asked >= 1) return asked < kMaxWindowScale ? asked : kMaxWindowScale;
    if (w <= 0 || h <= 0) return 1;
    const int by_w = desk_w / w, by_h = (desk_h - desk_h / 16) / h;
    const int s = by_w < by_h ? by_w : by_h;
    return s < 1 ? 1 : s > kMaxWindowScale ? kMaxWindowScale : s;
}

void release_scaled_picture() {
    if (platform.scaled_picture) destroy_bitmap(platform.scaled_picture);
    if (platform.presented) destroy_bitmap(platform.presented);
    platform.scaled_picture = platform.presented = nullptr;
    platform.scale = 1;
}

VideoModeChoice set_video_mode(bool windowed, bool low_resolution, SetModeFn set_mode) {
    static constexpr int kDepths[] = {16, 32, 24};
    const int w = low_resolution ? 320 : 640;
    const int h = low_resolution ? 200 : 480;
    const int first_card = windowed ? GFX_AUTODETECT_WINDOWED : GFX_AUTODETECT_FULLSCREEN;
    const int cards[] = {first_card, GFX_AUTODETECT_WINDOWED};
    const int card_count = windowed ? 1 : 2;
    release_scaled_picture();
    const int window_scale = desktop_scale(w, h);
    for (int ci = 0; ci < card_count; ++ci) {
        const bool window = cards[ci] == GFX_AUTODETECT_WINDOWED;
        const int scales[] = {window ? window_scale : 1, 1};
        for (int scale : scales) {
            // A scaled window tries the desktop's own depth first: the library then
            // hands the window its pixels as they are, where another depth would have
            // every pixel of the larger window converted at each present.
            const int desktop = scale > 1 ? desktop_color_depth() : 0;
            const int depths[] = {desktop, kDepths[0], kDepths[1], kDepths[2]};
            for (int i = 0; i < 4; ++i) {
                const int depth = depths[i];
                if (i == 0 ? depth != 16 && depth != 32 && depth != 24 : depth == desktop) continue;
                set_color_depth(depth);
                if (open_mode(set_mode, cards[ci], w, h, scale))
                    return VideoModeChoice{true, depth, cards[ci], ci == 1};
            }
            if (scale == 1) break;
        }
    }
    return VideoModeChoice{false, 0, 0, false};
}

SetModeFn game_set_mode() { return platform.set_mode ? platform.set_mode : library_set_mode; }
