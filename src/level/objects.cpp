// Enemies and moving platforms: building them from a room's spawn records, moving
// them along their tracks, the enemy contact test, and the two ways a platform
// holds and carries the hero.
//
// Objects never look at the room's cells: they follow their straight track whatever
// lies on it, and turn back only on the frame they land exactly on an end. The
// loader keeps only tracks whose length is a whole number of steps, so every object
// it lets through shuttles for good.
#include "level/objects.h"

#include "level/room_cells.h"

namespace {

// Two 16 x 16 squares overlap when their corners are at most 15 pixels apart.
constexpr int kReach = kTilePixels - 1;
// The hero stands on a platform with his top 16 pixels above the platform's.
constexpr int kStandHeight = kTilePixels;
// How far above its standing place a platform still takes the hero: a horizontal one
// up to 3 pixels higher, a vertical one up to 2 (jumping) or 3 (walking) higher and
// 2 pixels lower, so that a platform moving up or down does not lose him.
constexpr int kRideHighest = kStandHeight + 3;
constexpr int kRideLowest = kStandHeight;
constexpr int kLiftHighestJumping = kStandHeight + 2;
constexpr int kLiftHighestWalking = kStandHeight + 3;
constexpr int kLiftLowest = kStandHeight - 2;
// A horizontal platform does not catch a hero in the first three steps of a jump, so
// he can jump up through it from below.
constexpr int kLastUncaughtStep = 2;

int sign(int v) { return (v > 0) - (v < 0); }

bool within(int v, int low, int high) { return v >= low && v <= high; }

bool in_column_window(const HeroCells &c, const MovingObject &p) {
    return within(c.px, p.x - kReach, p.x + kReach);
}

// A horizontal platform stands the hero on its top and carries him along by its step,
// unless a cell of `blockers` lies in the column his leading edge moves into.
void ride_horizontal(HeroState &h, HeroCells &c, const MovingObject &p, const RoomRecord &room,
                     uint8_t blockers) {
    h.y = (p.y - kStandHeight) * kSubPixels;
    c = hero_cells(h);
    int ahead = (c.px + p.vx) >> 4;
    if (p.vx > 0) ahead += 1;
    bool blocked = (cell_flags(room, ahead, c.ty) & blockers) != 0;
    if (!hero_row_aligned(c)) blocked = blocked || (cell_flags(room, ahead, c.ty + 1) & blockers);
    if (!blocked) h.x += p.vx * kSubPixels;
}

// A vertical platform puts the hero where its top will be after this frame's move,
// when the row his leading edge moves into is free of solid cells.
void lift_vertical(HeroState &h, const HeroCells &c, const MovingObject &p,
                   const RoomRecord &room) {
    int row = (c.py + p.vy) >> 4;
    if (p.vy >= 0) row += 1;
    bool free = !cell_is_solid(room, c.tx, row) &&
                (hero_column_aligned(c) || !cell_is_solid(room, c.tx + 1, row));
    if (free) h.y = (p.y + p.vy - kStandHeight) * kSubPixels;
}

} // namespace

MovingObject build_object(const ObjectSpawn &s) {
    MovingObject o{};
    o.x = o.ax = static_cast<int16_t>(s.a_column * kTilePixels);
    o.y = o.ay = static_cast<int16_t>(s.a_row * kTilePixels);
    o.bx = static_cast<int16_t>(s.b_column * kTilePixels);
    o.by = static_cast<int16_t>(s.b_row * kTilePixels);
    o.vx = static_cast<int16_t>(s.speed * sign(s.b_column - s.a_column));
    o.vy = static_cast<int16_t>(s.speed * sign(s.b_row - s.a_row));
    o.sprite = s.sprite;
    o.frame = 0;
    return o;
}

void build_enemies(const RoomRecord &room, ObjectGroup &enemies) {
    for (int i = 0; i < kObjectsPerGroup; ++i) enemies[i] = build_object(room.enemies[i]);
}

void build_objects(const RoomRecord &room, ObjectGroup &enemies, ObjectGroup &platforms) {
    build_enemies(room, enemies);
    for (int i = 0; i < kObjectsPerGroup; ++i) platforms[i] = build_object(room.platforms[i]);
}

void move_object(MovingObject &o) {
    o.frame = static_cast<int16_t>(o.frame + kAnimationStride);
    if (o.frame >= kAnimationFrames * kAnimationStride) o.frame = 0;
    o.x = static_cast<int16_t>(o.x + o.vx);
    o.y = static_cast<int16_t>(o.y + o.vy);
    if (o.x == o.ax || o.x == o.bx) o.vx = static_cast<int16_t>(-o.vx);
    if (o.y == o.ay || o.y == o.by) o.vy = static_cast<int16_t>(-o.vy);
}

void move_objects(ObjectGroup &enemies, ObjectGroup &platforms) {
    for (MovingObject &o : enemies) {
        if (object_active(o)) move_object(o);
    }
    for (MovingObject &o : platforms) {
        if (object_active(o)) move_object(o);
    }
}

bool enemy_touches_hero(const MovingObject &e, int px, int py) {
    return object_active(e) && within(px, e.x - kReach, e.x + kReach) &&
           within(py, e.y - kReach, e.y + kReach);
}

// While jumping, both ledges and solid cells stop a carry, and a platform ends the jump.
void platform_hold_jumping(HeroState &hero, HeroCells &cells, const ObjectGroup &platforms,
                           const RoomRecord &room) {
    for (const MovingObject &p : platforms) {
        if (!object_active(p) || !in_column_window(cells, p)) continue;
        if (p.vx != 0) {
            if (!within(cells.py, p.y - kRideHighest, p.y - kRideLowest)) continue;
            if (hero.jump_step <= kLastUncaughtStep) continue;
            hero.jumping = 0;
            ride_horizontal(hero, cells, p, room, kCellSolid | kCellLedge);
        } else {
            if (!within(cells.py, p.y - kLiftHighestJumping, p.y - kLiftLowest)) continue;
            hero.jumping = 0;
            lift_vertical(hero, cells, p, room);
        }
    }
}

// While walking, only solid cells stop a carry, and a platform holds the hero up.
void platform_hold_walking(HeroState &hero, HeroCells &cells, const ObjectGroup &platforms,
                           const RoomRecord &room) {
    for (const MovingObject &p : platforms) {
        if (!object_active(p) || !in_column_window(cells, p)) continue;
        if (p.vx != 0) {
            if (!within(cells.py, p.y - kRideHighest, p.y - kRideLowest)) continue;
            hero.falling = 0;
            ride_horizontal(hero, cells, p, room, kCellSolid);
        } else {
            if (!within(cells.py, p.y - kLiftHighestWalking, p.y - kLiftLowest)) continue;
            lift_vertical(hero, cells, p, room);
            hero.falling = 0;
        }
    }
}
