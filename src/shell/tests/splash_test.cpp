// The logo splash on a memory screen, without waiting: the jingle plays once, in the
// middle, at full volume whatever the effects setting says, and a missing logo is
// named and skipped.
#include "shell/startup.h"

#include "core/game_config.h"
#include "core/platform.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<SampleStart> starts;

TEST(LogoSplash, TheJinglePlaysOnceInTheMiddleAtFullVolume) {
    testing_support::TempDir dir(true);
    testing_support::make_dirs(dir.file("sfx"));
    testing_support::write_silent_wav(dir.file("sfx/mirvane.wav"));
    const int depth = get_color_depth();
    set_color_depth(32);
    BITMAP *screen_bitmap = create_bitmap(640, 480);
    clear_to_color(screen_bitmap, makecol(1, 2, 3));
    const GameConfig saved = game_config;
    game_config.effects_volume = 12;
    platform.screen_override = screen_bitmap;
    platform.pacing = Pacing::Immediate;
    starts.clear();
    platform.on_sample = [](void *, const SampleStart &s) { starts.push_back(s); };
    const KeyRecord no_keys[] = {0};
    input_begin_replay(no_keys, 1);

    testing::internal::CaptureStderr();
    show_logo_splash();
    const std::string err = testing::internal::GetCapturedStderr();

    input_use_keyboard();
    platform.on_sample = nullptr;
    platform.pacing = Pacing::Real;
    platform.screen_override = nullptr;
    game_config = saved;
    EXPECT_NE(err.find("GFX/ZENTIX.JPG"), std::string::npos) << err;
    EXPECT_EQ(getpixel(screen_bitmap, 320, 240), makecol(1, 2, 3)) << "no logo, nothing drawn";
    destroy_bitmap(screen_bitmap);
    set_color_depth(depth);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].volume, 255);
    EXPECT_EQ(starts[0].pan, 127);
    EXPECT_EQ(starts[0].pitch, 1000);
    EXPECT_FALSE(starts[0].loop);
}

} // namespace
