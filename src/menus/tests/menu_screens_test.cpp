// Every menu screen as the player sees it, in every language at both sizes: the
// menus run headless on replayed keys over the pictures the build made, and the last
// frame a screen presents is checked against its golden (tests/goldens/menus_tests.txt;
// see tests/support/golden_screen.h for rewriting them).
#include "core/settings.h"
#include "menus/main_menu.h"

#include "core/tests/case_rows.h"
#include "support/golden_screen.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace testing_support;

const char *const kLanguageNames[kLanguageCount] = {"spanish", "english", "french", "italian",
                                                    "german"};

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
                const std::string name = "menu_" + s[0] + "_" +
                                         kLanguageNames[language] + (low ? "_low" : "_high");
                const OwnedBitmap shown = menu_screen(s, language, low);
                ASSERT_NE(shown, nullptr) << name;
                EXPECT_TRUE(golden_screen(name, shown.get()));
            }
}

} // namespace
