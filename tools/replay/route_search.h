// Finding a way through a map with the level's own rules: a breadth-first search over
// each frame's keys, to the nearest switch still up, again and again until all are
// thrown, then to the exit door. A level maker runs it to prove a map can be
// completed; the keys it finds are a replay the game plays back to the same end.
#pragma once

#include "core/platform.h"
#include "level/rules.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace route {

// The records of a map file exactly as the game's loader fills them: the header,
// rooms and pickups parsed from the same offsets and made safe the same way. False
// when `size` is too short for a map (the loader refuses such a file too).
bool level_map_from_bytes(const uint8_t *bytes, std::size_t size, LevelMap &map);

// The keys that close the level-intro panel; the same record is the first frame's.
constexpr KeyRecord kClosingKeys = key_bit(Key::Enter);

// One goal reached on the way: a switch thrown or, last, the exit door.
struct GoalReport {
    bool door = false;
    int switch_number = 0;  // 1..25 in the map's order (a switch only)
    int room_column = 0, room_row = 0, cell_column = 0, cell_row = 0;
    int frame = 0;          // the frame that reached it, counted from 1 as the level counts
    int energy = 0;         // the hero's energy after that frame
    long states = 0;        // states the search looked at for this goal
};

class Reachability;

struct SearchOptions {
    // States one goal may look at before the search gives up on it. A state costs
    // under 100 bytes, so the default keeps a search within a few hundred megabytes.
    long max_states = 4000000;
    // How many times over the guess of the frames still to go counts against the
    // frames already spent. 1 finds shorter routes, 2 finds them several times
    // faster (a search on its way keeps going rather than first trying every other
    // way that might be as short); 0 searches breadth first for the fewest frames to
    // each goal, which only small maps allow.
    int guide_weight = 2;
    // When set (from a complete level check), places that can no longer lead to the
    // door or to a switch still up are not searched, and a switch counts as reached
    // only where the hero can go on from it: the nearest switch first can then not
    // lead the search into a corner from which the level cannot be won.
    const Reachability *reach = nullptr;
    // Told of every goal as it is reached, when set.
    void (*goal_reached)(void *context, const GoalReport &goal) = nullptr;
    void *context = nullptr;
};

struct SearchResult {
    bool found = false;
    std::vector<KeyRecord> frames;  // every frame's keys; frames[0] closes the intro panel
    std::vector<GoalReport> goals;  // in the order reached
    std::string failure;            // when not found: which goal failed, and why
};

SearchResult search_route(const LevelMap &map, const SearchOptions &options);

// Plays `frames` through the rules from the level's start the way the level run does
// (a room entry at the top of every pass of the room loop) and returns how the level
// ends; LevelResult::Unfinished when the frames run out first.
// `lowest_energy`, when given, gets the least energy the hero had after any frame.
LevelOutcome run_route(const LevelMap &map, const std::vector<KeyRecord> &frames,
                       int *lowest_energy = nullptr);

// A cell of a room of the world.
struct Place {
    int room_column = 0, room_row = 0, cell_column = 0, cell_row = 0;
};

// "room 2,1 cell 4,5".
std::string place_text(const Place &p);

// "switch 7 at room 2,1 cell 4,5" or "the exit door at room 4,4 cell 12,6".
std::string goal_text(const GoalReport &goal);

} // namespace route
