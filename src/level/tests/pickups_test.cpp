// The rules after the frame's moves: contact, switches, refills, energy out, the exit
// door. ESC, which still lets its frame run to the end, is the escape replay's last
// golden line, and which cell harms (the one of the hero's top-left pixel) is in the
// traces of the levels with harmful cells, each checked by a planted fault. The level
// start is every replay's first golden line, and so is a switch's reach (the same as
// a refill's, whose edges are below); the enemies and platforms of a room just
// entered are in the golden traces' hash of every object, frame by frame.
#include "core/tests/case_rows.h"
#include "level/tests/room_rows.h"

#include <memory>

namespace {

constexpr int kRoom = room_index_of(2, 2);

struct Level {
    std::unique_ptr<LevelMap> map = std::make_unique<LevelMap>();
    PlayState s{};
    FrameEvents ev;

    Level() {
        for (RoomRecord &r : map->rooms) r = room_from_rows(kFloorRoom);
        MapHeader &h = map->header;
        h.start_room_column = h.start_room_row = 2;
        h.start_cell_column = 2;
        h.start_cell_row = 7;
        h.exit_room_column = 2;
        h.exit_room_row = 2;
        h.exit_cell_column = 9;
        h.exit_cell_row = 6; // the door fills cells (9, 6) and (9, 7)
        // Everything starts out of reach, in room 0.
        for (PickupPlacement &p : map->switches) p = PickupPlacement{0, 0, 0, 14, 0};
        for (PickupPlacement &p : map->refills) p = PickupPlacement{0, 0, 0, 14, 0};
        start_level_rules(s, *map);
    }
    void place_hero(int px, int py) {
        s.hero.x = px * kSubPixels;
        s.hero.y = py * kSubPixels;
    }
    void check() {
        ev = FrameEvents{};
        check_pickups_and_harm(s, *map, ev);
    }
};

TEST(FrameRules, TwoEnemiesInOneFrameCostTwoPointsAndTheLastEndsTheLevel) {
    Level l;
    l.place_hero(64, kStandingPy);
    l.s.enemies[3] = build_object(ObjectSpawn{4, 7, 4, 7, 0, 5});
    l.s.enemies[17] = build_object(ObjectSpawn{5, 7, 5, 7, 0, 5}); // 16 to the right: no
    l.s.enemies[20] = build_object(ObjectSpawn{4, 6, 4, 6, 0, 5});
    l.s.enemies[20].y = 97; // 15 above
    l.s.hero.energy = 1;
    l.check();
    EXPECT_EQ(count_events(l.ev, LevelEvent::EnemyContact), 2);
    EXPECT_EQ(l.ev.list[1].pan, 72);
    EXPECT_EQ(l.s.hero.energy, -1);
    EXPECT_TRUE(l.ev.energy_changed);
    EXPECT_EQ(l.s.result, LevelResult::Left);
    EXPECT_TRUE(l.s.quit && l.s.room_exit);
}

// The cases are rows of refills.txt.
TEST(FrameRules, RefillsOnlyLevelWithTheHeroAndNeverAbove255) {
    for (const case_rows::Words &w : case_rows::read(__FILE__, "refills.txt")) {
        Level l;
        l.map->refills[24] = PickupPlacement{kRoom, 0, 1, 6, 3};
        const int energy = case_rows::number(w[0]), expected = case_rows::number(w[3]);
        l.s.hero.energy = static_cast<int16_t>(energy);
        l.place_hero(96 + case_rows::number(w[1]), 48 + case_rows::number(w[2]));
        l.check();
        const bool taken = expected != energy;
        SCOPED_TRACE(case_rows::text(w));
        EXPECT_EQ(l.s.hero.energy, expected);
        EXPECT_EQ(count_events(l.ev, LevelEvent::RefillTaken), taken ? 1 : 0);
        EXPECT_EQ(l.map->refills[24].present, taken ? 0 : 1);
        EXPECT_EQ(l.ev.energy_changed, taken);
        l.check();
        EXPECT_EQ(l.s.hero.energy, expected) << "a refill is taken once";
    }
}

// The cases are rows of exit_door.txt.
TEST(FrameRules, ExitDoorOpensWith25SwitchesForTheLowerCellOnly) {
    for (const case_rows::Words &w : case_rows::read(__FILE__, "exit_door.txt")) {
        Level l;
        l.s.room_column = case_rows::number(w[1]);
        l.s.hero.switches_thrown = static_cast<uint8_t>(case_rows::number(w[0]));
        l.s.hero.energy = static_cast<int16_t>(case_rows::number(w[4]));
        l.place_hero(case_rows::number(w[2]), case_rows::number(w[3]));
        l.check();
        SCOPED_TRACE(case_rows::text(w));
        EXPECT_EQ(l.s.result, w[5] == "completed" ? LevelResult::Completed : LevelResult::Left);
        EXPECT_EQ(l.s.quit, w[6] == "quit");
        EXPECT_EQ(l.s.room_exit, w[6] == "quit");
    }
}

} // namespace
