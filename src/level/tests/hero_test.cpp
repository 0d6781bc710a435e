// The hero's movement at the edges no replay reaches: every jump and walk key, walls
// beside a jump or a conveyor, a fall into a ledge, and the world's edges. The arcs,
// a ceiling over a jump, catching on a ledge and the fall cues are in every replay's
// golden trace.
#include "level/tests/room_rows.h"

#include <string>

namespace {

constexpr KeyRecord kNoKeys = 0;
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

TEST(HeroJump, NoJumpStartsInTheAir) {
    PlayState s = hero_at(32, 40);
    hero_frame(s, room_from_rows(kFloorRoom), keys(Key::Up));
    EXPECT_EQ(s.hero.jumping, 0);
    EXPECT_EQ(s.hero.falling, 1);
}

TEST(HeroJump, SolidCellStopsTheSidewaysStepALedgeDoesNot) {
    struct Case { int px; int16_t facing, kind; int column; char cell; int expected_px; };
    // 33 rounds down to 32, flush with column 3, so the wall still stops him.
    const Case cases[] = {
        {32, kFacingRight, kHighJump, 3, '#', 32}, {33, kFacingRight, kHighJump, 3, '#', 33},
        {32, kFacingRight, kHighJump, 3, '=', 33}, {34, kFacingRight, kHighJump, 3, '#', 35},
        {32, kFacingRight, kLongJump, 3, '.', 34}, {48, kFacingLeft, kHighJump, 2, '#', 48},
        {48, kFacingLeft, kLongJump, 2, '=', 46},  {48, kFacingLeft, kHighJump, 1, '#', 47},
    };
    for (const Case &t : cases) {
        RoomRows rows = kOpenRoom;
        char row5[] = "...............";
        row5[t.column] = t.cell;
        rows[5] = row5;
        PlayState s = hero_at(t.px, 80);
        s.hero.jumping = 1;
        s.hero.jump_step = 5;
        s.hero.facing = t.facing;
        s.hero.jump_kind = t.kind;
        hero_frame(s, room_from_rows(rows));
        EXPECT_EQ(px_of(s), t.expected_px) << t.px << " facing " << t.facing << " " << t.cell;
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

TEST(HeroWalk, SolidCellsBlockLedgesLetHimThrough) {
    struct Case { int wall_column; char cell; KeyRecord keys; int expected_px; };
    const Case cases[] = {
        {3, '#', keys(Key::Right), 32}, {3, '=', keys(Key::Right), 48},
        {1, '#', keys(Key::Left), 32},  {1, '=', keys(Key::Left), 16},
    };
    for (const Case &t : cases) {
        RoomRows rows = kFloorRoom;
        char row7[] = "...............";
        row7[t.wall_column] = t.cell;
        rows[7] = row7;
        const RoomRecord room = room_from_rows(rows);
        PlayState s = hero_at(32, kStandingPy);
        for (int i = 0; i < 8; ++i) hero_frame(s, room, t.keys);
        EXPECT_EQ(px_of(s), t.expected_px) << t.cell << t.wall_column;
        EXPECT_EQ(py_of(s), kStandingPy);
    }
}

TEST(HeroWalk, LedgesHoldHimConveyorsCarryHimUnlessAWallIsInTheWay) {
    struct Case { const char *floor; const char *row7; int px; int expected_px; };
    const Case cases[] = {
        {">>>>>>>>>>>>>>>", "...............", 32, 36},
        {"<<<<<<<<<<<<<<<", "...............", 32, 28},
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

// ---- Room and world edges -----------------------------------------------------------
// Crossing into the next room every way is in the replays' goldens (each checked by a
// planted fault); the world's edges are not.

TEST(HeroEdges, WalkingAndJumpingOverTheSides) {
    struct Case { int column; KeyRecord keys; bool jumping; int px; int column_after; int px_after; bool exit; };
    const Case cases[] = {
        {0, keys(Key::Left), false, 0, 0, 0, false},
        {4, keys(Key::Right), false, 224, 4, 224, false},
        {4, kNoKeys, true, 224, 4, 224, false},
        // Past the room's last column lies the next room, not the row below.
        {2, keys(Key::Right), false, 224, 3, 0, true},
    };
    const RoomRecord room = room_from_rows(kFloorRoom);
    for (const Case &t : cases) {
        PlayState s = hero_at(t.px, kStandingPy, t.column, 2);
        s.hero.jumping = t.jumping;
        s.hero.jump_step = 20;
        hero_frame(s, room, t.keys);
        SCOPED_TRACE(testing::Message() << "column " << t.column << " keys " << t.keys);
        EXPECT_EQ(s.room_column, t.column_after);
        EXPECT_EQ(s.hero.x, t.px_after * kSubPixels);
        EXPECT_EQ(s.room_exit, t.exit);
        EXPECT_EQ(s.room_row, 2);
    }
}

TEST(HeroEdges, TopAndBottom) {
    struct Case { int row; int32_t y; bool jumping; int16_t step; int row_after; int32_t y_after; bool exit; };
    const Case cases[] = {
        {4, kHeroMaxY, false, 0, 4, kHeroMaxY, false},        // the world's floor holds him
        {4, kHeroMaxY - 1024, false, 0, 4, kHeroMaxY, false},
        {4, 40000, false, 0, 4, kHeroMaxY, false},            // below the room: back on the floor
        {0, 256, true, 0, 0, 0, false},                       // the world's top stops him
        {2, 1295, true, 0, 2, 0, false},                      // exactly at the top: stays
        {4, kHeroMaxY, true, 31, 4, kHeroMaxY, false},
    };
    const RoomRecord room = room_from_rows(kOpenRoom);
    for (const Case &t : cases) {
        PlayState s = hero_at(64, 0, 2, t.row);
        s.hero.y = t.y;
        s.hero.jumping = t.jumping;
        s.hero.jump_step = t.step;
        hero_frame(s, room);
        SCOPED_TRACE(testing::Message() << "row " << t.row << " y " << t.y);
        EXPECT_EQ(s.room_row, t.row_after);
        EXPECT_EQ(s.hero.y, t.y_after);
        EXPECT_EQ(s.room_exit, t.exit);
        EXPECT_EQ(s.room_column, 2);
    }
}

TEST(HeroEdges, WorldFloorHoldsHimUp) {
    PlayState s = hero_at(64, 128, 2, 4);
    FrameEvents ev = hero_frame(s, room_from_rows(kOpenRoom), keys(Key::Up));
    EXPECT_EQ(count_events(ev, LevelEvent::HeldUp), 1);
    EXPECT_EQ(s.hero.jumping, 1);
}

} // namespace
