// The menus as a whole, headless (tests/support's HeadlessGame): what each key leads
// to, what the set-up menu leaves in the settings and in the file, the menu's pace
// and its samples; and every menu screen as the player sees it, in every language at
// both sizes, over the pictures the build made: the last frame a screen presents is
// checked against its golden (tests/goldens/menus_tests.txt; see
// tests/support/golden_screen.h for rewriting them).
#include "core/settings.h"
#include "menus/main_menu.h"

#include "core/tests/case_rows.h"
#include "support/golden_screen.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>

namespace {

using namespace testing_support;

class MenuFlowTest : public testing::Test {
protected:
    int32_t run_menu(const Keys &keys) {
        game.replay(keys);
        return main_menu();
    }

    TempDir dir{true};
    HeadlessGame game;
};

const char *const kLanguages[kLanguageCount] = {"spanish", "english", "french", "italian", "german"};

// The rows of menu_flows.txt, by keys and, where a row says "pad", on a gamepad.
TEST_F(MenuFlowTest, WhatTheKeysLeadTo) {
    make_dirs(dir.file("MAP"));
    for (const char *n : {"MAP/abyss.map", "MAP/good.map"}) write_file(dir.file(n), playable_map());
    for (const char *n : {"MAP/bad.map", "MAP/zenith.map"}) write_file(dir.file(n), std::string("short"));
    for (const case_rows::Words &row : case_rows::read(__FILE__, "menu_flows.txt")) {
        SCOPED_TRACE(case_rows::text(row));
        game_config.language = static_cast<int>(std::find(kLanguages, kLanguages + kLanguageCount, row[1]) - kLanguages);
        const int32_t result = row[2] == "leave" ? kMenuLeave : row[2] == "play" ? kMenuPlayGame : case_rows::number(row[2]);
        const Keys keys = case_rows::keys_of(row, 3);
        game.presents = 0;
        EXPECT_EQ(run_menu(keys), result);
        if (row[0] != "pad") continue;
        const long by_keys = game.presents;
        game.pad(keys);
        EXPECT_EQ(main_menu(), result) << "on the pad";
        EXPECT_EQ(game.presents - by_keys, by_keys) << "frames shown on the pad";
    }
    std::filesystem::remove_all(dir.file("MAP"));
    EXPECT_EQ(run_menu(case_rows::keys_of({"DOWN", "ENTER", "ENTER", "ESC", "UP", "ENTER", "ENTER"}, 0)),
              kMenuPlayGame) << "an empty browser ignores ENTER";
}

// The translucency in force: the red of white laid over black by draw_trans_sprite.
int translucent_white_over_black() {
    OwnedBitmap white = make_bitmap(32, 1, 1), black = make_bitmap(32, 1, 1);
    clear_to_color(white.get(), makecol32(255, 255, 255));
    clear_to_color(black.get(), makecol32(0, 0, 0));
    draw_trans_sprite(black.get(), white.get(), 0, 0);
    return getr32(getpixel(black.get(), 0, 0));
}

// The rows of setup_visits.txt; the screen left open is the one of the size left,
// and a mode opened takes the start-up translucency again.
TEST_F(MenuFlowTest, WhatTheSetUpMenuLeaves) {
    const int start_up = translucent_white_over_black();
    for (const case_rows::Words &row : case_rows::read(__FILE__, "setup_visits.txt")) {
        SCOPED_TRACE(case_rows::text(row));
        int n[7];
        for (int i = 0; i < 7; ++i) n[i] = case_rows::number(row[i]);
        std::filesystem::remove(dir.file(kSettingsFileName));
        game_config = GameConfig{};
        game_config.render_mode = kRenderScanLines;
        game_config.music_volume = game_config.effects_volume = 128;
        game.refused_width = n[0];
        game.mode_calls = 0;
        set_trans_blender(0, 0, 0, 200);
        const int before = translucent_white_over_black();
        run_menu(case_rows::keys_of({"DOWN", "DOWN", "ENTER"}, 0) + case_rows::keys_of(row, 8));
        const int32_t got[] = {game_config.low_resolution, game_config.render_mode, game_config.language,
                               game_config.music_volume, game_config.effects_volume, game.mode_calls};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(got[i], n[i + 1]) << "column " << i + 2;
        EXPECT_EQ(platform.screen_override, game.screen(n[1]));
        EXPECT_EQ(translucent_white_over_black(), n[6] ? start_up : before);
        ASSERT_EQ(std::filesystem::exists(dir.file(kSettingsFileName)), row[7] == "yes");
        if (row[7] != "yes") continue;
        std::vector<uint8_t> want(kSettingsFileSize);
        config_encode(game_config, want.data());
        EXPECT_EQ(read_file(dir.file(kSettingsFileName)), want);
    }
}

// A menu shows one frame a tick, and a held key is waited out a tick at a time: ENTER
// held five frames on the play entry opens the sub-menu once it is let go.
TEST_F(MenuFlowTest, AMenuFrameLastsOneTick) {
    run_menu(Keys(5, key_bit(Key::Enter)) + Keys{0, 0});
    EXPECT_EQ(platform.ticks_waited, game.presents + 5) << "a tick for each frame ENTER is held in";
}

// The menu's move, confirm and cancel samples each play once, in the middle, at the
// effects volume and their own pitch, without looping; the exit key is silent.
TEST_F(MenuFlowTest, MenuSamplesPlayOnceAtTheEffectsVolume) {
    make_dirs(dir.file("sfx"));
    for (const char *name : {"ting", "go", "back"}) write_silent_wav(dir.file(std::string("sfx/") + name + ".wav"));
    game_config.sound_available = 1;
    game_config.effects_volume = 77;
    run_menu(case_rows::keys_of({"DOWN", "UP", "ENTER", "ESC", "S"}, 0));
    ASSERT_EQ(game.samples.size(), 4u) << "move, move, confirm, cancel";
    EXPECT_EQ(game.samples[0].sample, game.samples[1].sample);
    const std::set<const SAMPLE *> kinds = {game.samples[0].sample, game.samples[2].sample, game.samples[3].sample};
    EXPECT_EQ(kinds.size(), 3u) << "move, confirm and cancel sound alike";
    for (const SampleStart &s : game.samples)
        EXPECT_EQ(std::tie(s.volume, s.pan, s.pitch, s.loop), std::make_tuple(77, 127, 1000, false));
}

// The frame of a row of menu_screens.txt, run in a directory of its own that holds
// the game's pictures (a picture that differs from its golden is written where the
// test started).
OwnedBitmap menu_screen(const case_rows::Words &s, int language, bool low) {
    TempDir dir(true);
    dir.link_game_folder("GFX");
    HeadlessGame game;
    if (s[1] == "ten_maps") {
        make_dirs(dir.file("MAP"));
        for (const char *n : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "zephyrtowerhigh"})
            write_file(dir.file(std::string("MAP/") + n + ".map"), std::string("x"));
    }
    if (s[1] == "unsavable") make_dirs(dir.file(kSettingsFileName));
    if (s[1] == "other_size_refused") game.refused_width = low ? 640 : 320;
    game_config.language = language;
    game.replay(case_rows::keys_of(s, 3), low);
    main_menu();
    const int from_end = case_rows::number(s[2]);
    return game.shown(from_end) ? copy_bitmap(game.shown(from_end)) : nullptr;
}

TEST(MenuScreens, EveryScreenInEveryLanguageAtBothSizes) {
    for (const case_rows::Words &s : case_rows::read(__FILE__, "menu_screens.txt"))
        for (int low = 0; low < 2; ++low)
            for (int language = 0; language < kLanguageCount; ++language) {
                const std::string name = "menu_" + s[0] + "_" + kLanguages[language] + (low ? "_low" : "_high");
                const OwnedBitmap shown = menu_screen(s, language, low);
                ASSERT_NE(shown, nullptr) << name;
                EXPECT_TRUE(golden_screen(name, shown.get()));
            }
}

} // namespace
