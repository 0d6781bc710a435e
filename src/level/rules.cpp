// The level run's rules in frame order, apart from the drawing: level start, room
// entry, the steps before and after the room is drawn, and a whole frame of rules
// for tests and replays.
#include "level/rules.h"

namespace {

constexpr KeyRecord kQuitKeys = key_bit(Key::Esc);

int clamp_to(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

// The hero's room always names one of the 25 rooms, whatever a caller left in it.
void keep_room_in_world(PlayState &s) {
    s.room_column = clamp_to(s.room_column, 0, kWorldColumns - 1);
    s.room_row = clamp_to(s.room_row, 0, kWorldRows - 1);
}

} // namespace

void start_level_rules(PlayState &s, LevelMap &map) {
    s.hero = make_hero(map.header);
    s.room_column = map.header.start_room_column;
    s.room_row = map.header.start_room_row;
    keep_room_in_world(s);
    s.start_column = s.room_column;
    s.start_row = s.room_row;
    for (SwitchPlacement &p : map.switches) p.present = 1;
    for (RefillPlacement &p : map.refills) p.present = 1;
    build_objects(map.rooms[current_room_index(s)], s.enemies, s.platforms);
    s.falling_cue_started = 0;
    s.room_exit = false;
    s.quit = false;
    s.result = LevelResult::Left;
}

void enter_room(PlayState &s, const LevelMap &map) {
    keep_room_in_world(s);
    build_objects(map.rooms[current_room_index(s)], s.enemies, s.platforms);
    s.room_exit = false;
}

void frame_rules_before_render(PlayState &s, const LevelMap &map, KeyRecord keys,
                               FrameEvents &ev) {
    // ESC ends the level, but this frame still runs to its end.
    if (keys & kQuitKeys) {
        s.room_exit = true;
        s.quit = true;
    }
    keep_room_in_world(s);
    s.start_column = s.room_column;
    s.start_row = s.room_row;
    update_hero(s, map.rooms[frame_room_index(s)], keys, ev);
    move_objects(s.enemies, s.platforms);
}

void frame_rules_after_render(PlayState &s, LevelMap &map, FrameEvents &ev) {
    keep_room_in_world(s);
    // The enemies of a room just entered are in place for this frame's contact test;
    // its platforms wait for the room entry of the next pass.
    if (s.room_column != s.start_column || s.room_row != s.start_row) {
        build_enemies(map.rooms[current_room_index(s)], s.enemies);
    }
    check_pickups_and_harm(s, map, ev);
}

bool run_frame_rules(PlayState &s, LevelMap &map, KeyRecord keys, FrameEvents &ev) {
    frame_rules_before_render(s, map, keys, ev);
    frame_rules_after_render(s, map, ev);
    return s.room_exit;
}
