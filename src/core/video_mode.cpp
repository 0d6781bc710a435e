// The depth order of the game's video modes, and the one way a mode is opened.
#include "core/video_mode.h"

#include "core/platform.h"

#include <allegro.h>

namespace {

int library_set_mode(int card, int w, int h, int v_w, int v_h) {
    return set_gfx_mode(card, w, h, v_w, v_h);
}

} // namespace

VideoModeChoice set_video_mode(bool windowed, bool low_resolution, SetModeFn set_mode) {
    static constexpr int kDepths[] = {16, 32, 24};
    const int w = low_resolution ? 320 : 640;
    const int h = low_resolution ? 200 : 480;
    const int first_card = windowed ? GFX_AUTODETECT_WINDOWED : GFX_AUTODETECT_FULLSCREEN;
    const int cards[] = {first_card, GFX_AUTODETECT_WINDOWED};
    const int card_count = windowed ? 1 : 2;
    for (int ci = 0; ci < card_count; ++ci) {
        for (int depth : kDepths) {
            set_color_depth(depth);
            if (set_mode(cards[ci], w, h, 0, 0) == 0)
                return VideoModeChoice{true, depth, cards[ci], ci == 1};
        }
    }
    return VideoModeChoice{false, 0, 0, false};
}

SetModeFn game_set_mode() { return platform.set_mode ? platform.set_mode : library_set_mode; }
