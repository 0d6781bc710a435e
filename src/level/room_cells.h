// Reading the flags of a room's cells. Every cell comes from a file, and the rules
// sometimes ask for one beside the room (row 9, columns -1 and 15, a carry at the
// room's edge): such a cell reads as empty.
#pragma once

#include "world/map_format.h"

#include <cstdint>

inline uint8_t cell_flags(const RoomRecord &room, int column, int row) {
    if (column < 0 || column >= kRoomColumns || row < 0 || row >= kRoomRows) return 0;
    return room.cells[row][column].flags;
}

inline bool cell_is_solid(const RoomRecord &room, int column, int row) {
    return (cell_flags(room, column, row) & kCellSolid) != 0;
}

// Solid cells and ledges hold the hero up.
inline bool cell_holds(const RoomRecord &room, int column, int row) {
    return (cell_flags(room, column, row) & (kCellSolid | kCellLedge)) != 0;
}
