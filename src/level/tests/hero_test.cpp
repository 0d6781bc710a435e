// The hero's movement at the edges no replay reaches: every jump and walk key and the
// walk's rounding to even pixels (rows of hero_moves.txt), conveyors against a wall, a
// fall into a ledge. The arcs, a ceiling over a jump, no jump from the air, the walls
// beside a walk or a jump, catching on a ledge, a conveyor's carry, the fall cues and
// the room and world edges are in the replays' golden traces (the walls and the world's
// edges in the route search's tests too), each checked by a planted fault.
#include "core/tests/case_rows.h"
#include "level/tests/room_rows.h"

#include <string>

namespace {

// The one frame of keys a word of hero_moves.txt names.
KeyRecord key_of(const std::string &word) { return case_rows::keys_of({word}, 0)[0]; }

// ---- Jumps --------------------------------------------------------------------------

TEST(HeroJump, KeysChooseTheJumpAndHighWins) {
    const RoomRecord room = room_from_rows(kFloorRoom);
    for (const case_rows::Words &w : case_rows::read(__FILE__, "hero_moves.txt", "jump")) {
        SCOPED_TRACE(case_rows::text(w));
        PlayState s = hero_at(33, kStandingPy);
        FrameEvents ev = hero_frame(s, room, key_of(w[1]));
        const int jumping = w[2] == "-" ? 0 : 1;
        EXPECT_EQ(s.hero.jumping, jumping);
        EXPECT_EQ(count_events(ev, LevelEvent::JumpStarted), jumping);
        if (jumping) {
            EXPECT_EQ(s.hero.jump_kind, w[2] == "high" ? kHighJump : kLongJump);
            EXPECT_EQ(s.hero.x, 32 * kSubPixels) << "a jump starts from an even pixel";
        }
    }
}

// ---- Walking, ledges and conveyors -------------------------------------------------

TEST(HeroWalk, StepsTwoPixelsOnEvenPixelsLeftWins) {
    const RoomRecord room = room_from_rows(kFloorRoom);
    for (const case_rows::Words &w : case_rows::read(__FILE__, "hero_moves.txt", "walk")) {
        SCOPED_TRACE(case_rows::text(w));
        const int16_t facing = w[4] == "left" ? kFacingLeft : kFacingRight;
        PlayState s = hero_at(0, kStandingPy);
        s.hero.x = case_rows::number(w[1]);
        s.hero.facing = facing == kFacingLeft ? kFacingRight : kFacingLeft;
        hero_frame(s, room, key_of(w[2]));
        EXPECT_EQ(s.hero.x, case_rows::number(w[3]));
        EXPECT_EQ(s.hero.facing, facing);
        EXPECT_EQ(s.hero.walk_phase, kWalkPhaseStep);
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
        EXPECT_EQ(s.hero.x, t.expected_px * kSubPixels) << t.floor << " " << t.row7 << " " << t.px;
        EXPECT_EQ(s.hero.y, kStandingPy * kSubPixels);
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
