// Golden screens of the room renderer with every look a map id gives it, and of the
// three presentations. A look's golden is a film strip of nine
// frames of one small test map played as the level run plays it (first picture,
// room entries and exits), rand() seeded first: the same cells in every room, the
// hero in a new pose each frame and walking right, the exit door shut then open,
// pickups present and taken, enemies both ways, a platform under a front cell, and
// rooms chosen so that each effect's rooms and the rooms beside them show.
#include "core/game_config.h"
#include "level/present.h"
#include "level/render.h"
#include "level/rules.h"

#include "support/golden_screen.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

using testing_support::golden_screen;
using testing_support::make_bitmap;
using testing_support::screen_hash;

constexpr int kW = kBackdropWidth, kH = kBackdropHeight;
// Under this seed the lightning of the rainy map strikes in the strip (the level's
// sounds test sees its clap at the mixer).
constexpr unsigned kSeed = 22;

struct Frame {
    int column, row;
    int16_t falling, jumping, walk_phase, facing;
};
constexpr Frame kFrames[] = {
    {2, 3, 0, 0, 0, 0},  {2, 3, 0, 0, 24, 1}, {2, 3, 0, 0, 48, 0}, {1, 3, 0, 0, 72, 1},
    {2, 2, 0, 1, 24, 0}, {3, 4, 0, 1, 0, 1},  {4, 4, 1, 0, 72, 1}, {4, 0, 1, 1, 24, 0},
    {4, 1, 0, 0, 72, 0},
};
constexpr int kFrameCount = sizeof kFrames / sizeof kFrames[0];

class LookTest : public ::testing::TestWithParam<int> {
protected:
    const int depth = GetParam();
    testing_support::NumberedCells room_tiles{depth, 0}, sprite_tiles{depth, 1};
    OwnedBitmap backdrop = make_bitmap(depth, kW, kH), view = make_bitmap(depth, kW, kH),
                work = make_bitmap(depth, kWorkBitmapW, kWorkBitmapH);
    BITMAP *backdrops[kBackdropCount] = {};
    std::unique_ptr<LevelMap> map = std::make_unique<LevelMap>();
    PlayState state{};
    HeroState &hero = state.hero;
    ObjectGroup &enemies = state.enemies, &platforms = state.platforms;
    MapLook look = kPlainLook;
    EffectState fx{};

    void SetUp() override {
        set_color_depth(depth);
        set_trans_blender(0, 0, 0, 64);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                putpixel(backdrop.get(), x, y, makecol(x, y + 60, (x / 8) % 2 ? 200 : 90));
        for (BITMAP *&b : backdrops) b = backdrop.get();
    }

    void set_up_map() {
        for (RoomRecord &r : map->rooms) {
            r.backdrop = 0;
            for (int row = 0; row < kRoomRows; ++row)
                for (int col = 0; col < kRoomColumns; ++col) {
                    static const int16_t backs[] = {40, 216, 220, 233, 234, 239};
                    static const int16_t fronts[] = {41, 215, 216, 231, 232, 234, 235, 236, 237, 238, 239};
                    const int16_t back = row == 1 && col < 6 ? backs[col] : kNoTile;
                    int16_t front = row == 2 && col < 11 ? fronts[col] : kNoTile;
                    if (row == 3 && (col == 2 || col == 5)) front = col == 2 ? 96 : 120; // torches
                    if (row == 6 && (col == 2 || col == 3)) front = 41; // over the platform
                    r.cells[row][col] = RoomCell{back, front, 0, 0};
                }
        }
        map->rooms[room_index_of(4, 1)].backdrop = kNoBackdrop;
        for (int i = 0; i < kSwitchCount; ++i) map->switches[i] = map->refills[i] = PickupPlacement{10, 0, 1, 0, 8};
        const uint8_t room = room_index_of(2, 3);
        map->switches[0] = PickupPlacement{room, 0, 1, 13, 1};
        map->switches[24] = PickupPlacement{room, 0, 0, 14, 1};
        map->refills[0] = PickupPlacement{room, 0, 1, 13, 7};
        map->refills[24] = PickupPlacement{room, 0, 0, 14, 7};
        map->header.exit_room_column = 2;
        map->header.exit_room_row = 3;
        map->header.exit_cell_column = 12;
        map->header.exit_cell_row = 5;
        for (int i = 0; i < kObjectsPerGroup; ++i)
            enemies[i] = platforms[i] = MovingObject{0, 0, 0, 0, kNoSprite, 0, 0, 0, 0, 0};
        enemies[0] = MovingObject{20, 118, 2, 0, 4, 24, 0, 0, 0, 0};
        enemies[1] = MovingObject{60, 118, -2, 0, 4, 0, 0, 0, 0, 0};
        enemies[2] = MovingObject{180, 118, 0, 0, 5, 48, 0, 0, 0, 0};
        platforms[0] = MovingObject{40, 100, -2, 0, 12, 0, 0, 0, 0, 0};
        hero = HeroState{};
        hero.x = 90 * kSubPixels;
        hero.y = 60 * kSubPixels;
        hero.switches_thrown = 24;
    }

    void render(int column, int row) {
        state.start_column = column;
        state.start_row = row;
        render_room(RoomScene{look, *map, state, room_tiles.cells, sprite_tiles.cells, backdrops, view.get(), fx});
    }

    // The nine frames one under the other, played as the level run plays them.
    OwnedBitmap film(int map_id) {
        look = map_look(map_id);
        set_up_map();
        srand(kSeed);
        clear_to_color(view.get(), makecol(100, 100, 100));
        start_level_effects(fx, work.get());
        prepare_first_picture(fx, look, hero);
        if (has_effect(look, kDrifters)) { // by the room's edges, so they go round
            fx.particles[0] = EffectParticle{-8000, 40 * 256, -300, 0, 0, 0};
            fx.particles[1] = EffectParticle{100 * 256, -8100, 0, -200, 0, 0};
        }
        OwnedBitmap strip = make_bitmap(depth, kW, kH * kFrameCount);
        for (int i = 0; i < kFrameCount; ++i) {
            const Frame &f = kFrames[i];
            if (i > 0 && (i == 1 || f.column != kFrames[i - 1].column || f.row != kFrames[i - 1].row)) {
                if (i > 1) leave_room_effects(fx, look);
                enter_room_effects(fx, look, hero);
            }
            hero.falling = f.falling;
            hero.jumping = f.jumping;
            hero.walk_phase = f.walk_phase;
            hero.facing = f.facing;
            render(f.column, f.row);
            if (i == 0) after_first_picture(fx, look);
            blit(view.get(), strip.get(), 0, 0, 0, kH * i, kW, kH);
            hero.x += 3 * kSubPixels;
            hero.switches_thrown = 25;
        }
        return strip;
    }
};

TEST_P(LookTest, EachMapIdsLookOverNineFrames) {
    for (int map_id : {0, 1, 2, 3, 4, 5, 6, 9, 22, 98, 99, 100}) {
        const OwnedBitmap strip = film(map_id);
        EXPECT_TRUE(golden_screen("look_" + std::to_string(map_id) + "_" + std::to_string(depth), strip.get()));
        // A level start forgets everything the last run left.
        EXPECT_EQ(screen_hash(film(map_id).get()), screen_hash(strip.get())) << map_id;
    }
}

// The view at 320 x 200, doubled at 640 x 480, and doubled with scan lines. The energy
// bar is in the replays' screens as the energy falls, and at 320 x 200 in play_test.
TEST_P(LookTest, Presentations) {
    const GameConfig saved = game_config;
    OwnedBitmap strip = make_bitmap(depth, kDoubledW, 1), doubled = make_bitmap(depth, kDoubledW, kDoubledH),
                screen = make_bitmap(depth, 640, 480);
    clear_to_color(strip.get(), 0);
    blit(backdrop.get(), view.get(), 0, 0, 0, 0, kW, kH);
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
        EXPECT_TRUE(golden_screen(std::string("present_") + m.name + "_" + std::to_string(depth), screen.get()));
    }
    game_config = saved;
}

INSTANTIATE_TEST_SUITE_P(Depths, LookTest, ::testing::Values(16, 32),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return "Bits" + std::to_string(info.param);
                         });

} // namespace
