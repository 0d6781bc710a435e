// The three presentations of the room view.
#include "level/present.h"

#include "core/game_config.h"
#include "core/platform.h"
#include "world/map_format.h"

#include <allegro.h>

void present_room_view_to(BITMAP *view, BITMAP *strip, BITMAP *doubled, BITMAP *dest) {
    if (!view || !dest) return;
    if (game_config.low_resolution) {
        blit(view, dest, 0, 0, kViewLowX, kViewLowY, kBackdropWidth, kBackdropHeight);
        return;
    }
    if (game_config.render_mode != kRenderScanLines || !strip || !doubled) {
        stretch_blit(view, dest, 0, 0, kBackdropWidth, kBackdropHeight, kViewHighX, kViewHighY,
                     kDoubledW, kDoubledH);
        return;
    }
    stretch_blit(view, doubled, 0, 0, kBackdropWidth, kBackdropHeight, 0, 0, kDoubledW, kDoubledH);
    // The translucency set at start-up darkens each odd row to about three quarters.
    for (int y = 0; y < kDoubledH; y += 2) draw_trans_sprite(doubled, strip, 0, y + 1);
    blit(doubled, dest, 0, 0, kViewHighX, kViewHighY, kDoubledW, kDoubledH);
}

void present_room_view(BITMAP *view, BITMAP *strip, BITMAP *doubled) {
    present_room_view_to(view, strip, doubled, video_screen());
}
