// How platforms hold and carry the hero, at the edges the replays' goldens do not
// reach; the carry and lift cases are rows of platform_holds.txt. The tracks and the
// windows in which a platform takes him are in the goldens, each checked by a planted
// fault.
#include "core/tests/case_rows.h"
#include "level/tests/room_rows.h"

#include <string>

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

// A room with one cell of the kind named at (column, row); none when column is -1.
RoomRecord room_with(int col, int row, const std::string &cell) {
    RoomRows rows = kOpenRoom;
    std::string line(kRoomColumns, '.');
    if (col >= 0) {
        line[col] = cell == "solid" ? '#' : cell == "ledge" ? '=' : '.';
        rows[row] = line.c_str();
    }
    return room_from_rows(rows);
}

TEST(PlatformHold, HorizontalCarryStopsAtCellsAhead) {
    for (const case_rows::Words &w : case_rows::read(__FILE__, "platform_holds.txt", "carry")) {
        const int y = case_rows::number(w[1]), vx = case_rows::number(w[2]);
        const bool jumping = w[6] == "jump";
        MovingObject p = object_on(3, 5, vx < 0 ? 0 : 8, 5, 2);
        p.y = static_cast<int16_t>(y);
        p.vx = static_cast<int16_t>(vx);
        const RoomRecord room = room_with(case_rows::number(w[3]), case_rows::number(w[4]), w[5]);
        Held h = hold(p, 48, y - 17, jumping, 10, room);
        SCOPED_TRACE(case_rows::text(w));
        EXPECT_TRUE(was_held(h, jumping));
        EXPECT_EQ(h.hero.y, (y - 16) * kSubPixels);
        EXPECT_EQ(h.hero.x, (w[7] == "yes" ? 48 + vx : 48) * kSubPixels);
        EXPECT_EQ(h.cells.px, 48) << "worked out before the carry";
        EXPECT_EQ(h.cells.py, y - 16);
    }
}

TEST(PlatformHold, VerticalPlatformLiftsHimToItsNextTopUnlessTheRowAheadIsSolid) {
    for (const case_rows::Words &w : case_rows::read(__FILE__, "platform_holds.txt", "lift")) {
        const int vy = case_rows::number(w[1]), px = case_rows::number(w[2]);
        const bool jumping = w[6] == "jump";
        MovingObject p = object_on(4, 5, 4, vy < 0 ? 1 : 8, vy < 0 ? -vy : vy);
        Held h = hold(p, px, case_rows::number(w[3]), jumping, 0,
                      room_with(case_rows::number(w[4]), case_rows::number(w[5]), "solid"));
        SCOPED_TRACE(case_rows::text(w));
        EXPECT_TRUE(was_held(h, jumping)) << "held even when he cannot be moved";
        EXPECT_EQ(h.hero.y, case_rows::number(w[7]) * kSubPixels);
        EXPECT_EQ(h.hero.x, px * kSubPixels);
    }
}

} // namespace
