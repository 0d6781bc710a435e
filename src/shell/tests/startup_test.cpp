// Start-up decisions that do not need a display: the command line, the error texts,
// and the order in which video modes are tried.
#include "shell/startup.h"

#include "core/game_config.h"
#include "core/platform.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Attempt {
    int card, w, h, depth;
};
std::vector<Attempt> attempts;
int accept_after = 0; // attempts refused before one is accepted; <0 refuses all

int fake_set_mode(int card, int w, int h, int, int) {
    attempts.push_back({card, w, h, get_color_depth()});
    if (accept_after >= 0 && static_cast<int>(attempts.size()) > accept_after) return 0;
    return -1;
}

VideoModeChoice try_modes(bool windowed, bool low, int refusals) {
    attempts.clear();
    accept_after = refusals;
    return set_video_mode(windowed, low, fake_set_mode);
}

TEST(CommandLine, OnlyTheExactWordOpensAWindow) {
    char prog[] = "vespertil", w[] = "windowed", caps[] = "WINDOWED", dash[] = "-windowed",
         other[] = "x";
    char *a1[] = {prog, w, nullptr};
    char *a2[] = {prog, caps, nullptr};
    char *a3[] = {prog, dash, nullptr};
    char *a4[] = {prog, other, w, nullptr};
    char *a5[] = {prog, nullptr};
    EXPECT_TRUE(wants_window(2, a1));
    EXPECT_FALSE(wants_window(2, a2));
    EXPECT_FALSE(wants_window(2, a3));
    EXPECT_FALSE(wants_window(3, a4));
    EXPECT_FALSE(wants_window(1, a5));
}

TEST(ErrorTexts, CodePage850BytesAndUnknownCodes) {
    set_error_text(1);
    EXPECT_STREQ(error_text, "Imposible inicializar sonido");
    set_error_text(2);
    EXPECT_STREQ(error_text, "Imposible cargar archivo de m\xA3sica");
    set_error_text(4);
    EXPECT_STREQ(error_text, "Imposible abrir archivo \"Vespertil.cfg\"");
    set_error_text(9);
    EXPECT_STREQ(error_text, "Imposible abrir archivo \"Vespertil.cfg\"");
    set_error_text(5);
    EXPECT_STREQ(error_text, "Se pas\xA2 un argumento no v\xA0lido");
    set_error_text(0);
    EXPECT_STREQ(error_text, "Se pas\xA2 un argumento no v\xA0lido");
}

TEST(VideoMode, DepthsTriedSixteenThirtyTwoTwentyFour) {
    VideoModeChoice c = try_modes(false, false, 1);
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.depth, 32);
    EXPECT_EQ(c.card, GFX_AUTODETECT_FULLSCREEN);
    EXPECT_FALSE(c.fell_back_to_window);
    ASSERT_EQ(attempts.size(), 2u);
    EXPECT_EQ(attempts[0].depth, 16);
    EXPECT_EQ(attempts[1].depth, 32);
    EXPECT_EQ(attempts[0].w, 640);
    EXPECT_EQ(attempts[0].h, 480);

    c = try_modes(false, true, 2);
    EXPECT_EQ(c.depth, 24);
    EXPECT_EQ(attempts[2].w, 320);
    EXPECT_EQ(attempts[2].h, 200);
}

TEST(VideoMode, RefusedFullScreenFallsBackToAWindow) {
    VideoModeChoice c = try_modes(false, false, 3);
    ASSERT_TRUE(c.ok);
    EXPECT_TRUE(c.fell_back_to_window);
    EXPECT_EQ(c.card, GFX_AUTODETECT_WINDOWED);
    EXPECT_EQ(c.depth, 16);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(attempts[i].card, GFX_AUTODETECT_FULLSCREEN);
}

TEST(VideoMode, NothingOpensIsAFailureNotAScreen) {
    VideoModeChoice c = try_modes(false, false, -1);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(attempts.size(), 6u);
    c = try_modes(true, false, -1);
    EXPECT_FALSE(c.ok);
    ASSERT_EQ(attempts.size(), 3u); // a window asked for is not retried as full screen
    for (const Attempt &a : attempts) EXPECT_EQ(a.card, GFX_AUTODETECT_WINDOWED);
}

// The screen the settings ask for: a refusal of every mode is a failure said on
// stderr with the size asked for; an accepted mode is a screen.
TEST(VideoMode, OpeningTheGameScreenFollowsTheSettings) {
    const GameConfig saved = game_config;
    game_config.windowed = 1;
    game_config.low_resolution = 1;
    attempts.clear();
    accept_after = -1;
    platform.set_mode = fake_set_mode;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(open_game_screen());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("cannot open a windowed screen of 320 x 200"), std::string::npos) << said;
    EXPECT_EQ(attempts.size(), 3u);

    attempts.clear();
    game_config.windowed = 0;
    game_config.low_resolution = 0;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(open_game_screen());
    const std::string full = testing::internal::GetCapturedStderr();
    EXPECT_NE(full.find("cannot open a full-screen or windowed screen of 640 x 480"),
              std::string::npos) << full;

    attempts.clear();
    accept_after = 0;
    game_config.windowed = 1;
    EXPECT_TRUE(open_game_screen());
    ASSERT_EQ(attempts.size(), 1u);
    EXPECT_EQ(attempts[0].w, 640);
    EXPECT_EQ(attempts[0].card, GFX_AUTODETECT_WINDOWED);
    platform.set_mode = nullptr;
    game_config = saved;
}

} // namespace
