// Every menu screen as the player sees it, in every language at both sizes: the
// menus run headless on replayed keys over the pictures the build made, and the last
// frame a screen presents is checked against its golden (tests/goldens/menus_tests.txt;
// see tests/support/golden_screen.h for rewriting them).
#include "core/settings.h"
#include "menus/main_menu.h"

#include "support/golden_screen.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace testing_support;

enum class Setting { None, TenMaps, Unsavable, OtherSizeRefused };

struct MenuScreen {
    const char *name;
    Setting setting;
    Keys keys;
    int from_end; // a sub-menu's last frame comes just before the main menu's
};

const char *const kLanguageNames[kLanguageCount] = {"spanish", "english", "french", "italian",
                                                    "german"};

// The frame of `s`, run in a directory of its own that holds the game's pictures
// (a picture that differs from its golden is written where the test started).
OwnedBitmap menu_screen(const MenuScreen &s, int language, bool low) {
    TempDir dir(true);
    dir.link_game_folder("GFX");
    HeadlessGame game;
    if (s.setting == Setting::TenMaps) {
        make_dirs(dir.file("MAP"));
        for (const char *n : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "zephyrtowerhigh"})
            write_file(dir.file(std::string("MAP/") + n + ".map"), std::string("x"));
    }
    if (s.setting == Setting::Unsavable) make_dirs(dir.file(kSettingsFileName));
    if (s.setting == Setting::OtherSizeRefused) game.refused_width = low ? 640 : 320;
    game_config.language = language;
    game.replay(s.keys, low);
    main_menu();
    return game.shown(s.from_end) ? copy_bitmap(game.shown(s.from_end)) : nullptr;
}

TEST(MenuScreens, EveryScreenInEveryLanguageAtBothSizes) {
    using K = Key;
    const Keys setup = taps({K::Down, K::Down, K::Enter});
    const MenuScreen screens[] = {
        {"main", Setting::None, taps({K::Down}), 0},
        // The password row chosen, two letters typed: the code keeps its right end.
        {"play", Setting::None, taps({K::Enter, K::Down, K::R, K::S}), 1},
        {"browser_empty", Setting::None, taps({K::Down, K::Enter}), 1},
        // The tenth name chosen: the window shows names 3 to 10, the long one cut.
        {"browser", Setting::TenMaps, taps({K::Down, K::Enter}) +
                                          taps({K::Down, K::Down, K::Down, K::Down, K::Down,
                                                K::Down, K::Down, K::Down, K::Down}), 1},
        // The second row: the render row at 640 x 480, the language at 320 x 200.
        {"setup", Setting::None, setup + taps({K::Down}), 1},
        {"setup_first_row", Setting::None, setup, 1},
        {"setup_no_mode", Setting::OtherSizeRefused, setup + taps({K::Right, K::Left}), 1},
        {"main_not_saved", Setting::Unsavable, setup + taps({K::Up, K::Up, K::Right, K::Esc}), 0},
    };
    for (const MenuScreen &s : screens)
        for (int low = 0; low < 2; ++low)
            for (int language = 0; language < kLanguageCount; ++language) {
                const std::string name = std::string("menu_") + s.name + "_" +
                                         kLanguageNames[language] + (low ? "_low" : "_high");
                const OwnedBitmap shown = menu_screen(s, language, low);
                ASSERT_NE(shown, nullptr) << name;
                EXPECT_TRUE(golden_screen(name, shown.get()));
            }
}

} // namespace
