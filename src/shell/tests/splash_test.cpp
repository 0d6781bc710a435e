// The logo splash, headless: the logo the build made at both sizes (goldens in
// tests/goldens/shell_tests.txt), the jingle once at full volume whatever the effects
// setting says, a missing logo named and skipped, and a logo of any size never read
// past its edges.
#include "shell/startup.h"

#include "support/golden_screen.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace testing_support;

TEST(LogoSplash, TheLogoAtBothSizes) {
    for (bool low : {false, true}) {
        OwnedBitmap shown;
        {
            TempDir dir(true); // the game's pictures; a PNG that differs goes where we were
            dir.link_game_folder("GFX");
            HeadlessGame game;
            clear_to_color(game.screen(low), makecol(1, 2, 3));
            game.replay(Keys{0}, low);
            show_logo_splash();
            shown = copy_bitmap(game.screen(low));
        }
        EXPECT_TRUE(golden_screen(low ? "splash_low" : "splash_high", shown.get()));
    }
}

TEST(LogoSplash, TheJinglePlaysOnceInTheMiddleAtFullVolume) {
    TempDir dir(true);
    make_dirs(dir.file("sfx"));
    write_silent_wav(dir.file("sfx/mirvane.wav"));
    HeadlessGame game;
    game_config.effects_volume = 12;
    clear_to_color(game.screen(false), makecol(1, 2, 3));
    game.replay(Keys{0});
    testing::internal::CaptureStderr();
    show_logo_splash();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("GFX/ZENTIX.JPG"), std::string::npos) << err;
    EXPECT_EQ(getpixel(game.screen(false), 320, 240), makecol(1, 2, 3)) << "no logo, nothing drawn";
    ASSERT_EQ(game.samples.size(), 1u);
    EXPECT_EQ(game.samples[0].volume, 255);
    EXPECT_EQ(game.samples[0].pan, 127);
    EXPECT_EQ(game.samples[0].pitch, 1000);
    EXPECT_FALSE(game.samples[0].loop);
}

// logo w, h, squeezed onto 320 x 200? -> the rectangle taken from the logo's corner
// and the one drawn: the logo's 640 x 479 at most, a smaller one at the same scale.
TEST(LogoSplash, TheRectangleNeverReachesPastTheLogo) {
    // (The game's own 640 x 480 logo is in the goldens at both sizes.)
    const int rows[][7] = {{100, 50, 1, 100, 50, 50, 20}, {100, 50, 0, 100, 50, 100, 50},
                           {1000, 900, 1, 640, 479, 320, 200}, {1, 1, 1, 1, 1, 0, 0}};
    for (const auto &r : rows) {
        const SplashBlit b = splash_logo_blit(r[0], r[1], r[2] ? 320 : 640, r[2] ? 200 : 480, r[2]);
        const int got[4] = {b.src_w, b.src_h, b.dest_w, b.dest_h};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(got[i], r[3 + i]) << r[0] << " x " << r[1] << ", " << i;
    }
}

} // namespace
