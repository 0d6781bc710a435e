// The map loader on files built byte by byte here: one table of where each field is
// read and what the loader makes of a value out of its range, the colours at each
// depth, and opening by name. Any file at all keeps the promises of
// fuzz/promises/map_file_promise.cpp, which also state the tracks an object may keep
// and what the file's length decides (override, refusal with nothing written); the
// seeds fuzz/corpus/map_file/object_tracks and the length shapes exercise them.
#include "world/map_file.h"
#include "world/map_identity.h"

#include "map_bytes.h"
#include "map_targets.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using map_bytes::MapBytes;
using namespace map_bytes;
using testing_support::TempDir;

namespace {

class MapLoad : public ::testing::Test, protected MapTargets {
protected:
    TempDir dir;

    // Records as no loader would leave them, so a write is seen.
    void SetUp() override {
        std::memset(&header, 0xAB, sizeof header);
        std::memset(rooms, 0xAB, sizeof rooms);
        std::memset(switches, 0xAB, sizeof switches);
        std::memset(refills, 0xAB, sizeof refills);
        make_bitmaps(16);
    }
    int16_t load(const std::vector<uint8_t> &bytes) {
        testing_support::write_file(dir.file("test.map"), bytes);
        return load_file(dir.file("test.map").c_str());
    }
};

struct ByteRow {
    const char *what;
    std::size_t at;
    std::vector<uint8_t> bytes; // put at `at` in an otherwise zero map
    std::function<int(const MapTargets &)> field;
    int expected;
};

#define FIELD(expr) [](const MapTargets &m) { return static_cast<int>(m.expr); }

const ByteRow kByteRows[] = {
    // The header: start and exit, each clamped into the world, the room and (for the
    // door's upper cell) the room less its last row; bytes are signed.
    {"start room column", 102, {4}, FIELD(header.start_room_column), 4},
    {"start room column 5", 102, {5}, FIELD(header.start_room_column), 4},
    {"start room row", 103, {2}, FIELD(header.start_room_row), 2},
    {"start room row -1", 103, {0xFF}, FIELD(header.start_room_row), 0},
    {"start cell column 15", 104, {15}, FIELD(header.start_cell_column), 14},
    {"start cell row", 105, {8}, FIELD(header.start_cell_row), 8},
    {"start cell row -128", 105, {0x80}, FIELD(header.start_cell_row), 0},
    {"exit room column 100", 106, {100}, FIELD(header.exit_room_column), 4},
    {"exit room row", 107, {3}, FIELD(header.exit_room_row), 3},
    {"exit room row 5", 107, {5}, FIELD(header.exit_room_row), 4},
    {"exit cell column", 108, {12}, FIELD(header.exit_cell_column), 12},
    {"exit cell column -4", 108, {0xFC}, FIELD(header.exit_cell_column), 0},
    {"exit cell row", 109, {7}, FIELD(header.exit_cell_row), 7},
    {"exit cell row 8", 109, {8}, FIELD(header.exit_cell_row), 7},
    // A room: its backdrop (above 4 means none), the bytes nothing reads, kept.
    {"backdrop", room_at(7), {4}, FIELD(rooms[7].backdrop), 4},
    {"backdrop 5", room_at(7), {5}, FIELD(rooms[7].backdrop), kNoBackdrop},
    {"backdrop 128", room_at(7), {128}, FIELD(rooms[7].backdrop), kNoBackdrop},
    {"room byte 1", room_at(7) + 1, {0x5A}, FIELD(rooms[7].unused_1), 0x5A},
    {"room byte 152", room_at(7) + 152, {0x5B}, FIELD(rooms[7].unused_152), 0x5B},
    {"room byte 303", room_at(7) + 303, {0x5C}, FIELD(rooms[7].unused_303), 0x5C},
    // Object slots: ends A and B, speed (signed), sprite; the last slot of each group.
    {"enemy 0 sprite", spawn_at(7, 0, 0), {2, 3, 6, 3, 2, 96}, FIELD(rooms[7].enemies[0].sprite), 96},
    {"enemy 0 end B", spawn_at(7, 0, 0), {2, 3, 6, 3, 2, 96}, FIELD(rooms[7].enemies[0].b_column), 6},
    {"enemy 24 end B row", spawn_at(7, 0, 24), {1, 1, 1, 5, 4, 100}, FIELD(rooms[7].enemies[24].b_row), 5},
    {"platform 0 end A row", spawn_at(7, 1, 0), {3, 8, 9, 8, 1, 27}, FIELD(rooms[7].platforms[0].a_row), 8},
    {"platform 24 speed", spawn_at(7, 1, 24), {0, 0, 14, 0, 8, 5}, FIELD(rooms[7].platforms[24].speed), 8},
    {"standing object speed -2", spawn_at(0, 1, 3), {4, 4, 4, 4, 0xFE, 0x30}, FIELD(rooms[0].platforms[3].speed), -2},
    {"empty slot", spawn_at(0, 0, 1), {1, 1, 1, 1, 1, 0xFF}, FIELD(rooms[0].enemies[1].sprite), kEmptySlot},
    // Cells: back and front tile (outside 0..239 none at all), flags and spare kept.
    {"back tile", cell_at(7, 14, 8), {100, 0, 101, 0, 0x08, 0x77}, FIELD(rooms[7].cells[8][14].back_tile), 100},
    {"front tile", cell_at(7, 14, 8), {100, 0, 101, 0, 0x08, 0x77}, FIELD(rooms[7].cells[8][14].front_tile), 101},
    {"flags", cell_at(7, 14, 8), {100, 0, 101, 0, 0x08, 0x77}, FIELD(rooms[7].cells[8][14].flags), 0x08},
    {"cell spare", cell_at(7, 14, 8), {100, 0, 101, 0, 0x08, 0x77}, FIELD(rooms[7].cells[8][14].unused), 0x77},
    {"last room's cell", cell_at(24, 5, 4), {42, 0, 43, 0, 0xFF}, FIELD(rooms[24].cells[4][5].flags), 0xFF},
    {"tile 239", cell_at(3, 2, 0), {239, 0}, FIELD(rooms[3].cells[0][2].back_tile), 239},
    {"tile 240", cell_at(3, 0, 0), {240, 0}, FIELD(rooms[3].cells[0][0].back_tile), kNoTile},
    {"tile -2", cell_at(3, 0, 0), {0, 0, 0xFE, 0xFF}, FIELD(rooms[3].cells[0][0].front_tile), kNoTile},
    {"tile 32767", cell_at(3, 1, 0), {0xFF, 0x7F, 0, 0, 3}, FIELD(rooms[3].cells[0][1].back_tile), kNoTile},
    {"a cell with no tile still blocks", cell_at(3, 1, 0), {0xFF, 0x7F, 0, 0, 3}, FIELD(rooms[3].cells[0][1].flags), 3},
    // Switches and refills: room row * 5 + column, cells, all clamped into the world.
    {"switch room", switch_at(0), {2, 3, 5, 6}, FIELD(switches[0].room), 17},
    {"switch cell", switch_at(0), {2, 3, 5, 6}, FIELD(switches[0].cell_column * 100 + m.switches[0].cell_row), 506},
    {"switch present", switch_at(0), {2, 3, 5, 6}, FIELD(switches[0].present), 1},
    {"switch spare byte as it was", switch_at(0), {2, 3, 5, 6}, FIELD(switches[0].spare), 0xAB},
    {"last switch", switch_at(24), {4, 4, 14, 8}, FIELD(switches[24].room), 24},
    {"switch beyond the world", switch_at(1), {7, 5, 15, 9}, FIELD(switches[1].room * 10000 + m.switches[1].cell_column * 100 + m.switches[1].cell_row), 241408},
    {"switch before the world", switch_at(1), {0xFD, 0xFF, 0xEC, 0xF7}, FIELD(switches[1].room * 10000 + m.switches[1].cell_column * 100 + m.switches[1].cell_row), 0},
    {"switch at column -1", switch_at(2), {0xFF, 1, 0xFF, 0xFF}, FIELD(switches[2].room), 5},
    {"refill", refill_at(0), {0, 1, 7, 2}, FIELD(refills[0].room * 10000 + m.refills[0].cell_column * 100 + m.refills[0].cell_row), 50702},
    {"last refill beyond the world", refill_at(24), {127, 2, 100, 4}, FIELD(refills[24].room * 10000 + m.refills[24].cell_column * 100 + m.refills[24].cell_row), 141404},
};

TEST_F(MapLoad, EachFieldComesFromItsBytesAndEndsInItsRange) {
    for (const ByteRow &r : kByteRows) {
        MapBytes map;
        for (std::size_t i = 0; i < r.bytes.size(); ++i) map.put8(r.at + i, r.bytes[i]);
        SetUp();
        ASSERT_EQ(load(map.bytes), 1) << r.what;
        EXPECT_EQ(r.field(*this), r.expected) << r.what;
    }
}

// At 16 bits the stored low half goes in unchanged; at 15, 24 and 32 the 5-6-5
// colour is converted, and magenta becomes the bitmap's mask colour.
TEST_F(MapLoad, ColoursAtEveryDepth) {
    const struct {
        uint32_t stored;
        int r, g, b;
    } colours[] = {{0xF800, 255, 0, 0},        {0x07E0, 0, 255, 0},     {0x001F, 0, 0, 255},
                   {0xFFFF, 255, 255, 255},    {0x8410, 132, 130, 132}, {0xFFFF0821u, 8, 4, 8}};
    MapBytes map;
    for (int i = 0; i < 6; ++i) {
        map.put32(backdrop_pixel_at(4, 234 + i, 143), colours[i].stored);
        map.put32(tile_pixel_at(239, 10 + i, 15, 0), colours[i].stored);
        map.put32(tile_pixel_at(239, 10 + i, 15, 1), colours[i].stored);
    }
    map.put32(tile_pixel_at(200, 15, 0, 1), kMapMaskColour);
    for (int depth : {15, 16, 24, 32}) {
        make_bitmaps(depth);
        ASSERT_EQ(load(map.bytes), 1);
        for (int i = 0; i < 6; ++i) {
            const int want = depth == 16 ? static_cast<int>(colours[i].stored & 0xFFFF)
                                         : makecol_depth(depth, colours[i].r, colours[i].g, colours[i].b);
            EXPECT_EQ(getpixel(backdrops[4], 234 + i, 143), want) << depth << " bits, colour " << i;
            EXPECT_EQ(getpixel(room_tiles[239], 10 + i, 15), want) << depth << " bits, colour " << i;
            EXPECT_EQ(getpixel(sprite_tiles[239], 10 + i, 15), want) << depth << " bits, colour " << i;
        }
        EXPECT_EQ(getpixel(sprite_tiles[200], 15, 0), bitmap_mask_color(sprite_tiles[200])) << depth;
        EXPECT_NE(getpixel(sprite_tiles[200], 14, 0), bitmap_mask_color(sprite_tiles[200])) << depth;
    }
}

TEST_F(MapLoad, ByNameFromMapCutToTheTextRecord) {
    TempDir cwd(true);
    testing_support::make_dirs("MAP");
    MapBytes map;
    map.put_text(0, "VUSK");
    testing_support::write_file("MAP/vusk.map", map.bytes);
    ASSERT_EQ(load_named("vusk.map"), 1);
    EXPECT_STREQ(header.title.text, "VUSK");
    // "MAP\" and 95 characters fill the 99 a FixedString holds.
    const std::string kept(95, 'n');
    testing_support::write_file("MAP/" + kept, map.bytes);
    EXPECT_EQ(load_named((kept + std::string(400, 'z')).c_str()), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_named("other.map"), 0);
    EXPECT_EQ(load_file(cwd.path().c_str()), 0) << "a directory";
    EXPECT_EQ(load_file(nullptr), 0);
    testing::internal::GetCapturedStderr();
}

} // namespace
