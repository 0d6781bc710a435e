// Pixel tests of the room renderer, the three presentations and the energy bar, on
// memory bitmaps: each cell of the test sets is one flat colour (the cell number in
// its red and green), so a pixel says which cell was drawn there.
#include "level/hud.h"
#include "level/present.h"
#include "level/render.h"
#include "level/rules.h"
#include "core/game_config.h"
#include "world/map_identity.h"

#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

using testing_support::BitmapPtr;
using testing_support::make_bitmap;

constexpr int kDepth = 32;

int cell_colour(int set, int cell) { return makecol_depth(kDepth, cell, set * 100 + 20, 77); }

struct TestCells {
    CellSet cells{};
    explicit TestCells(int set) {
        for (int i = 0; i < kCellCount; ++i) {
            cells[i] = create_bitmap_ex(kDepth, kCellSize, kCellSize);
            clear_to_color(cells[i], cell_colour(set, i));
        }
    }
    ~TestCells() {
        for (BITMAP *b : cells) destroy_bitmap(b);
    }
};

class RenderTest : public testing::Test {
protected:
    void SetUp() override {
        set_trans_blender(0, 0, 0, 64);
        world.map_id = 0;
        map = std::make_unique<LevelMap>();
        for (RoomRecord &r : map->rooms) {
            r.backdrop = kNoBackdrop;
            for (auto &row : r.cells)
                for (RoomCell &c : row) c = RoomCell{kNoTile, kNoTile, 0, 0};
        }
        for (int i = 0; i < kSwitchCount; ++i) {
            map->switches[i] = PickupPlacement{24, 0, 1, 0, 0};
            map->refills[i] = PickupPlacement{24, 0, 1, 0, 0};
        }
        map->header.exit_room_column = 4;
        map->header.exit_room_row = 4;
        for (int i = 0; i < kObjectsPerGroup; ++i)
            enemies[i] = platforms[i] = MovingObject{0, 0, 0, 0, kNoSprite, 0, 0, 0, 0, 0};
        hero = HeroState{};
        hero.x = 100 * kSubPixels;
        hero.y = 50 * kSubPixels;
        for (int i = 0; i < kBackdropCount; ++i) {
            backdrop_bitmaps[i] = make_bitmap(kDepth, kBackdropWidth, kBackdropHeight);
            clear_to_color(backdrop_bitmaps[i].get(), makecol_depth(kDepth, 10 + i, 200, 200));
            backdrops[i] = backdrop_bitmaps[i].get();
        }
        clear_to_color(view.get(), makecol_depth(kDepth, 1, 2, 3));
    }

    void render(int room = 0) {
        render_room(hero, enemies, platforms, map->rooms, map->switches, map->refills,
                    static_cast<uint8_t>(room), room_tiles.cells, sprite_tiles.cells, backdrops,
                    view.get(), map->header, fx);
    }
    int at(int x, int y) { return getpixel(view.get(), x, y); }
    bool is_cell(int x, int y, int set, int cell) { return at(x, y) == cell_colour(set, cell); }

    std::unique_ptr<LevelMap> map;
    HeroState hero{};
    ObjectGroup enemies{}, platforms{};
    TestCells room_tiles{0}, sprite_tiles{1};
    BitmapPtr backdrop_bitmaps[kBackdropCount];
    BITMAP *backdrops[kBackdropCount] = {};
    BitmapPtr view = make_bitmap(kDepth, kBackdropWidth, kBackdropHeight);
    EffectState fx{};
};

TEST_F(RenderTest, BackdropOrBlackFill) {
    map->rooms[0].backdrop = 3;
    hero.x = 200 * kSubPixels;
    render(0);
    EXPECT_EQ(at(5, 5), makecol_depth(kDepth, 13, 200, 200));
    map->rooms[1].backdrop = kNoBackdrop;
    render(1);
    EXPECT_EQ(at(5, 5), 0);
    EXPECT_EQ(at(0, 0), 0); // the whole view
    EXPECT_EQ(at(239, 143), 0);
}

TEST_F(RenderTest, FrontCellsLieOverTheHeroAndBackCellsUnder) {
    hero.y = 48 * kSubPixels;
    map->rooms[0].cells[3][2].back_tile = 40;
    map->rooms[0].cells[3][3].front_tile = 41;
    hero.x = 40 * kSubPixels; // over both cells: half on column 2, half on column 3
    render();
    EXPECT_TRUE(is_cell(33, 50, 0, 40));            // back cell left of the hero
    EXPECT_TRUE(is_cell(45, 50, 1, hero_picture(hero))); // hero over the back cell
    EXPECT_TRUE(is_cell(50, 50, 0, 41));            // front cell over the hero
}

TEST_F(RenderTest, DoorOpensWithTheTwentyFifthSwitch) {
    map->header.exit_room_column = 1;
    map->header.exit_room_row = 0;
    map->header.exit_cell_column = 5;
    map->header.exit_cell_row = 6;
    hero.switches_thrown = 24;
    render(1);
    EXPECT_TRUE(is_cell(85, 100, 1, 2)); // the closed door, cells 2 over 26
    EXPECT_TRUE(is_cell(85, 116, 1, 26));
    hero.switches_thrown = 25;
    render(1);
    EXPECT_TRUE(is_cell(85, 100, 1, 50)); // open, 50 over 74
    EXPECT_TRUE(is_cell(85, 116, 1, 74));
    render(2); // another room: no door
    EXPECT_EQ(at(85, 100), 0);
}

TEST_F(RenderTest, SwitchesAndRefillsPresentOrTakenInTheirRoomOnly) {
    map->switches[3] = PickupPlacement{7, 0, 1, 2, 1};
    map->switches[4] = PickupPlacement{7, 0, 0, 4, 1};
    map->refills[9] = PickupPlacement{7, 0, 1, 6, 1};
    map->refills[10] = PickupPlacement{7, 0, 0, 8, 1};
    map->refills[11] = PickupPlacement{6, 0, 1, 10, 1};
    map->switches[0] = PickupPlacement{7, 0, 1, 2, 5}; // the first of each is drawn too
    map->refills[0] = PickupPlacement{7, 0, 0, 4, 5};
    render(7);
    EXPECT_TRUE(is_cell(36, 84, 1, 192));
    EXPECT_TRUE(is_cell(68, 84, 1, 217));
    EXPECT_TRUE(is_cell(36, 20, 1, kSwitchCell));
    EXPECT_TRUE(is_cell(68, 20, 1, kSwitchCell + 24));
    EXPECT_TRUE(is_cell(100, 20, 1, kRefillCell));
    EXPECT_TRUE(is_cell(132, 20, 1, kRefillCell + 24));
    EXPECT_EQ(at(164, 20), 0);
}

// A sprite whose left half differs from its right shows which way it was drawn.
TEST_F(RenderTest, EnemiesMirrorWhenHeadingLeftPlatformsNever) {
    rectfill(sprite_tiles.cells[28], 0, 0, 7, 15, makecol_depth(kDepth, 250, 0, 0));
    enemies[0] = MovingObject{20, 20, 2, 0, 4, 24, 20, 20, 100, 20};
    platforms[0] = MovingObject{20, 80, -2, 0, 4, 24, 20, 80, 100, 80};
    render();
    const int red = makecol_depth(kDepth, 250, 0, 0);
    EXPECT_EQ(at(21, 25), red);   // heading right: as drawn
    EXPECT_EQ(at(21, 85), red);   // platform heading left: never mirrored
    enemies[0].vx = 0;
    render();
    EXPECT_EQ(at(21, 25), red);   // standing: as drawn
    enemies[0].vx = -2;
    render();
    EXPECT_EQ(at(34, 25), red);   // heading left: mirrored
    EXPECT_TRUE(is_cell(21, 25, 1, 28));
    enemies[0].sprite = kNoSprite;
    render();
    EXPECT_EQ(at(34, 25), 0);     // an empty slot draws nothing
}

TEST(HeroPicture, ChosenFromFallingJumpingAndWalkPhase) {
    struct Case {
        int16_t falling, jumping, walk_phase, facing;
        int cell;
    } cases[] = {
        {0, 0, 0, 0, 0},   {0, 0, 24, 0, 24}, {0, 0, 48, 0, 0},  {0, 0, 72, 0, 48},
        {0, 0, 72, 1, 49}, {0, 1, 24, 0, 72}, {0, 1, 0, 1, 73},  {1, 0, 0, 0, 96},
        {1, 0, 72, 1, 169}, {1, 1, 24, 0, 120},
    };
    for (const Case &c : cases) {
        HeroState h{};
        h.falling = c.falling;
        h.jumping = c.jumping;
        h.walk_phase = c.walk_phase;
        h.facing = c.facing;
        EXPECT_EQ(hero_picture(h), c.cell) << c.falling << c.jumping << " " << c.walk_phase;
    }
}

TEST_F(RenderTest, SeeThroughCellsFollowTheMapsLook) {
    map->rooms[0].cells[0][0].front_tile = 231;
    map->rooms[0].cells[0][1].front_tile = 232;
    map->rooms[0].cells[0][2].back_tile = 216;
    world.map_id = 1; // front cells from 232 see-through, back cells solid
    render();
    EXPECT_TRUE(is_cell(8, 8, 0, 231));
    EXPECT_FALSE(is_cell(24, 8, 0, 232));
    EXPECT_TRUE(is_cell(40, 8, 0, 216));
    world.map_id = 2; // front from 216, back cells from 216 see-through under the cell six on
    render();
    EXPECT_FALSE(is_cell(8, 8, 0, 231));
    EXPECT_TRUE(is_cell(40, 8, 0, 222));
    world.map_id = 0;
    render();
    EXPECT_TRUE(is_cell(24, 8, 0, 232));
    // Map id 6: front cells from 235 see-through, each under its own solid overlay
    // but 238, which has none; 234 is drawn solid.
    const int16_t fronts[] = {234, 235, 236, 237, 238, 239};
    const int overlays[] = {234, 49, 50, 48, -1, 51};
    for (int i = 0; i < 6; ++i) map->rooms[0].cells[1][i].front_tile = fronts[i];
    world.map_id = 6;
    render();
    for (int i = 0; i < 6; ++i) {
        if (overlays[i] >= 0) EXPECT_TRUE(is_cell(16 * i + 8, 24, 0, overlays[i])) << fronts[i];
        else EXPECT_FALSE(is_cell(16 * i + 8, 24, 0, fronts[i])) << "238 stays see-through";
    }
    // The dream screens' cells, and every map id past them, see-through from 216.
    for (int32_t id : {99, 100, 101, 40000}) {
        world.map_id = id;
        render();
        EXPECT_FALSE(is_cell(8, 8, 0, 231)) << id;
        EXPECT_TRUE(is_cell(40, 8, 0, 222)) << id;
    }
}

// ---- Presentation and the energy bar ----------------------------------------------

class ScreenTest : public testing::Test {
protected:
    void SetUp() override {
        set_trans_blender(0, 0, 0, 64);
        saved = game_config;
        clear_to_color(view.get(), makecol_depth(kDepth, 200, 160, 120));
        putpixel(view.get(), 0, 0, makecol_depth(kDepth, 0, 255, 0));
        clear_to_color(strip.get(), 0);
        clear_bitmap(screen.get());
    }
    void TearDown() override { game_config = saved; }
    GameConfig saved{};
    BitmapPtr view = make_bitmap(kDepth, kBackdropWidth, kBackdropHeight);
    BitmapPtr strip = make_bitmap(kDepth, kDoubledW, 1);
    BitmapPtr doubled = make_bitmap(kDepth, kDoubledW, kDoubledH);
    BitmapPtr screen = make_bitmap(kDepth, 640, 480);
};

TEST_F(ScreenTest, LowResolutionShowsTheViewUnscaled) {
    game_config.low_resolution = 1;
    present_room_view_to(view.get(), strip.get(), doubled.get(), screen.get());
    EXPECT_EQ(getpixel(screen.get(), 40, 8), makecol_depth(kDepth, 0, 255, 0));
    EXPECT_EQ(getpixel(screen.get(), 41, 8), makecol_depth(kDepth, 200, 160, 120));
    EXPECT_EQ(getpixel(screen.get(), 39, 8), 0);
    EXPECT_EQ(getpixel(screen.get(), 40 + 240, 8 + 143), 0);
}

TEST_F(ScreenTest, HighResolutionDoublesWithOrWithoutScanLines) {
    const int plain = makecol_depth(kDepth, 200, 160, 120);
    game_config.low_resolution = 0;
    game_config.render_mode = kRenderDoubled;
    present_room_view_to(view.get(), strip.get(), doubled.get(), screen.get());
    EXPECT_EQ(getpixel(screen.get(), 82, 58), makecol_depth(kDepth, 0, 255, 0));
    EXPECT_EQ(getpixel(screen.get(), 83, 58), plain);
    EXPECT_EQ(getpixel(screen.get(), 83, 59), plain);
    EXPECT_EQ(getpixel(screen.get(), 560, 344), plain);
    EXPECT_EQ(getpixel(screen.get(), 561, 344), 0);
    EXPECT_EQ(getpixel(screen.get(), 560, 345), 0);

    game_config.render_mode = kRenderScanLines;
    present_room_view_to(view.get(), strip.get(), doubled.get(), screen.get());
    int even = getpixel(screen.get(), 83, 57); // rows of the doubled view 0, 2, 4 ...
    int odd = getpixel(screen.get(), 83, 58);
    EXPECT_EQ(even, plain);
    EXPECT_LT(getr_depth(kDepth, odd), 200);
    EXPECT_GT(getr_depth(kDepth, odd), 130); // about three quarters as bright
    EXPECT_EQ(getpixel(screen.get(), 300, 344), odd);
}

TEST_F(ScreenTest, EnergyBarFullEmptyAndBelowZero) {
    BitmapPtr full = make_bitmap(kDepth, 205, 16), empty = make_bitmap(kDepth, 205, 16);
    const int red = makecol_depth(kDepth, 255, 0, 0), grey = makecol_depth(kDepth, 60, 60, 60);
    clear_to_color(full.get(), red);
    clear_to_color(empty.get(), grey);
    game_config.low_resolution = 0;
    auto count_full = [&] {
        int n = 0;
        for (int x = 90; x < 90 + 205; ++x) n += getpixel(screen.get(), x, 381 + 8) == red;
        return n;
    };
    draw_energy_bar_to(255, empty.get(), full.get(), screen.get());
    EXPECT_EQ(count_full(), 204);
    EXPECT_EQ(getpixel(screen.get(), 90 + 204, 381), grey);
    EXPECT_EQ(getpixel(screen.get(), 90 + 205, 381), 0); // nothing past the bar
    draw_energy_bar_to(128, empty.get(), full.get(), screen.get());
    EXPECT_EQ(count_full(), 102);
    draw_energy_bar_to(2, empty.get(), full.get(), screen.get());
    EXPECT_EQ(count_full(), 1);
    draw_energy_bar_to(0, empty.get(), full.get(), screen.get());
    EXPECT_EQ(count_full(), 0);
    draw_energy_bar_to(255, empty.get(), full.get(), screen.get());
    draw_energy_bar_to(-1, empty.get(), full.get(), screen.get());
    EXPECT_EQ(count_full(), 0);
    EXPECT_EQ(getpixel(screen.get(), 89, 381), 0);
    EXPECT_EQ(getpixel(screen.get(), 90, 396), grey);

    game_config.low_resolution = 1;
    EXPECT_EQ(energy_bar_width(255, energy_bar_place()), 101);
    draw_energy_bar_to(255, empty.get(), full.get(), screen.get());
    EXPECT_EQ(getpixel(screen.get(), 45 + 100, 170 + 7), red);
    EXPECT_EQ(getpixel(screen.get(), 45 + 101, 170 + 7), grey);
    EXPECT_EQ(getpixel(screen.get(), 45, 178), 0);
}

} // namespace
