// Start-up decisions that do not need a display: the command line, the error texts,
// and the order in which video modes are tried.
#include "shell/startup.h"

#include "core/game_config.h"
#include "core/platform.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

struct Attempt {
    int card, w, h, depth;
};
std::vector<Attempt> attempts;
int accept_after = 0; // attempts refused before one is accepted; <0 refuses all

int fake_set_mode(int card, int w, int h, int, int) {
    attempts.push_back({card, w, h, get_color_depth()});
    return accept_after >= 0 && static_cast<int>(attempts.size()) > accept_after ? 0 : -1;
}

// A window only for the exact words; "--scale N" after "windowed" or alone, a factor
// out of range said and replaced by the largest that fits (0).
TEST(CommandLine, TheWindowAndItsScale) {
    const struct {
        std::vector<std::string> args;
        bool window;
        int scale;
        bool said;
    } rows[] = {{{"windowed"}, true, 0, false},       {{"WINDOWED"}, false, 0, false},
                {{"-windowed"}, false, 0, false},     {{"x", "windowed"}, false, 0, false},
                {{}, false, 0, false},                {{"windowed", "--scale", "3"}, true, 3, false},
                {{"--scale", "1"}, true, 1, false},   {{"--scale", "8"}, true, 8, false},
                {{"--scale", "9"}, true, 0, true},    {{"windowed", "--scale", "0"}, true, 0, true},
                {{"--scale", "2x"}, true, 0, true},   {{"--scale"}, true, 0, true},
                {{"x", "--scale", "2"}, false, 0, false}};
    for (const auto &r : rows) {
        std::vector<std::string> words = {"vespertil"};
        words.insert(words.end(), r.args.begin(), r.args.end());
        std::vector<char *> argv;
        for (std::string &w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        testing::internal::CaptureStderr();
        const CommandLine line = read_command_line(static_cast<int>(words.size()), argv.data());
        const std::string said = testing::internal::GetCapturedStderr();
        SCOPED_TRACE(r.args.empty() ? "" : r.args.back());
        EXPECT_EQ(line.windowed, r.window);
        EXPECT_EQ(line.scale, r.scale);
        EXPECT_EQ(said.find("--scale takes") != std::string::npos, r.said) << said;
    }
}

// The window's factor: the asked one, else the largest whole one that fits the
// desktop with a sixteenth of its height to spare; 1 when the desktop is unknown.
TEST(VideoMode, TheWindowsScale) {
    const struct {
        int asked, desk_w, desk_h, w, h, scale;
    } rows[] = {{0, 1920, 1080, 640, 480, 2}, {0, 3840, 2160, 640, 480, 4},
                {0, 2560, 1600, 640, 480, 3}, {0, 2560, 1440, 640, 480, 2},
                {0, 1024, 768, 640, 480, 1},  {0, 800, 600, 640, 480, 1},
                {0, 0, 0, 640, 480, 1},       {0, 1920, 1080, 320, 200, 5},
                {0, 7680, 4320, 320, 200, 8}, {3, 800, 600, 640, 480, 3},
                {1, 3840, 2160, 640, 480, 1}, {20, 0, 0, 640, 480, 8}};
    for (const auto &r : rows)
        EXPECT_EQ(window_scale_for(r.asked, r.desk_w, r.desk_h, r.w, r.h), r.scale)
            << r.asked << " on " << r.desk_w << " x " << r.desk_h << " for " << r.w;
}

TEST(ErrorTexts, CodePage850BytesAndUnknownCodes) {
    const char *const cfg = "Imposible abrir archivo \"Vespertil.cfg\"";
    const char *const bad = "Se pas\xA2 un argumento no v\xA0lido";
    const std::pair<int, const char *> rows[] = {{1, "Imposible inicializar sonido"},
                                                 {2, "Imposible cargar archivo de m\xA3sica"},
                                                 {4, cfg}, {9, cfg}, {5, bad}, {0, bad}};
    for (const auto &[code, text] : rows) {
        set_error_text(code);
        EXPECT_STREQ(error_text, text) << code;
    }
}

// Depths 16, 32 and 24 with the asked driver; full screen refused in all three
// falls back to a window; a window asked for is not retried as full screen.
TEST(VideoMode, TheOrderModesAreTriedIn) {
    const int F = GFX_AUTODETECT_FULLSCREEN, W = GFX_AUTODETECT_WINDOWED;
    const struct {
        bool windowed, low;
        int refusals;
        bool ok;
        int depth, card;
        bool fell_back;
        std::vector<int> cards;
    } rows[] = {
        {false, false, 1, true, 32, F, false, {F, F}},
        {false, true, 2, true, 24, F, false, {F, F, F}},
        {false, false, 3, true, 16, W, true, {F, F, F, W}},
        {false, false, -1, false, 0, 0, false, {F, F, F, W, W, W}},
        {true, false, -1, false, 0, 0, false, {W, W, W}},
        {true, true, 0, true, 16, W, false, {W}},
    };
    const int depths[] = {16, 32, 24, 16, 32, 24};
    for (const auto &r : rows) {
        attempts.clear();
        accept_after = r.refusals;
        const VideoModeChoice c = set_video_mode(r.windowed, r.low, fake_set_mode);
        SCOPED_TRACE(testing::Message() << "windowed " << r.windowed << " refusals " << r.refusals);
        ASSERT_EQ(c.ok, r.ok);
        if (r.ok) {
            EXPECT_EQ(c.depth, r.depth);
            EXPECT_EQ(c.card, r.card);
            EXPECT_EQ(c.fell_back_to_window, r.fell_back);
        }
        ASSERT_EQ(attempts.size(), r.cards.size());
        for (std::size_t i = 0; i < attempts.size(); ++i) {
            EXPECT_EQ(attempts[i].card, r.cards[i]) << i;
            EXPECT_EQ(attempts[i].depth, depths[i]) << i;
            EXPECT_EQ(attempts[i].w, r.low ? 320 : 640) << i;
            EXPECT_EQ(attempts[i].h, r.low ? 200 : 480) << i;
        }
    }
}

// The screen the settings ask for: a refusal of every mode is said on stderr with
// the size asked for.
TEST(VideoMode, OpeningTheGameScreenFollowsTheSettings) {
    testing_support::HeadlessGame game; // puts the settings and the platform back
    platform.set_mode = fake_set_mode;
    const struct {
        int windowed, low, refusals;
        bool ok;
        const char *said;
    } rows[] = {{1, 1, -1, false, "cannot open a windowed screen of 320 x 200"},
                {0, 0, -1, false, "cannot open a full-screen or windowed screen of 640 x 480"},
                {1, 0, 0, true, ""}};
    for (const auto &r : rows) {
        game_config.windowed = r.windowed;
        game_config.low_resolution = r.low;
        attempts.clear();
        accept_after = r.refusals;
        testing::internal::CaptureStderr();
        EXPECT_EQ(open_game_screen(), r.ok);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(r.said), std::string::npos) << said;
        EXPECT_EQ(attempts.front().card, r.windowed ? GFX_AUTODETECT_WINDOWED : GFX_AUTODETECT_FULLSCREEN);
    }
}

} // namespace
