// The shared map records' range rules count what they change (the map compiler
// reports a map the game would correct). Where each field lies is the map tools' byte
// table; what the rules make of a value, the loader's table in map_file_test.cpp; a
// file too short for a map, a row of tools/common/tests/tool_runs.txt (previewed).
#include "world/map_format.h"

#include <gtest/gtest.h>

namespace {

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
