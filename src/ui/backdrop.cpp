// The animated menu backdrop (the menu picture under an upside-down, rippling,
// bouncing, translucent reflection of the title logo) and the set-up menu's dial.
#include "ui/backdrop.h"

#include "core/owners.h"

#include <allegro.h>

#include <algorithm>
#include <cmath>

int16_t ripple_table[kRippleSteps];
int16_t bounce_table[kBounceSteps];
int mask_colour;

namespace {

// A turn a hair short of 2 pi, as the menus have always had it. It matters: a quarter
// turn of a true 2 pi has a sine of exactly 1, which would make the bounce reach 10
// and the reflection 203 rows; this one keeps the bounce within -9..9.
constexpr double kTurn = 6.28303383;
constexpr double kRippleAmplitude = 5;
constexpr double kBounceAmplitude = 10;

// One screen size of the backdrop. The logo and its work bitmap are as wide as the
// screen and logo_h rows high; the reflection is stretched into a temporary bitmap
// of reflection_h rows, laid over the destination from row reflection_top.
struct BackdropLayout {
    int w, h;
    int logo_h;
    int reflection_h;
    int reflection_top;
};

constexpr BackdropLayout kHighLayout = {kBackdropHighW, kBackdropHighH, kLogoHighH, 200, 110};
constexpr BackdropLayout kLowLayout = {kBackdropLowW, kBackdropLowH, kLogoLowH, 80, 64};
static_assert(kLogoHighW == kBackdropHighW && kLogoLowW == kBackdropLowW,
              "the logo spans the screen");

// phase % steps keeps the sign of a negative phase; one more step and a second
// remainder bring it into 0..steps - 1 either way.
int wrap_phase(int phase, int steps) { return (phase % steps + steps) % steps; }

// The work bitmap is stretched as a whole with the logo's size, and stretch_blit
// neither clips its source nor converts between depths: a work bitmap smaller than
// the logo or of another depth than the destination would be read out of bounds.
bool work_fits(const BackdropLayout &l, BITMAP *work, BITMAP *dest) {
    return work->w >= l.w && work->h >= l.logo_h &&
           bitmap_color_depth(work) == bitmap_color_depth(dest);
}

// The logo turned upside down into the work bitmap, row y to row logo_h - y, each row
// shifted sideways by the ripple a step further on than the row above. Logo row 0
// would land just below the work bitmap, so it is not copied at all, and the work
// bitmap's row 0 stays transparent. Then the whole of it stretched to the bounce's
// height, which the temporary bitmap cuts at its own height, and laid over the
// destination translucently.
void draw_reflection(const BackdropLayout &l, int ripple_phase, int bounce_phase, BITMAP *logo,
                     BITMAP *work, BITMAP *dest) {
    OwnedBitmap temp(create_bitmap_ex(bitmap_color_depth(dest), l.w, l.reflection_h));
    if (!temp) return;

    clear_to_color(work, mask_colour);
    for (int y = 1; y < l.logo_h; ++y) {
        const int k = (ripple_phase + y) % kRippleSteps;
        blit(logo, work, 0, y, ripple_table[k], l.logo_h - y, l.w, 1);
    }

    clear_to_color(temp.get(), mask_colour);
    stretch_blit(work, temp.get(), 0, 0, l.w, l.logo_h, 0, 0, l.w,
                 l.logo_h + bounce_table[bounce_phase]);
    draw_trans_sprite(dest, temp.get(), 0, l.reflection_top);
}

void draw_backdrop(const BackdropLayout &l, int ripple_phase, int bounce_phase, BITMAP *background,
                   BITMAP *logo, BITMAP *work, BITMAP *dest) {
    if (!dest) return;
    if (background)
        blit(background, dest, 0, 0, 0, 0, l.w, l.h);
    else
        clear_to_color(dest, makecol_depth(bitmap_color_depth(dest), 0, 0, 0));
    if (!logo || !work || !work_fits(l, work, dest)) return;
    draw_reflection(l, wrap_phase(ripple_phase, kRippleSteps),
                    wrap_phase(bounce_phase, kBounceSteps), logo, work, dest);
}

} // namespace

void fill_menu_wave_tables() {
    for (int i = 0; i < kRippleSteps; ++i)
        ripple_table[i] =
            static_cast<int16_t>(std::trunc(std::sin(i * kTurn / kRippleSteps) * kRippleAmplitude));
    for (int i = 0; i < kBounceSteps; ++i)
        bounce_table[i] =
            static_cast<int16_t>(std::trunc(std::sin(i * kTurn / kBounceSteps) * kBounceAmplitude));
    mask_colour = makecol(255, 0, 255);
}

void draw_menu_backdrop(int ripple_phase, int bounce_phase, BITMAP *background, BITMAP *logo,
                        BITMAP *logo_work, BITMAP *dest) {
    draw_backdrop(kHighLayout, ripple_phase, bounce_phase, background, logo, logo_work, dest);
}

void draw_menu_backdrop_low(int ripple_phase, int bounce_phase, BITMAP *background, BITMAP *logo,
                            BITMAP *logo_work, BITMAP *dest) {
    draw_backdrop(kLowLayout, ripple_phase, bounce_phase, background, logo, logo_work, dest);
}

void draw_dial(BITMAP *dest, int16_t x, int16_t y, int16_t value, int16_t maximum,
               const CellSet &cells) {
    constexpr int kFrames = 16, kSide = 3;
    const int frame = maximum > 0 ? std::clamp(value * kFrames / maximum, 0, kFrames - 1) : 0;
    const int base = dial_base_cell(frame);
    for (int r = 0; r < kSide; ++r)
        for (int c = 0; c < kSide; ++c) {
            BITMAP *cell = cells[base + kSheetColumns * r + c];
            if (cell) draw_sprite(dest, cell, x + kCellSize * c, y + kCellSize * r);
        }
}
