// One whole frame of play — the rules, the room drawn into the view with the map's
// effects, and the view doubled with scan lines onto a 640 x 480 screen — once for
// every map id the renderer knows, each on the level that shows it (map id 0 on the
// busiest room of prueba), beside a floor case that makes only the library's own
// drawing calls for that busiest room.
#include "core/game_config.h"
#include "level/effects.h"
#include "level/present.h"
#include "level/render.h"
#include "level/rules.h"
#include "world/map_file.h"
#include "world/map_identity.h"

#include "support/test_support.h"

#include <allegro.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr int kDepth = 16;

struct Bitmaps {
    CellSet room_tiles{}, sprite_tiles{};
    BITMAP *backdrops[kBackdropCount] = {};
    BITMAP *view = nullptr, *strip = nullptr, *doubled = nullptr, *screen = nullptr;
    Bitmaps() {
        for (int i = 0; i < kCellCount; ++i) {
            room_tiles[i] = create_bitmap_ex(kDepth, kCellSize, kCellSize);
            sprite_tiles[i] = create_bitmap_ex(kDepth, kCellSize, kCellSize);
        }
        for (BITMAP *&b : backdrops) b = create_bitmap_ex(kDepth, kBackdropWidth, kBackdropHeight);
        view = create_bitmap_ex(kDepth, kBackdropWidth, kBackdropHeight);
        strip = create_bitmap_ex(kDepth, kDoubledW, 1);
        doubled = create_bitmap_ex(kDepth, kDoubledW, kDoubledH);
        screen = create_bitmap_ex(kDepth, 640, 480);
        clear_bitmap(strip);
    }
    ~Bitmaps() {
        for (BITMAP *b : room_tiles) destroy_bitmap(b);
        for (BITMAP *b : sprite_tiles) destroy_bitmap(b);
        for (BITMAP *b : backdrops) destroy_bitmap(b);
        destroy_bitmap(view);
        destroy_bitmap(strip);
        destroy_bitmap(doubled);
        destroy_bitmap(screen);
    }
};

// The room with the most to draw: objects count ten, cells one.
int busiest_room(const LevelMap &map) {
    int best = 0, best_score = -1;
    for (int r = 0; r < kRoomCount; ++r) {
        int score = 0;
        const RoomRecord &room = map.rooms[r];
        for (int i = 0; i < kSpawnsPerGroup; ++i)
            score += 10 * ((room.enemies[i].sprite != kEmptySlot) + (room.platforms[i].sprite != kEmptySlot));
        for (const auto &row : room.cells)
            for (const RoomCell &c : row) score += (c.back_tile != kNoTile) + (c.front_tile != kNoTile);
        if (score > best_score) best = r, best_score = score;
    }
    return best;
}

// Each map id on the level that shows it (map id 0 on the test map prueba), in its
// busiest room (a column of -1) or in a room where its effect shows: a waving room of
// the tower and of the water garden.
struct BenchMap {
    int32_t map_id;
    const char *file;
    int column, row;
};
constexpr BenchMap kBenchMaps[] = {
    {0, "prueba.map", -1, -1},  {1, "cueva.map", -1, -1},    {2, "castle.map", -1, -1},
    {3, "demo.map", -1, -1},    {4, "pachin.map", 2, 3},     {5, "vusk.map", 4, 0},
    {6, "salem.map", -1, -1},   {9, "almenas.map", -1, -1},  {22, "ciudad.map", -1, -1},
    {98, "sueno.map", -1, -1},  {99, "vertigo.map", -1, -1},
};
constexpr int kBenchMapCount = sizeof kBenchMaps / sizeof kBenchMaps[0];

struct Scene {
    std::unique_ptr<LevelMap> map = std::make_unique<LevelMap>();
    Bitmaps bmp;
    BITMAP *work = create_bitmap_ex(kDepth, kWorkBitmapW, kWorkBitmapH);
    PlayState state{};
    MapLook look = kPlainLook;
    EffectState fx{};
    bool loaded = false;

    explicit Scene(const BenchMap &which) {
        set_color_depth(kDepth);
        set_trans_blender(0, 0, 0, 64);
        game_config.low_resolution = 0;
        game_config.render_mode = kRenderScanLines;
        std::string path = std::string(VESPERTIL_GAME_DIR) + "/MAP/" + which.file;
        loaded = load_map_file(path.c_str(), map->header, map->rooms, map->switches,
                               map->refills, bmp.backdrops, bmp.room_tiles, bmp.sprite_tiles)
                     .loaded == 1;
        if (!loaded) return;
        look = map_look(which.map_id);
        srand(1);
        start_level_effects(fx, work);
        start_level_rules(state, *map);
        prepare_first_picture(fx, look, state.hero);
        // The drifters at their most: a hundred.
        while (has_effect(look, kDrifters) && fx.drifter_count < kMaxDrifters) scatter_drifters(fx);
        int room = which.column < 0 ? busiest_room(*map) : room_index_of(which.column, which.row);
        state.room_column = room % kWorldColumns;
        state.room_row = room / kWorldColumns;
        enter_room(state, *map);
        enter_room_effects(fx, look, state.hero);
    }
    ~Scene() { destroy_bitmap(work); }
};

void BM_LevelFrame(benchmark::State &st) {
    const BenchMap &which = kBenchMaps[st.range(0)];
    Scene scene(which);
    if (!scene.loaded) return st.SkipWithError("a test map is not in the game directory");
    st.SetLabel("map id " + std::to_string(which.map_id) + ", " + which.file);
    PlayState &s = scene.state;
    const PlayState start = s;
    for (auto _ : st) {
        FrameEvents ev;
        frame_rules_before_render(s, *scene.map, 0, ev);
        render_room(RoomScene{scene.look, *scene.map, s, scene.bmp.room_tiles,
                              scene.bmp.sprite_tiles, scene.bmp.backdrops, scene.bmp.view,
                              scene.fx});
        frame_rules_after_render(s, *scene.map, ev);
        present_room_view_to(scene.bmp.view, scene.bmp.strip, scene.bmp.doubled, scene.bmp.screen);
        if (s.room_exit) s = start; // keep playing the same room
        benchmark::ClobberMemory();
    }
}

// The same room drawn with nothing but the library's calls: the backdrop, one blit a
// cell and a sprite, the stretch and the scan lines.
void BM_LevelFrameFloor(benchmark::State &st) {
    Scene scene(kBenchMaps[0]);
    if (!scene.loaded) return st.SkipWithError("MAP/prueba.map not found in the game directory");
    const RoomRecord &room = scene.map->rooms[current_room_index(scene.state)];
    const Bitmaps &b = scene.bmp;
    for (auto _ : st) {
        blit(b.backdrops[room.backdrop < kBackdropCount ? room.backdrop : 0], b.view, 0, 0, 0, 0,
             kBackdropWidth, kBackdropHeight);
        for (int r = 0; r < kRoomRows; ++r)
            for (int c = 0; c < kRoomColumns; ++c)
                if (room.cells[r][c].back_tile != kNoTile)
                    masked_blit(b.room_tiles[room.cells[r][c].back_tile], b.view, 0, 0, c * 16,
                                r * 16, 16, 16);
        for (const MovingObject &o : scene.state.enemies)
            if (object_active(o)) draw_sprite(b.view, b.sprite_tiles[o.sprite], o.x, o.y);
        for (const MovingObject &o : scene.state.platforms)
            if (object_active(o)) draw_sprite(b.view, b.sprite_tiles[o.sprite], o.x, o.y);
        draw_sprite(b.view, b.sprite_tiles[0], 100, 50);
        for (int r = 0; r < kRoomRows; ++r)
            for (int c = 0; c < kRoomColumns; ++c)
                if (room.cells[r][c].front_tile != kNoTile)
                    masked_blit(b.room_tiles[room.cells[r][c].front_tile], b.view, 0, 0, c * 16,
                                r * 16, 16, 16);
        stretch_blit(b.view, b.doubled, 0, 0, kBackdropWidth, kBackdropHeight, 0, 0, kDoubledW,
                     kDoubledH);
        for (int y = 0; y < kDoubledH; y += 2) draw_trans_sprite(b.doubled, b.strip, 0, y + 1);
        blit(b.doubled, b.screen, 0, 0, kViewHighX, kViewHighY, kDoubledW, kDoubledH);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_LevelFrame)
    ->DenseRange(0, kBenchMapCount - 1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LevelFrameFloor)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace
