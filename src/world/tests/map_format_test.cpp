// The shared map records for the tools: a whole file survives parse and serialise
// byte for byte, and the range rules count what they change (the map compiler
// reports a map the game would correct). Where each field lies is the map tools'
// byte table; what the rules make of a value, the loader's table in map_file_test.cpp.
#include "world/map_format.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

TEST(MapImage, EveryByteSurvivesWithAndWithoutOverride) {
    std::mt19937 rng(7);
    for (std::size_t size : {kMapFileSize, kMapFileSizeWithOverride}) {
        std::vector<uint8_t> in(size);
        for (uint8_t &b : in) b = static_cast<uint8_t>(rng());
        auto image = std::make_unique<MapImage>();
        ASSERT_TRUE(parse_map_image(in.data(), in.size(), *image));
        EXPECT_EQ(image->has_override, size == kMapFileSizeWithOverride);
        // Exactly the room it needs, and a guard byte after it that must stay.
        std::vector<uint8_t> out(size + 1, 0x5A);
        ASSERT_EQ(serialise_map_image(*image, out.data(), size), size);
        EXPECT_EQ(out.back(), 0x5A) << "written past the file";
        out.pop_back();
        EXPECT_TRUE(out == in) << "size " << size;
        EXPECT_EQ(serialise_map_image(*image, out.data(), size - 1), 0u) << "no room";
    }
    std::vector<uint8_t> short_file(kMapFileSize - 1, 0);
    auto image = std::make_unique<MapImage>();
    image->header.start_room_row = 3;
    EXPECT_FALSE(parse_map_image(short_file.data(), short_file.size(), *image));
    EXPECT_EQ(image->header.start_room_row, 3);
}

ObjectSpawn spawn(int ac, int ar, int bc, int br, int speed, int sprite) {
    return ObjectSpawn{static_cast<int8_t>(ac), static_cast<int8_t>(ar), static_cast<int8_t>(bc),
                       static_cast<int8_t>(br), static_cast<int8_t>(speed), static_cast<int8_t>(sprite)};
}

TEST(MapRanges, EachCorrectedFieldIsCountedAndSoundOnesAreNot) {
    MapHeader h = {};
    h.title.length = 3; // the text is empty
    h.start_room_column = 9;
    h.exit_cell_row = 8;
    EXPECT_EQ(make_header_safe(h), 3);
    EXPECT_EQ(make_header_safe(h), 0) << "once made safe, sound";

    RoomRecord r = {};
    r.backdrop = 7;
    r.cells[1][1].back_tile = 240;
    r.cells[1][1].front_tile = -2;
    r.enemies[0].sprite = -3;
    r.platforms[24] = spawn(0, 0, 5, 0, 3, 1); // 80 px at 3
    r.enemies[3] = spawn(2, 3, 6, 3, 2, 127);
    r.platforms[0] = spawn(100, 0, 0, 0, 0, kEmptySlot); // empty slots are not judged
    EXPECT_EQ(make_room_safe(r), 5);
    EXPECT_EQ(make_room_safe(r), 0);

    PlacementRecord p = {-1, 5, 15, -1};
    EXPECT_EQ(make_placement_safe(p), 4);
    EXPECT_EQ(make_placement_safe(p), 0);
}

} // namespace
