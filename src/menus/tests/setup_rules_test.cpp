// The set-up menu's rules: the rows UP and DOWN reach, and what LEFT and RIGHT do to
// the settings on each row.
#include "menus/setup_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(SetupRules, UpAndDownWrapAndSkipTheRenderRowAt320x200) {
    const struct {
        int row, direction;
        bool low;
        int expected;
    } cases[] = {
        {0, -1, false, 4}, {4, 1, false, 0}, {0, 1, false, 1}, {1, 1, false, 2}, {2, -1, false, 1},
        {3, -1, false, 2}, {0, 1, true, 2},  {2, -1, true, 0}, {0, -1, true, 4}, {4, 1, true, 0},
        {3, 1, true, 4},
    };
    for (const auto &c : cases)
        EXPECT_EQ(setup_row_after(c.row, c.direction, c.low), c.expected)
            << "row " << c.row << " dir " << c.direction << " low " << c.low;
}

// The settings a row starts from, the arrow (-1 LEFT, +1 RIGHT), the settings it
// leaves, and whether the file must be written, the other resolution opened (the
// settings change only once it is), the music volume applied at once.
struct Arrow {
    int row, direction;
    int low, render, music, effects, language;      // before
    int render_after, music_after, effects_after, language_after;
    bool changed, switch_resolution, music_now;
};

TEST(SetupRules, LeftAndRightOnEachRow) {
    const int S = kRenderScanLines, D = kRenderDoubled, O = kRenderOwnSize;
    const Arrow arrows[] = {
        {kRowResolution, -1, 0, S, 128, 128, 0, S, 128, 128, 0, false, false, false},
        {kRowResolution, 1, 0, S, 128, 128, 0, S, 128, 128, 0, false, true, false},
        {kRowResolution, 1, 1, O, 128, 128, 0, O, 128, 128, 0, false, false, false},
        {kRowResolution, -1, 1, O, 128, 128, 0, O, 128, 128, 0, false, true, false},
        {kRowRender, -1, 0, D, 128, 128, 0, S, 128, 128, 0, true, false, false},
        {kRowRender, -1, 0, S, 128, 128, 0, S, 128, 128, 0, false, false, false},
        {kRowRender, 1, 0, S, 128, 128, 0, D, 128, 128, 0, true, false, false},
        {kRowRender, 1, 0, D, 128, 128, 0, D, 128, 128, 0, false, false, false},
        {kRowRender, 1, 1, O, 128, 128, 0, O, 128, 128, 0, false, false, false},
        {kRowRender, -1, 1, O, 128, 128, 0, O, 128, 128, 0, false, false, false},
        {kRowEffects, 1, 0, S, 128, 128, 0, S, 128, 132, 0, true, false, false},
        {kRowEffects, 1, 0, S, 128, 252, 0, S, 128, 255, 0, true, false, false},
        {kRowEffects, 1, 0, S, 128, 255, 0, S, 128, 255, 0, true, false, false},
        {kRowEffects, -1, 0, S, 128, 3, 0, S, 128, 0, 0, true, false, false},
        {kRowEffects, -1, 0, S, 128, 0, 0, S, 128, 0, 0, true, false, false},
        {kRowMusic, -1, 0, S, 128, 128, 0, S, 124, 128, 0, true, false, true},
        {kRowMusic, 1, 0, S, 254, 128, 0, S, 255, 128, 0, true, false, true},
        {kRowLanguage, -1, 0, S, 128, 128, kSpanish, S, 128, 128, kGerman, true, false, false},
        {kRowLanguage, 1, 0, S, 128, 128, kGerman, S, 128, 128, kSpanish, true, false, false},
        {kRowLanguage, 1, 0, S, 128, 128, kSpanish, S, 128, 128, kEnglish, true, false, false},
        {kRowLanguage, 1, 0, S, 128, 128, 99, S, 128, 128, kEnglish, true, false, false},
    };
    for (const Arrow &a : arrows) {
        SCOPED_TRACE(testing::Message() << "row " << &a - arrows);
        GameConfig c{};
        c.low_resolution = a.low;
        c.render_mode = a.render;
        c.music_volume = a.music;
        c.effects_volume = a.effects;
        c.language = a.language;
        const SetupChange got = setup_left_right(a.row, a.direction, c);
        EXPECT_EQ(c.low_resolution, a.low);
        EXPECT_EQ(c.render_mode, a.render_after);
        EXPECT_EQ(c.music_volume, a.music_after);
        EXPECT_EQ(c.effects_volume, a.effects_after);
        EXPECT_EQ(c.language, a.language_after);
        EXPECT_EQ(got.changed, a.changed);
        EXPECT_EQ(got.switch_resolution, a.switch_resolution);
        EXPECT_EQ(got.music_volume, a.music_now);
    }
    EXPECT_EQ(render_mode_for_resolution(true), kRenderOwnSize);
    EXPECT_EQ(render_mode_for_resolution(false), kRenderDoubled)
        << "coming back to 640 x 480 is plain, whatever was set before";
}

} // namespace
