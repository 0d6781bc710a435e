// How platforms hold and carry the hero, at the edges the replays' goldens do not
// reach. The tracks and the windows in which a platform takes him are in them, each
// checked by a planted fault.
#include "level/tests/room_rows.h"

namespace {

constexpr int8_t kSprite = 40;

MovingObject object_on(int a_col, int a_row, int b_col, int b_row, int speed) {
    return build_object(ObjectSpawn{static_cast<int8_t>(a_col), static_cast<int8_t>(a_row),
                                    static_cast<int8_t>(b_col), static_cast<int8_t>(b_row),
                                    static_cast<int8_t>(speed), kSprite});
}

// ---- Platform holds -----------------------------------------------------------------

struct Held {
    HeroState hero;
    HeroCells cells;
};

// One platform in slot 3 and a hero at (px, py); the hold of the hero's state.
Held hold(const MovingObject &platform, int px, int py, bool jumping, int step,
          const RoomRecord &room) {
    PlayState s = hero_at(px, py);
    s.hero.jumping = jumping;
    s.hero.jump_step = static_cast<int16_t>(step);
    s.hero.falling = 1;
    s.platforms[3] = platform;
    HeroCells c = hero_cells(s.hero);
    if (jumping) {
        platform_hold_jumping(s.hero, c, s.platforms, room);
    } else {
        platform_hold_walking(s.hero, c, s.platforms, room);
    }
    return Held{s.hero, c};
}

bool was_held(const Held &h, bool jumping) { return jumping ? h.hero.jumping == 0 : h.hero.falling == 0; }

TEST(PlatformHold, JumpingUpThroughAHorizontalPlatformIsNotCaughtInTheFirstSteps) {
    struct Case { bool vertical; int step; bool caught; };
    const Case cases[] = {{false, 0, false}, {false, 1, false}, {false, 2, false},
                          {false, 3, true},  {false, 20, true}, {true, 0, true}};
    const RoomRecord room = room_from_rows(kOpenRoom);
    for (const Case &t : cases) {
        MovingObject p = t.vertical ? object_on(4, 5, 4, 7, 2) : object_on(4, 5, 8, 5, 1);
        Held h = hold(p, 64, 63, true, t.step, room);
        EXPECT_EQ(h.hero.jumping, t.caught ? 0 : 1) << t.step << t.vertical;
        if (!t.vertical) {
            EXPECT_EQ(h.hero.y, (t.caught ? 64 : 63) * kSubPixels) << t.step;
            EXPECT_EQ(h.hero.x, (t.caught ? 65 : 64) * kSubPixels) << t.step;
        }
    }
}

TEST(PlatformHold, HorizontalCarryStopsAtCellsAhead) {
    struct Case { int platform_y, vx; int col, row; char cell; bool jumping; bool carried; };
    const Case cases[] = {
        {80, -2, 2, 4, '.', false, true},  {80, -2, 2, 4, '#', false, false},
        {80, -2, 2, 4, '=', false, true},  {80, -2, 2, 4, '.', true, true},
        {80, -2, 2, 4, '#', true, false},  {80, -2, 2, 4, '=', true, false},
        {80, 2, 4, 4, '#', false, false},  {80, 2, 5, 4, '#', false, true},
        {80, 2, 4, 4, '=', true, false},   {80, -2, 2, 5, '#', false, true},
        {84, -2, 2, 5, '#', false, false}, {84, -2, 2, 6, '#', false, true},
        {84, -2, 2, 5, '=', true, false},  {80, 1, 4, 4, '#', false, false},
        {80, -1, 2, 4, '#', false, false},
    };
    for (const Case &t : cases) {
        RoomRows rows = kOpenRoom;
        char row[] = "...............";
        row[t.col] = t.cell;
        rows[t.row] = row;
        MovingObject p = object_on(3, 5, t.vx < 0 ? 0 : 8, 5, 2);
        p.y = static_cast<int16_t>(t.platform_y);
        p.vx = static_cast<int16_t>(t.vx);
        Held h = hold(p, 48, t.platform_y - 17, t.jumping, 10, room_from_rows(rows));
        SCOPED_TRACE(testing::Message() << t.platform_y << " " << t.vx << " " << t.cell << " at "
                                        << t.col << "," << t.row << (t.jumping ? " jumping" : ""));
        EXPECT_TRUE(was_held(h, t.jumping));
        EXPECT_EQ(h.hero.y, (t.platform_y - 16) * kSubPixels);
        EXPECT_EQ(h.hero.x, (t.carried ? 48 + t.vx : 48) * kSubPixels);
        EXPECT_EQ(h.cells.px, 48) << "worked out before the carry";
        EXPECT_EQ(h.cells.py, t.platform_y - 16);
    }
}

TEST(PlatformHold, VerticalPlatformLiftsHimToItsNextTopUnlessTheRowAheadIsSolid) {
    struct Case { int vy; int px, py; int solid_col, solid_row; bool jumping; int py_after; };
    const Case cases[] = {
        {-2, 64, 64, -1, 0, false, 62}, {-2, 64, 64, 4, 3, false, 64}, {-2, 64, 64, 5, 3, false, 62},
        {-2, 66, 64, 5, 3, false, 64},  {-2, 64, 64, 4, 4, false, 62}, {2, 64, 64, -1, 0, false, 66},
        {2, 64, 64, 4, 5, false, 64},   {2, 64, 64, 4, 4, false, 66},  {-2, 64, 64, 4, 3, true, 64},
        {2, 64, 64, -1, 0, true, 66},   {0, 64, 66, -1, 0, false, 64}, {0, 64, 66, 4, 5, false, 66},
        {0, 64, 66, 4, 4, false, 64},
    };
    for (const Case &t : cases) {
        RoomRows rows = kOpenRoom;
        char row[] = "...............";
        if (t.solid_col >= 0) {
            row[t.solid_col] = '#';
            rows[t.solid_row] = row;
        }
        MovingObject p = object_on(4, 5, 4, t.vy < 0 ? 1 : 8, t.vy < 0 ? -t.vy : t.vy);
        Held h = hold(p, t.px, t.py, t.jumping, 0, room_from_rows(rows));
        SCOPED_TRACE(testing::Message() << t.vy << " px " << t.px << " solid " << t.solid_col
                                        << "," << t.solid_row << (t.jumping ? " jumping" : ""));
        EXPECT_TRUE(was_held(h, t.jumping)) << "held even when he cannot be moved";
        EXPECT_EQ(h.hero.y, t.py_after * kSubPixels);
        EXPECT_EQ(h.hero.x, t.px * kSubPixels);
    }
}

} // namespace
