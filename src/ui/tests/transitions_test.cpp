// Pixel tests of the screen transitions and the closing fade, on a memory bitmap that
// stands for the screen; the retrace hook looks at the screen between steps.
#include "core/game_config.h"
#include "core/platform.h"
#include "support/test_support.h"
#include "ui/fade.h"
#include "ui/transitions.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using testing_support::BitmapPtr;
using testing_support::make_bitmap;

namespace {

constexpr int kOld = 0x203040; // what the screen showed before
constexpr int kNew = 0xC0D0E0; // the picture being revealed
constexpr int kMagenta = 0xFF00FF;

class ScreenTest : public ::testing::Test {
protected:
    BitmapPtr screen_bmp;
    BitmapPtr picture;
    std::function<void(int)> at_retrace; // called with the retrace number, from 1
    int retrace_number = 0;

    void use_resolution(bool low) {
        game_config.low_resolution = low ? 1 : 0;
        int w = low ? 320 : 640, h = low ? 200 : 480;
        set_color_depth(32);
        screen_bmp = make_bitmap(32, w, h);
        picture = make_bitmap(32, w, h);
        clear_to_color(screen_bmp.get(), kOld);
        clear_to_color(picture.get(), kNew);
        platform.screen_override = screen_bmp.get();
        platform.pacing = Pacing::Immediate;
        platform.retraces = 0;
        platform.on_retrace = [](void *self) {
            auto *t = static_cast<ScreenTest *>(self);
            ++t->retrace_number;
            if (t->at_retrace) t->at_retrace(t->retrace_number);
        };
        platform.retrace_context = this;
    }
    void TearDown() override {
        platform = PlatformState{};
        game_config = GameConfig{};
    }
    int px(int x, int y) const { return getpixel(screen_bmp.get(), x, y); }
    bool row_is(int y, int colour) const {
        for (int x = 0; x < screen_bmp->w; ++x)
            if (px(x, y) != colour) return false;
        return true;
    }
};

TEST_F(ScreenTest, InterlacedLowResolutionOrderAndPace) {
    use_resolution(true);
    std::vector<int> new_rows_at; // how many rows are new at each retrace
    at_retrace = [&](int n) {
        int count = 0;
        for (int y = 0; y < 200; ++y) count += row_is(y, kNew);
        new_rows_at.push_back(count);
        if (n == 1) {
            // After rows 198 and 196: the even rows rise from the bottom.
            EXPECT_TRUE(row_is(198, kNew));
            EXPECT_TRUE(row_is(196, kNew));
            EXPECT_TRUE(row_is(199, kOld));
            EXPECT_TRUE(row_is(194, kOld));
        }
        if (n == 51) {
            // All even rows, then the odd rows start from the top: the wait comes
            // after rows 1, 5, 9 ...
            EXPECT_TRUE(row_is(0, kNew));
            EXPECT_TRUE(row_is(1, kNew));
            EXPECT_TRUE(row_is(3, kOld));
        }
    };
    reveal_interlaced(picture.get());
    ASSERT_EQ(platform.retraces, 100);
    for (int n = 1; n <= 100; ++n)
        EXPECT_EQ(new_rows_at[n - 1], n <= 50 ? 2 * n : 2 * n - 1) << "retrace " << n;
    for (int y = 0; y < 200; ++y) ASSERT_TRUE(row_is(y, kNew)) << y;
}

TEST_F(ScreenTest, InterlacedHighResolutionCopiesMagentaToo) {
    use_resolution(false);
    putpixel(picture.get(), 100, 100, kMagenta);
    reveal_interlaced(picture.get());
    EXPECT_EQ(platform.retraces, 240);
    EXPECT_EQ(px(100, 100), kMagenta);
    EXPECT_EQ(px(639, 479), kNew);
}

TEST_F(ScreenTest, SquaresGrowFromEachCellCentre) {
    use_resolution(true);
    at_retrace = [&](int n) {
        int s = n - 1; // the half-width just drawn
        if (s == 0) {
            EXPECT_EQ(px(8, 8), kOld) << "step 0 draws nothing";
        }
        if (s == 4) {
            EXPECT_EQ(px(16 + 4, 16 + 4), kNew);
            EXPECT_EQ(px(16 + 11, 16 + 11), kNew);
            EXPECT_EQ(px(16 + 3, 16 + 8), kOld);
            EXPECT_EQ(px(16 + 12, 16 + 8), kOld);
            EXPECT_EQ(px(304 + 8, 192 + 6), kNew) << "the last row of cells reaches past the edge";
        }
    };
    putpixel(picture.get(), 50, 60, kMagenta);
    reveal_squares(picture.get());
    EXPECT_EQ(platform.retraces, 9);
    EXPECT_EQ(px(0, 0), kNew);
    EXPECT_EQ(px(319, 199), kNew);
    EXPECT_EQ(px(50, 60), kOld) << "magenta in the picture lets the old screen show";
}

TEST_F(ScreenTest, SquaresCoverTheWholeHighResolutionScreen) {
    use_resolution(false);
    reveal_squares(picture.get());
    for (int y = 0; y < 480; y += 7)
        for (int x = 0; x < 640; x += 5) ASSERT_EQ(px(x, y), kNew) << x << "," << y;
}

TEST_F(ScreenTest, ShowPictureChoosesBothEffectsAboutTwoInFive) {
    use_resolution(true);
    int interlaced = 0, squares = 0;
    for (int i = 0; i < 400; ++i) {
        platform.retraces = 0;
        show_picture(picture.get());
        if (platform.retraces == 100) {
            ++interlaced;
        } else if (platform.retraces == 9) {
            ++squares;
        }
    }
    EXPECT_EQ(interlaced + squares, 400);
    EXPECT_GT(interlaced, 400 * 3 / 10);
    EXPECT_LT(interlaced, 400 * 5 / 10);
}

TEST_F(ScreenTest, MissingPictureIsSkipped) {
    use_resolution(false);
    show_picture(nullptr);
    EXPECT_EQ(platform.retraces, 0);
    EXPECT_EQ(px(10, 10), kOld);
}

int black_in_block(BITMAP *b, int bx, int by) {
    int n = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) n += getpixel(b, bx + x, by + y) == 0;
    return n;
}

TEST_F(ScreenTest, FadeDarkensStepByStepToBlack) {
    use_resolution(false);
    clear_to_color(screen_bmp.get(), kNew);
    static constexpr int kBlack[kFadeSteps] = {0, 1, 4, 8, 12, 16, 20, 32, 44, 48, 52, 56, 60, 63, 64, 64};
    std::vector<int> seen;
    // Each retrace comes before its step reaches the screen: at retrace n the
    // screen shows step n - 2.
    at_retrace = [&](int n) {
        if (n < 2) return;
        int step = n - 2;
        int a = black_in_block(screen_bmp.get(), 0, 0);
        EXPECT_EQ(a, black_in_block(screen_bmp.get(), 632, 472)) << "every block alike";
        EXPECT_EQ(a, kBlack[step]) << "step " << step;
        if (step == 1) {
            EXPECT_EQ(px(8, 8), 0);
            EXPECT_EQ(px(9, 8), kNew);
        }
        seen.push_back(step);
    };
    fade_to_black();
    EXPECT_EQ(platform.retraces, kFadeSteps);
    EXPECT_EQ(seen.size(), 15u);
    for (int y = 0; y < 480; ++y) ASSERT_TRUE(row_is(y, 0)) << y;
}

TEST_F(ScreenTest, FadePatternsOnlyEverAddBlack) {
    for (int r = 0; r < kFadeTile; ++r)
        for (int f = 1; f < kFadeSteps; ++f)
            EXPECT_EQ(fade_patterns[r][f] & fade_patterns[r][f - 1], fade_patterns[r][f - 1]) << r << "," << f;
}

TEST_F(ScreenTest, FadeDropsKeysPressedBefore) {
    use_resolution(true);
    static const KeyRecord frames[] = {key_bit(Key::Enter) | key_bit(Key::A)};
    input_begin_replay(frames, 1);
    ASSERT_TRUE(input_keypressed());
    fade_to_black();
    EXPECT_FALSE(input_keypressed());
    input_use_keyboard();
}

} // namespace
