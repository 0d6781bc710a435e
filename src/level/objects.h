// Enemies and moving platforms: built from a room's spawn records, they shuttle
// between two ends of a straight track. Platforms hold and carry the hero; enemies
// hurt him on contact. Pure rules: no drawing, no sound, no Allegro header.
#pragma once

#include "level/hero.h"
#include "world/map_format.h"

#include <cstdint>

constexpr int kObjectsPerGroup = kSpawnsPerGroup; // 25 enemies and 25 platforms a room
constexpr int16_t kNoSprite = -1;

// An enemy or platform at run time; positions in whole pixels of the room, the
// object filling the 16 x 16 square whose top-left corner is (x, y).
struct MovingObject {
    int16_t x, y;
    int16_t vx, vy;   // step per frame, signed
    int16_t sprite;   // first sprite_tiles cell; kNoSprite: empty slot
    int16_t frame;    // animation offset 0, 24, 48 or 72
    int16_t ax, ay;   // end A (the start)
    int16_t bx, by;   // end B
};

typedef MovingObject ObjectGroup[kObjectsPerGroup];

constexpr bool object_active(const MovingObject &o) { return o.sprite != kNoSprite; }

// One slot from its spawn record: at end A, heading for end B.
MovingObject build_object(const ObjectSpawn &s);
// Both groups of `room` (enemies from the first 25 spawns, platforms from the second).
void build_objects(const RoomRecord &room, ObjectGroup &enemies, ObjectGroup &platforms);
// The enemies only.
void build_enemies(const RoomRecord &room, ObjectGroup &enemies);

// One frame of movement: enemies first, then platforms; empty slots skipped.
void move_object(MovingObject &o);
void move_objects(ObjectGroup &enemies, ObjectGroup &platforms);

// True when the active enemy `e` overlaps a hero at pixel (px, py).
bool enemy_touches_hero(const MovingObject &e, int px, int py);

// The two ways a platform holds the hero, run from inside the hero's update over
// slots 0 to 24 in order; a hold changes the hero for the slots that follow.
// `cells` are the hero's derived values as the update last worked them out: the
// windows are tested against them, and a hold that stands the hero on a platform
// works them out again (before any carry), so the rest of the update uses them.
// `room` is the room the frame started in.
void platform_hold_jumping(HeroState &hero, HeroCells &cells, const ObjectGroup &platforms,
                           const RoomRecord &room);
void platform_hold_walking(HeroState &hero, HeroCells &cells, const ObjectGroup &platforms,
                           const RoomRecord &room);
