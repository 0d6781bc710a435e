// The menu panel as golden screens at the two depths the game runs in: dim and
// bright panels over a striped picture (the inside darkens what lies under it), the
// smallest panel, one hanging over every edge of the bitmap, each corner drawn on its
// own in the ramp of the last panel, and a solid fill drawn after a panel.
#include "support/golden_screen.h"
#include "support/test_support.h"
#include "ui/panel.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>

namespace {

class PanelTest : public ::testing::TestWithParam<int> {};

TEST_P(PanelTest, Panels) {
    const int depth = GetParam();
    set_trans_blender(0, 0, 0, 64);
    OwnedBitmap b = testing_support::make_bitmap(depth, 160, 96);
    for (int x = 0; x < b->w; ++x)
        vline(b.get(), x, 0, b->h - 1,
              makecol_depth(depth, x % 3 ? 240 : 0, x % 5 ? 200 : 96, (x * 7) & 255));
    draw_panel(b.get(), -3, -2, 40, 30, kPanelBright); // over the top-left edges
    draw_panel(b.get(), 46, 4, 97, 40, kPanelDim);
    draw_panel(b.get(), 104, 6, 114, 16, kPanelDim); // ten apart: one pixel inside
    draw_panel(b.get(), 120, 60, 163, 99, kPanelBright); // over the bottom-right edges
    rectfill(b.get(), 60, 20, 66, 26, makecol_depth(depth, 255, 0, 0)); // solid again
    for (int16_t style : {kPanelDim, kPanelBright}) {
        draw_panel(b.get(), 0, 40 + 20 * style, 19, 59 + 20 * style, style);
        for (int corner = 0; corner <= 5; ++corner) // 0 and 5 draw nothing
            draw_panel_corner(b.get(), 24 + 8 * corner, 50 + 20 * style, corner);
    }
    EXPECT_TRUE(testing_support::golden_screen("panels_" + std::to_string(depth), b.get()));
}

INSTANTIATE_TEST_SUITE_P(Depths, PanelTest, ::testing::Values(16, 32),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return "Bits" + std::to_string(info.param);
                         });

} // namespace
