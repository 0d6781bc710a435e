// The menus as a whole, headless (tests/support's HeadlessGame): what each key leads
// to, what the set-up menu leaves in the settings and in the file, the menu's pace
// and its samples. What the screens look like is in menu_screens_test.cpp.
#include "core/settings.h"
#include "menus/main_menu.h"

#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace testing_support;

const Keys kNone{0};
Keys held(Key k, int frames) { return Keys(static_cast<std::size_t>(frames), key_bit(k)); }

class MenuFlowTest : public testing::Test {
protected:
    int32_t run_menu(const Keys &keys) {
        game.replay(keys);
        return main_menu();
    }
    bool settings_saved() { return std::filesystem::exists(dir.file(kSettingsFileName)); }

    TempDir dir{true};
    HeadlessGame game;
};

// What the main menu gives the top level after the keys; a menu whose keys run out
// leaves as with ESC. The browser lists ABYSS.MAP and GOOD.MAP, which play, and
// BAD.MAP and ZENITH.MAP, which cannot be read.
struct Flow {
    const char *what;
    int language;
    Keys keys;
    int32_t result;
};

TEST_F(MenuFlowTest, WhatTheKeysLeadTo) {
    make_dirs(dir.file("MAP"));
    for (const char *n : {"MAP/abyss.map", "MAP/good.map"}) write_file(dir.file(n), playable_map());
    for (const char *n : {"MAP/bad.map", "MAP/zenith.map"}) write_file(dir.file(n), std::string("short"));
    using K = Key;
    const Keys to_password = taps({K::Enter, K::Down}), browser = taps({K::Down, K::Enter});
    // Back in the main menu on its level entry, UP, ENTER and ENTER play the game.
    const Keys then_play = taps({K::Up, K::Enter, K::Enter});
    const Flow flows[] = {
        {"ESC leaves", kSpanish, taps({K::Esc}), kMenuLeave},
        {"keys run out", kSpanish, taps({K::Down}), kMenuLeave},
        {"UP on play selects exit", kSpanish, taps({K::Up, K::Enter}), kMenuLeave},
        {"DOWN on exit selects play", kSpanish, taps({K::Up, K::Down, K::Enter, K::Enter}), kMenuPlayGame},
        {"a held key moves one entry", kSpanish, held(K::Down, 5) + kNone + then_play, kMenuPlayGame},
        {"play menu's first row", kSpanish, taps({K::Enter, K::Enter}), kMenuPlayGame},
        {"ESC in the play menu keeps the main menu", kSpanish,
         taps({K::Enter, K::Esc, K::Enter, K::Enter}), kMenuPlayGame},
        {"English play key", kEnglish, taps({K::P, K::Enter}), kMenuPlayGame},
        {"English exit key", kEnglish, taps({K::E}), kMenuLeave},
        {"English set-up key", kEnglish, taps({K::S, K::Esc, K::Up, K::Up, K::Enter, K::Enter}), kMenuPlayGame},
        {"Italian play key is J", kItalian, taps({K::J, K::Enter}), kMenuPlayGame},
        {"Italian G does nothing", kItalian, taps({K::G, K::Enter}), kMenuLeave},
        {"French level key", kFrench, taps({K::P, K::Esc}) + then_play, kMenuPlayGame},
        {"German play key", kGerman, taps({K::S, K::Enter}), kMenuPlayGame},
        {"German exit key", kGerman, taps({K::Z}), kMenuLeave},
        {"Spanish S is exit", kSpanish, taps({K::S}), kMenuLeave},
        {"password 9", kSpanish, to_password + typed("RSSS") + taps({K::Enter}), 9},
        {"a refused code keeps the play menu", kSpanish,
         to_password + typed("ABCD") + taps({K::Enter, K::Up, K::Enter}), kMenuPlayGame},
        {"letters are not read on the first row", kSpanish,
         taps({K::Enter}) + typed("VSES") + taps({K::Down, K::Enter, K::Up, K::Enter}), kMenuPlayGame},
        {"a played map brings the browser back", kSpanish,
         browser + taps({K::Enter, K::Enter, K::Esc, K::Esc}) + then_play, kMenuPlayGame},
        {"an unreadable map closes the browser", kSpanish,
         browser + taps({K::Down, K::Enter}) + then_play, kMenuPlayGame},
        {"Z reaches the last name", kSpanish, browser + taps({K::Z, K::Enter}) + then_play, kMenuPlayGame},
        {"DOWN stops at the last name", kSpanish,
         browser + taps({K::Down, K::Down, K::Down, K::Down, K::Up, K::Up, K::Enter}) + then_play,
         kMenuPlayGame},
    };
    for (const Flow &f : flows) {
        game_config.language = f.language;
        EXPECT_EQ(run_menu(f.keys), f.result) << f.what;
    }
    std::filesystem::remove_all(dir.file("MAP"));
    EXPECT_EQ(run_menu(browser + taps({K::Enter, K::Esc}) + then_play), kMenuPlayGame)
        << "an empty browser ignores ENTER";
}

// A gamepad leads where the same keys lead: through the menus, and into a level from
// the browser (Start closes its panel, Back leaves it), frame for frame.
TEST_F(MenuFlowTest, AGamepadLeadsWhereTheSameKeysDo) {
    make_dirs(dir.file("MAP"));
    write_file(dir.file("MAP/good.map"), playable_map());
    using K = Key;
    const Keys then_play = taps({K::Up, K::Enter, K::Enter});
    const Flow flows[] = {
        {"ESC leaves", kSpanish, taps({K::Esc}), kMenuLeave},
        {"UP on play selects exit", kSpanish, taps({K::Up, K::Enter}), kMenuLeave},
        {"DOWN on exit selects play", kSpanish, taps({K::Up, K::Down, K::Enter, K::Enter}), kMenuPlayGame},
        {"the jumps are no menu keys", kSpanish, taps({K::RightShift, K::LeftShift, K::Up, K::Enter}), kMenuLeave},
        {"a level from the browser", kSpanish,
         taps({K::Down, K::Enter, K::Enter, K::Enter}) + held(K::Right, 30) + taps({K::Esc, K::Esc}) + then_play,
         kMenuPlayGame},
    };
    for (const Flow &f : flows) {
        game.replay(f.keys);
        EXPECT_EQ(main_menu(), f.result) << f.what << " by keys";
        const long by_keys = game.presents;
        game.pad(f.keys);
        EXPECT_EQ(main_menu(), f.result) << f.what << " by the pad";
        EXPECT_EQ(game.presents - by_keys, by_keys) << f.what << ": frames shown";
        game.presents = 0;
    }
}

// The translucency in force: the red of white laid over black by draw_trans_sprite.
int translucent_white_over_black() {
    OwnedBitmap white = make_bitmap(32, 1, 1), black = make_bitmap(32, 1, 1);
    clear_to_color(white.get(), makecol32(255, 255, 255));
    clear_to_color(black.get(), makecol32(0, 0, 0));
    draw_trans_sprite(black.get(), white.get(), 0, 0);
    return getr32(getpixel(black.get(), 0, 0));
}

// What a visit of the set-up menu leaves: the settings, the screen, the mode
// switches asked for, the translucency, and the file (written only on a change).
struct SetupVisit {
    const char *what;
    int refused_width;
    Keys keys;
    int low, render, language, music, effects;
    int mode_calls;
    bool saved;
};

TEST_F(MenuFlowTest, WhatTheSetUpMenuLeaves) {
    using K = Key;
    const Keys setup = taps({K::Down, K::Down, K::Enter});
    const int start_up = translucent_white_over_black();
    const SetupVisit visits[] = {
        {"LEFT at 640 x 480", 0, setup + taps({K::Left, K::Esc}), 0, kRenderScanLines, kSpanish, 128, 128, 0, false},
        {"to 320 x 200", 0, setup + taps({K::Right, K::Enter}), 1, kRenderOwnSize, kSpanish, 128, 128, 1, true},
        {"there and back is plain doubling", 0, setup + taps({K::Right, K::Left, K::Esc}), 0,
         kRenderDoubled, kSpanish, 128, 128, 2, true},
        {"no depth takes 320 x 200", 320, setup + held(K::Right, 4) + taps({K::Esc}), 0,
         kRenderScanLines, kSpanish, 128, 128, 3 * 2 + 1, false},
        {"language, then music; LEFT taken with ESC", 0,
         setup + taps({K::Down, K::Down, K::Right, K::Down, K::Down}) + Keys{key_bit(K::Esc) | key_bit(K::Left), key_bit(K::Left), 0},
         0, kRenderScanLines, kEnglish, 124, 128, 0, true},
        {"effects row", 0, setup + taps({K::Up, K::Up, K::Right, K::Right, K::Enter}),
         0, kRenderScanLines, kSpanish, 128, 136, 0, true},
    };
    for (const SetupVisit &v : visits) {
        SCOPED_TRACE(v.what);
        std::filesystem::remove(dir.file(kSettingsFileName));
        game_config = GameConfig{};
        game_config.render_mode = kRenderScanLines;
        game_config.music_volume = game_config.effects_volume = 128;
        game.refused_width = v.refused_width;
        game.mode_calls = 0;
        set_trans_blender(0, 0, 0, 200);
        const int before = translucent_white_over_black();
        run_menu(v.keys);
        EXPECT_EQ(game_config.low_resolution, v.low);
        EXPECT_EQ(game_config.render_mode, v.render);
        EXPECT_EQ(game_config.language, v.language);
        EXPECT_EQ(game_config.music_volume, v.music);
        EXPECT_EQ(game_config.effects_volume, v.effects);
        EXPECT_EQ(game.mode_calls, v.mode_calls);
        EXPECT_EQ(platform.screen_override, game.screen(v.low)) << "the mode left open";
        EXPECT_EQ(translucent_white_over_black(), v.mode_calls ? start_up : before)
            << "a mode opened takes the start-up translucency again";
        ASSERT_EQ(settings_saved(), v.saved);
        if (!v.saved) continue;
        std::vector<uint8_t> want(kSettingsFileSize);
        config_encode(game_config, want.data());
        EXPECT_EQ(read_file(dir.file(kSettingsFileName)), want);
    }
}

TEST_F(MenuFlowTest, AFailedSaveLeavesAsUsualAndTheOldFileWhole) {
    make_dirs(dir.file(kSettingsFileName)); // the new file cannot be put in place
    // The first ESC leaves the set-up menu; the second one is the main menu's.
    EXPECT_EQ(run_menu(taps({Key::Down, Key::Down, Key::Enter, Key::Up, Key::Up, Key::Right, Key::Esc,
                             Key::Right, Key::Esc, Key::Up, Key::Enter, Key::Enter})),
              kMenuLeave);
    EXPECT_EQ(game_config.effects_volume, 132) << "the settings hold for this run";
    EXPECT_TRUE(std::filesystem::is_directory(dir.file(kSettingsFileName)));
}

// A menu shows one frame a tick, and a held key is waited out a tick at a time.
TEST_F(MenuFlowTest, AMenuFrameLastsOneTick) {
    run_menu(Keys(12, 0));
    EXPECT_GE(game.presents, 12);
    EXPECT_EQ(platform.ticks_waited, game.presents);
    // ENTER held five frames on the play entry: the sub-menu opens once it is let go.
    game.presents = platform.ticks_waited = 0;
    run_menu(held(Key::Enter, 5) + Keys{0, 0});
    EXPECT_EQ(platform.ticks_waited, game.presents + 5) << "a tick for each frame ENTER is held in";
}

// The menu's move, confirm and cancel samples each play once, in the middle, at the
// effects volume and their own pitch, without looping; the exit key is silent.
TEST_F(MenuFlowTest, MenuSamplesPlayOnceAtTheEffectsVolume) {
    make_dirs(dir.file("sfx"));
    for (const char *name : {"ting", "go", "back"}) write_silent_wav(dir.file(std::string("sfx/") + name + ".wav"));
    game_config.sound_available = 1;
    game_config.effects_volume = 77;
    run_menu(taps({Key::Down, Key::Up, Key::Enter, Key::Esc, Key::S}));
    ASSERT_EQ(game.samples.size(), 4u) << "move, move, confirm, cancel";
    EXPECT_EQ(game.samples[0].sample, game.samples[1].sample);
    EXPECT_NE(game.samples[2].sample, game.samples[0].sample);
    EXPECT_NE(game.samples[3].sample, game.samples[2].sample);
    EXPECT_NE(game.samples[3].sample, game.samples[0].sample);
    for (const SampleStart &s : game.samples) {
        EXPECT_FALSE(s.loop);
        EXPECT_EQ(s.volume, 77);
        EXPECT_EQ(s.pan, 127);
        EXPECT_EQ(s.pitch, 1000);
    }
}

} // namespace
