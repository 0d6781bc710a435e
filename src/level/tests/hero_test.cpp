// The hero's movement: jump arcs, walking and keys, ledges, conveyors, falls and their
// cues, and every room and world edge.
#include "level/tests/room_rows.h"

#include <algorithm>
#include <string>

namespace {

constexpr KeyRecord kNoKeys = 0;
KeyRecord keys(Key k) { return key_bit(k); }

// ---- Jumps --------------------------------------------------------------------------

// The arcs as a player sees them: how high, how far, and back on the floor.
TEST(HeroJump, BothArcsOnFlatGround) {
    struct Case { Key key; int16_t kind; int top_py; int end_px; };
    const Case cases[] = {{Key::Up, kHighJump, 80, 63}, {Key::Down, kLongJump, 96, 96}};
    const RoomRecord room = room_from_rows(kFloorRoom);
    for (const Case &t : cases) {
        PlayState s = hero_at(32, kStandingPy);
        FrameEvents ev = hero_frame(s, room, keys(t.key));
        EXPECT_EQ(count_events(ev, LevelEvent::JumpStarted), 1);
        EXPECT_EQ(s.hero.jump_kind, t.kind);
        int top = kStandingPy, frames = 1;
        for (; s.hero.jumping && frames < 100; ++frames) {
            hero_frame(s, room);
            top = std::min(top, py_of(s));
        }
        EXPECT_EQ(frames, kJumpSteps + 1) << t.kind;
        EXPECT_EQ(top, t.top_py) << t.kind;
        EXPECT_EQ(px_of(s), t.end_px) << t.kind;
        hero_frame(s, room); // a frame's fall back onto the floor
        EXPECT_EQ(s.hero.y, kStandingPy * kSubPixels) << t.kind;
        ev = hero_frame(s, room);
        EXPECT_EQ(count_events(ev, LevelEvent::HeldUp), 1);
        EXPECT_EQ(count_events(ev, LevelEvent::Landed), 0);
    }
}

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

TEST(HeroJump, HangsUnderASolidCeilingUntilTheFallingHalf) {
    const RoomRecord room = room_from_rows({
        "...............", "...............", "...............",
        "...............", "###############", "...............",
        "...............", "...............", "###############",
    });
    // Level with the ceiling's underside, a fraction of a pixel lower, and 4 pixels
    // lower (pushed back up under it in the first frame).
    struct Case { int32_t start_y, hanging_y; };
    const Case cases[] = {{80 * kSubPixels, 80 * kSubPixels},
                          {80 * kSubPixels + 100, 80 * kSubPixels + 100},
                          {84 * kSubPixels, 80 * kSubPixels}};
    for (const Case &t : cases) {
        PlayState s = hero_at(32, 0);
        s.hero.y = t.start_y;
        s.hero.jumping = 1;
        for (int frame = 1; frame <= kJumpSteps / 2; ++frame) {
            hero_frame(s, room);
            EXPECT_EQ(s.hero.y, t.hanging_y) << t.start_y << " frame " << frame;
        }
        hero_frame(s, room);
        EXPECT_EQ(s.hero.y, t.hanging_y + 5); // the first step of the falling half
        EXPECT_EQ(s.hero.jumping, 1);
    }
}

TEST(HeroJump, LedgeLetsHimUpFromBelowAndCatchesHimAtTheTop) {
    const RoomRecord room = room_from_rows({
        "...............", "...............", "...............",
        "...............", "...............", "...............",
        "===============", "...............", "###############",
    });
    PlayState s = hero_at(32, kStandingPy);
    s.hero.walk_phase = 48;
    hero_frame(s, room, keys(Key::Up));
    for (int frame = 1; frame < kJumpSteps / 2; ++frame) hero_frame(s, room);
    EXPECT_EQ(s.hero.jumping, 1);
    EXPECT_EQ(s.hero.walk_phase, 48);
    hero_frame(s, room);
    EXPECT_EQ(s.hero.jumping, 0);
    EXPECT_EQ(s.hero.y, 5 * kCellUnits); // standing on the ledge of row 6
    EXPECT_EQ(s.hero.walk_phase, 0);
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

TEST(HeroFall, FiveFramesAreSilentLongerFallsCueOnceAndLand) {
    struct Case { int start_py; int frames; };
    const Case cases[] = {{92, 5}, {88, 6}, {40, 18}};
    const RoomRecord room = room_from_rows(kFloorRoom);
    for (const Case &t : cases) {
        PlayState s = hero_at(32, t.start_py);
        int cues = 0, cue_frame = 0;
        for (int frame = 1; frame <= t.frames; ++frame) {
            FrameEvents ev = hero_frame(s, room);
            if (count_events(ev, LevelEvent::FallCueDue)) {
                cues += count_events(ev, LevelEvent::FallCueDue);
                cue_frame = frame;
                EXPECT_EQ(ev.list[0].pan, 40) << "the hero's middle";
            }
            EXPECT_EQ(count_events(ev, LevelEvent::HeldUp), 0) << frame;
        }
        const bool loud = t.frames > kSilentFallFrames;
        EXPECT_EQ(cues, loud ? 1 : 0) << t.start_py;
        EXPECT_EQ(cue_frame, loud ? 6 : 0) << t.start_py;
        EXPECT_EQ(py_of(s), kStandingPy) << t.start_py;
        FrameEvents ev = hero_frame(s, room);
        EXPECT_EQ(count_events(ev, LevelEvent::HeldUp), 1);
        EXPECT_EQ(count_events(ev, LevelEvent::Landed), loud ? 1 : 0) << t.start_py;
        ev = hero_frame(s, room);
        EXPECT_EQ(count_events(ev, LevelEvent::Landed), 0) << "landing is cued once";
    }
}

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

TEST(HeroEdges, WalkingAndJumpingOverTheSides) {
    struct Case { int column; KeyRecord keys; bool jumping; int px; int column_after; int px_after; bool exit; };
    const Case cases[] = {
        {0, keys(Key::Left), false, 0, 0, 0, false},      {2, keys(Key::Left), false, 0, 1, 224, true},
        {4, keys(Key::Right), false, 224, 4, 224, false}, {2, keys(Key::Right), false, 224, 3, 0, true},
        {3, keys(Key::Right), false, 224, 4, 0, true},    {1, keys(Key::Left), false, 0, 0, 224, true},
        {2, kNoKeys, true, 224, 3, 0, true},              {4, kNoKeys, true, 224, 4, 224, false},
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
        {2, kHeroMaxY, false, 0, 3, 0, true},                 // falls into the room below
        {4, kHeroMaxY, false, 0, 4, kHeroMaxY, false},        // the world's floor holds him
        {4, kHeroMaxY - 1024, false, 0, 4, kHeroMaxY, false},
        {2, kHeroMaxY - 1024, false, 0, 2, kHeroMaxY, false}, // exactly at the bottom: stays
        {4, 40000, false, 0, 4, kHeroMaxY, false},            // below the room: back on the floor
        {3, kHeroMaxY, false, 0, 4, 0, true},
        {2, 256, true, 0, 1, 256 - 1295 + kHeroMaxY, true},   // jumps into the room above
        {1, 256, true, 0, 0, 256 - 1295 + kHeroMaxY, true},
        {0, 256, true, 0, 0, 0, false},                       // the world's top stops him
        {2, 1295, true, 0, 2, 0, false},                      // exactly at the top: stays
        {2, kHeroMaxY - 1295, true, 31, 2, kHeroMaxY, false}, // exactly at the bottom: stays
        {2, kHeroMaxY, true, 31, 3, 0, true},                 // jumps down out of the room
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
