// The three presentations of the room view as golden screens, and the look of map ids
// past the table. What the renderer and the effects draw for each look is in the
// replays' golden traces, which hash the screen every 25th frame: the effect test maps
// (tests/effects/maps/) each walk past one look's effect, the shipped levels the rest.
#include "core/game_config.h"
#include "level/look.h"
#include "level/present.h"

#include "support/golden_screen.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using testing_support::make_bitmap;

// No map plays an id past 99: such ids draw the dream screens' see-through cells over
// a plain backdrop, and keep their id.
TEST(MapLook, IdsPastTheTableKeepTheDreamCells) {
    for (int32_t map_id : {100, 4000}) {
        const MapLook look = map_look(map_id);
        EXPECT_EQ(look.map_id, map_id);
        EXPECT_TRUE(look.back == kSeeThroughBack && look.backdrop == BackdropRule::Plain) << map_id;
    }
    EXPECT_EQ(map_look(10).back, kMasked) << "an id between the table's looks is plain";
}

class PresentTest : public ::testing::TestWithParam<int> {};

// The view at 320 x 200, doubled at 640 x 480, and doubled with scan lines. The energy
// bar is in the replays' screens as the energy falls, and at 320 x 200 in play_test.
TEST_P(PresentTest, Presentations) {
    const int depth = GetParam();
    set_color_depth(depth);
    set_trans_blender(0, 0, 0, 64); // the start-up translucency the scan lines use
    const GameConfig saved = game_config;
    OwnedBitmap view = make_bitmap(depth, kBackdropWidth, kBackdropHeight),
                strip = make_bitmap(depth, kDoubledW, 1), doubled = make_bitmap(depth, kDoubledW, kDoubledH),
                screen = make_bitmap(depth, 640, 480);
    clear_to_color(strip.get(), 0);
    for (int y = 0; y < kBackdropHeight; ++y)
        for (int x = 0; x < kBackdropWidth; ++x)
            putpixel(view.get(), x, y, makecol(x, y + 60, (x / 8) % 2 ? 200 : 90));
    putpixel(view.get(), 0, 0, makecol(0, 255, 0));
    const struct {
        int low, mode;
        const char *name;
    } modes[] = {{1, kRenderScanLines, "low"}, {0, kRenderDoubled, "doubled"}, {0, kRenderScanLines, "scan_lines"}};
    for (const auto &m : modes) {
        game_config.low_resolution = m.low;
        game_config.render_mode = m.mode;
        clear_to_color(screen.get(), makecol(20, 0, 40));
        present_room_view_to(view.get(), strip.get(), doubled.get(), screen.get());
        const std::string name = std::string("present_") + m.name + "_" + std::to_string(depth);
        EXPECT_TRUE(testing_support::golden_screen(name, screen.get()));
    }
    game_config = saved;
}

INSTANTIATE_TEST_SUITE_P(Depths, PresentTest, ::testing::Values(16, 32));

} // namespace
