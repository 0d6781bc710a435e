// Rooms drawn as nine rows of characters, and a hero placed in one, for the tests of
// the level rules.
//   '.' empty   '#' solid   '=' ledge
//   '>' solid conveyor carrying right   '<' solid conveyor carrying left
#pragma once

#include "level/rules.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

using RoomRows = std::array<const char *, kRoomRows>;

inline uint8_t cell_flags_of(char ch) {
    switch (ch) {
    case '#': return kCellSolid;
    case '=': return kCellLedge;
    case '>': return kCellSolid | kCellConveyorRight;
    case '<': return kCellSolid | kCellConveyorLeft;
    default: return 0;
    }
}

inline ObjectSpawn no_spawn() { return ObjectSpawn{0, 0, 0, 0, 0, kEmptySlot}; }

inline RoomRecord room_from_rows(const RoomRows &rows) {
    RoomRecord room{};
    for (ObjectSpawn &s : room.enemies) s = no_spawn();
    for (ObjectSpawn &s : room.platforms) s = no_spawn();
    for (int r = 0; r < kRoomRows; ++r) {
        EXPECT_EQ(std::strlen(rows[r]), size_t{kRoomColumns}) << "row " << r;
        for (int c = 0; c < kRoomColumns && rows[r][c]; ++c) {
            room.cells[r][c].flags = cell_flags_of(rows[r][c]);
        }
    }
    return room;
}

constexpr RoomRows kOpenRoom = {
    "...............", "...............", "...............",
    "...............", "...............", "...............",
    "...............", "...............", "...............",
};
constexpr RoomRows kFloorRoom = {
    "...............", "...............", "...............",
    "...............", "...............", "...............",
    "...............", "...............", "###############",
};
constexpr int kStandingPy = 112; // top of a hero standing on row 8

// A standing hero at pixel (px, py) of room (column, row) of the world, full energy.
inline PlayState hero_at(int px, int py, int column = 2, int row = 2) {
    PlayState s{};
    s.hero.x = px * kSubPixels;
    s.hero.y = py * kSubPixels;
    s.hero.energy = kFullEnergy;
    s.room_column = s.start_column = column;
    s.room_row = s.start_row = row;
    s.result = LevelResult::Left;
    for (MovingObject &o : s.enemies) o = build_object(no_spawn());
    for (MovingObject &o : s.platforms) o = build_object(no_spawn());
    return s;
}

// One frame of the hero's update; its events.
inline FrameEvents hero_frame(PlayState &s, const RoomRecord &room, KeyRecord keys = 0) {
    FrameEvents ev;
    update_hero(s, room, keys, ev);
    return ev;
}
