// The route search and the level check on small maps with a known answer
// (route_maps.txt): the routes it finds play back to the exit door, it prefers its
// own row of rooms, it names the goal it cannot reach, and the check finds what
// cannot be reached, the traps and the edges into walls. The records it reads from
// a map file are the loader's (the test map's route found by the tool plays back in
// the game, tests/replays, and its corrected values here).
#include "route_search.h"

#include "level_check.h"

#include "support/case_table.h"
#include "support/test_support.h"
#include "world/map_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

namespace {

void place(PickupPlacement &p, int column, int row, int cell_column, int cell_row) {
    p.room = static_cast<uint8_t>(room_index_of(column, row));
    p.present = 1;
    p.cell_column = static_cast<int16_t>(cell_column);
    p.cell_row = static_cast<int16_t>(cell_row);
}

// A case's map and the options it asks for (the lines route_maps.txt explains).
struct RouteCase {
    std::unique_ptr<LevelMap> map = std::make_unique<LevelMap>();
    route::SearchOptions search;
    route::CheckOptions check;
};

RouteCase route_case(const std::string &text) {
    RouteCase s;
    LevelMap &m = *s.map;
    for (RoomRecord &r : m.rooms) {
        for (ObjectSpawn &o : r.enemies) o.sprite = kEmptySlot;
        for (ObjectSpawn &o : r.platforms) o.sprite = kEmptySlot;
        for (auto &row : r.cells)
            for (RoomCell &c : row) c = RoomCell{kNoTile, kNoTile, 0, 0};
    }
    MapHeader &h = m.header;
    std::istringstream in(text);
    std::string line;
    int n, c, r, x, y, bx, by, speed, sprite;
    while (std::getline(in, line)) {
        const char *l = line.c_str();
        if (std::sscanf(l, "room %d,%d", &c, &r) == 2) {
            RoomRecord &room = m.rooms[room_index_of(c, r)];
            for (y = 0; y < kRoomRows && std::getline(in, line); ++y) {
                EXPECT_EQ(line.size(), size_t{kRoomColumns}) << line;
                for (x = 0; x < kRoomColumns && x < static_cast<int>(line.size()); ++x)
                    room.cells[y][x].flags = line[x] == '#'   ? kCellSolid
                                             : line[x] == '=' ? kCellLedge
                                             : line[x] == '^' ? kCellHarmful
                                                              : 0;
            }
        } else if (std::sscanf(l, "start %d,%d %d,%d", &c, &r, &x, &y) == 4) {
            h.start_room_column = static_cast<int8_t>(c);
            h.start_room_row = static_cast<int8_t>(r);
            h.start_cell_column = static_cast<int8_t>(x);
            h.start_cell_row = static_cast<int8_t>(y);
        } else if (std::sscanf(l, "door %d,%d %d,%d", &c, &r, &x, &y) == 4) {
            h.exit_room_column = static_cast<int8_t>(c);
            h.exit_room_row = static_cast<int8_t>(r);
            h.exit_cell_column = static_cast<int8_t>(x);
            h.exit_cell_row = static_cast<int8_t>(y);
        } else if (std::sscanf(l, "switches %d,%d %d,%d", &c, &r, &x, &y) == 4) {
            for (SwitchPlacement &p : m.switches) place(p, c, r, x, y);
        } else if (std::sscanf(l, "switch %d %d,%d %d,%d", &n, &c, &r, &x, &y) == 5) {
            place(m.switches[n - 1], c, r, x, y);
        } else if (std::sscanf(l, "refills %d,%d %d,%d", &c, &r, &x, &y) == 4) {
            for (RefillPlacement &p : m.refills) place(p, c, r, x, y);
        } else if (std::sscanf(l, "refill %d %d,%d %d,%d", &n, &c, &r, &x, &y) == 5) {
            place(m.refills[n - 1], c, r, x, y);
        } else if (std::sscanf(l, "enemy %d,%d %d,%d %d,%d %d %d", &c, &r, &x, &y, &bx, &by, &speed, &sprite) == 8) {
            ObjectSpawn *slot = m.rooms[room_index_of(c, r)].enemies;
            while (slot->sprite != kEmptySlot) ++slot;
            *slot = ObjectSpawn{static_cast<int8_t>(x), static_cast<int8_t>(y), static_cast<int8_t>(bx),
                                static_cast<int8_t>(by), static_cast<int8_t>(speed), static_cast<int8_t>(sprite)};
        } else if (!(std::sscanf(l, "max-states %ld", &s.search.max_states) == 1 ||
                     std::sscanf(l, "guide-weight %d", &s.search.guide_weight) == 1 ||
                     std::sscanf(l, "max-places %ld", &s.check.max_places) == 1)) {
            ADD_FAILURE() << "not a line of a route case: " << line;
        }
    }
    return s;
}

// What a check found, in a line: what cannot be reached, each trap's room and row and
// what it loses, the first room edge into a wall or harm (what the hero does inside
// a wall is the rules' business). A check that gave up reports nothing.
std::string check_summary(const route::CheckResult &c) {
    if (!c.complete) return c.reach || !c.traps.empty() ? "incomplete, yet with findings" : "incomplete";
    std::string text;
    for (int i = 0; i < kSwitchCount; ++i)
        if (!((c.switches_reachable >> i) & 1)) text += "; switch " + std::to_string(i + 1) + " unreachable";
    for (int i = 0; i < kRefillCount; ++i)
        if (!((c.refills_reachable >> i) & 1)) text += "; refill " + std::to_string(i + 1) + " unreachable";
    if (!c.door_reachable) text += "; door unreachable";
    for (const route::TrapReport &t : c.traps) {
        text += "; trap in room " + std::to_string(t.place.room_column) + "," +
                std::to_string(t.place.room_row) + " row " + std::to_string(t.place.cell_row);
        if (t.no_door) text += " without the door";
        for (int i = 0; i < kSwitchCount; ++i)
            if ((t.lost_switches >> i) & 1) text += " leaving switch " + std::to_string(i + 1);
    }
    if (!c.crossings.empty())
        text += "; edge from " + route::place_text(c.crossings[0].from) +
                (c.crossings[0].harm ? " into harm at " : " into ") + route::place_text(c.crossings[0].to);
    return text.empty() ? "clean" : text.substr(2);
}

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

void count_goal(void *context, const route::GoalReport &) { ++*static_cast<int *>(context); }

void expect_route(RouteCase &s, const std::string &want) {
    int first = 0, switches = 0, door = 0;
    std::istringstream words(want);
    for (std::string w; words >> w;) {
        std::sscanf(w.c_str(), "first=%d", &first);
        std::sscanf(w.c_str(), "switches=%d", &switches);
        std::sscanf(w.c_str(), "door=%d", &door);
    }
    route::CheckResult c;
    if (want.find("needs-check") != std::string::npos) {
        EXPECT_FALSE(route::search_route(*s.map, s.search).found);
        c = route::check_level(*s.map, s.check);
        ASSERT_TRUE(c.complete);
        s.search.reach = c.reach.get();
    }
    int told = 0;
    s.search.goal_reached = count_goal;
    s.search.context = &told;
    route::SearchResult found = route::search_route(*s.map, s.search);
    ASSERT_TRUE(found.found) << found.failure;
    EXPECT_EQ(told, kSwitchCount + 1);
    EXPECT_EQ(found.frames[0], key_bit(Key::Enter));
    ASSERT_EQ(found.goals.size(), size_t{kSwitchCount + 1});
    EXPECT_TRUE(found.goals.back().door);
    EXPECT_EQ(first ? found.goals[0].switch_number : 0, first); // 0: any switch first
    for (int i = 0; switches && i < kSwitchCount; ++i) {
        EXPECT_EQ(found.goals[i].switch_number, i + 1);
        EXPECT_EQ(found.goals[i].frame, switches);
    }
    EXPECT_EQ(door ? found.goals.back().frame : 0, door);
    LevelOutcome o = route::run_route(*s.map, found.frames);
    EXPECT_EQ(o.result, LevelResult::Completed);
    EXPECT_EQ(o.frames, static_cast<int>(found.frames.size()));
    EXPECT_EQ(o.frames, found.goals.back().frame);
}

class RouteMaps : public testing::TestWithParam<TextCase> {};

TEST_P(RouteMaps, GiveTheirKnownAnswer) {
    RouteCase s = route_case(GetParam().text);
    const std::string &want = GetParam().message;
    std::size_t goals = 0;
    if (want.rfind("route", 0) == 0) {
        expect_route(s, want);
    } else if (std::sscanf(want.c_str(), "refused %zu", &goals) == 1) {
        route::SearchResult found = route::search_route(*s.map, s.search);
        EXPECT_FALSE(found.found);
        EXPECT_EQ(found.goals.size(), goals);
        const std::string pattern = want.substr(want.find(' ', 8) + 1), &f = found.failure;
        const std::string start = pattern.substr(0, pattern.find("...")), end = pattern.substr(start.size() + 3);
        EXPECT_TRUE(f.rfind(start, 0) == 0 && f.size() >= start.size() + end.size() &&
                    f.compare(f.size() - end.size(), end.size(), end) == 0)
            << f;
    } else {
        route::CheckResult c = route::check_level(*s.map, s.check);
        EXPECT_EQ("check " + check_summary(c), want);
        for (const route::TrapReport &t : c.traps) expect_keys_lead_to(*s.map, t.frames, t.place);
        for (const route::CrossingReport &x : c.crossings) expect_keys_lead_to(*s.map, x.frames, x.to);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, RouteMaps, testing::ValuesIn(read_cases(__FILE__, "route_maps.txt")), case_name);

// ---- The map's records ---------------------------------------------------------------

// The test map with values the loader corrects: the route tool reads the records the
// game's loader reads; a file too short for a map is refused.
TEST(RouteMapRecords, TheTestMapReadsAsTheLoaderReadsIt) {
    std::vector<unsigned char> bytes = testing_support::read_file(std::string(VESPERTIL_GAME_DIR) + "/MAP/prueba.map");
    ASSERT_GE(bytes.size(), kMapFileSize);
    bytes[kHeaderPositionsOffset + 2] = 40;   // start cell column past the room
    bytes[kHeaderPositionsOffset + 7] = 0xF0; // door row above the room
    bytes[kSwitchRecordsOffset] = 0xFD;       // a switch in room column -3
    bytes[kRefillRecordsOffset + 3] = 77;     // a refill in cell row 77
    std::size_t room = kRoomsOffset + 1 * kRoomRecordSize; // room 1,0 and its bat
    bytes[room + kRoomEnemiesOffset + 4] = 3;  // speed 3 over a track it does not divide
    bytes[room + kRoomCellsOffset + 1] = 0x7F; // a back tile past the sheet
    testing_support::TempDir dir;
    testing_support::write_file(dir.file("map.map"), bytes);
    auto loaded = std::make_unique<LevelMap>();
    auto parsed = std::make_unique<LevelMap>();
    BITMAP *const no_backdrops[kBackdropCount] = {};
    CellSet no_cells{};
    ASSERT_EQ(load_map_file(dir.file("map.map").c_str(), loaded->header, loaded->rooms, loaded->switches,
                            loaded->refills, no_backdrops, no_cells, no_cells)
                  .loaded,
              1);
    ASSERT_TRUE(route::level_map_from_bytes(bytes.data(), bytes.size(), *parsed));
    EXPECT_EQ(std::memcmp(loaded.get(), parsed.get(), sizeof(LevelMap)), 0);
    EXPECT_FALSE(route::level_map_from_bytes(bytes.data(), kMapFileSize - 1, *parsed));
}

} // namespace
