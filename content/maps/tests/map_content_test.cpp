// Every generated map read back with the game's loader: its size, that the loader
// keeps every record as the source says it, that its cells make sense for play
// (the hero starts standing, pickups are not buried in rock, every drawn cell has
// pixels), and the round trip through the decompiler. The test map prueba must also
// show every cell flag and kind of object.
#include "map_decompile.h"
#include "map_source.h"

#include "support/test_support.h"
#include "world/map_file.h"
#include "world/tests/map_targets.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

using testing_support::read_file;
using testing_support::TempDir;

namespace {

const std::string kGameDir = VESPERTIL_GAME_DIR;
const std::string kSources = VESPERTIL_MAP_SOURCES;

std::vector<std::string> map_names() {
    std::vector<std::string> names;
    std::string list = VESPERTIL_MAP_NAMES;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        names.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return names;
}

// A map as the game loads it, next to the map compiled again from its source.
struct LoadedMap : MapTargets {
    std::unique_ptr<MapImage> source = std::make_unique<MapImage>();
    std::size_t file_size = 0;

    bool load(const std::string &name) {
        make_bitmaps(16);
        char old_dir[4096];
        if (!getcwd(old_dir, sizeof old_dir) || chdir(kGameDir.c_str()) != 0) return false;
        int16_t ok = load_named((name + ".map").c_str());
        bool back = chdir(old_dir) == 0;
        file_size = read_file(kGameDir + "/MAP/" + name + ".map").size();

        maps::CompileOptions opt;
        opt.search_dirs.push_back(VESPERTIL_SHEETS_DIR);
        std::vector<uint8_t> bytes;
        maps::Report report;
        EXPECT_TRUE(maps::compile_map_source(kSources + "/" + name, opt, bytes, report))
            << report.error;
        EXPECT_TRUE(parse_map_image(bytes.data(), bytes.size(), *source));
        return ok == 1 && back;
    }

    const RoomCell &cell(int room, int column, int row) const {
        return rooms[room].cells[row][column];
    }
    // A cell that holds the hero up; below the last row of the bottom world row the
    // world's floor holds him.
    bool holds(int room, int column, int row) const {
        if (row >= kRoomRows) return room / kWorldColumns == kWorldRows - 1;
        return cell(room, column, row).flags & (kCellSolid | kCellLedge);
    }
    bool free_cell(int room, int column, int row) const {
        return !(cell(room, column, row).flags & kCellSolid);
    }
};

bool blank(BITMAP *b) {
    for (int y = 0; y < b->h; ++y)
        for (int x = 0; x < b->w; ++x)
            if (static_cast<uint32_t>(getpixel(b, x, y)) != kMapMaskColour) return false;
    return true;
}

class EveryMap : public ::testing::TestWithParam<std::string> {
protected:
    LoadedMap map;
    void SetUp() override { ASSERT_TRUE(map.load(GetParam())) << GetParam(); }
};

TEST_P(EveryMap, LoadsWithTheSizeOfAMapFile) {
    EXPECT_TRUE(map.file_size == kMapFileSize || map.file_size == kMapFileSizeWithOverride)
        << map.file_size;
    EXPECT_GT(map.header.title.length, 0);
}

TEST_P(EveryMap, TheLoaderKeepsEveryRecordAsTheSourceSaysIt) {
    const MapImage &src = *map.source;
    EXPECT_STREQ(map.header.title.text, src.header.title.text);
    EXPECT_EQ(map.header.start_cell_column, src.header.start_cell_column);
    EXPECT_EQ(map.header.exit_cell_row, src.header.exit_cell_row);
    for (int room = 0; room < kRoomCount; ++room) {
        const RoomRecord &got = map.rooms[room], &want = src.rooms[room];
        EXPECT_EQ(got.backdrop, want.backdrop) << "room " << room;
        for (int r = 0; r < kRoomRows; ++r)
            for (int c = 0; c < kRoomColumns; ++c) {
                EXPECT_EQ(got.cells[r][c].back_tile, want.cells[r][c].back_tile);
                EXPECT_EQ(got.cells[r][c].front_tile, want.cells[r][c].front_tile);
                EXPECT_EQ(got.cells[r][c].flags, want.cells[r][c].flags);
            }
        for (int i = 0; i < kSpawnsPerGroup; ++i) {
            // A sprite the loader empties would be an object the game drops.
            EXPECT_EQ(got.enemies[i].sprite, want.enemies[i].sprite) << "room " << room << " enemy " << i;
            EXPECT_EQ(got.platforms[i].sprite, want.platforms[i].sprite) << "room " << room;
            EXPECT_EQ(got.enemies[i].speed, want.enemies[i].speed);
            EXPECT_EQ(got.platforms[i].b_row, want.platforms[i].b_row);
        }
    }
    for (int i = 0; i < kSwitchCount; ++i) {
        const PlacementRecord &s = src.switches[i];
        EXPECT_EQ(map.switches[i].room, s.room_row * 5 + s.room_column);
        EXPECT_EQ(map.switches[i].cell_column, s.cell_column);
        EXPECT_EQ(map.refills[i].cell_row, src.refills[i].cell_row);
        EXPECT_EQ(map.switches[i].present, 1);
    }
    // Pixels reach the 16-bit bitmaps unchanged.
    for (int t = 0; t < kTileCount; t += 7)
        for (int y = 0; y < kTilePixels; ++y)
            for (int x = 0; x < kTilePixels; ++x) {
                ASSERT_EQ(static_cast<uint32_t>(getpixel(map.room_tiles[t], x, y)), src.room_tiles[t][y][x]);
                ASSERT_EQ(static_cast<uint32_t>(getpixel(map.sprite_tiles[t], x, y)), src.sprite_tiles[t][y][x]);
            }
    for (int b = 0; b < kBackdropCount; ++b)
        EXPECT_EQ(static_cast<uint32_t>(getpixel(map.backdrops[b], 120, 77)), src.backdrops[b][77][120]);
}

TEST_P(EveryMap, TheHeroStartsStandingAndTheDoorStandsOnTheFloor) {
    const MapHeader &h = map.header;
    int start = h.start_room_row * 5 + h.start_room_column;
    EXPECT_TRUE(map.free_cell(start, h.start_cell_column, h.start_cell_row));
    EXPECT_TRUE(map.holds(start, h.start_cell_column, h.start_cell_row + 1));
    int exit = h.exit_room_row * 5 + h.exit_room_column;
    EXPECT_TRUE(map.free_cell(exit, h.exit_cell_column, h.exit_cell_row));
    EXPECT_TRUE(map.free_cell(exit, h.exit_cell_column, h.exit_cell_row + 1));
    EXPECT_TRUE(map.holds(exit, h.exit_cell_column, h.exit_cell_row + 2));
}

TEST_P(EveryMap, PickupsLieInTheOpenAndRefillsWhereTheHeroCanStand) {
    for (int i = 0; i < kSwitchCount; ++i) {
        const SwitchPlacement &s = map.switches[i];
        EXPECT_TRUE(map.free_cell(s.room, s.cell_column, s.cell_row)) << "switch " << i;
        const RefillPlacement &r = map.refills[i];
        EXPECT_TRUE(map.free_cell(r.room, r.cell_column, r.cell_row)) << "refill " << i;
        // A refill is taken only by a hero level with it.
        EXPECT_TRUE(map.holds(r.room, r.cell_column, r.cell_row + 1)) << "refill " << i;
    }
}

TEST_P(EveryMap, EveryCellAndObjectThatIsDrawnHasPixels) {
    for (int room = 0; room < kRoomCount; ++room) {
        for (const auto &row : map.rooms[room].cells)
            for (const RoomCell &c : row) {
                if (c.back_tile != kNoTile) {
                    EXPECT_FALSE(blank(map.room_tiles[c.back_tile])) << c.back_tile;
                }
                if (c.front_tile != kNoTile) {
                    EXPECT_FALSE(blank(map.room_tiles[c.front_tile])) << c.front_tile;
                }
            }
        for (int i = 0; i < kSpawnsPerGroup; ++i)
            for (const ObjectSpawn *s : {&map.rooms[room].enemies[i], &map.rooms[room].platforms[i]}) {
                if (s->sprite == kEmptySlot) continue;
                for (int f = 0; f < kAnimationFrames; ++f)
                    EXPECT_FALSE(blank(map.sprite_tiles[s->sprite + f * kAnimationStride]))
                        << "room " << room << " sprite " << int(s->sprite) << " frame " << f;
            }
    }
    for (int cell : {0, 2, 26, 192, 193}) EXPECT_FALSE(blank(map.sprite_tiles[cell])) << cell;
}

// "--names FILE" for the names file the map's source uses, so the decompiled text
// reads like the source; "" when it uses none.
std::string names_option(const std::string &name) {
    std::string text;
    EXPECT_TRUE(maps::read_text_file(kSources + "/" + name + "/map.txt", text));
    for (const maps::Line &ln : maps::split_lines(text))
        if (ln.words.size() == 2 && ln.words[0] == "names")
            return "--names " + kSources + "/" + name + "/" + ln.words[1];
    return "";
}

// Text -> binary -> text -> binary through the two programs: the same bytes, and the
// second text is the first.
TEST_P(EveryMap, RoundTripsThroughTheDecompiler) {
    TempDir dir;
    std::string map_file = kGameDir + "/MAP/" + GetParam() + ".map";
    std::string names = " " + names_option(GetParam()) + " ";
    std::string quiet = " > " + dir.file("log") + " 2>&1";
    ASSERT_EQ(std::system((std::string(VESPERTIL_MAPD) + names + map_file + " " + dir.file("a") + quiet).c_str()), 0);
    ASSERT_EQ(std::system((std::string(VESPERTIL_MAPC) + " " + dir.file("a") + " " + dir.file("a.map") + quiet).c_str()), 0);
    EXPECT_EQ(read_file(dir.file("a.map")), read_file(map_file));
    ASSERT_EQ(std::system((std::string(VESPERTIL_MAPD) + names + dir.file("a.map") + " " + dir.file("b") + quiet).c_str()), 0);
    std::vector<unsigned char> a = read_file(dir.file("a/map.txt")), b = read_file(dir.file("b/map.txt"));
    // The first line names the file it came from; the rest must agree.
    auto after_first_line = [](const std::vector<unsigned char> &t) {
        std::string s(t.begin(), t.end());
        return s.substr(s.find('\n'));
    };
    EXPECT_EQ(after_first_line(a), after_first_line(b));
    // Our maps say everything in words: no byte needs a raw line.
    EXPECT_EQ(std::string(a.begin(), a.end()).find("\nraw "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(GeneratedMaps, EveryMap, ::testing::ValuesIn(map_names()));

// ---- The test map --------------------------------------------------------------------

class Prueba : public ::testing::Test {
protected:
    LoadedMap map;
    void SetUp() override { ASSERT_TRUE(map.load("prueba")); }
};

TEST_F(Prueba, HasEveryCellFlag) {
    uint8_t seen = 0;
    for (const RoomRecord &r : map.rooms)
        for (const auto &row : r.cells)
            for (const RoomCell &c : row) seen |= c.flags;
    for (uint8_t flag : {kCellSolid, kCellHarmful, kCellConveyorRight, kCellConveyorLeft, kCellLedge})
        EXPECT_TRUE(seen & flag) << "flag " << int(flag);
}

TEST_F(Prueba, HasEveryKindOfObject) {
    std::set<std::string> kinds;
    for (const RoomRecord &r : map.rooms)
        for (int i = 0; i < kSpawnsPerGroup; ++i)
            for (int g = 0; g < 2; ++g) {
                const ObjectSpawn &s = g == 0 ? r.enemies[i] : r.platforms[i];
                if (s.sprite == kEmptySlot) continue;
                bool across = s.a_column != s.b_column, down = s.a_row != s.b_row;
                std::string k = g == 0 ? "enemy " : "platform ";
                k += across && down ? "diagonal" : across ? "across" : down ? "up and down" : "standing";
                kinds.insert(k);
                if (across && s.b_column < s.a_column) kinds.insert(k + " leftwards");
            }
    for (const char *k : {"enemy across", "enemy up and down", "enemy standing", "enemy diagonal",
                          "enemy across leftwards", "platform across", "platform up and down"})
        EXPECT_TRUE(kinds.count(k)) << k;
}

TEST_F(Prueba, UsesEveryBackdropAndRoomsWithoutOne) {
    std::set<int> used;
    for (const RoomRecord &r : map.rooms) used.insert(r.backdrop);
    for (int b = 0; b < kBackdropCount; ++b) EXPECT_TRUE(used.count(b)) << b;
    EXPECT_TRUE(used.count(kNoBackdrop));
}

TEST_F(Prueba, OneSwitchAndOneRefillInEachRoom) {
    int switches[kRoomCount] = {}, refills[kRoomCount] = {};
    for (int i = 0; i < kSwitchCount; ++i) {
        ++switches[map.switches[i].room];
        ++refills[map.refills[i].room];
    }
    for (int room = 0; room < kRoomCount; ++room) {
        EXPECT_EQ(switches[room], 1) << room;
        EXPECT_EQ(refills[room], 1) << room;
    }
}

} // namespace
