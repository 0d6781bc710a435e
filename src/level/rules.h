// The rules of one level run as plain records and functions: what the level loop
// keeps between frames and the steps of a frame that are not drawing. Unit tests and
// headless replays run these at full speed with no screen and no sound.
#pragma once

#include "core/platform.h"
#include "level/events.h"
#include "level/hero.h"
#include "level/objects.h"
#include "world/map_format.h"

#include <cstdint>

// The map as a level run plays it (filled by the loader).
struct LevelMap {
    MapHeader header;
    RoomRecord rooms[kRoomCount];
    SwitchPlacement switches[kSwitchCount];
    RefillPlacement refills[kRefillCount];
};

// How a level ended; replays and their traces write it as its number.
enum class LevelResult : int32_t {
    Unreadable = 0,   // the map file cannot be read; nothing was shown
    NoRain = -1,      // a rain sample of the rainy map is missing
    Left = 1,         // ESC, or the energy ran out
    Completed = 3,    // the hero stood in the open exit door
    Unfinished = -2,  // a replay ran out of key records first (replays only)
};

// How a run of a level ended: the level run's, a replay's or a route's.
struct LevelOutcome {
    LevelResult result = LevelResult::Unreadable;
    int frames = 0;    // frames of play run
    int switches = 0;  // switches thrown
    int energy = 0;
};

struct PlayState {
    HeroState hero;
    ObjectGroup enemies;   // group 1
    ObjectGroup platforms; // group 2
    int32_t room_column, room_row;     // the room the hero is in
    int32_t start_column, start_row;   // the room at the start of the frame
    int16_t falling_cue_started;       // the falling cue has started during this fall
    bool room_exit;                    // leave the room at the end of the frame
    bool quit;                         // end the level at the end of the frame
    LevelResult result;
};

constexpr int room_index_of(int column, int row) { return row * kWorldColumns + column; }
// The room the frame started in, which every cell test and the drawing of the frame use.
constexpr int frame_room_index(const PlayState &s) {
    return room_index_of(s.start_column, s.start_row);
}
constexpr int current_room_index(const PlayState &s) {
    return room_index_of(s.room_column, s.room_row);
}

// Level start: the hero at the start cell, the start room, every switch and refill
// present, both object groups of the start room, result 1.
void start_level_rules(PlayState &s, LevelMap &map);

// Top of each pass of the room loop: both groups of the room the hero is in are
// built afresh and the room-exit flag is cleared.
void enter_room(PlayState &s, const LevelMap &map);

// Frame steps before drawing: ESC, remember the room, the hero, the objects.
void frame_rules_before_render(PlayState &s, const LevelMap &map, KeyRecord keys,
                               FrameEvents &ev);
// Frame steps after drawing: the enemies of a room just entered, then contact,
// switches, refills, harmful cell, energy out and the exit door.
void frame_rules_after_render(PlayState &s, LevelMap &map, FrameEvents &ev);

// Contact, pickups, harm, energy out and exit (the rules after drawing).
void check_pickups_and_harm(PlayState &s, LevelMap &map, FrameEvents &ev);

// Both halves with nothing drawn between them: one whole frame of rules, for tests,
// replays and route searches. Returns true when the room loop leaves the room.
bool run_frame_rules(PlayState &s, LevelMap &map, KeyRecord keys, FrameEvents &ev);
