// The shared map records: a whole file survives parse and serialise byte for byte,
// the image's fields come from the right bytes, and the range rules count what they
// change.
#include "world/map_format.h"

#include "map_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

using map_bytes::MapBytes;

namespace {

std::vector<uint8_t> random_bytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (uint8_t &b : v) b = static_cast<uint8_t>(rng());
    return v;
}

TEST(MapImageRoundTrip, EveryByteSurvivesWithAndWithoutOverride) {
    for (std::size_t size : {kMapFileSize, kMapFileSizeWithOverride}) {
        std::vector<uint8_t> in = random_bytes(size, static_cast<unsigned>(size));
        auto image = std::make_unique<MapImage>();
        ASSERT_TRUE(parse_map_image(in.data(), in.size(), *image));
        EXPECT_EQ(image->has_override, size == kMapFileSizeWithOverride);
        std::vector<uint8_t> out(kMapFileSizeWithOverride + 10, 0);
        ASSERT_EQ(serialise_map_image(*image, out.data(), out.size()), size);
        out.resize(size);
        EXPECT_TRUE(out == in) << "size " << size;
    }
}

TEST(MapImageRoundTrip, ShortInputAndShortOutputAreRefused) {
    std::vector<uint8_t> in(kMapFileSize - 1, 0);
    auto image = std::make_unique<MapImage>();
    image->header.start_room_row = 3;
    EXPECT_FALSE(parse_map_image(in.data(), in.size(), *image));
    EXPECT_EQ(image->header.start_room_row, 3);
    image->has_override = true;
    std::vector<uint8_t> out(kMapFileSize, 0);
    EXPECT_EQ(serialise_map_image(*image, out.data(), out.size()), 0u);
}

TEST(MapImageFields, ImageFieldsComeFromTheirBytes) {
    MapBytes map;
    map.put8(103, 4);
    map.put_cell(11, 6, 2, 0x1234, -7, 0x11);
    map.put_spawn(11, 1, 13, 1, 2, 3, 4, 5, 6);
    map.put_placement(map_bytes::refill_at(3), 9, 8, 7, 6);
    map.put_text(map_bytes::text_slot_at(6), "SLOT SEVEN");
    map.put8(map_bytes::text_slot_at(6) + 101, 10);
    map.put32(map_bytes::backdrop_pixel_at(3, 200, 100), 0xCAFEF00Du);
    map.put32(map_bytes::tile_pixel_at(77, 9, 4, 0), 0x0000BEEFu);
    map.put32(map_bytes::tile_pixel_at(77, 9, 4, 1), 0x0000DEADu);
    auto image = std::make_unique<MapImage>();
    ASSERT_TRUE(parse_map_image(map.bytes.data(), map.bytes.size(), *image));
    EXPECT_EQ(image->header.start_room_row, 4);
    EXPECT_EQ(image->rooms[11].cells[2][6].back_tile, 0x1234);
    EXPECT_EQ(image->rooms[11].cells[2][6].front_tile, -7);
    EXPECT_EQ(image->rooms[11].cells[2][6].flags, 0x11);
    EXPECT_EQ(image->rooms[11].platforms[13].b_row, 4);
    EXPECT_EQ(image->rooms[11].platforms[13].sprite, 6);
    EXPECT_EQ(image->refills[3].room_column, 9);
    EXPECT_EQ(image->refills[3].cell_row, 6);
    EXPECT_STREQ(image->text_slots[6].text, "SLOT SEVEN");
    EXPECT_EQ(image->text_slots[6].length, 10);
    EXPECT_EQ(image->backdrops[3][100][200], 0xCAFEF00Du);
    EXPECT_EQ(image->room_tiles[77][4][9], 0xBEEFu);
    EXPECT_EQ(image->sprite_tiles[77][4][9], 0xDEADu);
    EXPECT_FALSE(image->has_override);
}

// ---- Range rules: counts --------------------------------------------------------------

ObjectSpawn spawn(int ac, int ar, int bc, int br, int speed) {
    return ObjectSpawn{static_cast<int8_t>(ac), static_cast<int8_t>(ar), static_cast<int8_t>(bc),
                       static_cast<int8_t>(br), static_cast<int8_t>(speed), 0};
}

TEST(RangeRules, SoundRecordsAreLeftAloneAndReportNothing) {
    MapHeader h = {};
    std::memcpy(h.title.text, "OK", 2);
    h.title.length = 2;
    h.start_cell_column = 14;
    h.start_cell_row = 8;
    h.exit_room_column = 4;
    h.exit_cell_row = 7;
    MapHeader before = h;
    EXPECT_EQ(make_header_safe(h), 0);
    EXPECT_EQ(std::memcmp(&h, &before, sizeof h), 0);

    RoomRecord r = {};
    r.backdrop = kNoBackdrop;
    r.cells[8][14].back_tile = 239;
    r.cells[0][0].front_tile = kNoTile;
    r.enemies[3] = spawn(2, 3, 6, 3, 2);
    r.enemies[3].sprite = 127;
    r.platforms[0].sprite = kEmptySlot;
    r.platforms[0].a_column = 100; // empty slots are not judged
    EXPECT_EQ(make_room_safe(r), 0);

    PlacementRecord p = {4, 4, 14, 8};
    EXPECT_EQ(make_placement_safe(p), 0);
}

TEST(RangeRules, EachCorrectedFieldIsCounted) {
    MapHeader h = {};
    h.title.length = 3; // the text is empty
    h.start_room_column = 9;
    h.exit_cell_row = 8;
    EXPECT_EQ(make_header_safe(h), 3);

    RoomRecord r = {};
    r.backdrop = 7;
    r.cells[1][1].back_tile = 240;
    r.cells[1][1].front_tile = -2;
    r.enemies[0].sprite = -3;
    r.platforms[24] = spawn(0, 0, 5, 0, 3); // 80 px at 3
    r.platforms[24].sprite = 1;
    EXPECT_EQ(make_room_safe(r), 5);
    EXPECT_EQ(r.platforms[24].sprite, kEmptySlot);

    PlacementRecord p = {-1, 5, 15, -1};
    EXPECT_EQ(make_placement_safe(p), 4);
}

TEST(RangeRules, PlacementEntryBuildsTheRoomIndexAndKeepsTheSpareByte) {
    PickupPlacement e = {};
    e.spare = 0x99;
    e.present = 0;
    fill_placement(PlacementRecord{2, 3, 10, 8}, e);
    EXPECT_EQ(e.room, 17);
    EXPECT_EQ(e.present, 1);
    EXPECT_EQ(e.cell_column, 10);
    EXPECT_EQ(e.cell_row, 8);
    EXPECT_EQ(e.spare, 0x99);
}

} // namespace
