// The map loader on files built in the test: where every field is taken from, the
// override, refusal of short files, what it does with values that lie, and the pixels
// at 16, 24 and 32 bits.
#include "world/map_file.h"
#include "world/map_identity.h"

#include "map_bytes.h"
#include "map_targets.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using map_bytes::MapBytes;
using testing_support::BitmapPtr;
using testing_support::TempDir;
using testing_support::make_bitmap;
using testing_support::make_dirs;
using testing_support::write_file;

namespace {

class MapLoadTest : public ::testing::Test, protected MapTargets {
protected:
    TempDir dir;
    MapBytes map;

    void SetUp() override {
        std::memset(&header, 0xAB, sizeof header);
        std::memset(rooms, 0xAB, sizeof rooms);
        std::memset(switches, 0xAB, sizeof switches);
        std::memset(refills, 0xAB, sizeof refills);
        world.map_id = 1234;
        world.map_id_override = 5678;
        world.map_id_override_present = 7;
        make_targets(16);
    }

    void make_targets(int depth) {
        make_bitmaps(depth);
        for (const BitmapPtr &b : owned) clear_to_color(b.get(), 0x0123);
    }

    int16_t load_bytes(const std::vector<uint8_t> &bytes) {
        std::string path = dir.file("test.map");
        write_file(path, bytes);
        return load_file(path.c_str());
    }
    int16_t load() { return load_bytes(map.bytes); }
};

// ---- Where the fields come from ---------------------------------------------------

TEST_F(MapLoadTest, HeaderFieldsLandInPlace) {
    map.put_text(0, "LA CUEVA");
    map.put8(100, 0);
    map.put8(101, 8);
    const int positions[8] = {1, 2, 3, 4, 4, 3, 12, 6};
    for (int i = 0; i < 8; ++i) map.put8(102 + i, positions[i]);
    ASSERT_EQ(load(), 1);
    EXPECT_STREQ(header.title.text, "LA CUEVA");
    EXPECT_EQ(header.title.length, 8);
    EXPECT_EQ(header.start_room_column, 1);
    EXPECT_EQ(header.start_room_row, 2);
    EXPECT_EQ(header.start_cell_column, 3);
    EXPECT_EQ(header.start_cell_row, 4);
    EXPECT_EQ(header.exit_room_column, 4);
    EXPECT_EQ(header.exit_room_row, 3);
    EXPECT_EQ(header.exit_cell_column, 12);
    EXPECT_EQ(header.exit_cell_row, 6);
}

TEST_F(MapLoadTest, RoomFieldsLandInPlace) {
    map.put8(map_bytes::room_at(7), 3);         // backdrop
    map.put8(map_bytes::room_at(7) + 1, 0x5A);  // unread bytes are kept as stored
    map.put8(map_bytes::room_at(7) + 152, 0x5B);
    map.put8(map_bytes::room_at(7) + 303, 0x5C);
    map.put_spawn(7, 0, 0, 2, 3, 6, 3, 2, 96);   // first enemy
    map.put_spawn(7, 0, 24, 1, 1, 1, 5, 4, 100); // last enemy
    map.put_spawn(7, 1, 0, 3, 8, 9, 8, 1, 27);   // first platform
    map.put_spawn(7, 1, 24, 0, 0, 14, 0, 8, 5);  // last platform
    map.put_cell(7, 0, 0, 17, -1, 0x01);
    map.put_cell(7, 14, 0, 239, 18, 0x10);
    map.put_cell(7, 0, 8, -1, 200, 0x02 | 0x04);
    map.put_cell(7, 14, 8, 100, 101, 0x08);
    map.put8(map_bytes::cell_at(7, 14, 8) + 5, 0x77);
    map.put_cell(24, 5, 4, 42, 43, 0xFF); // the last room, all flag bits
    ASSERT_EQ(load(), 1);

    const RoomRecord &r = rooms[7];
    EXPECT_EQ(r.backdrop, 3);
    EXPECT_EQ(r.unused_1, 0x5A);
    EXPECT_EQ(r.unused_152, 0x5B);
    EXPECT_EQ(r.unused_303, 0x5C);
    const ObjectSpawn &e0 = r.enemies[0];
    EXPECT_EQ(e0.a_column, 2);
    EXPECT_EQ(e0.a_row, 3);
    EXPECT_EQ(e0.b_column, 6);
    EXPECT_EQ(e0.b_row, 3);
    EXPECT_EQ(e0.speed, 2);
    EXPECT_EQ(e0.sprite, 96);
    EXPECT_EQ(r.enemies[24].b_row, 5);
    EXPECT_EQ(r.enemies[24].sprite, 100);
    EXPECT_EQ(r.platforms[0].a_row, 8);
    EXPECT_EQ(r.platforms[0].b_column, 9);
    EXPECT_EQ(r.platforms[0].sprite, 27);
    EXPECT_EQ(r.platforms[24].b_column, 14);
    EXPECT_EQ(r.platforms[24].speed, 8);
    EXPECT_EQ(r.platforms[24].sprite, 5);
    EXPECT_EQ(r.cells[0][0].back_tile, 17);
    EXPECT_EQ(r.cells[0][0].front_tile, -1);
    EXPECT_EQ(r.cells[0][0].flags, 0x01);
    EXPECT_EQ(r.cells[0][14].back_tile, 239);
    EXPECT_EQ(r.cells[0][14].front_tile, 18);
    EXPECT_EQ(r.cells[0][14].flags, 0x10);
    EXPECT_EQ(r.cells[8][0].back_tile, -1);
    EXPECT_EQ(r.cells[8][0].front_tile, 200);
    EXPECT_EQ(r.cells[8][0].flags, 0x06);
    EXPECT_EQ(r.cells[8][14].back_tile, 100);
    EXPECT_EQ(r.cells[8][14].front_tile, 101);
    EXPECT_EQ(r.cells[8][14].flags, 0x08);
    EXPECT_EQ(r.cells[8][14].unused, 0x77);
    EXPECT_EQ(rooms[24].cells[4][5].back_tile, 42);
    EXPECT_EQ(rooms[24].cells[4][5].flags, 0xFF);
    // Neighbouring rooms are untouched by room 7's bytes.
    EXPECT_EQ(rooms[6].backdrop, 0);
    EXPECT_EQ(rooms[8].cells[0][0].back_tile, 0);
}

TEST_F(MapLoadTest, PlacementsBecomeRuntimeEntries) {
    map.put_placement(map_bytes::switch_at(0), 2, 3, 5, 6);
    map.put_placement(map_bytes::switch_at(24), 4, 4, 14, 8);
    map.put_placement(map_bytes::refill_at(0), 0, 1, 7, 2);
    map.put_placement(map_bytes::refill_at(24), 3, 0, 1, 1);
    for (auto &s : switches) s.spare = 0x42;
    ASSERT_EQ(load(), 1);
    EXPECT_EQ(switches[0].room, 17); // row 3 * 5 + column 2
    EXPECT_EQ(switches[0].present, 1);
    EXPECT_EQ(switches[0].cell_column, 5);
    EXPECT_EQ(switches[0].cell_row, 6);
    EXPECT_EQ(switches[0].spare, 0x42); // left as it was
    EXPECT_EQ(switches[24].room, 24);
    EXPECT_EQ(switches[24].cell_column, 14);
    EXPECT_EQ(switches[24].cell_row, 8);
    EXPECT_EQ(refills[0].room, 5);
    EXPECT_EQ(refills[0].cell_column, 7);
    EXPECT_EQ(refills[24].room, 3);
    EXPECT_EQ(refills[24].present, 1);
    EXPECT_EQ(switches[12].room, 0);
    EXPECT_EQ(switches[12].present, 1);
}

TEST_F(MapLoadTest, SignedBytesAreWidenedWithTheirSign) {
    // A standing object (both ends the same cell) keeps any speed: -2 must arrive
    // as -2, not as 254.
    map.put_spawn(0, 1, 3, 4, 4, 4, 4, 0xFE, 0x30);
    map.put_spawn(0, 0, 1, 1, 1, 1, 1, 1, 0xFF); // -1: the slot is empty
    // 0xFF in a placement or a start cell is -1, which is below the room and is
    // brought up to 0; read as 255 it would have gone to the top of the range.
    map.put_placement(map_bytes::switch_at(2), 0xFF, 1, 0xFF, 0xFF);
    map.put8(104, 0xFF);
    map.put8(105, 0x80);
    ASSERT_EQ(load(), 1);
    EXPECT_EQ(rooms[0].platforms[3].speed, -2);
    EXPECT_EQ(rooms[0].platforms[3].sprite, 0x30);
    EXPECT_EQ(rooms[0].enemies[1].sprite, kEmptySlot);
    EXPECT_EQ(switches[2].room, 5);
    EXPECT_EQ(switches[2].cell_column, 0);
    EXPECT_EQ(switches[2].cell_row, 0);
    EXPECT_EQ(header.start_cell_column, 0);
    EXPECT_EQ(header.start_cell_row, 0);
}

// ---- Size and override --------------------------------------------------------------

TEST_F(MapLoadTest, ExactSizeHasNoOverride) {
    ASSERT_EQ(load(), 1);
    EXPECT_EQ(world.map_id_override_present, 0);
}

TEST_F(MapLoadTest, TrailingValueOverridesTheNamedId) {
    map.append32(99);
    ASSERT_EQ(map.bytes.size(), 1211598u);
    world.map_id = map_id_for_name("cueva.map");
    ASSERT_EQ(load(), 1);
    EXPECT_EQ(world.map_id_override_present, 1);
    EXPECT_EQ(world.map_id_override, 99);
    apply_map_id_override();
    EXPECT_EQ(world.map_id, 99);
}

TEST_F(MapLoadTest, OverrideIsSignedAndOnlyTheFirstFourBytesCount) {
    map.append32(0xFFFFFFFEu);
    map.append32(12345);
    ASSERT_EQ(load(), 1);
    EXPECT_EQ(world.map_id_override_present, 1);
    EXPECT_EQ(world.map_id_override, -2);
}

TEST_F(MapLoadTest, FewerThanFourExtraBytesAreNoOverride) {
    for (int extra = 1; extra <= 3; ++extra) {
        std::vector<uint8_t> bytes = map.bytes;
        bytes.resize(bytes.size() + extra, 0x63);
        world.map_id_override_present = 7;
        ASSERT_EQ(load_bytes(bytes), 1) << extra;
        EXPECT_EQ(world.map_id_override_present, 0) << extra;
    }
}

TEST_F(MapLoadTest, ExactSizeAfterAnOverrideClearsTheFlag) {
    MapBytes with = map;
    with.append32(9);
    ASSERT_EQ(load_bytes(with.bytes), 1);
    ASSERT_EQ(world.map_id_override_present, 1);
    ASSERT_EQ(load(), 1);
    EXPECT_EQ(world.map_id_override_present, 0);
}

// ---- Refusals ---------------------------------------------------------------------

class MapRefusalTest : public MapLoadTest {
protected:
    void SetUp() override {
        MapLoadTest::SetUp();
        for (const BitmapPtr &b : owned) clear_to_color(b.get(), 0x0456);
    }
    void expect_nothing_written() {
        MapHeader h;
        std::memset(&h, 0xAB, sizeof h);
        EXPECT_EQ(std::memcmp(&h, &header, sizeof h), 0);
        for (const RoomRecord &r : rooms) {
            const uint8_t *p = reinterpret_cast<const uint8_t *>(&r);
            for (std::size_t i = 0; i < sizeof r; ++i) ASSERT_EQ(p[i], 0xAB) << i;
        }
        const uint8_t *s = reinterpret_cast<const uint8_t *>(switches);
        const uint8_t *f = reinterpret_cast<const uint8_t *>(refills);
        for (std::size_t i = 0; i < sizeof switches; ++i) ASSERT_EQ(s[i], 0xAB);
        for (std::size_t i = 0; i < sizeof refills; ++i) ASSERT_EQ(f[i], 0xAB);
        for (const BitmapPtr &p : owned) {
            BITMAP *b = p.get();
            ASSERT_EQ(getpixel(b, 0, 0), 0x0456);
            ASSERT_EQ(getpixel(b, b->w - 1, b->h - 1), 0x0456);
        }
        EXPECT_EQ(world.map_id, 1234);
        EXPECT_EQ(world.map_id_override, 5678);
        EXPECT_EQ(world.map_id_override_present, 7);
    }
};

TEST_F(MapRefusalTest, MissingFileIsRefused) {
    std::string path = dir.file("nowhere.map");
    EXPECT_EQ(load_file(path.c_str()), 0);
    expect_nothing_written();
}

TEST_F(MapRefusalTest, FileOneByteShortIsRefusedWhole) {
    map.put_text(0, "SHORT");
    map.bytes.resize(1211593);
    EXPECT_EQ(load(), 0);
    expect_nothing_written();
}

TEST_F(MapRefusalTest, FileCutInsideThePixelsIsRefusedWhole) {
    map.bytes.resize(720074 + 1000); // rooms, placements and backdrops all there
    EXPECT_EQ(load(), 0);
    expect_nothing_written();
}

TEST_F(MapRefusalTest, EmptyFileAndDirectoryAreRefused) {
    EXPECT_EQ(load_bytes({}), 0);
    make_dirs(dir.file("adir.map"));
    std::string path = dir.file("adir.map");
    EXPECT_EQ(load_file(path.c_str()), 0);
    EXPECT_EQ(load_file(nullptr), 0);
    expect_nothing_written();
}

// ---- Values that lie ----------------------------------------------------------------

TEST_F(MapLoadTest, TileIndicesOutsideTheSetMakeTheCellEmpty) {
    map.put_cell(3, 0, 0, 240, -2, 0x01);
    map.put_cell(3, 1, 0, 0x7FFF, -32768, 0x03);
    map.put_cell(3, 2, 0, 239, 0, 0x10);
    map.put_cell(3, 3, 0, -1, 1000, 0);
    ASSERT_EQ(load(), 1);
    const RoomRecord &r = rooms[3];
    EXPECT_EQ(r.cells[0][0].back_tile, kNoTile);
    EXPECT_EQ(r.cells[0][0].front_tile, kNoTile);
    EXPECT_EQ(r.cells[0][0].flags, 0x01); // the cell still blocks
    EXPECT_EQ(r.cells[0][1].back_tile, kNoTile);
    EXPECT_EQ(r.cells[0][1].front_tile, kNoTile);
    EXPECT_EQ(r.cells[0][1].flags, 0x03);
    EXPECT_EQ(r.cells[0][2].back_tile, 239);
    EXPECT_EQ(r.cells[0][2].front_tile, 0);
    EXPECT_EQ(r.cells[0][3].back_tile, kNoTile);
    EXPECT_EQ(r.cells[0][3].front_tile, kNoTile);
}

TEST_F(MapLoadTest, BackdropAboveFourMeansNone) {
    const int stored[6] = {0, 4, 5, 254, 255, 128};
    const int expected[6] = {0, 4, 255, 255, 255, 255};
    for (int i = 0; i < 6; ++i) map.put8(map_bytes::room_at(i), stored[i]);
    ASSERT_EQ(load(), 1);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(rooms[i].backdrop, expected[i]) << stored[i];
}

TEST_F(MapLoadTest, BrokenSpawnsAreDroppedAndSoundOnesKept) {
    map.empty_all_spawns();
    map.put_spawn(2, 0, 0, 2, 3, 6, 3, 2, 96);    // kept: 64 px at 2 a frame
    map.put_spawn(2, 0, 1, 15, 3, 6, 3, 2, 96);   // end A right of the room
    map.put_spawn(2, 0, 2, 2, 9, 2, 3, 2, 96);    // end A below the room
    map.put_spawn(2, 0, 3, 2, 3, -1, 3, 2, 96);   // end B left of the room
    map.put_spawn(2, 0, 4, 2, 3, 6, 3, 3, 96);    // 64 px at 3 a frame: runs off
    map.put_spawn(2, 0, 5, 2, 3, 6, 3, -2, 96);   // heads away from B for good
    map.put_spawn(2, 0, 6, 2, 3, 6, 3, 2, -5);    // sprite below the set
    map.put_spawn(2, 0, 7, 2, 3, 6, 3, 2, -128);  // sprite below the set
    map.put_spawn(2, 0, 8, 5, 5, 5, 5, -7, 127);  // kept: stands still at A
    map.put_spawn(2, 0, 9, 2, 3, 6, 3, 0, 10);    // kept: speed 0 stands at A
    map.put_spawn(2, 1, 0, 0, 0, 14, 8, 16, 50);  // kept: diagonal, both axes land
    map.put_spawn(2, 1, 1, 0, 0, 14, 4, 32, 50);  // 224 px x at 32 lands, 64 px y lands
    map.put_spawn(2, 1, 2, 0, 0, 14, 3, 32, 50);  // 48 px y at 32 overshoots
    map.put_spawn(2, 1, 3, 0, 0, 1, 0, 32, 50);   // 16 px at 32 overshoots at once
    map.put_spawn(2, 0, 20, 99, -50, 3, 3, 7, -1); // empty, with nonsense in it
    ASSERT_EQ(load(), 1);
    const RoomRecord &r = rooms[2];
    EXPECT_EQ(r.enemies[0].sprite, 96);
    for (int i = 1; i <= 7; ++i) EXPECT_EQ(r.enemies[i].sprite, kEmptySlot) << "enemy " << i;
    EXPECT_EQ(r.enemies[8].sprite, 127);
    EXPECT_EQ(r.enemies[8].speed, -7);
    EXPECT_EQ(r.enemies[9].sprite, 10);
    EXPECT_EQ(r.platforms[0].sprite, 50);
    EXPECT_EQ(r.platforms[1].sprite, 50);
    EXPECT_EQ(r.platforms[2].sprite, kEmptySlot);
    EXPECT_EQ(r.platforms[3].sprite, kEmptySlot);
    // A dropped slot keeps its other bytes.
    EXPECT_EQ(r.enemies[1].a_column, 15);
    EXPECT_EQ(r.enemies[4].speed, 3);
    // An empty slot with nonsense in it is simply empty, its bytes as stored.
    EXPECT_EQ(r.enemies[20].sprite, kEmptySlot);
    EXPECT_EQ(r.enemies[20].a_row, -50);
}

TEST_F(MapLoadTest, PlacementsOutsideTheWorldAreClampedIn) {
    map.put_placement(map_bytes::switch_at(0), 7, 5, 15, 9);
    map.put_placement(map_bytes::switch_at(1), -3, -1, -20, -9);
    map.put_placement(map_bytes::refill_at(0), 127, 2, 100, 4);
    map.put_placement(map_bytes::refill_at(1), 4, 4, 14, 8); // the far corner is fine
    ASSERT_EQ(load(), 1);
    EXPECT_EQ(switches[0].room, 24);
    EXPECT_EQ(switches[0].cell_column, 14);
    EXPECT_EQ(switches[0].cell_row, 8);
    EXPECT_EQ(switches[1].room, 0);
    EXPECT_EQ(switches[1].cell_column, 0);
    EXPECT_EQ(switches[1].cell_row, 0);
    EXPECT_EQ(refills[0].room, 14);
    EXPECT_EQ(refills[0].cell_column, 14);
    EXPECT_EQ(refills[0].cell_row, 4);
    EXPECT_EQ(refills[1].room, 24);
    EXPECT_EQ(refills[1].cell_column, 14);
    EXPECT_EQ(refills[1].cell_row, 8);
}

TEST_F(MapLoadTest, HeaderPositionsOutsideTheWorldAreClampedIn) {
    const int stored[8] = {5, -1, 15, 9, 100, 5, -4, 8};
    for (int i = 0; i < 8; ++i) map.put8(102 + i, stored[i]);
    ASSERT_EQ(load(), 1);
    EXPECT_EQ(header.start_room_column, 4);
    EXPECT_EQ(header.start_room_row, 0);
    EXPECT_EQ(header.start_cell_column, 14);
    EXPECT_EQ(header.start_cell_row, 8);
    EXPECT_EQ(header.exit_room_column, 4);
    EXPECT_EQ(header.exit_room_row, 4);
    EXPECT_EQ(header.exit_cell_column, 0);
    EXPECT_EQ(header.exit_cell_row, 7); // the door's lower cell is row 8
}

TEST_F(MapLoadTest, TitleWithoutEndOrWithAFalseLengthIsMadeSafe) {
    map.put_text(0, std::string(100, 'W'));
    map.put8(101, 250);
    ASSERT_EQ(load(), 1);
    EXPECT_EQ(header.title.text[99], '\0');
    EXPECT_EQ(std::strlen(header.title.text), 99u);
    EXPECT_EQ(header.title.length, 99);

    MapBytes second;
    second.put_text(0, "SALEM");
    second.put8(101, 0);
    ASSERT_EQ(load_bytes(second.bytes), 1);
    EXPECT_STREQ(header.title.text, "SALEM");
    EXPECT_EQ(header.title.length, 5);
}

// ---- Pixels -----------------------------------------------------------------------

TEST_F(MapLoadTest, Depth16PixelsAreTheStoredLowHalfUnchanged) {
    map.put32(map_bytes::backdrop_pixel_at(0, 0, 0), 0xABCD1234u);
    map.put32(map_bytes::backdrop_pixel_at(0, 239, 0), 0x0000F81Fu);
    map.put32(map_bytes::backdrop_pixel_at(4, 239, 143), 0x00007BEFu);
    map.put32(map_bytes::backdrop_pixel_at(2, 17, 100), 0x0000FFFFu);
    map.put32(map_bytes::tile_pixel_at(0, 0, 0, 0), 0x1111u);
    map.put32(map_bytes::tile_pixel_at(0, 0, 0, 1), 0x2222u);
    map.put32(map_bytes::tile_pixel_at(5, 3, 7, 0), 0x3333u);
    map.put32(map_bytes::tile_pixel_at(5, 3, 7, 1), 0x4444u);
    map.put32(map_bytes::tile_pixel_at(239, 15, 15, 0), 0x5555u);
    map.put32(map_bytes::tile_pixel_at(239, 15, 15, 1), 0xF81Fu);
    ASSERT_EQ(load(), 1);
    EXPECT_EQ(getpixel(backdrops[0], 0, 0), 0x1234);
    EXPECT_EQ(getpixel(backdrops[0], 239, 0), 0xF81F);
    EXPECT_EQ(getpixel(backdrops[4], 239, 143), 0x7BEF);
    EXPECT_EQ(getpixel(backdrops[2], 17, 100), 0xFFFF);
    EXPECT_EQ(getpixel(backdrops[2], 16, 100), 0);
    EXPECT_EQ(getpixel(room_tiles[0], 0, 0), 0x1111);
    EXPECT_EQ(getpixel(sprite_tiles[0], 0, 0), 0x2222);
    EXPECT_EQ(getpixel(room_tiles[5], 3, 7), 0x3333);
    EXPECT_EQ(getpixel(sprite_tiles[5], 3, 7), 0x4444);
    EXPECT_EQ(getpixel(room_tiles[5], 7, 3), 0);
    EXPECT_EQ(getpixel(room_tiles[239], 15, 15), 0x5555);
    EXPECT_EQ(getpixel(sprite_tiles[239], 15, 15), 0xF81F);
    EXPECT_EQ(getpixel(sprite_tiles[239], 15, 15), bitmap_mask_color(sprite_tiles[239]));
}

struct ExpectedColour {
    uint32_t stored;
    int r, g, b;
};
constexpr ExpectedColour kColours[] = {
    {0xF800, 255, 0, 0},   {0x07E0, 0, 255, 0},       {0x001F, 0, 0, 255},
    {0xFFFF, 255, 255, 255}, {0x0000, 0, 0, 0},       {0x8410, 132, 130, 132},
    {0xFFFF0821u, 8, 4, 8}, // high half ignored
};

class MapTrueColourTest : public MapLoadTest, public ::testing::WithParamInterface<int> {};

TEST_P(MapTrueColourTest, ColoursAreConvertedAndMagentaBecomesTheMask) {
    const int depth = GetParam();
    make_targets(depth);
    int i = 0;
    for (const ExpectedColour &c : kColours) {
        map.put32(map_bytes::backdrop_pixel_at(1, i, 2), c.stored);
        map.put32(map_bytes::tile_pixel_at(9, i, 1, 0), c.stored);
        map.put32(map_bytes::tile_pixel_at(9, i, 1, 1), c.stored);
        ++i;
    }
    map.put32(map_bytes::backdrop_pixel_at(3, 239, 143), 0xF81F);
    map.put32(map_bytes::tile_pixel_at(200, 15, 0, 1), 0xF81F);
    ASSERT_EQ(load(), 1);
    i = 0;
    for (const ExpectedColour &c : kColours) {
        for (BITMAP *b : {backdrops[1], room_tiles[9], sprite_tiles[9]}) {
            int p = getpixel(b, i, b == backdrops[1] ? 2 : 1);
            EXPECT_EQ(p, makecol_depth(depth, c.r, c.g, c.b)) << std::hex << c.stored;
        }
        ++i;
    }
    EXPECT_EQ(getpixel(backdrops[3], 239, 143), bitmap_mask_color(backdrops[3]));
    EXPECT_EQ(getpixel(sprite_tiles[200], 15, 0), bitmap_mask_color(sprite_tiles[200]));
    EXPECT_NE(getpixel(sprite_tiles[200], 14, 0), bitmap_mask_color(sprite_tiles[200]));
}

// The game draws at 16, 24 or 32 bits; a 15-bit bitmap (which a tool may ask for)
// gets the same colours through the library's own conversion.
INSTANTIATE_TEST_SUITE_P(Depths, MapTrueColourTest, ::testing::Values(15, 16, 24, 32));

TEST_F(MapLoadTest, SmallerAndMissingBitmapsGetWhatFits) {
    owned.push_back(make_bitmap(16, 100, 50));
    backdrops[0] = owned.back().get();
    clear_to_color(backdrops[0], 0);
    backdrops[1] = nullptr;
    room_tiles[3] = nullptr;
    map.put32(map_bytes::backdrop_pixel_at(0, 99, 49), 0x1357);
    map.put32(map_bytes::backdrop_pixel_at(2, 5, 5), 0x2468);
    ASSERT_EQ(load(), 1);
    EXPECT_EQ(getpixel(backdrops[0], 99, 49), 0x1357);
    EXPECT_EQ(getpixel(backdrops[2], 5, 5), 0x2468);
}

// A bitmap larger than what the file stores keeps everything beyond the stored
// pixels, at every depth the game draws at (the last row included).
TEST_P(MapTrueColourTest, LargerBitmapsKeepWhatLiesBeyondTheStoredPixels) {
    const int depth = GetParam();
    make_targets(depth);
    const int keep = makecol_depth(depth, 10, 200, 30);
    owned.push_back(make_bitmap(depth, 250, 150));
    backdrops[0] = owned.back().get();
    owned.push_back(make_bitmap(depth, 20, 20));
    room_tiles[7] = owned.back().get();
    clear_to_color(backdrops[0], keep);
    clear_to_color(room_tiles[7], keep);
    for (int y = 0; y < 144; ++y)
        for (int x = 0; x < 240; ++x) map.put32(map_bytes::backdrop_pixel_at(0, x, y), 0xF800);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) map.put32(map_bytes::tile_pixel_at(7, x, y, 0), 0x001F);
    ASSERT_EQ(load(), 1);
    EXPECT_EQ(getpixel(backdrops[0], 239, 143), makecol_depth(depth, 255, 0, 0));
    for (int y = 0; y < 150; ++y)
        for (int x = 240; x < 250; ++x) ASSERT_EQ(getpixel(backdrops[0], x, y), keep) << x << "," << y;
    for (int x = 0; x < 250; ++x) ASSERT_EQ(getpixel(backdrops[0], x, 144), keep) << x;
    EXPECT_EQ(getpixel(room_tiles[7], 15, 15), makecol_depth(depth, 0, 0, 255));
    for (int y = 0; y < 20; ++y) EXPECT_EQ(getpixel(room_tiles[7], 16, y), keep) << y;
    for (int x = 0; x < 20; ++x) EXPECT_EQ(getpixel(room_tiles[7], x, 16), keep) << x;
}

// ---- Opening by map name ----------------------------------------------------------

class MapByNameTest : public MapLoadTest {
protected:
    TempDir cwd{true};
};

TEST_F(MapByNameTest, OpensTheNameUnderMap) {
    make_dirs("MAP");
    map.put_text(0, "VUSK");
    write_file("MAP/vusk.map", map.bytes);
    ASSERT_EQ(load_named("vusk.map"), 1);
    EXPECT_STREQ(header.title.text, "VUSK");
    EXPECT_EQ(load_named("other.map"), 0);
}

TEST_F(MapByNameTest, OverlongNameIsCutToTheTextRecord) {
    make_dirs("MAP");
    // "MAP\" and 95 characters fill the 99 a FixedString holds.
    std::string kept(95, 'n');
    write_file("MAP/" + kept, map.bytes);
    std::string longer = kept + std::string(400, 'z');
    EXPECT_EQ(load_named(longer.c_str()), 1);
    EXPECT_EQ(load_named(std::string(1000, 'q').c_str()), 0);
}

} // namespace
