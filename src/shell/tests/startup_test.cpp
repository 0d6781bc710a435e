// Start-up, headless: the command line, the window's factor, the order in which
// video modes are tried and the screen the settings ask for (startup_cases.txt), the
// error texts; and the logo splash, the logo the build made at both sizes (goldens
// in tests/goldens/shell_tests.txt), the jingle once at full volume whatever the
// effects setting says, and a missing logo named and skipped.
#include "shell/startup.h"

#include "core/game_config.h"
#include "core/platform.h"
#include "core/tests/case_rows.h"
#include "support/golden_screen.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace testing_support;

struct Attempt {
    int card, w, h, depth;
};
std::vector<Attempt> attempts;
int accept_after = 0; // attempts refused before one is accepted; <0 refuses all

int fake_set_mode(int card, int w, int h, int, int) {
    attempts.push_back({card, w, h, get_color_depth()});
    return accept_after >= 0 && static_cast<int>(attempts.size()) > accept_after ? 0 : -1;
}

int card_of(const std::string &word) { return word == "W" ? GFX_AUTODETECT_WINDOWED : GFX_AUTODETECT_FULLSCREEN; }

// The rows of startup_cases.txt: the command line, the window's factor, the modes
// tried, the screen the settings ask for, the error texts; after the numbers, words.
TEST(Startup, CommandLineWindowScaleModesTriedAndTheGameScreen) {
    for (const case_rows::Words &row : case_rows::read(__FILE__, "startup_cases.txt")) {
        SCOPED_TRACE(case_rows::text(row));
        int n[7] = {};
        const std::size_t numbers = row[0] == "error" ? 1 : row[0] == "line" ? 3 : row[0] == "open" ? 4 : 7;
        for (std::size_t i = 1; i < row.size() && i <= numbers; ++i)
            if (row[i] != "F" && row[i] != "W" && row[i] != "-") n[i - 1] = case_rows::number(row[i]);
        if (row[0] == "line") {
            std::vector<std::string> words = {"vespertil"};
            words.insert(words.end(), row.begin() + 4, row.end());
            std::vector<char *> argv;
            for (std::string &w : words) argv.push_back(w.data());
            argv.push_back(nullptr);
            testing::internal::CaptureStderr();
            const CommandLine line = read_command_line(static_cast<int>(words.size()), argv.data());
            const std::string said = testing::internal::GetCapturedStderr();
            EXPECT_EQ(line.windowed, n[0] != 0);
            EXPECT_EQ(line.scale, n[1]);
            EXPECT_EQ(said.find("--scale takes") != std::string::npos, n[2] != 0) << said;
        } else if (row[0] == "open") {
            HeadlessGame game; // puts the settings and the platform back
            platform.set_mode = fake_set_mode;
            game_config.windowed = n[0];
            game_config.low_resolution = n[1];
            attempts.clear();
            accept_after = n[2];
            testing::internal::CaptureStderr();
            EXPECT_EQ(open_game_screen(), n[3] != 0);
            const std::string said = testing::internal::GetCapturedStderr();
            const std::string want = case_rows::text(case_rows::Words(row.begin() + 5, row.end()));
            EXPECT_NE(said.find(want), std::string::npos) << said;
            EXPECT_EQ(attempts.front().card, n[0] ? GFX_AUTODETECT_WINDOWED : GFX_AUTODETECT_FULLSCREEN);
        } else if (row[0] == "error") {
            set_error_text(n[0]);
            EXPECT_EQ(error_text, case_rows::text(case_rows::Words(row.begin() + 2, row.end())));
        } else if (row[0] == "scale") {
            EXPECT_EQ(window_scale_for(n[0], n[1], n[2], n[3], n[4]), n[5]);
        } else {
            attempts.clear();
            accept_after = n[2];
            const VideoModeChoice c = set_video_mode(n[0], n[1], fake_set_mode);
            ASSERT_EQ(c.ok, n[3] != 0);
            if (c.ok) {
                EXPECT_EQ(c.depth, n[4]);
                EXPECT_EQ(c.card, card_of(row[6]));
                EXPECT_EQ(c.fell_back_to_window, n[6] != 0);
            }
            const int depths[] = {16, 32, 24, 16, 32, 24};
            ASSERT_EQ(attempts.size(), row.size() - 8);
            for (std::size_t i = 0; i < attempts.size(); ++i) {
                EXPECT_EQ(attempts[i].card, card_of(row[8 + i])) << i;
                EXPECT_EQ(attempts[i].depth, depths[i]) << i;
                EXPECT_EQ(attempts[i].w * 1000 + attempts[i].h, n[1] ? 320200 : 640480) << i;
            }
        }
    }
}

// The logo at both sizes, and the jingle once in the middle at full volume whatever
// the effects setting says; a missing logo is named and skipped.
TEST(LogoSplash, TheLogoAtBothSizesAndItsJingle) {
    for (bool low : {false, true}) {
        OwnedBitmap shown;
        {
            TempDir dir(true); // the game's pictures; a PNG that differs goes where we were
            dir.link_game_folder("GFX");
            make_dirs(dir.file("sfx"));
            write_silent_wav(dir.file("sfx/mirvane.wav"));
            HeadlessGame game;
            game_config.effects_volume = 12;
            clear_to_color(game.screen(low), makecol(1, 2, 3));
            game.replay(Keys{0}, low);
            show_logo_splash();
            shown = copy_bitmap(game.screen(low));
            ASSERT_EQ(game.samples.size(), 1u);
            const SampleStart &s = game.samples[0];
            EXPECT_EQ(std::tie(s.volume, s.pan, s.pitch, s.loop), std::make_tuple(255, 127, 1000, false));
        }
        EXPECT_TRUE(golden_screen(low ? "splash_low" : "splash_high", shown.get()));
    }
    TempDir dir(true);
    HeadlessGame game;
    clear_to_color(game.screen(false), makecol(1, 2, 3));
    game.replay(Keys{0});
    testing::internal::CaptureStderr();
    show_logo_splash();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("GFX/ZENTIX.JPG"), std::string::npos) << err;
    EXPECT_EQ(getpixel(game.screen(false), 320, 240), makecol(1, 2, 3)) << "no logo, nothing drawn";
}

} // namespace
