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
        // Room 0 shows backdrop 0, all green; the title's T is red.
        m.put8(map_bytes::room_at(0), 0);
        for (int y = 0; y < 144; ++y)
            for (int x = 0; x < 240; ++x) m.put32(map_bytes::backdrop_pixel_at(0, x, y), 0x07E0);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) m.put32(map_bytes::tile_pixel_at(214, x, y, 1), 0xF800);
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

// A flat picture saved where the level looks for it.
void write_picture(const std::string &path, int w, int h, int r, int g, int b) {
    BITMAP *bmp = create_bitmap_ex(24, w, h);
    clear_to_color(bmp, makecol_depth(24, r, g, b));
    save_pcx(path.c_str(), bmp, nullptr);
    destroy_bitmap(bmp);
}

TEST_F(PlayLevelTest, ThePlayScreenAtBothResolutions) {
    write_map("test.map");
    testing_support::make_dirs(dir.file("GFX"));
    write_picture(dir.file("GFX/MARCO.PCX"), 640, 400, 0, 0, 255);
    write_picture(dir.file("GFX/MARCO_BAJA.PCX"), 320, 200, 0, 0, 255);
    write_picture(dir.file("GFX/VIDA_FULL.PCX"), 205, 16, 255, 255, 0);
    write_picture(dir.file("GFX/VIDA_FULL_BAJA.PCX"), 102, 8, 255, 255, 0);
    const int blue = makecol(0, 0, 255), green = makecol(0, 255, 0), red = makecol(255, 0, 0),
              yellow = makecol(255, 255, 0);

    input_begin_replay(nullptr, 0); // no key records at all: the panel stays up
    ASSERT_EQ(play_level("test.map"), kLevelUnfinished);
    EXPECT_EQ(getpixel(screen_bitmap, 0, 40), blue);     // the frame, 40 rows down
    EXPECT_EQ(getpixel(screen_bitmap, 0, 39), 0);
    EXPECT_EQ(getpixel(screen_bitmap, 80, 57), blue);
    EXPECT_EQ(getpixel(screen_bitmap, 81, 101), green); // the doubled room view (an undarkened row)
    EXPECT_EQ(getpixel(screen_bitmap, 560, 301), green);
    EXPECT_EQ(getpixel(screen_bitmap, 561, 300), blue);
    EXPECT_EQ(getpixel(screen_bitmap, 300, 56), blue);
    EXPECT_EQ(getpixel(screen_bitmap, 288, 12), red);    // "TEST" centred on 320
    EXPECT_EQ(getpixel(screen_bitmap, 287, 12), 0);
    EXPECT_EQ(getpixel(screen_bitmap, 90, 381), yellow); // the full energy bar
    EXPECT_EQ(getpixel(screen_bitmap, 89, 381), blue);

    game_config.low_resolution = 1;
    game_config.render_mode = kRenderOwnSize;
    clear_bitmap(screen_bitmap);
    input_begin_replay(nullptr, 0);
    ASSERT_EQ(play_level("test.map"), kLevelUnfinished);
    EXPECT_EQ(getpixel(screen_bitmap, 0, 0), blue);
    EXPECT_EQ(getpixel(screen_bitmap, 39, 8), blue);
    EXPECT_EQ(getpixel(screen_bitmap, 40, 30), green);  // the view, unscaled
    EXPECT_EQ(getpixel(screen_bitmap, 279, 130), green);
    EXPECT_EQ(getpixel(screen_bitmap, 280, 130), blue);
    EXPECT_EQ(getpixel(screen_bitmap, 200, 7), blue);
    EXPECT_EQ(getpixel(screen_bitmap, 45, 170), yellow);
    EXPECT_EQ(getpixel(screen_bitmap, 288, 12), blue);   // no title at this size
}

TEST_F(PlayLevelTest, TheMapNameIsCutAtItsFirstBlankAndLowerCased) {
    write_map("test.map");
    LevelOutcome o = play("TEST.MAP and more", {kEnter | kEsc});
    EXPECT_EQ(o.result, kLevelLeft);
}

} // namespace
