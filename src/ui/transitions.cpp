// The two screen transitions.
#include "ui/transitions.h"

#include "core/game_config.h"
#include "core/owners.h"
#include "core/platform.h"

#include <allegro.h>

#include <cstdlib>

namespace {

constexpr int kSquareCell = 16;
constexpr int kSquareSteps = 9; // half-widths 0..8: the last fills the cell

} // namespace

int picture_screen_w() { return game_config.low_resolution ? 320 : 640; }
int picture_screen_h() { return game_config.low_resolution ? 200 : 480; }

void show_picture(BITMAP *picture) {
    if (!picture) return; // a picture that failed to load is skipped
    int r = std::rand() % 5;
    if (r < 2)
        reveal_interlaced(picture);
    else
        reveal_squares(picture);
}

void reveal_interlaced(BITMAP *picture) {
    if (!picture) return;
    BITMAP *scr = video_screen();
    const int w = picture_screen_w(), h = picture_screen_h();
    // Even rows bottom to top, then odd rows top to bottom: two rows per retrace.
    for (int y = h - 2; y >= 0; y -= 2) {
        blit(picture, scr, 0, y, 0, y, w, 1);
        if (y % 4 == 0) wait_retrace();
    }
    for (int y = 1; y < h; y += 2) {
        blit(picture, scr, 0, y, 0, y, w, 1);
        if (y % 4 == 1) wait_retrace();
    }
}

void reveal_squares(BITMAP *picture) {
    if (!picture) return;
    BITMAP *scr = video_screen();
    OwnedBitmap owner(create_bitmap(kSquareCell, kSquareCell));
    BITMAP *work = owner.get();
    if (!work) {
        blit(picture, scr, 0, 0, 0, 0, picture_screen_w(), picture_screen_h());
        return;
    }
    const int mask = makecol(255, 0, 255);
    const int cols = picture_screen_w() / kSquareCell;
    const int rows = (picture_screen_h() + kSquareCell - 1) / kSquareCell;
    const int half = kSquareCell / 2;
    for (int s = 0; s < kSquareSteps; ++s) {
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                clear_to_color(work, mask);
                blit(picture, work, c * kSquareCell + half - s, r * kSquareCell + half - s,
                     half - s, half - s, 2 * s, 2 * s);
                draw_sprite(scr, work, c * kSquareCell, r * kSquareCell);
            }
        }
        wait_retrace();
    }
}
