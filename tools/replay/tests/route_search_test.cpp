// The route search: the records it reads from a map file are the loader's, it finds
// routes that play back to the exit door, prefers its own row of rooms, and names the
// goal it cannot reach.
#include "route_search.h"

#include "level_check.h"

#include "level/replay_file.h"
#include "support/test_support.h"
#include "world/map_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

using testing_support::TempDir;

constexpr KeyRecord kEnter = key_bit(Key::Enter);
constexpr KeyRecord kEsc = key_bit(Key::Esc);
constexpr int kLastRow = kWorldRows - 1;

// A world of empty rooms: `rows` of one room drawn as in the level rule tests
// ('#' solid, '=' ledge, '.' empty).
void draw_room(LevelMap &map, int column, int row, const char *const (&rows)[kRoomRows]) {
    RoomRecord &r = map.rooms[room_index_of(column, row)];
    for (int y = 0; y < kRoomRows; ++y) {
        ASSERT_EQ(std::strlen(rows[y]), size_t{kRoomColumns});
        for (int x = 0; x < kRoomColumns; ++x)
            r.cells[y][x].flags = rows[y][x] == '#' ? kCellSolid : rows[y][x] == '=' ? kCellLedge : 0;
    }
}

std::unique_ptr<LevelMap> empty_world() {
    auto map = std::make_unique<LevelMap>();
    for (RoomRecord &r : map->rooms) {
        for (ObjectSpawn &s : r.enemies) s.sprite = kEmptySlot;
        for (ObjectSpawn &s : r.platforms) s.sprite = kEmptySlot;
        for (auto &row : r.cells)
            for (RoomCell &c : row) c = RoomCell{kNoTile, kNoTile, 0, 0};
    }
    return map;
}

void place(PickupPlacement &p, int column, int row, int cell_column, int cell_row) {
    p.room = static_cast<uint8_t>(room_index_of(column, row));
    p.present = 1;
    p.cell_column = static_cast<int16_t>(cell_column);
    p.cell_row = static_cast<int16_t>(cell_row);
}

void start_and_door(LevelMap &map, int room_column, int room_row, int start_column,
                    int door_column, int door_row) {
    MapHeader &h = map.header;
    h.start_room_column = h.exit_room_column = static_cast<int8_t>(room_column);
    h.start_room_row = h.exit_room_row = static_cast<int8_t>(room_row);
    h.start_cell_column = static_cast<int8_t>(start_column);
    h.start_cell_row = 7;
    h.exit_cell_column = static_cast<int8_t>(door_column);
    h.exit_cell_row = static_cast<int8_t>(door_row);
}

constexpr const char *kFloor[kRoomRows] = {
    "...............", "...............", "...............",
    "...............", "...............", "...............",
    "...............", "...............", "###############",
};

// Room 0,4 with a floor: the hero starts at cell 2,7, every switch lies on cell 6,7 and
// the door's lower cell is 10,7. Every refill sits out of the way on cell 14,0.
std::unique_ptr<LevelMap> corridor() {
    auto map = empty_world();
    draw_room(*map, 0, kLastRow, kFloor);
    start_and_door(*map, 0, kLastRow, 2, 10, 6);
    for (SwitchPlacement &p : map->switches) place(p, 0, kLastRow, 6, 7);
    for (RefillPlacement &p : map->refills) place(p, 0, kLastRow, 14, 0);
    return map;
}

// Breadth first, the fewest frames: from pixel 32, two pixels a frame from frame 2
// (walking or a long jump), the switches' cell at 96 is first touched at pixel 82, on
// frame 26; with the switches on the start cell, the door's 160 is 64 frames on.
TEST(RouteSearch, BreadthFirstFindsTheFewestFrames) {
    struct Case { int switch_column; int switch_frame, door_frame; };
    for (const Case &t : {Case{6, 26, 0}, Case{2, 1, 65}}) {
        auto map = corridor();
        for (SwitchPlacement &p : map->switches) place(p, 0, kLastRow, t.switch_column, 7);
        route::SearchOptions options;
        options.guide_weight = 0;
        route::SearchResult found = route::search_route(*map, options);
        ASSERT_TRUE(found.found) << found.failure;
        EXPECT_EQ(found.frames[0], kEnter);
        ASSERT_EQ(found.goals.size(), size_t{kSwitchCount + 1});
        for (int i = 0; i < kSwitchCount; ++i) {
            EXPECT_EQ(found.goals[i].switch_number, i + 1);
            EXPECT_EQ(found.goals[i].frame, t.switch_frame);
        }
        EXPECT_TRUE(found.goals.back().door);
        if (t.door_frame) {
            EXPECT_EQ(found.goals.back().frame, t.door_frame);
        }
        LevelOutcome o = route::run_route(*map, found.frames);
        EXPECT_EQ(outcome_line(o), "result 3 frames " + std::to_string(found.goals.back().frame) +
                                       " switches 25 energy 255");
    }
}

// A cell closed in by solid cells on every side.
void wall_in(LevelMap &map, int room, int column, int row) {
    for (int y = row - 1; y <= row + 1; ++y)
        for (int x = column - 1; x <= column + 1; ++x)
            if (x != column || y != row) map.rooms[room].cells[y][x].flags = kCellSolid;
}

TEST(RouteSearch, NamesWhatItCannotReach) {
    struct Case {
        void (*change)(LevelMap &m, route::SearchOptions &o);
        std::size_t goals;
        const char *failure, *ending; // how the failure starts and ends
    };
    const Case cases[] = {
        {[](LevelMap &m, route::SearchOptions &) { place(m.switches[kSwitchCount - 1], 0, kLastRow, 12, 3); },
         kSwitchCount - 1, "switch 25 at room 0,4 cell 12,3 cannot be reached from room 0,4 cell ",
         " with energy 255"},
        {[](LevelMap &m, route::SearchOptions &) {
             place(m.switches[kSwitchCount - 2], 0, kLastRow, 12, 3);
             place(m.switches[kSwitchCount - 1], 0, kLastRow, 12, 3);
             place(m.switches[0], 0, kLastRow, 3, 3); // out of a jump's reach over open floor
         },
         kSwitchCount - 3, "none of the 3 switches still up can be reached", "switch 1 at room 0,4 "
         "cell 3,3; switch 24 at room 0,4 cell 12,3; switch 25 at room 0,4 cell 12,3"},
        {[](LevelMap &m, route::SearchOptions &) {
             m.header.exit_cell_column = 12;
             m.header.exit_cell_row = 2; // stood in at 12,3
         },
         kSwitchCount, "the exit door at room 0,4 cell 12,2 cannot be reached", ""},
        {[](LevelMap &, route::SearchOptions &o) { o.max_states = 3; },
         0, "gave up looking for switch 1 at room 0,4 cell 6,7", " after 3 states (raise --max-states)"},
    };
    for (const Case &t : cases) {
        auto map = corridor();
        wall_in(*map, room_index_of(0, kLastRow), 12, 3);
        route::SearchOptions options;
        t.change(*map, options);
        route::SearchResult found = route::search_route(*map, options);
        EXPECT_FALSE(found.found);
        EXPECT_EQ(found.goals.size(), t.goals) << t.failure;
        const std::string &f = found.failure, ending = t.ending;
        EXPECT_EQ(f.rfind(t.failure, 0), 0u) << f;
        EXPECT_TRUE(f.size() >= ending.size() && f.compare(f.size() - ending.size(), ending.size(), ending) == 0) << f;
    }
}

TEST(RouteSearch, APlaybackStopsAtEscOrWhenTheKeysRunOut) {
    auto map = corridor();
    EXPECT_EQ(outcome_line(route::run_route(*map, {kEnter, 0, kEsc, 0})),
              "result 1 frames 3 switches 0 energy 255");
    EXPECT_EQ(route::run_route(*map, {kEnter, 0}).result, LevelResult::Unfinished);
    EXPECT_EQ(route::run_route(*map, {kEnter, 0}).frames, 2);
}

// ---- The level check ------------------------------------------------------------------

// What a check found, in a line: what cannot be reached, each trap's room and row and
// what it loses, each room edge into a wall.
std::string check_summary(const route::CheckResult &c) {
    std::string text = c.complete ? "" : "incomplete ";
    for (int i = 0; i < kSwitchCount; ++i)
        if (!((c.switches_reachable >> i) & 1)) text += "switch " + std::to_string(i + 1) + " unreachable; ";
    for (int i = 0; i < kRefillCount; ++i)
        if (!((c.refills_reachable >> i) & 1)) text += "refill " + std::to_string(i + 1) + " unreachable; ";
    if (!c.door_reachable) text += "door unreachable; ";
    for (const route::TrapReport &t : c.traps) {
        text += "trap in room " + std::to_string(t.place.room_column) + "," +
                std::to_string(t.place.room_row) + " row " + std::to_string(t.place.cell_row);
        if (t.no_door) text += " without the door";
        for (int i = 0; i < kSwitchCount; ++i)
            if ((t.lost_switches >> i) & 1) text += " leaving switch " + std::to_string(i + 1);
        text += "; ";
    }
    // The first edge into a wall or harm; what the hero does inside a wall is the
    // rules' business.
    if (!c.crossings.empty())
        text += "edge from " + route::place_text(c.crossings[0].from) +
                (c.crossings[0].harm ? " into harm at " : " into ") +
                route::place_text(c.crossings[0].to) + "; ";
    return text.empty() ? "clean" : text;
}

// The corridor closed at its right end, with its refills on the floor too: nothing
// to report.
std::unique_ptr<LevelMap> clean_corridor() {
    auto map = corridor();
    for (int row = 0; row < kRoomRows - 1; ++row)
        map->rooms[room_index_of(0, kLastRow)].cells[row][kRoomColumns - 1].flags = kCellSolid;
    for (RefillPlacement &p : map->refills) place(p, 0, kLastRow, 4, 7);
    return map;
}

// A shelf (row 4 solid) over the left of room 0,4; the hero starts on it at 7,3 and
// the floor below is four cells down, too far to jump back up. Switches 1 to 24 lie
// on the floor near the drop, switch 25 at the far end of the shelf, the door on the
// floor: the nearest switch first leaves switch 25 behind.
std::unique_ptr<LevelMap> shelf_and_floor() {
    auto map = clean_corridor();
    constexpr const char *kShelf[kRoomRows] = {
        "..............#", "..............#", "..............#",
        "..............#", "#########.....#", "#########.....#",
        "#########.....#", "#########.....#", "###############",
    };
    draw_room(*map, 0, kLastRow, kShelf);
    start_and_door(*map, 0, kLastRow, 7, 13, 6);
    map->header.start_cell_row = 3;
    for (SwitchPlacement &p : map->switches) place(p, 0, kLastRow, 10, 7);
    place(map->switches[kSwitchCount - 1], 0, kLastRow, 0, 3);
    for (RefillPlacement &p : map->refills) place(p, 0, kLastRow, 11, 7);
    return map;
}

struct CheckCase {
    const char *name;
    void (*change)(LevelMap &map);
    const char *summary;
};

const CheckCase kCheckCases[] = {
    {"a corridor", [](LevelMap &) {}, "clean"},
    {"a switch walled in",
     [](LevelMap &m) {
         place(m.switches[6], 0, kLastRow, 12, 3);
         wall_in(m, room_index_of(0, kLastRow), 12, 3);
     },
     "switch 7 unreachable; "},
    {"a refill in the air and the door walled in",
     [](LevelMap &m) {
         place(m.refills[2], 0, kLastRow, 14, 0);
         m.header.exit_cell_column = 12;
         m.header.exit_cell_row = 2;
         wall_in(m, room_index_of(0, kLastRow), 12, 3);
     },
     "refill 3 unreachable; door unreachable; "},
    // Three cells deep: a high jump rises two. The door lies beyond, a long jump away.
    {"a pit with no way up",
     [](LevelMap &m) {
         constexpr const char *kPit[kRoomRows] = {
             "..............#", "..............#", "..............#",
             "..............#", "..............#", "######...######",
             "######...######", "######...######", "###############",
         };
         draw_room(m, 0, kLastRow, kPit);
         start_and_door(m, 0, kLastRow, 2, 12, 3);
         m.header.start_cell_row = 4;
         for (SwitchPlacement &p : m.switches) place(p, 0, kLastRow, 4, 4);
         for (RefillPlacement &p : m.refills) place(p, 0, kLastRow, 3, 4);
     },
     "trap in room 0,4 row 7 without the door; "},
    // A way out at the right end, standing only, into the rock of the next room.
    {"an edge into a wall",
     [](LevelMap &m) {
         constexpr const char *kWalledIn[kRoomRows] = {
             "#.............#", "#.............#", "#.............#",
             "#.............#", "#.............#", "#.............#",
             "#.............#", "#.............#", "###############",
         };
         m.rooms[room_index_of(0, kLastRow)].cells[7][kRoomColumns - 1].flags = 0;
         draw_room(m, 1, kLastRow, kWalledIn);
     },
     // Once inside the wall he can sink into the floor, where nothing leads on.
     "trap in room 1,4 row 8 without the door; edge from room 0,4 cell 13,7 into room 1,4 "
     "cell 0,7; "},
    // Off a shelf of room 0,3 and through the hole beside it onto spikes in the
    // corridor below.
    {"a fall into harm",
     [](LevelMap &m) {
         constexpr const char *kHoled[kRoomRows] = {
             "..............#", "..............#", "..............#",
             "..............#", "#########.....#", "#########.....#",
             "#########.....#", "#########.....#", "#########.....#",
         };
         draw_room(m, 0, kLastRow - 1, kHoled);
         m.header.start_room_row = kLastRow - 1;
         m.header.start_cell_row = 3;
         for (int column = 8; column <= 10; ++column)
             m.rooms[room_index_of(0, kLastRow)].cells[7][column].flags = kCellHarmful;
     },
     "edge from room 0,3 cell 6,3 into harm at room 0,4 cell 10,7; "},
    {"a drop that leaves a switch behind", [](LevelMap &m) { m = *shelf_and_floor(); },
     "trap in room 0,4 row 7 leaving switch 25; "},
};

// The keys a report gives lead the hero to the place it names.
void expect_keys_lead_to(const LevelMap &map, const std::vector<KeyRecord> &frames,
                         const route::Place &where) {
    auto level = std::make_unique<LevelMap>(map);
    PlayState s{};
    start_level_rules(s, *level);
    std::size_t next = 0;
    while (next < frames.size()) {
        enter_room(s, *level);
        while (!s.room_exit && next < frames.size()) {
            FrameEvents ev;
            run_frame_rules(s, *level, frames[next++], ev);
        }
    }
    HeroCells c = hero_cells(s.hero);
    EXPECT_EQ(route::place_text(route::Place{s.room_column, s.room_row, c.tx, c.ty}),
              route::place_text(where));
}

TEST(LevelCheck, FindsWhatCannotBeReachedTheTrapsAndTheEdgesIntoWalls) {
    for (const CheckCase &k : kCheckCases) {
        SCOPED_TRACE(k.name);
        auto map = clean_corridor();
        k.change(*map);
        route::CheckResult c = route::check_level(*map, route::CheckOptions{});
        EXPECT_EQ(check_summary(c), k.summary);
        for (const route::TrapReport &t : c.traps) expect_keys_lead_to(*map, t.frames, t.place);
        for (const route::CrossingReport &x : c.crossings) expect_keys_lead_to(*map, x.frames, x.to);
    }
}

TEST(LevelCheck, GivesUpPastItsPlacesAndReportsNothingItHasNotProven) {
    auto map = clean_corridor();
    route::CheckOptions options;
    options.max_places = 5;
    route::CheckResult c = route::check_level(*map, options);
    EXPECT_FALSE(c.complete);
    EXPECT_EQ(c.reach, nullptr);
    EXPECT_TRUE(c.traps.empty());
}

// Room 0,3 has a hole in its floor at columns 3 and 4 down into room 0,4. The hero
// starts on cell 6,7 of room 0,3; 24 switches lie just under the hole and one at the
// far end of room 0,3. Nearest first would drop through the hole and never come back.
std::unique_ptr<LevelMap> hole_to_the_row_below() {
    auto map = corridor();
    constexpr const char *kHoledFloor[kRoomRows] = {
        "...............", "...............", "...............",
        "...............", "...............", "...............",
        "...............", "...............", "###..##########",
    };
    draw_room(*map, 0, kLastRow - 1, kHoledFloor);
    start_and_door(*map, 0, kLastRow, 6, 10, 6);
    map->header.start_room_row = kLastRow - 1;
    for (SwitchPlacement &p : map->switches) place(p, 0, kLastRow, 3, 7);
    place(map->switches[kSwitchCount - 1], 0, kLastRow - 1, 13, 7);
    return map;
}

// Five bats over the corridor's ceiling on tracks of 5, 7, 9, 11 and 13 cells line up
// again only after 1,441,440 frames; where they are changes nobody's way.
std::unique_ptr<LevelMap> bats_that_seldom_line_up() {
    auto map = corridor();
    RoomRecord &room = map->rooms[room_index_of(0, kLastRow)];
    for (int i = 0; i < 5; ++i)
        room.enemies[i] = ObjectSpawn{0, static_cast<int8_t>(i), static_cast<int8_t>(5 + 2 * i),
                                      static_cast<int8_t>(i), 1, 4};
    return map;
}

// Reports each goal as it is reached, in order.
void count_goal(void *context, const route::GoalReport &) { ++*static_cast<int *>(context); }

// Small maps with a known answer: the guided search tells each goal as it reaches it,
// takes the expected switch first, and its keys play back to the open door. On the
// shelf, nearest first drops to the floor's switches and cannot climb back; told by
// the level check which places still lead on, it throws switch 25 first.
TEST(RouteSearch, SmallMapsWithAKnownAnswer) {
    struct Case {
        const char *name;
        std::unique_ptr<LevelMap> (*map)();
        int first_switch;  // 0: any
        int max_states;    // 0: the default
        bool needs_check;
    };
    const Case cases[] = {
        {"the corridor", corridor, 0, 0, false},
        {"its own row of rooms first", hole_to_the_row_below, kSwitchCount, 0, false},
        {"bats do not multiply the search", bats_that_seldom_line_up, 0, 20000, false},
        {"the one order that wins", shelf_and_floor, kSwitchCount, 0, true},
    };
    for (const Case &t : cases) {
        SCOPED_TRACE(t.name);
        auto map = t.map();
        route::SearchOptions options;
        if (t.max_states) options.max_states = t.max_states;
        route::CheckResult c;
        if (t.needs_check) {
            EXPECT_FALSE(route::search_route(*map, options).found);
            c = route::check_level(*map, route::CheckOptions{});
            ASSERT_TRUE(c.complete);
            options.reach = c.reach.get();
        }
        int told = 0;
        options.goal_reached = count_goal;
        options.context = &told;
        route::SearchResult found = route::search_route(*map, options);
        ASSERT_TRUE(found.found) << found.failure;
        EXPECT_EQ(told, kSwitchCount + 1);
        if (t.first_switch) {
            EXPECT_EQ(found.goals[0].switch_number, t.first_switch);
        }
        LevelOutcome o = route::run_route(*map, found.frames);
        EXPECT_EQ(o.result, LevelResult::Completed);
        EXPECT_EQ(o.frames, static_cast<int>(found.frames.size()));
        EXPECT_EQ(o.frames, found.goals.back().frame);
    }
}

// ---- The map's records ---------------------------------------------------------------

void expect_loader_records(const std::vector<unsigned char> &bytes) {
    TempDir dir;
    std::string path = dir.file("map.map");
    testing_support::write_file(path, bytes);
    auto loaded = std::make_unique<LevelMap>();
    auto parsed = std::make_unique<LevelMap>();
    BITMAP *const no_backdrops[kBackdropCount] = {};
    CellSet no_cells{};
    ASSERT_EQ(load_map_file(path.c_str(), loaded->header, loaded->rooms, loaded->switches,
                            loaded->refills, no_backdrops, no_cells, no_cells)
                  .loaded,
              1);
    ASSERT_TRUE(route::level_map_from_bytes(bytes.data(), bytes.size(), *parsed));
    EXPECT_EQ(std::memcmp(&loaded->header, &parsed->header, sizeof loaded->header), 0);
    for (int r = 0; r < kRoomCount; ++r)
        EXPECT_EQ(std::memcmp(&loaded->rooms[r], &parsed->rooms[r], sizeof loaded->rooms[r]), 0)
            << "room " << r;
    EXPECT_EQ(std::memcmp(loaded->switches, parsed->switches, sizeof loaded->switches), 0);
    EXPECT_EQ(std::memcmp(loaded->refills, parsed->refills, sizeof loaded->refills), 0);
}

std::vector<unsigned char> test_map_bytes() {
    return testing_support::read_file(std::string(VESPERTIL_GAME_DIR) + "/MAP/prueba.map");
}

// The test map as it is, and with values the loader corrects, reads as the loader reads it.
TEST(RouteMapRecords, TheTestMapReadsAsTheLoaderReadsIt) {
    std::vector<unsigned char> bytes = test_map_bytes();
    ASSERT_GE(bytes.size(), kMapFileSize);
    expect_loader_records(bytes);
    bytes[kHeaderPositionsOffset + 2] = 40;   // start cell column past the room
    bytes[kHeaderPositionsOffset + 7] = 0xF0; // door row above the room
    bytes[kSwitchRecordsOffset] = 0xFD;       // a switch in room column -3
    bytes[kRefillRecordsOffset + 3] = 77;     // a refill in cell row 77
    std::size_t room = kRoomsOffset + 1 * kRoomRecordSize; // room 1,0 and its bat
    bytes[room + kRoomEnemiesOffset + 4] = 3;  // speed 3 over a track it does not divide
    bytes[room + kRoomCellsOffset + 1] = 0x7F; // a back tile past the sheet
    expect_loader_records(bytes);
}

TEST(RouteMapRecords, AShortFileIsRefused) {
    std::vector<unsigned char> bytes(kMapFileSize - 1, 0);
    LevelMap map;
    EXPECT_FALSE(route::level_map_from_bytes(bytes.data(), bytes.size(), map));
}

} // namespace
