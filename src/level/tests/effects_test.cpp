// The per-map effects on memory bitmaps, with rand() fixed by srand() before each
// run: which map ids draw what and where, and what the effect state holds after a
// number of frames (wave phase, scroll offset, wobble, the torches' shared counter,
// the wind, the lightning's count).
#include "core/game_config.h"
#include "core/platform.h"
#include "level/cues.h"
#include "level/effects.h"
#include "level/render.h"
#include "level/rules.h"
#include "world/map_identity.h"

#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace {

using testing_support::BitmapPtr;
using testing_support::make_bitmap;

constexpr int kDepth = 32;
constexpr int kW = kBackdropWidth, kH = kBackdropHeight;

int rgb(int r, int g, int b) { return makecol_depth(kDepth, r, g, b); }
// Each cell one flat colour that names it; neighbouring cells differ a lot in green,
// so that even a quarter of one, laid translucently, is told from its neighbour's.
int cell_colour(int set, int cell) { return rgb(cell, (cell * 53) % 256, set * 100 + 20); }
// `src` laid translucently over `dst` `times` times, by the library's own blender
// (set to the game's alpha of 64).
int blend_times(int src, int dst, int times) {
    BitmapPtr under = make_bitmap(kDepth, 1, 1), over = make_bitmap(kDepth, 1, 1);
    putpixel(under.get(), 0, 0, dst);
    putpixel(over.get(), 0, 0, src);
    for (int i = 0; i < times; ++i) draw_trans_sprite(under.get(), over.get(), 0, 0);
    return getpixel(under.get(), 0, 0);
}
int blend(int src, int dst) { return blend_times(src, dst, 1); }
bool near_colour(int a, int b) {
    return std::abs(getr32(a) - getr32(b)) <= 1 && std::abs(getg32(a) - getg32(b)) <= 1 &&
           std::abs(getb32(a) - getb32(b)) <= 1;
}

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

// A room drawn with the renderer for a chosen map id; the hero stands far from where
// the tests look unless a test moves him.
class EffectTest : public testing::Test {
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
        for (int i = 0; i < kSwitchCount; ++i)
            map->switches[i] = map->refills[i] = PickupPlacement{24, 0, 1, 0, 0};
        map->header.exit_room_column = map->header.exit_room_row = 4;
        for (int i = 0; i < kObjectsPerGroup; ++i)
            enemies[i] = platforms[i] = MovingObject{0, 0, 0, 0, kNoSprite, 0, 0, 0, 0, 0};
        hero.x = 200 * kSubPixels;
        hero.y = 120 * kSubPixels;
        // Backdrop 0: every column its own colour (red = x), so a shift shows.
        for (int i = 0; i < kBackdropCount; ++i) {
            backdrop_bitmaps[i] = make_bitmap(kDepth, kW, kH);
            backdrops[i] = backdrop_bitmaps[i].get();
            clear_to_color(backdrops[i], rgb(10 + i, 200, 200));
        }
        for (int x = 0; x < kW; ++x) vline(backdrops[0], x, 0, kH - 1, rgb(x, 60, 90));
        clear_to_color(backdrops[kGreyBackdrop], grey);
        // The hero's own picture stays out of the way: mask colour.
        for (int c : {0, 1}) clear_to_color(sprite_tiles.cells[c], bitmap_mask_color(sprite_tiles.cells[c]));
        clear_to_color(view.get(), grey);
        start_level_effects(fx, work.get());
        srand(7);
    }

    // Rooms that show the flat grey backdrop, so what an effect adds shows on it.
    void grey_rooms() {
        for (RoomRecord &r : map->rooms) r.backdrop = kGreyBackdrop;
    }
    void look(int map_id) {
        world.map_id = map_id;
        look_now = map_look(map_id);
    }
    void render(int room = 0) {
        render_room(hero, enemies, platforms, map->rooms, map->switches, map->refills,
                    static_cast<uint8_t>(room), room_tiles.cells, sprite_tiles.cells, backdrops,
                    view.get(), map->header, fx);
    }
    int at(int x, int y) { return getpixel(view.get(), x, y); }
    // Pixels of the view that differ from `before`.
    int changed_pixels(BITMAP *before, int x0 = 0, int y0 = 0, int x1 = kW, int y1 = kH) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += getpixel(view.get(), x, y) != getpixel(before, x, y);
        return n;
    }
    BitmapPtr copy_of_view() {
        BitmapPtr b = make_bitmap(kDepth, kW, kH);
        blit(view.get(), b.get(), 0, 0, 0, 0, kW, kH);
        return b;
    }

    static constexpr int kGreyBackdrop = 4;
    const int grey = rgb(100, 100, 100);
    std::unique_ptr<LevelMap> map;
    HeroState hero{};
    ObjectGroup enemies{}, platforms{};
    TestCells room_tiles{0}, sprite_tiles{1};
    BitmapPtr backdrop_bitmaps[kBackdropCount];
    BITMAP *backdrops[kBackdropCount] = {};
    BitmapPtr view = make_bitmap(kDepth, kW, kH);
    BitmapPtr work = make_bitmap(kDepth, kWorkBitmapW, kWorkBitmapH);
    EffectState fx{};
    MapLook look_now = kPlainLook;
};

// ---- Tables ---------------------------------------------------------------------------

TEST(EffectTables, TheWaveTablesHoldTwoPeriods) {
    int32_t t[kWaveTableSize];
    fill_wave_table(t);
    const int32_t first[] = {0, 0, 1, 2, 2, 3, 3, 4, 5, 5, 6, 6, 6, 7};
    for (int i = 0; i < 14; ++i) EXPECT_EQ(t[i], first[i]) << i;
    for (int peak : {18, 90}) EXPECT_EQ(t[peak], 7) << peak;   // just short of 8
    for (int trough : {54, 126}) EXPECT_EQ(t[trough], -7) << trough;
    for (int i = 0; i < 72; ++i) EXPECT_NEAR(t[i], t[i + 72], 1) << i; // the second period
    int32_t small[kWaveTableSize];
    fill_small_wave_table(small);
    int low = 0, high = 0;
    for (int32_t v : small) low = std::min<int>(low, v), high = std::max<int>(high, v);
    EXPECT_EQ(low, -3);
    EXPECT_EQ(high, 3);
    EXPECT_EQ(small[18], 3);
    EXPECT_EQ(small[54], -3);
}

TEST(EffectTables, SparkCircleIsTwiceTheSineAndCosineTruncated) {
    for (int i = 0; i < kSparkSteps; ++i) {
        EXPECT_EQ(kSparkDx[i], static_cast<int>(std::trunc(2 * std::sin(i * 6.2831832 / 10.0)))) << i;
        EXPECT_EQ(kSparkDy[i], static_cast<int>(std::trunc(2 * std::cos(i * 6.2831832 / 10.0)))) << i;
    }
}

TEST(EffectTables, WhichMapIdsTurnOnWhichEffect) {
    struct Case {
        int32_t map_id;
        uint16_t effects;
        BackdropRule backdrop;
        bool waves_col4_row0, waves_col2_row3, waves_col1_row3;
    } cases[] = {
        {0, kNoEffects, BackdropRule::Plain, false, false, false},
        {1, kHeroLight, BackdropRule::Plain, false, false, false},
        {2, kNoEffects, BackdropRule::Plain, false, false, false},
        {3, kHeroLight, BackdropRule::Plain, false, false, false},
        {4, kSparks, BackdropRule::Plain, false, true, false},
        {5, kNoEffects, BackdropRule::Plain, true, false, false},
        {6, kDrifters, BackdropRule::Plain, false, false, false},
        {7, kNoEffects, BackdropRule::Plain, false, false, false},
        {9, kTorches, BackdropRule::Scroll, false, false, false},
        {22, kRain, BackdropRule::Plain, false, false, false},
        {98, kNoEffects, BackdropRule::TrailStill, false, false, false},
        {99, kSmallWobble, BackdropRule::Trail, false, false, false},
        {100, kNoEffects, BackdropRule::Plain, false, false, false},
        {-1, kNoEffects, BackdropRule::Plain, false, false, false},
    };
    for (const Case &c : cases) {
        const MapLook look = map_look(c.map_id);
        EXPECT_EQ(look.effects, c.effects) << c.map_id;
        EXPECT_EQ(look.backdrop, c.backdrop) << c.map_id;
        EXPECT_EQ(waves_in(look.wave, 4, 0), c.waves_col4_row0) << c.map_id;
        EXPECT_EQ(waves_in(look.wave, 2, 3), c.waves_col2_row3) << c.map_id;
        EXPECT_EQ(waves_in(look.wave, 1, 3), c.waves_col1_row3) << c.map_id;
    }
    // Map id 4 waves in row 3 only, in every column from 2; map id 5 in every row.
    EXPECT_TRUE(waves_in(map_look(4).wave, 4, 3));
    EXPECT_FALSE(waves_in(map_look(4).wave, 2, 2));
    EXPECT_TRUE(waves_in(map_look(5).wave, 4, 4));
    EXPECT_FALSE(waves_in(map_look(5).wave, 3, 4));
}

// ---- Backdrops -------------------------------------------------------------------------

TEST_F(EffectTest, TheWavingBackdropShiftsEachRowByTheWaveTable) {
    look(5);
    map->rooms[4].backdrop = 0;
    fx.wave_phase = 140;
    render(4);
    EXPECT_EQ(fx.wave_phase, 141);
    for (int y : {0, 3, 10, 20, 60, 100}) {
        int s = (140 + y) % kWaveTableSize;
        int shift = fx.wave_table[s];
        // The picture's column x lands at x + shift; the gap takes the edge colour.
        EXPECT_EQ(at(100 + shift, y), rgb(100, 60, 90)) << y;
        if (shift > 0) {
            EXPECT_EQ(at(0, y), rgb(0, 60, 90)) << y;
        }
        if (shift < 0) {
            EXPECT_EQ(at(kW - 1, y), rgb(kW - 1, 60, 90)) << y;
        }
    }
    // Row 10 (entry 6, shift 3) and row 60 (entry 56, shift -7) move both ways.
    EXPECT_EQ(at(3, 10), rgb(0, 60, 90));
    EXPECT_EQ(at(kW - 3, 60), rgb(kW - 1, 60, 90));
    for (int i = 0; i < 3; ++i) render(4);
    EXPECT_EQ(fx.wave_phase, 0); // 144 wraps to 0
    for (int i = 0; i < 150; ++i) render(4);
    EXPECT_EQ(fx.wave_phase, 6);
}

TEST_F(EffectTest, TheWaveShowsOnlyInItsRooms) {
    map->rooms[0].backdrop = 0;
    struct Case {
        int map_id, column, row;
        bool waves;
    } cases[] = {
        {5, 4, 0, true},  {5, 4, 4, true},  {5, 3, 0, false}, {4, 2, 3, true}, {4, 4, 3, true},
        {4, 1, 3, false}, {4, 2, 2, false}, {4, 2, 4, false}, {0, 4, 0, false}, {9, 4, 3, false},
    };
    for (const Case &c : cases) {
        look(c.map_id);
        const int room = room_index_of(c.column, c.row);
        map->rooms[room].backdrop = 0;
        fx.wave_phase = 10;
        render(room);
        EXPECT_EQ(fx.wave_phase, c.waves ? 11 : 10) << c.map_id << " " << c.column << "," << c.row;
        // Row 0 of a wave at entry 10 is shifted right by 6.
        EXPECT_EQ(at(50, 0) == rgb(50, 60, 90), !c.waves) << c.map_id << " " << c.column << "," << c.row;
        map->rooms[room].backdrop = kNoBackdrop;
    }
}

TEST_F(EffectTest, AWaveRoomWithoutABackdropIsBlack) {
    look(5);
    render(4);
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_EQ(at(kW - 1, kH - 1), 0);
    EXPECT_EQ(fx.wave_phase, 1);
}

TEST_F(EffectTest, TheSkyScrollsRightAPixelAFrameAndARoomWithoutOneKeepsTheLastPicture) {
    look(9);
    map->rooms[0].backdrop = 0;
    render(0);
    EXPECT_EQ(at(10, 5), rgb(10, 60, 90)); // offset 0 in the first frame
    EXPECT_EQ(fx.scroll_offset, 1);
    for (int i = 0; i < 36; ++i) render(0);
    EXPECT_EQ(fx.scroll_offset, 37);
    EXPECT_EQ(at(10 + 36, 5), rgb(10, 60, 90));
    EXPECT_EQ(at(0, 5), rgb(kW - 36, 60, 90)); // what leaves at the right comes in at the left
    EXPECT_EQ(at(35, 5), rgb(kW - 1, 60, 90));
    EXPECT_EQ(at(10 + 36, 0), rgb(10, 60, 90)) << "from the top row down";
    EXPECT_EQ(at(0, 0), rgb(kW - 36, 60, 90));
    fx.scroll_offset = kW - 1;
    render(0);
    EXPECT_EQ(fx.scroll_offset, 0);

    // No backdrop: nothing drawn behind the cells, the scroll waits.
    clear_to_color(view.get(), grey);
    render(1);
    EXPECT_EQ(at(120, 70), grey);
    EXPECT_EQ(fx.scroll_offset, 0);
}

TEST_F(EffectTest, TheDreamScreenLaysTheBackdropTranslucentlyAndShrinksTheViewOverItself) {
    map->rooms[0].backdrop = 1; // flat (11, 200, 200)
    const int picture = rgb(11, 200, 200);
    for (int id : {98, 99}) {
        look(id);
        clear_to_color(view.get(), grey);
        enter_room_effects(fx, look_now, hero);
        render(0);
        // Outside the shrunken copy: a quarter of the backdrop over the last frame.
        EXPECT_TRUE(near_colour(at(1, 1), blend(picture, grey))) << id;
        EXPECT_TRUE(near_colour(at(kW - 2, kH - 2), blend(picture, grey))) << id;
        // The copy covers 232 x 138 from (4, 3) while the wobble is at its start.
        EXPECT_TRUE(near_colour(at(4, 3), blend(picture, grey))) << id;
        EXPECT_EQ(at(3, 50), at(1, 1)) << id;
    }
    // No backdrop: the view darkens by a quarter each frame.
    look(98);
    clear_to_color(view.get(), grey);
    render(1);
    EXPECT_TRUE(near_colour(at(1, 1), blend(0, grey)));
}

// The first lit pixel along a row or down a column of the view.
int first_lit_x(BITMAP *view, int y) {
    for (int x = 0; x < kW; ++x)
        if (getr32(getpixel(view, x, y)) > 30) return x;
    return -1;
}
int first_lit_y(BITMAP *view, int x) {
    for (int y = 0; y < kH; ++y)
        if (getr32(getpixel(view, x, y)) > 30) return y;
    return -1;
}

TEST_F(EffectTest, TheCopyWobblesOnMapId99AndStaysStillOn98) {
    // A backdrop of nothing but a white cross: the shrunken copy's cross is the one
    // that shows, so where it lies says where the copy was laid.
    map->rooms[0].backdrop = 2;
    BITMAP *cross = backdrops[2];
    clear_to_color(cross, bitmap_mask_color(cross));
    rectfill(cross, 120, 0, 123, kH - 1, rgb(255, 255, 255));
    rectfill(cross, 0, 70, kW - 1, 73, rgb(255, 255, 255));
    int still_x = -1, still_y = -1;
    for (int id : {98, 99}) {
        look(id);
        enter_room_effects(fx, look_now, hero);
        for (int frame = 0; frame < 80; ++frame) {
            const int wx = fx.wobble_x, wy = fx.wobble_y;
            clear_to_color(view.get(), 0);
            render(0);
            const int dx = id == 99 ? fx.wave_table[wx] : 0;
            const int dy = id == 99 ? fx.wave_table[wy] >> 1 : 0;
            const int x = first_lit_x(view.get(), 20), y = first_lit_y(view.get(), 20);
            if (still_x < 0) still_x = x, still_y = y;
            EXPECT_EQ(x, still_x + dx) << id << " frame " << frame;
            EXPECT_EQ(y, still_y + dy) << id << " frame " << frame;
            EXPECT_EQ(fx.wobble_x, (frame + 1) % kWobbleWrap) << id;
            EXPECT_EQ(fx.wobble_y, (2 * (frame + 1)) % kWobbleWrap) << id;
        }
    }
    // The copy is shrunk to 232 x 138 from (4, 3): the cross's bars come in by the ratio.
    EXPECT_NEAR(still_x, 4 + 120 * 232 / 240, 1);
    EXPECT_NEAR(still_y, 3 + 70 * 138 / 144, 1);
    // A new room starts the wobble again.
    enter_room_effects(fx, look_now, hero);
    EXPECT_EQ(fx.wobble_x, 0);
    EXPECT_EQ(fx.wobble_y, 0);
}

TEST_F(EffectTest, MapId99GetsTheGentleWaveAtEveryRoomEntryOthersKeepTheirs) {
    look(99);
    enter_room_effects(fx, look_now, hero);
    EXPECT_EQ(fx.wave_table[18], 3);
    for (int id : {0, 1, 2, 3, 4, 5, 6, 9, 22, 98}) {
        start_level_effects(fx, work.get());
        look(id);
        enter_room_effects(fx, look_now, hero);
        EXPECT_EQ(fx.wave_table[18], 7) << id;
    }
}

// ---- Cells -----------------------------------------------------------------------------

TEST_F(EffectTest, HighBackCellsOnTheOverlayMapsDrawWithoutAnOverlayPastTheSheet) {
    look(22);
    grey_rooms();
    RoomCell(&row)[kRoomColumns] = map->rooms[0].cells[0];
    row[0].back_tile = 233; // overlay 239, the last cell
    row[1].back_tile = 234; // overlay would be 240
    row[2].back_tile = 239;
    render(0);
    EXPECT_EQ(at(8, 8), cell_colour(0, 239));
    EXPECT_TRUE(near_colour(at(24, 8), blend(cell_colour(0, 234), grey)));
    EXPECT_TRUE(near_colour(at(40, 8), blend(cell_colour(0, 239), grey)));
}

TEST_F(EffectTest, TorchesShareOneCounterInScanOrder) {
    look(9);
    // One torch: it steps every fourth frame, 96 -> 120 -> 144 -> 168 -> 96.
    int16_t &only = map->rooms[0].cells[2][3].front_tile;
    only = 96;
    std::vector<int> seen;
    for (int frame = 1; frame <= 16; ++frame) {
        render(0);
        seen.push_back(only);
        EXPECT_EQ(at(3 * 16 + 8, 2 * 16 + 8), cell_colour(0, only)) << frame; // drawn as it now is
    }
    EXPECT_EQ(seen, (std::vector<int>{96, 96, 96, 120, 120, 120, 120, 144, 144, 144, 144, 168,
                                      168, 168, 168, 96}));
    EXPECT_EQ(fx.tile_anim_counter, 0);

    // Two torches: the counter always reaches four at the second, which steps every
    // second frame; the first never changes.
    int16_t &first = map->rooms[1].cells[1][1].front_tile;
    int16_t &second = map->rooms[1].cells[5][0].front_tile;
    first = 120;
    second = 144;
    std::vector<int> firsts, seconds;
    for (int frame = 0; frame < 8; ++frame) {
        render(1);
        firsts.push_back(first);
        seconds.push_back(second);
    }
    EXPECT_EQ(firsts, std::vector<int>(8, 120));
    EXPECT_EQ(seconds, (std::vector<int>{144, 168, 168, 96, 96, 120, 120, 144}));
    // The steps stay in the room record: coming back goes on from there.
    EXPECT_EQ(map->rooms[0].cells[2][3].front_tile, 96);
    // Other maps leave the torches and the counter alone.
    for (int id : {0, 1, 2, 3, 4, 5, 6, 22, 98, 99}) {
        look(id);
        for (int frame = 0; frame < 4; ++frame) render(1);
        EXPECT_EQ(second, 144) << id;
        EXPECT_EQ(fx.tile_anim_counter, 0) << id;
    }
}

TEST_F(EffectTest, TorchStepsOnlyTheFourTorchCells) {
    for (int16_t t : {95, 97, 108, 192, 216, -1}) {
        int16_t cell = t;
        fx.tile_anim_counter = 3;
        EXPECT_EQ(animate_torch(fx, cell), t);
        EXPECT_EQ(fx.tile_anim_counter, 3) << t;
    }
}

// ---- Light, sparks, drifters ------------------------------------------------------------

TEST_F(EffectTest, TheHeroLightFlickersOnMapIds1And3Only) {
    hero.x = 100 * kSubPixels;
    hero.y = 60 * kSubPixels;
    grey_rooms();
    for (int id : {1, 3}) {
        look(id);
        srand(11);
        const int r0 = rand() % 4, r1 = rand() % 4;
        srand(11);
        for (int r : {r0, r1}) {
            clear_to_color(view.get(), grey);
            render(0);
            EXPECT_TRUE(near_colour(at(93, 53), blend(cell_colour(1, 98 + r), grey))) << id;
            EXPECT_TRUE(near_colour(at(93, 69), blend(cell_colour(1, 122 + r), grey))) << id;
            EXPECT_TRUE(near_colour(at(109, 53), blend(cell_colour(1, 146 + r), grey))) << id;
            EXPECT_TRUE(near_colour(at(123, 83), blend(cell_colour(1, 170 + r), grey))) << id;
            // 32 x 32 round the hero, no more: its corners exactly.
            EXPECT_TRUE(near_colour(at(92, 52), blend(cell_colour(1, 98 + r), grey))) << id;
            EXPECT_TRUE(near_colour(at(123, 52), blend(cell_colour(1, 146 + r), grey))) << id;
            EXPECT_TRUE(near_colour(at(92, 83), blend(cell_colour(1, 122 + r), grey))) << id;
            EXPECT_TRUE(near_colour(at(108, 83), blend(cell_colour(1, 170 + r), grey))) << id;
            for (auto [x, y] : {std::pair{91, 60}, {124, 60}, {124, 75}, {100, 51}, {100, 84}})
                EXPECT_EQ(at(x, y), grey) << id << " " << x << "," << y;
        }
    }
    // Over many frames each of the four pictures shows, and no other.
    look(1);
    std::set<int> pictures;
    for (int frame = 0; frame < 200; ++frame) {
        render(0);
        for (int r = 0; r < 8; ++r)
            if (near_colour(at(93, 53), blend(cell_colour(1, 98 + r), grey))) pictures.insert(r);
    }
    EXPECT_EQ(pictures, (std::set<int>{0, 1, 2, 3}));
    for (int id : {0, 2, 4, 5}) {
        look(id);
        clear_to_color(view.get(), grey);
        srand(11);
        render(0);
        EXPECT_EQ(at(93, 53), grey) << id;
        const int next = rand();
        srand(11);
        EXPECT_EQ(next, rand()) << id; // and it drew no random number
    }
}

TEST_F(EffectTest, SparksTrailTheHeroOnBothSides) {
    look(4);
    grey_rooms();
    hero.x = 100 * kSubPixels;
    hero.y = 60 * kSubPixels;
    fx.particles[kSparkCount].x = 777; // the first record past the sparks
    place_sparks(fx, hero);
    for (int i = 0; i < kSparkTrail; ++i) {
        EXPECT_EQ(fx.particles[i].x, 84) << i;
        EXPECT_EQ(fx.particles[i + kSparkTrail].x, 116) << i;
        EXPECT_EQ(fx.particles[i].y, 52) << i;
        EXPECT_EQ(fx.particles[i + kSparkTrail].y, 52) << i;
    }
    EXPECT_EQ(fx.particles[kSparkCount].x, 777) << "placing the sparks touches only theirs";
    render(0);
    // The newest spark of each side sits 12 pixels off, 8 up; the rest moved up a place.
    EXPECT_EQ(fx.particles[9].x, 88);
    EXPECT_EQ(fx.particles[19].x, 112);
    EXPECT_EQ(fx.particles[8].x, 84);
    EXPECT_EQ(fx.particles[0].frame, 24);
    EXPECT_EQ(fx.spark_phase, 1);
    // Drawn: records 0, 2, 4, 6 and 8 (all at x 84, y 52 yet) offset by the circle
    // at phase 0 (0, +2), cell 98, five times over.
    const int spark = blend_times(cell_colour(1, 98), grey, 5);
    EXPECT_TRUE(near_colour(at(84, 54), spark));
    EXPECT_TRUE(near_colour(at(116 + 15, 54 + 15), spark));
    EXPECT_EQ(at(83, 54), grey);
    EXPECT_EQ(at(84, 53), grey);

    // Ten frames walking right: the trail holds the hero's last ten places.
    for (int i = 0; i < 10; ++i) {
        hero.x += 2 * kSubPixels;
        render(0);
    }
    for (int i = 0; i < kSparkTrail; ++i) {
        EXPECT_EQ(fx.particles[i].x, 100 + 2 * (i + 1) - 12) << i;
        EXPECT_EQ(fx.particles[i + 10].x, 100 + 2 * (i + 1) + 12) << i;
        EXPECT_EQ(fx.particles[i].phase, (i + 1) % kSparkSteps) << i;
    }
    EXPECT_EQ(fx.particles[0].frame, (11 * 24) % 96);
    EXPECT_EQ(fx.spark_phase, 1);
    // After the first picture the circle starts again.
    after_first_picture(fx, look_now);
    EXPECT_EQ(fx.spark_phase, 0);
}

TEST_F(EffectTest, SparksStayInTheirRecordsWhereverTheHeroIs) {
    look(4);
    for (int32_t x : {-100000, 0, 61440, 4000000})
        for (int32_t y : {-5000, 36864, 900000}) {
            hero.x = x;
            hero.y = y;
            place_sparks(fx, hero);
            fx.particles[4].phase = 12345; // a phase off the circle reads as none
            render(0);
            EXPECT_LT(fx.spark_phase, kSparkSteps);
            EXPECT_LT(fx.particles[0].frame, 96);
        }
}

TEST_F(EffectTest, DriftersScatterAndWrapRoundTheRoom) {
    srand(3);
    scatter_drifters(fx);
    EXPECT_GE(fx.drifter_count, kMinDrifters);
    EXPECT_LE(fx.drifter_count, kMaxDrifters);
    for (int i = 0; i < fx.drifter_count; ++i) {
        const EffectParticle &p = fx.particles[i];
        EXPECT_GE(p.x, -32 * 256);
        EXPECT_LT(p.x, 240 * 256);
        EXPECT_GE(p.y, -32 * 256);
        EXPECT_LT(p.y, 144 * 256);
        EXPECT_GE(p.dx, -256);
        EXPECT_LT(p.dx, 256);
    }
    // Over many scatterings every value reaches both ends of its range, and no further.
    int low = 1000, high = 0;
    EffectParticle least{1 << 30, 1 << 30, 1 << 30, 1 << 30, 0, 0};
    EffectParticle most{-(1 << 30), -(1 << 30), -(1 << 30), -(1 << 30), 0, 0};
    for (int i = 0; i < 400; ++i) {
        scatter_drifters(fx);
        low = std::min<int>(low, fx.drifter_count);
        high = std::max<int>(high, fx.drifter_count);
        for (int d = 0; d < fx.drifter_count; ++d) {
            const EffectParticle &p = fx.particles[d];
            least = EffectParticle{std::min(least.x, p.x), std::min(least.y, p.y),
                                   std::min(least.dx, p.dx), std::min(least.dy, p.dy), 0, 0};
            most = EffectParticle{std::max(most.x, p.x), std::max(most.y, p.y),
                                  std::max(most.dx, p.dx), std::max(most.dy, p.dy), 0, 0};
        }
    }
    EXPECT_EQ(low, kMinDrifters);
    EXPECT_EQ(high, kMaxDrifters);
    EXPECT_EQ(least.x, -32 * 256);
    EXPECT_EQ(most.x, 239 * 256);
    EXPECT_EQ(least.y, -32 * 256);
    EXPECT_EQ(most.y, 143 * 256);
    EXPECT_EQ(least.dx, -256);
    EXPECT_EQ(most.dx, 255);
    EXPECT_EQ(least.dy, -256);
    EXPECT_EQ(most.dy, 255);

    // One drifter, walking off each side, comes in at the other.
    struct Case {
        int32_t x, y, dx, dy, want_x, want_y;
    } cases[] = {
        {-8000, 100, -300, 0, 61439, 100},
        {61400, 100, 100, 0, -8191, 100},
        {100, -8100, 0, -200, 100, 36863},
        {100, 36799, 0, 64, 100, 36863},
        {100, 36863, 0, 1, 100, -8191},
        // Landing exactly on an edge keeps it there.
        {-8000, 100, -191, 0, -8191, 100},
        {61400, 100, 39, 0, 61439, 100},
        {100, -8100, 0, -91, 100, -8191},
    };
    look(6);
    for (const Case &c : cases) {
        fx.drifter_count = 1;
        fx.particles[0] = EffectParticle{c.x, c.y, c.dx, c.dy, 0, 0};
        render(0);
        EXPECT_EQ(fx.particles[0].x, c.want_x) << c.x << "," << c.y;
        EXPECT_EQ(fx.particles[0].y, c.want_y) << c.x << "," << c.y;
    }
}

TEST_F(EffectTest, DriftersAndPlatformsLieOverTheFrontCellsOnMapId6) {
    look(6);
    grey_rooms();
    map->rooms[0].cells[2][2].front_tile = 40;
    platforms[0] = MovingObject{40, 100, 0, 0, 12, 0, 40, 100, 40, 100};
    map->rooms[0].cells[6][2].front_tile = 41; // under the platform at (40, 100)
    fx.drifter_count = 1;
    fx.particles[0] = EffectParticle{32 * 256, 32 * 256, 0, 0, 0, 0};
    render(0);
    EXPECT_TRUE(near_colour(at(33, 33), blend(cell_colour(1, 166), cell_colour(0, 40))));
    EXPECT_TRUE(near_colour(at(49, 33), blend(cell_colour(1, 167), grey)));
    EXPECT_TRUE(near_colour(at(49, 49), blend(cell_colour(1, 191), grey)));
    EXPECT_TRUE(near_colour(at(33, 49), blend(cell_colour(1, 190), grey)));
    EXPECT_EQ(at(31, 40), grey);
    EXPECT_EQ(at(64, 40), grey);
    EXPECT_EQ(at(42, 101), cell_colour(1, 12)); // the platform over the front cell
    look(0);
    fx.particles[0] = EffectParticle{32 * 256, 32 * 256, 0, 0, 0, 0};
    render(0);
    EXPECT_EQ(at(33, 33), cell_colour(0, 40)); // no drifters on another map
    EXPECT_EQ(at(42, 101), cell_colour(0, 41)); // and the front cell over the platform
}

// ---- Rain and lightning -------------------------------------------------------------------

TEST_F(EffectTest, TheWindStaysWithinItsLimitAndOneStep) {
    srand(5);
    int low = 0, high = 0;
    for (int frame = 0; frame < 200000; ++frame) {
        blow_wind(fx);
        low = std::min<int>(low, fx.wind);
        high = std::max<int>(high, fx.wind);
        ASSERT_LE(std::abs(fx.wind), kWindLimit + kMaxWindStep) << frame;
        ASSERT_GE(fx.wind_timer, 0);
        ASSERT_LE(fx.wind_timer, 59);
    }
    EXPECT_GT(high, kWindLimit); // it does reach the limit and turn
    EXPECT_LT(low, -kWindLimit);
}

TEST_F(EffectTest, WindPastTheLimitTurnsBack) {
    struct Case {
        int32_t wind, step, want_wind, want_step;
    } cases[] = {
        {100, 3, 103, 3},      // inside: one step on
        {258, 3, 252, -3},     // past, heading out: undone and reversed
        {-257, -5, -247, 5},
        {258, -4, 254, -4},    // past, a new step heading in: taken as it is
        {-258, 2, -256, 2},
        {256, 0, 256, 0},
        {255, 3, 258, 3},      // at the limit is not past it
        {-255, -3, -258, -3},
    };
    for (const Case &c : cases) {
        fx.wind = c.wind;
        fx.wind_step = c.step;
        fx.wind_timer = 5;
        blow_wind(fx);
        EXPECT_EQ(fx.wind, c.want_wind) << c.wind << " " << c.step;
        EXPECT_EQ(fx.wind_step, c.want_step) << c.wind << " " << c.step;
        EXPECT_EQ(fx.wind_timer, 4);
    }
    // A new while: timer 1..60 then counted down once, step -5..4.
    srand(9);
    const int timer = rand() % 60 + 1, step = rand() % 10 - 5;
    srand(9);
    fx = EffectState{};
    blow_wind(fx);
    EXPECT_EQ(fx.wind_timer, timer - 1);
    EXPECT_EQ(fx.wind_step, step);
    EXPECT_EQ(fx.wind, step);
}

TEST_F(EffectTest, RainFallsInTheUpperRowsOnlyAndItsDropsStayInTheView) {
    look(22);
    srand(2);
    place_rain_drops(fx);
    for (const RainDrop &d : fx.rain_drops) {
        EXPECT_EQ(d.x % 256, 0);
        EXPECT_LT(d.x, 240 * 256);
        EXPECT_LT(d.y, 144 * 256);
        EXPECT_GE(d.length, 2);
        EXPECT_LE(d.length, 4);
    }
    const RainDrop first = fx.rain_drops[0];
    // Row 4: no rain, and the drops wait.
    srand(1000);
    BitmapPtr before = copy_of_view();
    fx.flash_active = 0;
    render(room_index_of(0, 4));
    EXPECT_EQ(fx.rain_drops[0].y, first.y);
    // Row 3: every drop falls four pixels, blown by the wind, and lines are drawn.
    clear_to_color(view.get(), 0);
    fx.wind = 0;
    fx.wind_step = 0;
    fx.wind_timer = 10;
    srand(1000); // no lightning strikes with this draw (checked below)
    render(room_index_of(2, 3));
    ASSERT_EQ(fx.flash_active, 0);
    EXPECT_EQ(fx.rain_drops[0].y, first.y + 1024 > 36608 ? 0 : first.y + 1024);
    EXPECT_EQ(fx.rain_drops[0].x, first.x);
    const int drop_x = fx.rain_drops[0].x >> 8, drop_y = fx.rain_drops[0].y >> 8;
    EXPECT_GE(getr32(at(drop_x, drop_y)), 62); // at least a quarter white
    EXPECT_GE(getg32(at(drop_x, drop_y + fx.rain_drops[0].length)), 62);
    // The wind slants each drop: its lower end lies wind * 16 / 256 pixels further on.
    for (RainDrop &d : fx.rain_drops) d = RainDrop{100 * 256, 96 * 256, 3};
    fx.wind = 200;
    fx.wind_step = 0;
    fx.wind_timer = 10;
    clear_to_color(view.get(), 0);
    srand(1000);
    render(room_index_of(2, 3));
    EXPECT_EQ(fx.rain_drops[0].x, 100 * 256 - 2000); // blown 2000 / 256 pixels left
    EXPECT_EQ(fx.rain_drops[0].y, 100 * 256);
    // From (92, 100) to (79, 103): (23600 - 3200) / 256 is 79.7.
    EXPECT_GE(getr32(at(92, 100)), 62);
    EXPECT_GE(getr32(at(79, 103)), 62);
    EXPECT_EQ(at(78, 103), 0);
    EXPECT_EQ(at(93, 100), 0);
    // A drop reaching the bottom row exactly stays a frame; past it, it starts at the top.
    for (RainDrop &d : fx.rain_drops) d = RainDrop{100 * 256, 36608 - 1024, 3};
    render(room_index_of(2, 3));
    EXPECT_EQ(fx.rain_drops[0].y, 36608);
    render(room_index_of(2, 3));
    EXPECT_EQ(fx.rain_drops[0].y, 0);
    // Whatever the wind, many frames keep every drop inside the view's width and height.
    for (int frame = 0; frame < 3000; ++frame) {
        render(room_index_of(1, 0));
        for (const RainDrop &d : fx.rain_drops) {
            ASSERT_GE(d.x, 0) << frame;
            ASSERT_LE(d.x, 61184) << frame;
            ASSERT_GE(d.y, 0) << frame;
            ASSERT_LE(d.y, 36608) << frame;
        }
    }
}

// A seed whose first rand() % 100 is 7: the lightning strikes on the first frame.
unsigned striking_seed() {
    for (unsigned seed = 1;; ++seed) {
        srand(seed);
        if (rand() % 100 == 7) return seed;
    }
}

TEST_F(EffectTest, LightningFlashesNFramesWhiteAndBlackByTurnsEndingWhite) {
    look(22);
    const unsigned seed = striking_seed();
    srand(seed);
    rand();
    const int n = rand() % 5 + 2, frequency = rand() % 1000 + 500, pan = rand() % 256;
    srand(seed);
    grey_rooms();
    std::vector<int> counts, fills;
    // The flash goes on even when the hero drops into the bottom row meanwhile.
    for (int frame = 0; frame < n + 2; ++frame) {
        render(room_index_of(0, frame == 0 ? 3 : 4));
        if (frame == 0) {
            EXPECT_TRUE(fx.thunder.due);
            EXPECT_EQ(fx.thunder.frequency, frequency);
            EXPECT_EQ(fx.thunder.pan, pan);
        }
        counts.push_back(fx.flash_count);
        const int c = at(120, 100);
        fills.push_back(c == grey ? 0 : getr32(c) > 100 ? 1 : -1);
        EXPECT_EQ(at(239, 143), c); // the whole view
        EXPECT_EQ(at(60, 130), c);
    }
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(counts[i], n - 1 - i) << i;
        EXPECT_EQ(fills[i], (n - 1 - i) % 2 == 0 ? 1 : -1) << i;
    }
    EXPECT_EQ(fills[n - 1], 1); // the last is white
    EXPECT_EQ(fills[n], 0);
    EXPECT_EQ(fills[n + 1], 0);
    EXPECT_EQ(fx.flash_active, 0);
}

TEST_F(EffectTest, LightningStrikesOnlyOnTheRainyMapAndAboveTheBottomRow) {
    const unsigned seed = striking_seed();
    for (int id : {0, 9, 98}) {
        look(id);
        srand(seed);
        render(room_index_of(0, 0));
        EXPECT_EQ(fx.flash_active, 0) << id;
        EXPECT_FALSE(fx.thunder.due) << id;
    }
    look(22);
    srand(seed);
    render(room_index_of(3, 4));
    EXPECT_EQ(fx.flash_active, 0);
    EXPECT_FALSE(fx.thunder.due);
    srand(seed);
    render(room_index_of(3, 2));
    EXPECT_EQ(fx.flash_active, 1);
}

// ---- The level run's moments ------------------------------------------------------------

TEST_F(EffectTest, ALevelStartForgetsEverythingTheLastRunLeft) {
    fx.wave_phase = 50;
    fx.scroll_offset = 99;
    fx.tile_anim_counter = 3;
    fx.wind = 200;
    fx.flash_active = 1;
    fx.flash_count = 4;
    fx.rain_loop = RainLoop::Upper;
    fx.thunder.due = true;
    fill_small_wave_table(fx.wave_table);
    start_level_effects(fx, work.get());
    EXPECT_EQ(fx.wave_phase, 0);
    EXPECT_EQ(fx.scroll_offset, 0);
    EXPECT_EQ(fx.tile_anim_counter, 0);
    EXPECT_EQ(fx.wind, 0);
    EXPECT_EQ(fx.flash_active, 0);
    EXPECT_EQ(fx.rain_loop, RainLoop::None);
    EXPECT_FALSE(fx.thunder.due);
    EXPECT_EQ(fx.wave_table[18], 7);
    EXPECT_EQ(fx.work, work.get());
    // So the first pass of the room loop always starts its band's loop.
    EXPECT_EQ(rain_loop_change(0, fx.rain_loop), RainLoop::Upper);
}

TEST_F(EffectTest, EachLookSetsUpOnlyItsOwnEffects) {
    hero.x = 50 * kSubPixels;
    hero.y = 40 * kSubPixels;
    srand(4);
    look(4);
    prepare_first_picture(fx, look_now, hero);
    EXPECT_EQ(fx.particles[0].x, 34);
    EXPECT_EQ(fx.drifter_count, 0);
    EXPECT_EQ(fx.rain_drops[0].length, 0);
    const int next = rand();
    srand(4);
    EXPECT_EQ(next, rand()); // no random number drawn

    look(6);
    start_level_effects(fx, work.get());
    prepare_first_picture(fx, look_now, hero);
    EXPECT_GE(fx.drifter_count, kMinDrifters);
    EXPECT_EQ(fx.rain_drops[0].length, 0);
    const int16_t count = fx.drifter_count;
    const EffectParticle first = fx.particles[0];
    leave_room_effects(fx, look_now); // a room left: scattered anew
    EXPECT_TRUE(fx.drifter_count != count || fx.particles[0].x != first.x);

    look(22);
    start_level_effects(fx, work.get());
    prepare_first_picture(fx, look_now, hero);
    EXPECT_EQ(fx.drifter_count, 0);
    EXPECT_GE(fx.rain_drops[199].length, 2);
    leave_room_effects(fx, look_now);
    EXPECT_EQ(fx.drifter_count, 0);
}

// ---- The weather's sounds, without a sound system -----------------------------------------

TEST(RainLoops, OneLoopAboveAndOneInTheBottomRowNeitherRestartedInItsBand) {
    struct Case {
        int row;
        RainLoop playing, change;
    } cases[] = {
        {0, RainLoop::None, RainLoop::Upper},   {3, RainLoop::None, RainLoop::Upper},
        {4, RainLoop::None, RainLoop::Bottom},  {2, RainLoop::Upper, RainLoop::None},
        {4, RainLoop::Upper, RainLoop::Bottom}, {4, RainLoop::Bottom, RainLoop::None},
        {3, RainLoop::Bottom, RainLoop::Upper},
    };
    for (const Case &c : cases)
        EXPECT_EQ(rain_loop_change(c.row, c.playing), c.change) << c.row;
}

TEST(RainLoops, TheMarkerFollowsTheBandAndTheThunderIsTakenOnce) {
    WeatherSamples none{};
    RainLoop playing = RainLoop::None;
    switch_rain_loop(4, playing, none);
    EXPECT_EQ(playing, RainLoop::Bottom);
    switch_rain_loop(1, playing, none);
    EXPECT_EQ(playing, RainLoop::Upper);
    ThunderCue clap{true, 10, 900};
    play_thunder(clap, none); // no sample: a silent flash
    EXPECT_FALSE(clap.due);
}

// Each band has its own loop: the upper rooms start the first, the bottom row the
// second, each looping at full volume.
TEST(RainLoops, EachBandStartsItsOwnLoop) {
    WeatherSamples samples{};
    for (SAMPLE *&s : samples.sample) s = create_sample(8, 0, 11025, 16);
    const GameConfig saved = game_config;
    game_config.sound_available = 1;
    static std::vector<SampleStart> starts;
    starts.clear();
    platform.on_sample = [](void *, const SampleStart &s) { starts.push_back(s); };
    RainLoop playing = RainLoop::None;
    switch_rain_loop(4, playing, samples);
    switch_rain_loop(3, playing, samples);
    switch_rain_loop(0, playing, samples); // the same band: nothing new
    platform.on_sample = nullptr;
    stop_weather(samples);
    game_config = saved;
    for (SAMPLE *s : samples.sample) destroy_sample(s);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].sample, samples.sample[kRainBottom]);
    EXPECT_EQ(starts[1].sample, samples.sample[kRainUpper]);
    for (const SampleStart &s : starts) {
        EXPECT_TRUE(s.loop);
        EXPECT_EQ(s.volume, 255);
        EXPECT_EQ(s.pan, 255);
    }
}

} // namespace
