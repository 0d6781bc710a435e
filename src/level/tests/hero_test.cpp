// The hero's movement at the edges no replay reaches: every jump and walk key, the
// walk's rounding to even pixels, conveyors against a wall, a fall into a ledge. The
// arcs, a ceiling over a jump, no jump from the air, the walls beside a walk or a
// jump, catching on a ledge, a conveyor's carry, the fall cues and the room and world
// edges are in the replays' golden traces (the walls and the world's edges in the
// route search's tests too), each checked by a planted fault.
#include "level/tests/room_rows.h"

#include <string>

namespace {

KeyRecord keys(Key k) { return key_bit(k); }

// ---- Jumps --------------------------------------------------------------------------

TEST(HeroJump, KeysChooseTheJumpAndHighWins) {
    struct Case { KeyRecord keys; int16_t jumping, kind; };
    const Case cases[] = {
        {keys(Key::Up), 1, kHighJump},         {keys(Key::Q), 1, kHighJump},
        {keys(Key::RightShift), 1, kHighJump}, {keys(Key::Down), 1, kLongJump},
        {keys(Key::A), 1, kLongJump},          {keys(Key::LeftShift), 1, kLongJump},
        {keys(Key::Up) | keys(Key::Down), 1, kHighJump},
        {keys(Key::Space), 0, kHighJump},
    };
    const RoomRecord room = room_from_rows(kFloorRoom);
    for (const Case &t : cases) {
        PlayState s = hero_at(33, kStandingPy);
        FrameEvents ev = hero_frame(s, room, t.keys);
        EXPECT_EQ(s.hero.jumping, t.jumping) << t.keys;
        EXPECT_EQ(count_events(ev, LevelEvent::JumpStarted), t.jumping) << t.keys;
        if (t.jumping) {
            EXPECT_EQ(s.hero.jump_kind, t.kind) << t.keys;
            EXPECT_EQ(s.hero.x, 32 * kSubPixels) << "a jump starts from an even pixel";
        }
    }
}

// ---- Walking, ledges and conveyors -------------------------------------------------

TEST(HeroWalk, StepsTwoPixelsOnEvenPixelsLeftWins) {
    struct Case { int32_t x; KeyRecord keys; int32_t expected_x; int16_t facing; };
    constexpr int32_t px32 = 32 * kSubPixels;
    const Case cases[] = {
        {px32 + 256, keys(Key::Right), px32 + 512, kFacingRight},
        {px32 + 256, keys(Key::Left), px32, kFacingLeft},
        {px32, keys(Key::P), px32 + 512, kFacingRight},
        {px32, keys(Key::O), px32 - 512, kFacingLeft},
        {px32, keys(Key::Left) | keys(Key::Right), px32 - 512, kFacingLeft},
        {px32 + 1, keys(Key::Left), px32, kFacingLeft}, // up to the next even pixel first
        {px32 + 1, keys(Key::Right), px32 + 512, kFacingRight},
    };
    const RoomRecord room = room_from_rows(kFloorRoom);
    for (const Case &t : cases) {
        PlayState s = hero_at(0, kStandingPy);
        s.hero.x = t.x;
        s.hero.facing = t.facing == kFacingLeft ? kFacingRight : kFacingLeft;
        hero_frame(s, room, t.keys);
        EXPECT_EQ(s.hero.x, t.expected_x) << t.x << " keys " << t.keys;
        EXPECT_EQ(s.hero.facing, t.facing) << t.x << " keys " << t.keys;
        EXPECT_EQ(s.hero.walk_phase, kWalkPhaseStep) << t.x << " keys " << t.keys;
    }
}

TEST(HeroWalk, LedgesHoldHimConveyorsCarryHimUnlessAWallIsInTheWay) {
    struct Case { const char *floor; const char *row7; int px; int expected_px; };
    const Case cases[] = {
        {">>>>>>>>>>>>>>>", "...#...........", 32, 32},
        {"<<<<<<<<<<<<<<<", ".#.............", 32, 32},
        {">>>>>>>>>>>>>>>", "...#...........", 31, 32}, // off the column edge: up to the wall
        {"..#>...........", "...............", 32, 32}, // flush with column 2: not on the belt
        {"..><...........", "...............", 33, 37}, // on both: right wins
        {"..>............", "...............", 20, 24}, // held by the cell under his right half
        {"===============", "...............", 32, 32}, // a ledge holds him from above
    };
    for (const Case &t : cases) {
        RoomRows rows = kOpenRoom;
        rows[7] = t.row7;
        rows[8] = t.floor;
        const RoomRecord room = room_from_rows(rows);
        PlayState s = hero_at(t.px, kStandingPy);
        for (int i = 0; i < 4; ++i) hero_frame(s, room);
        EXPECT_EQ(px_of(s), t.expected_px) << t.floor << " " << t.row7 << " " << t.px;
        EXPECT_EQ(py_of(s), kStandingPy);
    }
}

// ---- Falls --------------------------------------------------------------------------

TEST(HeroFall, OnlyASolidCellHeSinksIntoPutsHimOnTop) {
    for (char floor : {'#', '='}) {
        RoomRows rows = kOpenRoom;
        const std::string row8(kRoomColumns, floor);
        rows[8] = row8.c_str();
        PlayState s = hero_at(32, kStandingPy + 1); // a pixel into the floor: not held
        hero_frame(s, room_from_rows(rows));
        EXPECT_EQ(s.hero.y, (floor == '#' ? kStandingPy : kStandingPy + 4) * kSubPixels) << floor;
    }
}

} // namespace
