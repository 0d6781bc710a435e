// The hero: a 16 x 16 box that walks, falls, rides conveyors and jumps in two fixed
// arcs against the cells of the room, and moves to the next room over an edge.
// Pure rules: no drawing, no sound, no keyboard, no Allegro header. The frame's keys
// come in as one KeyRecord; what happened goes out as events.
#pragma once

#include "core/platform.h"
#include "level/events.h"
#include "world/map_format.h"

#include <cstdint>

// Positions are in 1/256 pixel: a pixel is 256, a cell 4096.
constexpr int32_t kSubPixels = 256;
constexpr int32_t kCellUnits = kSubPixels * kTilePixels; // 4096
constexpr int32_t kHeroMaxX = 57344; // 224 pixels: the hero's left edge in column 14
constexpr int32_t kHeroMaxY = 32768; // 128 pixels: his top edge in row 8
constexpr int16_t kFullEnergy = 255;
constexpr int kJumpSteps = 32;
constexpr int kWalkPhaseStep = 24;
constexpr int kWalkPhaseWrap = 96;
constexpr int kSilentFallFrames = 5; // a fall this long or shorter makes no sound

enum JumpKind : int16_t { kHighJump = 0, kLongJump = 1 };
enum Facing : int16_t { kFacingRight = 0, kFacingLeft = 1 };

struct HeroState {
    int32_t x;           // left edge in the room, 1/256 pixel
    int32_t y;           // top edge in the room, 1/256 pixel
    int16_t walk_phase;  // 0, 24, 48 or 72
    int16_t falling;     // 1 while nothing holds him up (not jumping)
    int16_t jumping;     // 1 while a jump runs
    int16_t jump_step;   // 0..32, index into the jump table
    int16_t fall_frames; // frames fallen so far, counted up to 5
    int16_t jump_kind;   // JumpKind
    int16_t facing;      // Facing
    int16_t energy;      // 255 at the start
    uint8_t switches_thrown;
};

// Vertical step of each jump frame, 1/256 pixel, negative up: [kind][step].
constexpr int16_t kJumpTable[2][kJumpSteps] = {
    {-1295, -1167, -1041, -919, -798, -683, -573, -473, -378, -291, -217,
     -151,  -97,   -53,   -23,  -5,   5,    23,   53,   97,   151,  217,
     291,   378,   473,   573,  683,  798,  919,  1041, 1164, 1295},
    {-662, -596, -529, -465, -403, -342, -286, -232, -186, -142, -102,
     -68,  -42,  -19,  -7,   0,    0,    7,    19,   42,   68,   102,
     142,  186,  232,  286,  342,  403,  465,  529,  596,  622},
};

// The hero's pixel position and the cell of his top-left pixel (arithmetic shifts).
struct HeroCells {
    int px, py; // pixels
    int tx, ty; // cell column and row
};
constexpr HeroCells hero_cells(const HeroState &h) {
    return HeroCells{h.x >> 8, h.y >> 8, h.x >> 12, h.y >> 12};
}
// Column-aligned: he stands in column tx only; otherwise he overlaps tx + 1 as well.
constexpr bool hero_column_aligned(const HeroCells &c) { return c.px == c.tx * kTilePixels; }
// Row-aligned: he is in row ty only; otherwise he overlaps ty + 1 as well.
constexpr bool hero_row_aligned(const HeroCells &c) { return c.py == c.ty * kTilePixels; }
// The pan of a cue that follows the hero: the middle of his picture in the room.
constexpr int hero_pan(const HeroState &h) { return (h.x >> 8) + 8; }

// At the map's start cell, standing, facing right, full energy, no switch thrown.
HeroState make_hero(const MapHeader &header);

struct PlayState;

// One frame of the hero: falling, walking, conveyors, jumping, riding platforms
// (state.platforms) and crossing into the next room (state.room_column/room_row and
// state.room_exit). `room` is the room the frame started in; `keys` the frame's keys.
void update_hero(PlayState &state, const RoomRecord &room, KeyRecord keys, FrameEvents &ev);

// The horizontal room-edge rule: past the left or right edge the hero enters the
// next room, or stops at the edge of the world.
void apply_horizontal_room_edge(PlayState &state);
