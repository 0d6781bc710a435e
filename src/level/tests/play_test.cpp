// The level run as a whole, headless: a memory screen, replayed keys, no waiting.
// How a run ends before or on the intro panel, the pace, the low-resolution screen,
// the effects starting afresh with every level, the snapshot, the debug line and what
// a level asks of the mixer.
#include "core/game_config.h"
#include "level/play.h"
#include "world/tests/map_bytes.h"

#include "support/golden_screen.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using testing_support::TempDir;

class PlayLevelTest : public testing::Test {
protected:
    void SetUp() override {
        clear_to_color(screen_bitmap, makecol(40, 80, 120));
        testing_support::make_dirs(dir.file("MAP"));
    }

    // The shared playable map with its start room clear and showing backdrop 0, all
    // green. With a map id the file carries it, and the backdrop has a red stripe
    // down columns 0..3.
    void write_map(const char *name, std::size_t cut = 0, int32_t map_id = -1) {
        map_bytes::MapBytes m;
        m.bytes = testing_support::playable_map();
        for (int row = 0; row < 8; ++row)
            for (int col = 0; col < 15; ++col) m.put_cell(0, col, row, -1, -1, 0);
        m.put8(map_bytes::room_at(0), 0);
        for (int y = 0; y < 144; ++y)
            for (int x = 0; x < 240; ++x)
                m.put32(map_bytes::backdrop_pixel_at(0, x, y), map_id >= 0 && x < 4 ? 0xF800 : 0x07E0);
        if (map_id >= 0) m.append32(static_cast<uint32_t>(map_id));
        if (cut) m.bytes.resize(cut);
        testing_support::write_file(dir.file(std::string("MAP/") + name), m.bytes);
    }

    LevelOutcome play(const char *name, const std::vector<KeyRecord> &keys) {
        game.replay(keys);
        LevelObserver observer;
        observer.context = this;
        observer.frame_done = [](void *self, int, const PlayState &, const FrameEvents &) {
            auto *test = static_cast<PlayLevelTest *>(self);
            if (test->each_frame) test->each_frame();
        };
        LevelOutcome outcome;
        play_level_observed(name, &observer, &outcome);
        return outcome;
    }

    testing_support::HeadlessGame game{16};
    BITMAP *const screen_bitmap = game.screen(false);
    TempDir dir{true};
    std::function<void()> each_frame;
};

const KeyRecord kEnter = key_bit(Key::Enter), kEsc = key_bit(Key::Esc),
                kRight = key_bit(Key::Right);

// The replays' golden traces hold how a level is played and ended; these are the
// ends they cannot reach.
TEST_F(PlayLevelTest, HowARunEndsBeforeOrOnThePanel) {
    write_map("short.map", 1000);
    write_map("test.map");
    write_map("wet.map", 0, 22);
    game_config.sound_available = 1;
    const struct {
        const char *name;
        std::vector<KeyRecord> keys;
        LevelResult result;
        int frames;
    } cases[] = {
        {"missing.map", {kEnter, kEsc}, LevelResult::Unreadable, 0},
        {"short.map", {kEnter, kEsc}, LevelResult::Unreadable, 0},
        {"test.map", {0, kEsc}, LevelResult::Unfinished, 0}, // the records ran out on the panel
        {"TEST.MAP and more", {kEnter | kEsc}, LevelResult::Left, 1}, // cut at the blank, lower-cased
        {"wet.map", {kEnter, 0, kEsc}, LevelResult::NoRain, 0},      // the rainy map without its rain
    };
    for (const auto &c : cases) {
        LevelOutcome o = play(c.name, c.keys);
        EXPECT_EQ(o.result, c.result) << c.name;
        EXPECT_EQ(o.frames, c.frames) << c.name;
        if (c.result == LevelResult::Unreadable) {
            EXPECT_EQ(getpixel(screen_bitmap, 320, 240), makecol(40, 80, 120)) << "nothing shown";
        }
    }
    testing_support::make_dirs(dir.file("sfx"));
    testing_support::write_silent_wav(dir.file("sfx/lluvia1.wav"));
    testing_support::write_silent_wav(dir.file("sfx/lluvia2.wav"));
    EXPECT_EQ(play("wet.map", {kEnter, 0, kEsc}).result, LevelResult::Left) << "without its thunder";
    game_config.sound_available = 0;
    std::remove(dir.file("sfx/lluvia1.wav").c_str());
    EXPECT_EQ(play("wet.map", {kEnter, 0, kEsc}).result, LevelResult::Left) << "silently";
}

// A flat picture saved where the level looks for it.
void write_picture(const std::string &path, int w, int h, int r, int g, int b) {
    OwnedBitmap bmp = testing_support::make_bitmap(24, w, h);
    clear_to_color(bmp.get(), makecol_depth(24, r, g, b));
    save_pcx(path.c_str(), bmp.get(), nullptr);
}

// The replays' golden screens hold the play screen at 640 x 480; this is the other,
// with a blue frame and a yellow energy bar.
TEST_F(PlayLevelTest, ThePlayScreenAtLowResolution) {
    write_map("test.map");
    testing_support::make_dirs(dir.file("GFX"));
    write_picture(dir.file("GFX/MARCO_BAJA.PCX"), 320, 200, 0, 0, 255);
    write_picture(dir.file("GFX/VIDA_FULL_BAJA.PCX"), 102, 8, 255, 255, 0);
    game_config.render_mode = kRenderOwnSize;
    game.replay({}, true); // no key records at all: the panel stays up
    ASSERT_EQ(play_level("test.map"), LevelResult::Unfinished);
    EXPECT_TRUE(testing_support::golden_screen("play_low", game.screen(true))); // no title at this size
}

// Where the backdrop's red stripe starts on a row of the screen's doubled view.
int red_stripe_x(BITMAP *screen) {
    for (int x = 81; x < 561; ++x)
        if (getpixel(screen, x, 101) == makecol(255, 0, 0)) return x;
    return -1;
}

TEST_F(PlayLevelTest, EveryLevelStartsItsEffectsAfreshAndAFrameLastsTwoTicks) {
    // Map id 9: the sky scrolls.
    write_map("sky.map", 0, 9);
    std::vector<int> stripe;
    std::vector<long> ticks;
    each_frame = [&] {
        stripe.push_back(red_stripe_x(screen_bitmap));
        ticks.push_back(platform.ticks_waited);
    };
    std::vector<KeyRecord> keys(30, 0);
    keys[0] = kEnter;
    keys.push_back(kEsc);
    play("sky.map", keys);
    ASSERT_EQ(stripe.size(), 31u);
    EXPECT_NE(stripe[0], stripe[29]) << "the sky moves"; // how, the sky map's replay shows
    for (std::size_t i = 1; i < ticks.size(); ++i) EXPECT_EQ(ticks[i] - ticks[i - 1], 2) << i;
    const std::vector<int> first = stripe;
    stripe.clear();
    play("sky.map", keys); // the same level again: the sky starts over
    EXPECT_EQ(stripe, first);
}

// Ctrl + Alt + P writes the screen and says so; once D has been held the debug line
// shows for the rest of the level. The menu cells are all yellow, so the snapshot
// message shows where it is drawn.
TEST_F(PlayLevelTest, SnapshotAndDebugLineDuringPlay) {
    write_map("test.map");
    testing_support::make_dirs(dir.file("GFX"));
    write_picture(dir.file("GFX/menu_spr.pcx"), 384, 160, 255, 255, 0);
    const KeyRecord snap = key_bit(Key::LeftControl) | key_bit(Key::Alt) | key_bit(Key::P);
    const int yellow = makecol(255, 255, 0), green = makecol(0, 255, 0);
    std::vector<bool> saved, message, line;
    each_frame = [&] {
        saved.push_back(access(dir.file("snapshot.pcx").c_str(), F_OK) == 0);
        message.push_back(getpixel(screen_bitmap, 320 - 112, 127) == yellow &&
                          getpixel(screen_bitmap, 320 + 111, 142) == yellow &&
                          getpixel(screen_bitmap, 320 + 112, 142) != yellow);
        bool white = false;
        for (int x = 0; x < 64; ++x)
            for (int y = 0; y < 8; ++y) white |= getpixel(screen_bitmap, x, y) == makecol(255, 255, 255);
        line.push_back(white);
    };
    LevelOutcome o = play("test.map", {kEnter | snap, snap, key_bit(Key::D), 0, kEsc});
    EXPECT_EQ(o.result, LevelResult::Left);
    EXPECT_EQ(saved, (std::vector<bool>{true, true, true, true, true}));
    EXPECT_EQ(message, (std::vector<bool>{false, true, true, true, true})); // "SNAPSHOT SAVED"
    EXPECT_EQ(line, (std::vector<bool>{false, false, true, true, true}));
    BITMAP *shot = load_pcx(dir.file("snapshot.pcx").c_str(), nullptr);
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->w * 1000 + shot->h, 640480);
    // The picture is the play screen of frame 1: the green room view, no message.
    EXPECT_EQ(getpixel(shot, 200, 101), green);
    EXPECT_EQ(getpixel(shot, 320 - 112, 127), green);
    destroy_bitmap(shot);
}

// What a level asks of the mixer, with every sample in place: the panel's sample
// loops at the effects volume until the panel closes, the rain loops (effects_test
// sees which), each thunder clap plays once at a random place and pitch, and a
// jump's cue plays once at the effects volume and the sample's own pitch.
TEST_F(PlayLevelTest, TheLevelsSoundsAsAskedOfTheMixer) {
    write_map("wet.map", 0, 22);
    testing_support::make_dirs(dir.file("sfx"));
    for (const char *name : {"info", "lluvia1", "lluvia2", "trueno", "energia", "salto",
                             "palanca", "caer", "enemigo", "suelo"})
        testing_support::write_silent_wav(dir.file(std::string("sfx/") + name + ".wav"));
    game_config.sound_available = 1;
    game_config.effects_volume = 200;
    std::vector<KeyRecord> keys(300, 0);
    keys[0] = kEnter;
    keys[5] = key_bit(Key::Up);
    keys.push_back(kEsc);
    srand(1);
    play("wet.map", keys);
    const std::vector<SampleStart> &starts = game.samples;
    ASSERT_GE(starts.size(), 4u);
    const SampleStart &panel = starts[0];
    EXPECT_TRUE(panel.loop && panel.volume == 200 && panel.pan == 127 && panel.pitch == 1000);
    int rain = 0, thunder = 0, cues = 0;
    for (std::size_t i = 1; i < starts.size(); ++i) {
        const SampleStart &s = starts[i];
        EXPECT_NE(s.sample, panel.sample) << "the panel's sample once only";
        if (s.loop) {
            ++rain;
        } else if (s.volume == 255) {
            ++thunder;
            EXPECT_TRUE(s.pan >= 0 && s.pan <= 255 && s.pitch >= 500 && s.pitch <= 1499)
                << s.pan << " " << s.pitch;
        } else {
            ++cues;
            EXPECT_TRUE(s.volume == 200 && s.pitch == 1000) << s.volume << " " << s.pitch;
        }
    }
    EXPECT_EQ(rain, 1) << "the upper rain loop, once: the hero stays in the top row";
    EXPECT_GE(thunder, 1);
    EXPECT_GE(cues, 1) << "the jump";
}

} // namespace
