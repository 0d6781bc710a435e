// The hero's movement in one frame: standing, walking, conveyors and falling, the two
// jump arcs, and crossing into a neighbouring room.
//
// Positions are in 1/256 pixel and there is no velocity: every move is a fixed step.
// The derived values (px, py, tx, ty) are worked out at a few fixed points of the
// frame and then used as they stand, even after the hero has moved again: the
// sideways test of a walk looks at where he stood before his x was rounded to an even
// pixel, that of a jump at where he was before a landing or a room change. So they
// are kept in one HeroCells value and refreshed only at those points.
//
// Cells beside the room (column -1 or 15, row -1 or 9) read as empty. That is what
// makes a hero in column 14 cover that column only, lets him walk or jump out over an
// edge, and lets him fall out through the bottom: the room-edge rules take him on.
#include "level/hero.h"

#include "level/objects.h"
#include "level/room_cells.h"
#include "level/rules.h"

namespace {

constexpr int kLastWorldColumn = kWorldColumns - 1;
constexpr int kLastWorldRow = kWorldRows - 1;
constexpr int kLastRoomRow = kRoomRows - 1;

constexpr int32_t kWholePixelMask = ~int32_t{0xFF};  // clears the sub-pixel part
constexpr int32_t kEvenPixelMask = ~int32_t{0x1FF};  // clears it and the odd pixel
constexpr int32_t kFallGridMask = ~int32_t{0x3FF};   // falls keep to a 4-pixel grid
constexpr int32_t kWalkStep = 2 * kSubPixels;        // 2 pixels a frame
constexpr int32_t kConveyorStep = kSubPixels;        // 1 pixel a frame
constexpr int32_t kFallStep = 4 * kSubPixels;        // 4 pixels a frame
constexpr int kRisingSteps = kJumpSteps / 2;         // steps 0..15 go up

constexpr KeyRecord kWalkLeftKeys = key_bit(Key::Left) | key_bit(Key::O);
constexpr KeyRecord kWalkRightKeys = key_bit(Key::Right) | key_bit(Key::P);
constexpr KeyRecord kHighJumpKeys = key_bit(Key::Up) | key_bit(Key::Q) | key_bit(Key::RightShift);
constexpr KeyRecord kLongJumpKeys = key_bit(Key::Down) | key_bit(Key::A) | key_bit(Key::LeftShift);

int pan_of(const HeroCells &c) { return c.px + 8; }

// The flags of the cells of `row` in the hero's columns, or-ed together.
uint8_t row_flags(const RoomRecord &room, const HeroCells &c, int row) {
    uint8_t flags = cell_flags(room, c.tx, row);
    if (!hero_column_aligned(c)) flags |= cell_flags(room, c.tx + 1, row);
    return flags;
}

// A solid cell in `column` beside the hero's top row, or beside his lower row when he
// spans two, stops him walking or jumping sideways into it.
bool wall_beside(const RoomRecord &room, const HeroCells &c, int column) {
    if (cell_is_solid(room, column, c.ty)) return true;
    return !hero_row_aligned(c) && cell_is_solid(room, column, c.ty + 1);
}

void advance_walk_phase(HeroState &h) {
    h.walk_phase = static_cast<int16_t>(h.walk_phase + kWalkPhaseStep);
    if (h.walk_phase >= kWalkPhaseWrap) h.walk_phase = 0;
}

int jump_kind_index(const HeroState &h) { return h.jump_kind == kLongJump ? 1 : 0; }

// ---- Not jumping -------------------------------------------------------------------

// A conveyor pushes a standing hero one pixel; a hero flush against a wall on that
// side stays put.
void ride_conveyor(HeroState &h, const RoomRecord &room, const HeroCells &c, int direction) {
    if (hero_column_aligned(c) && cell_is_solid(room, c.tx + direction, c.ty)) return;
    h.x += direction * kConveyorStep;
}

// The cells under a row-aligned hero hold him up, and may carry him along.
void stand_on_cells_below(PlayState &s, const RoomRecord &room, const HeroCells &c) {
    if (!hero_row_aligned(c)) return;
    uint8_t below = row_flags(room, c, c.ty + 1);
    if ((below & (kCellSolid | kCellLedge)) == 0) return;
    s.hero.falling = 0;
    if (below & kCellConveyorRight) {
        ride_conveyor(s.hero, room, c, 1);
    } else if (below & kCellConveyorLeft) {
        ride_conveyor(s.hero, room, c, -1);
    }
    apply_horizontal_room_edge(s);
}

// Below the bottom of a room the hero enters the room underneath at its top; the
// bottom row of the world holds him at its floor.
void leave_through_bottom(PlayState &s) {
    HeroState &h = s.hero;
    if (h.y <= kHeroMaxY) return;
    if (s.room_row < kLastWorldRow) {
        h.y = 0;
        ++s.room_row;
        s.room_exit = true;
    } else {
        h.y = kHeroMaxY;
    }
}

void fall(PlayState &s, const RoomRecord &room, FrameEvents &ev) {
    HeroState &h = s.hero;
    h.y = (h.y & kFallGridMask) + kFallStep;
    HeroCells c = hero_cells(h);
    // Only solid cells stop a fall here. The 4-pixel grid brings him exactly level
    // with a ledge's top, and the next frame's support test holds him there.
    if (row_flags(room, c, c.ty + 1) & kCellSolid) h.y = c.ty * kCellUnits;
    if (h.fall_frames < kSilentFallFrames) {
        h.walk_phase = 0;
        ++h.fall_frames;
    } else {
        advance_walk_phase(h);
        if (!s.falling_cue_started) {
            s.falling_cue_started = 1;
            add_event(ev, LevelEvent::FallCueDue, pan_of(c));
        }
    }
    leave_through_bottom(s);
}

// A walking step of 2 pixels; `c` is where he stood before the step was rounded.
void walk(HeroState &h, const RoomRecord &room, const HeroCells &c, int direction) {
    if (direction < 0) {
        h.x = (h.x + kWalkStep - 1) & kEvenPixelMask;
        h.facing = kFacingLeft;
    } else {
        h.x &= kEvenPixelMask;
        h.facing = kFacingRight;
    }
    advance_walk_phase(h);
    if (hero_column_aligned(c) && wall_beside(room, c, c.tx + direction)) return;
    h.x += direction * kWalkStep;
}

void start_jump(HeroState &h, const HeroCells &c, JumpKind kind, FrameEvents &ev) {
    add_event(ev, LevelEvent::JumpStarted, pan_of(c));
    h.x &= kEvenPixelMask;
    h.jumping = 1;
    h.jump_kind = kind;
    h.jump_step = 0;
}

void held_up(PlayState &s, const RoomRecord &room, KeyRecord keys, const HeroCells &c,
             FrameEvents &ev) {
    HeroState &h = s.hero;
    h.fall_frames = 0;
    add_event(ev, LevelEvent::HeldUp, pan_of(c));
    if (s.falling_cue_started) add_event(ev, LevelEvent::Landed, pan_of(c));
    s.falling_cue_started = 0;

    if (keys & kWalkLeftKeys) {
        walk(h, room, c, -1);
    } else if (keys & kWalkRightKeys) {
        walk(h, room, c, 1);
    }
    apply_horizontal_room_edge(s);

    if (keys & kHighJumpKeys) {
        start_jump(h, c, kHighJump, ev);
    } else if (keys & kLongJumpKeys) {
        start_jump(h, c, kLongJump, ev);
    }
}

void walk_or_fall(PlayState &s, const RoomRecord &room, KeyRecord keys, FrameEvents &ev) {
    HeroState &h = s.hero;
    h.falling = 1;
    stand_on_cells_below(s, room, hero_cells(h));
    HeroCells c = hero_cells(h);
    platform_hold_walking(h, c, s.platforms, room);
    // The bottom of the world is a floor.
    if (s.room_row == kLastWorldRow && c.ty == kLastRoomRow) h.falling = 0;
    if (h.falling) {
        fall(s, room, ev);
    } else {
        held_up(s, room, keys, c, ev);
    }
}

// ---- Jumping -----------------------------------------------------------------------

// The rising half: a solid cell right above a row-aligned hero holds him where he is
// (he hangs under it); one he has moved into pushes him back down below it.
void rise(HeroState &h, const RoomRecord &room, const HeroCells &c, int32_t dy) {
    bool hanging = hero_row_aligned(c) && (row_flags(room, c, c.ty - 1) & kCellSolid);
    if (!hanging) h.y += dy;
    int row = h.y >> 12;
    if (row_flags(room, c, row) & kCellSolid) h.y = (row + 1) * kCellUnits;
}

void end_jump(HeroState &h) {
    h.y &= kWholePixelMask;
    h.x &= kEvenPixelMask;
    h.jumping = 0;
    // The long jump starts its table afresh; the high jump leaves the step at 32,
    // which still lets the landing test below catch him.
    if (h.jump_kind == kLongJump) h.jump_step = 0;
}

// In the falling half, a cell that holds under the hero ends the jump on top of it.
void land(HeroState &h, const RoomRecord &room, const HeroCells &c) {
    if ((row_flags(room, c, c.ty + 1) & (kCellSolid | kCellLedge)) == 0) return;
    h.y = c.ty * kCellUnits;
    h.jumping = 0;
    h.x &= kEvenPixelMask;
    h.walk_phase = 0;
}

void apply_vertical_room_edge(PlayState &s) {
    HeroState &h = s.hero;
    if (h.y < 0) {
        if (s.room_row > 0) {
            h.y += kHeroMaxY;
            --s.room_row;
            s.room_exit = true;
        } else {
            h.y = 0;
        }
    }
    leave_through_bottom(s);
}

// A jump always carries on in the facing direction. The wall test counts the hero
// as flush with a column when his pixel, rounded down to even, is on its edge.
void jump_sideways(HeroState &h, const RoomRecord &room, const HeroCells &c) {
    int direction = h.facing == kFacingLeft ? -1 : 1;
    int even_px = c.px & ~1;
    if (even_px == c.tx * kTilePixels && wall_beside(room, c, c.tx + direction)) return;
    h.x += direction * kSubPixels * (1 + jump_kind_index(h));
}

void jump(PlayState &s, const RoomRecord &room) {
    HeroState &h = s.hero;
    HeroCells c = hero_cells(h);
    int step = h.jump_step;
    int32_t dy = step >= 0 && step < kJumpSteps ? kJumpTable[jump_kind_index(h)][step] : 0;
    if (step < kRisingSteps) {
        rise(h, room, c, dy);
    } else {
        h.y += dy;
    }
    ++h.jump_step;
    if (h.jump_step >= kJumpSteps) end_jump(h);
    c = hero_cells(h);
    platform_hold_jumping(h, c, s.platforms, room);
    if (h.jump_step >= kRisingSteps) land(h, room, c);
    apply_vertical_room_edge(s);
    jump_sideways(h, room, c);
    apply_horizontal_room_edge(s);
}

} // namespace

HeroState make_hero(const MapHeader &header) {
    HeroState h{};
    h.x = header.start_cell_column * kCellUnits;
    h.y = header.start_cell_row * kCellUnits;
    h.facing = kFacingRight;
    h.energy = kFullEnergy;
    h.switches_thrown = 0;
    return h;
}

void apply_horizontal_room_edge(PlayState &s) {
    HeroState &h = s.hero;
    if (h.x < 0) {
        if (s.room_column > 0) {
            --s.room_column;
            h.x = kHeroMaxX;
            s.room_exit = true;
        } else {
            h.x = 0;
        }
    }
    if (h.x > kHeroMaxX) {
        if (s.room_column < kLastWorldColumn) {
            ++s.room_column;
            h.x = 0;
            s.room_exit = true;
        } else {
            h.x = kHeroMaxX;
        }
    }
}

void update_hero(PlayState &s, const RoomRecord &room, KeyRecord keys, FrameEvents &ev) {
    if (s.hero.jumping) {
        jump(s, room);
    } else {
        walk_or_fall(s, room, keys, ev);
    }
}
