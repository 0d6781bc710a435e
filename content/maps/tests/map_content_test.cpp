// Every shipped map: the file is what its source compiles to, the game would
// correct none of it, it loads, the hero starts standing, the door and the pickups
// lie where the hero can reach them. (What is drawn is the map looks' golden
// screens' part; the decompiler's round trip is its promise's.) The test map prueba also shows every cell
// flag, kind of object, backdrop, and a switch and a refill in each room.
#include "map_source.h"

#include "support/test_support.h"
#include "world/map_file.h"
#include "world/tests/map_targets.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

using testing_support::read_file;

namespace {

const std::string kGameDir = VESPERTIL_GAME_DIR;
const std::string kSources = VESPERTIL_MAP_SOURCES;

std::vector<std::string> map_names() {
    std::vector<std::string> names;
    const std::string list = VESPERTIL_MAP_NAMES;
    for (std::size_t start = 0, comma; start < list.size(); start = comma + 1) {
        comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        names.push_back(list.substr(start, comma - start));
    }
    return names;
}

// A map as the game loads it, from the game directory.
struct LoadedMap : MapTargets {
    bool load(const std::string &name) {
        make_bitmaps(16);
        char old_dir[4096];
        if (!getcwd(old_dir, sizeof old_dir) || chdir(kGameDir.c_str()) != 0) return false;
        const int16_t ok = load_named((name + ".map").c_str());
        return chdir(old_dir) == 0 && ok == 1;
    }
    const RoomRecord &room(int r) const { return rooms[r]; }
    // A cell that holds the hero up; below the bottom world row the floor does.
    bool holds(int r, int column, int row) const {
        if (row >= kRoomRows) return r / kWorldColumns == kWorldRows - 1;
        return rooms[r].cells[row][column].flags & (kCellSolid | kCellLedge);
    }
    bool free_cell(int r, int column, int row) const {
        return !(rooms[r].cells[row][column].flags & kCellSolid);
    }
};

class EveryMap : public ::testing::TestWithParam<std::string> {
protected:
    LoadedMap map;
    void SetUp() override { ASSERT_TRUE(map.load(GetParam())) << GetParam(); }
};

TEST_P(EveryMap, IsWhatItsSourceMakesAndNothingTheGameWouldCorrect) {
    maps::CompileOptions opt;
    opt.search_dirs.push_back(VESPERTIL_SHEETS_DIR);
    std::vector<uint8_t> bytes;
    maps::Report report;
    ASSERT_TRUE(maps::compile_map_source(kSources + "/" + GetParam(), opt, bytes, report)) << report.error;
    EXPECT_TRUE(bytes == read_file(kGameDir + "/MAP/" + GetParam() + ".map")) << "stale map file";
    auto image = std::make_unique<MapImage>();
    ASSERT_TRUE(parse_map_image(bytes.data(), bytes.size(), *image));
    int corrected = make_header_safe(image->header);
    for (RoomRecord &r : image->rooms) corrected += make_room_safe(r);
    for (PlacementRecord &p : image->switches) corrected += make_placement_safe(p);
    for (PlacementRecord &p : image->refills) corrected += make_placement_safe(p);
    EXPECT_EQ(corrected, 0) << "fields the game would change or objects it would drop";
    EXPECT_GT(map.header.title.length, 0);
}

TEST_P(EveryMap, TheHeroTheDoorAndThePickupsStandWhereTheyCanBeReached) {
    const MapHeader &h = map.header;
    const int start = h.start_room_row * 5 + h.start_room_column;
    EXPECT_TRUE(map.free_cell(start, h.start_cell_column, h.start_cell_row));
    EXPECT_TRUE(map.holds(start, h.start_cell_column, h.start_cell_row + 1)) << "the hero starts standing";
    const int exit = h.exit_room_row * 5 + h.exit_room_column;
    EXPECT_TRUE(map.free_cell(exit, h.exit_cell_column, h.exit_cell_row));
    EXPECT_TRUE(map.free_cell(exit, h.exit_cell_column, h.exit_cell_row + 1));
    EXPECT_TRUE(map.holds(exit, h.exit_cell_column, h.exit_cell_row + 2)) << "the door stands on the floor";
    for (int i = 0; i < kSwitchCount; ++i) {
        const SwitchPlacement &s = map.switches[i];
        const RefillPlacement &r = map.refills[i];
        EXPECT_TRUE(map.free_cell(s.room, s.cell_column, s.cell_row)) << "switch " << i;
        EXPECT_TRUE(map.free_cell(r.room, r.cell_column, r.cell_row)) << "refill " << i;
        // A refill is taken only by a hero level with it.
        EXPECT_TRUE(map.holds(r.room, r.cell_column, r.cell_row + 1)) << "refill " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(GeneratedMaps, EveryMap, ::testing::ValuesIn(map_names()));

TEST(Prueba, ShowsEveryFlagObjectBackdropAndAPickupPairInEachRoom) {
    LoadedMap map;
    ASSERT_TRUE(map.load("prueba"));
    uint8_t flags = 0;
    std::set<int> backdrops;
    std::set<std::string> kinds;
    int switches[kRoomCount] = {}, refills[kRoomCount] = {};
    for (const RoomRecord &r : map.rooms) {
        backdrops.insert(r.backdrop);
        for (const auto &row : r.cells)
            for (const RoomCell &c : row) flags |= c.flags;
        for (int i = 0; i < kSpawnsPerGroup; ++i)
            for (int g = 0; g < 2; ++g) {
                const ObjectSpawn &s = g == 0 ? r.enemies[i] : r.platforms[i];
                if (s.sprite == kEmptySlot) continue;
                const bool across = s.a_column != s.b_column, down = s.a_row != s.b_row;
                std::string k = g == 0 ? "enemy " : "platform ";
                k += across && down ? "diagonal" : across ? "across" : down ? "up and down" : "standing";
                kinds.insert(k);
                if (across && s.b_column < s.a_column) kinds.insert(k + " leftwards");
            }
    }
    for (int i = 0; i < kSwitchCount; ++i) ++switches[map.switches[i].room], ++refills[map.refills[i].room];
    for (uint8_t flag : {kCellSolid, kCellHarmful, kCellConveyorRight, kCellConveyorLeft, kCellLedge})
        EXPECT_TRUE(flags & flag) << "flag " << int(flag);
    for (const char *k : {"enemy across", "enemy up and down", "enemy standing", "enemy diagonal",
                          "enemy across leftwards", "platform across", "platform up and down"})
        EXPECT_TRUE(kinds.count(k)) << k;
    for (int b : {0, 1, 2, 3, 4, int{kNoBackdrop}}) EXPECT_TRUE(backdrops.count(b)) << "backdrop " << b;
    for (int room = 0; room < kRoomCount; ++room) {
        EXPECT_EQ(switches[room], 1) << room;
        EXPECT_EQ(refills[room], 1) << room;
    }
}

} // namespace
