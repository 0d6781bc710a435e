// The level run as a whole, headless: a memory screen, replayed keys, no waiting.
// What a map that cannot be read does, how the intro panel consumes key records, and
// how the first frame and the end of the records are treated.
#include "core/game_config.h"
#include "level/play.h"
#include "world/tests/map_bytes.h"

#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

using testing_support::TempDir;

class PlayLevelTest : public testing::Test {
protected:
    void SetUp() override {
        saved = game_config;
        game_config = GameConfig{};
        game_config.render_mode = kRenderScanLines;
        game_config.music_volume = game_config.effects_volume = 128;
        set_color_depth(16);
        set_trans_blender(0, 0, 0, 64);
        screen_bitmap = create_bitmap(640, 480);
        clear_to_color(screen_bitmap, makecol(40, 80, 120));
        platform.screen_override = screen_bitmap;
        platform.pacing = Pacing::Immediate;
        testing_support::make_dirs(dir.file("MAP"));
    }
    void TearDown() override {
        input_use_keyboard();
        platform.screen_override = nullptr;
        platform.pacing = Pacing::Real;
        destroy_bitmap(screen_bitmap);
        game_config = saved;
    }

    // A map whose start room has a floor along row 8, the hero standing on it.
    void write_map(const char *name, std::size_t cut = 0) {
        map_bytes::MapBytes m;
        m.put_text(0, "TEST");
        m.put8(104, 3); // start cell column
        m.put8(105, 7); // start cell row
        m.put8(106, 4); // the exit lies far away
        m.put8(107, 4);
        m.empty_all_spawns();
        for (int r = 0; r < 25; ++r) {
            m.put8(map_bytes::room_at(r), 255);
            for (int row = 0; row < 9; ++row)
                for (int col = 0; col < 15; ++col) m.put_cell(r, col, row, -1, -1, 0);
        }
        for (int col = 0; col < 15; ++col) m.put_cell(0, col, 8, 1, -1, 0x01);
        if (cut) m.bytes.resize(cut);
        testing_support::write_file(dir.file(std::string("MAP/") + name), m.bytes);
    }

    LevelOutcome play(const char *name, const std::vector<KeyRecord> &keys) {
        records = keys;
        input_begin_replay(records.data(), static_cast<int>(records.size()));
        consumed.clear();
        LevelObserver observer;
        observer.context = this;
        observer.keys_used = [](void *self, KeyRecord k) {
            static_cast<PlayLevelTest *>(self)->consumed.push_back(k);
        };
        observer.frame_done = [](void *self, int, const PlayState &s) {
            static_cast<PlayLevelTest *>(self)->xs.push_back(s.hero.x);
        };
        LevelOutcome outcome;
        play_level_observed(name, &observer, &outcome);
        return outcome;
    }

    TempDir dir{true};
    GameConfig saved{};
    BITMAP *screen_bitmap = nullptr;
    std::vector<KeyRecord> records, consumed;
    std::vector<int32_t> xs;
};

const KeyRecord kEnter = key_bit(Key::Enter), kEsc = key_bit(Key::Esc),
                kRight = key_bit(Key::Right);

TEST_F(PlayLevelTest, AMissingOrShortMapEndsAtOnceWithNothingShown) {
    write_map("short.map", 1000);
    for (const char *name : {"missing.map", "short.map"}) {
        LevelOutcome o = play(name, {kEnter, kEsc});
        EXPECT_EQ(o.result, kLevelUnreadable) << name;
        EXPECT_EQ(o.frames, 0) << name;
        EXPECT_TRUE(consumed.empty()) << name;
        EXPECT_EQ(getpixel(screen_bitmap, 320, 240), makecol(40, 80, 120)) << name;
    }
}

TEST_F(PlayLevelTest, EscInTheFirstFrameLeavesTheLevel) {
    write_map("test.map");
    LevelOutcome o = play("test.map", {0, 0, kEnter | kEsc, kRight});
    EXPECT_EQ(o.result, kLevelLeft);
    EXPECT_EQ(o.frames, 1);
    EXPECT_EQ(o.energy, 255);
    // Two panel polls without a closing key, then the closing record, passed once.
    EXPECT_EQ(consumed, (std::vector<KeyRecord>{0, 0, kEnter | kEsc}));
    // The play screen is up: the room view, with no backdrop, is black.
    EXPECT_NE(getpixel(screen_bitmap, 320, 240), makecol(40, 80, 120));
}

TEST_F(PlayLevelTest, EscOnThePanelDoesNotCloseItAndTheClosingKeyIsTheFirstFrames) {
    write_map("test.map");
    LevelOutcome o = play("test.map", {kEsc, kEsc, kRight, kRight, 0});
    EXPECT_EQ(o.result, kLevelUnfinished);
    EXPECT_EQ(o.frames, 3); // the panel closed on the first RIGHT, which is frame 1
    ASSERT_EQ(xs.size(), 3u);
    EXPECT_EQ(xs[0], 3 * 4096 + 512); // frames 1 and 2 walked right, frame 3 stood
    EXPECT_EQ(xs[1], 3 * 4096 + 1024);
    EXPECT_EQ(xs[2], 3 * 4096 + 1024);
}

TEST_F(PlayLevelTest, RecordsThatRunOutOnThePanelLeaveTheLevelUnplayed) {
    write_map("test.map");
    LevelOutcome o = play("test.map", {0, kEsc});
    EXPECT_EQ(o.result, kLevelUnfinished);
    EXPECT_EQ(o.frames, 0);
    EXPECT_EQ(consumed.size(), 2u);
}

TEST_F(PlayLevelTest, TheMapNameIsCutAtItsFirstBlankAndLowerCased) {
    write_map("test.map");
    LevelOutcome o = play("TEST.MAP and more", {kEnter | kEsc});
    EXPECT_EQ(o.result, kLevelLeft);
}

} // namespace
