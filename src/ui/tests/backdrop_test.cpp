// The menu backdrop at both screen sizes and the volume dial as golden screens: the
// logo's reflection at its tallest (the drawing has no code of its own for a depth),
// and over black without a background. (The menus' flows run
// without any picture, which a reflection of a missing logo would not survive.)
#include "support/golden_screen.h"
#include "support/test_support.h"
#include "ui/backdrop.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>

using testing_support::golden_screen;
using testing_support::make_bitmap;

namespace {

struct Version {
    const char *name;
    void (*draw)(int, int, BITMAP *, BITMAP *, BITMAP *, BITMAP *);
    int w, h, logo_h;
};
const Version kVersions[] = {
    {"high", draw_menu_backdrop, 640, 480, 193},
    {"low", draw_menu_backdrop_low, 320, 200, 72},
};

// A background of diagonal stripes; a logo whose rows and columns differ, with clear
// strips, and four yellow rows past its place (which must never show). The tallest
// reflection, cut by its bitmap, and no background; the menus' goldens show the
// ripple and the bounce at the phases they pass through.
TEST(MenuBackdrop, Frames) {
    set_color_depth(32); // the game's depth and translucency, the tables filled for it
    fill_menu_wave_tables();
    set_trans_blender(0, 0, 0, 64);
    for (const Version &v : kVersions) {
        OwnedBitmap background = make_bitmap(32, v.w, v.h), logo = make_bitmap(32, v.w, v.logo_h + 4),
                    work = make_bitmap(32, v.w, v.logo_h), dest = make_bitmap(32, v.w, v.h);
        for (int y = 0; y < v.h; ++y)
            for (int x = 0; x < v.w; ++x)
                putpixel(background.get(), x, y, makecol((x + y) % 24 < 12 ? 40 : 200, y & 255, 120));
        clear_to_color(logo.get(), makecol(255, 255, 0));
        for (int y = 0; y < v.logo_h; ++y)
            for (int x = 0; x < v.w; ++x)
                putpixel(logo.get(), x, y, (x / 8) % 5 == 2 ? makecol(255, 0, 255)
                                                            : makecol(16 * (y % 16), 16 * (y / 16), 16 * (x % 16)));
        for (bool with_background : {true, false}) {
            clear_to_color(dest.get(), makecol(13, 250, 7)); // a stale picture
            v.draw(with_background ? 25 : 7, with_background ? 5 : 12, with_background ? background.get() : nullptr,
                   logo.get(), work.get(), dest.get());
            const char *what = with_background ? "_32_bounce5" : "_32_no_background";
            EXPECT_TRUE(golden_screen(std::string("backdrop_") + v.name + what, dest.get()));
        }
    }
}

// Dials for the volumes at the edges of their frames (frame value * 16 / 256), as the
// set-up menu draws them.
TEST(VolumeDial, Frames) {
    testing_support::NumberedCells cells(32, 0);
    OwnedBitmap dest = make_bitmap(32, 8 * 52, 52);
    clear_to_color(dest.get(), makecol32(13, 250, 7));
    const int16_t values[] = {0, 15, 16, 127, 128, 239, 240, 255};
    for (int i = 0; i < 8; ++i)
        draw_dial(dest.get(), static_cast<int16_t>(52 * i + 2), 2, values[i], 256, cells.cells);
    EXPECT_TRUE(golden_screen("volume_dials", dest.get()));
}

} // namespace
