// The screen transitions and the closing fade on a memory bitmap that stands for the
// screen: golden screens of a few retraces of each (the retrace hook looks at the
// screen between steps), the number of retraces each takes, and the choice between
// the two reveals.
#include "core/game_config.h"
#include "core/platform.h"
#include "support/golden_screen.h"
#include "support/test_support.h"
#include "ui/fade.h"
#include "ui/transitions.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using testing_support::golden_screen;
using testing_support::make_bitmap;

namespace {

constexpr int kOld = 0x203040; // what the screen showed before

class ScreenTest : public ::testing::Test {
protected:
    OwnedBitmap screen_bmp, picture;
    std::string name;    // of the transition under way
    std::set<int> shots; // the retraces whose screen is checked
    int retraces = 0;

    void use_resolution(bool low) {
        game_config.low_resolution = low ? 1 : 0;
        const int w = low ? 320 : 640, h = low ? 200 : 480;
        set_color_depth(32);
        screen_bmp = make_bitmap(32, w, h);
        picture = make_bitmap(32, w, h);
        // A picture with some shape to it, and a magenta square (the squares' mask).
        for (int y = 0; y < h; ++y) hline(picture.get(), 0, y, w - 1, makecol(y & 255, 180, 255 - (y & 255)));
        for (int x = 0; x < w; x += 7) vline(picture.get(), x, 0, h - 1, makecol(250, 250, 250));
        rectfill(picture.get(), 40, 50, 60, 70, makecol(255, 0, 255));
        platform.screen_override = screen_bmp.get();
        platform.pacing = Pacing::Immediate;
        platform.on_retrace = [](void *self) {
            auto *t = static_cast<ScreenTest *>(self);
            if (t->shots.count(++t->retraces)) {
                EXPECT_TRUE(golden_screen(t->name + "_" + std::to_string(t->retraces), t->screen_bmp.get()));
            }
        };
        platform.retrace_context = this;
    }
    // Runs a transition over the old screen, checking the screen at the retraces
    // `at` and at the end.
    void run(const std::string &what, std::set<int> at, void (*transition)(BITMAP *), int total, bool fresh = true) {
        if (fresh) clear_to_color(screen_bmp.get(), kOld);
        name = what;
        shots = at;
        retraces = 0;
        transition(picture.get());
        EXPECT_EQ(retraces, total) << what;
        EXPECT_TRUE(golden_screen(what + "_end", screen_bmp.get()));
    }
    void TearDown() override {
        platform = PlatformState{};
        game_config = GameConfig{};
    }
};

TEST_F(ScreenTest, Reveals) {
    use_resolution(true);
    run("interlaced_low", {1, 25, 50, 51, 75}, reveal_interlaced, 100);
    run("squares_low", {1, 2, 5, 8}, reveal_squares, 9);
    use_resolution(false);
    run("interlaced_high", {60, 180}, reveal_interlaced, 240);
    run("squares_high", {4}, reveal_squares, 9);
    run("fade", {2, 3, 5, 9, 14}, [](BITMAP *) { fade_to_black(); }, kFadeSteps, false);
}

TEST_F(ScreenTest, ShowPictureChoosesInterlacedAboutTwoInFiveAndSkipsAMissingPicture) {
    use_resolution(true);
    int interlaced = 0;
    for (int i = 0; i < 400; ++i) {
        retraces = 0;
        show_picture(picture.get());
        ASSERT_TRUE(retraces == 100 || retraces == 9) << retraces;
        interlaced += retraces == 100;
    }
    EXPECT_GT(interlaced, 400 * 3 / 10);
    EXPECT_LT(interlaced, 400 * 5 / 10);
    retraces = 0;
    show_picture(nullptr);
    EXPECT_EQ(retraces, 0);
}

} // namespace
