// The set-up menu's rules: rows, volumes, language and the render mode.
#include "menus/setup_rules.h"

#include <gtest/gtest.h>

namespace {

GameConfig config(int32_t low, int32_t render, int32_t music, int32_t effects, int32_t language) {
    GameConfig c{};
    c.low_resolution = low;
    c.render_mode = render;
    c.music_volume = music;
    c.effects_volume = effects;
    c.language = language;
    return c;
}

TEST(SetupRows, UpAndDownWrapAndSkipTheRenderRowAt320x200) {
    struct Case {
        int row, direction;
        bool low;
        int expected;
    };
    const Case cases[] = {
        {0, -1, false, 4}, {4, 1, false, 0}, {0, 1, false, 1}, {1, 1, false, 2},
        {2, -1, false, 1}, {3, -1, false, 2},
        {0, 1, true, 2},   {2, -1, true, 0}, {0, -1, true, 4}, {4, 1, true, 0},
        {3, 1, true, 4},
    };
    for (const Case &c : cases)
        EXPECT_EQ(setup_row_after(c.row, c.direction, c.low), c.expected)
            << "row " << c.row << " dir " << c.direction << " low " << c.low;
}

TEST(SetupVolumes, StepsOfFourStopAtTheLimitsAndStillCountAsChanges) {
    GameConfig c = config(0, 1, 128, 128, 0);
    for (int i = 0; i < 4; ++i) setup_left_right(kRowEffects, 1, c);
    EXPECT_EQ(c.effects_volume, 144);

    c.effects_volume = 128;
    for (int i = 0; i < 31; ++i) setup_left_right(kRowEffects, 1, c);
    EXPECT_EQ(c.effects_volume, 252);
    setup_left_right(kRowEffects, 1, c);
    EXPECT_EQ(c.effects_volume, 255);
    EXPECT_TRUE(setup_left_right(kRowEffects, 1, c).changed) << "at 255 it still marks a change";
    EXPECT_EQ(c.effects_volume, 255);

    c.effects_volume = 0;
    EXPECT_TRUE(setup_left_right(kRowEffects, -1, c).changed) << "at 0 it still marks a change";
    EXPECT_EQ(c.effects_volume, 0);
    c.effects_volume = 3;
    setup_left_right(kRowEffects, -1, c);
    EXPECT_EQ(c.effects_volume, 0);
    EXPECT_EQ(c.music_volume, 128) << "the effects row leaves the music alone";

    const SetupChange m = setup_left_right(kRowMusic, -1, c);
    EXPECT_EQ(c.music_volume, 124);
    EXPECT_TRUE(m.changed && m.music_volume) << "the music volume is applied at once";
    EXPECT_FALSE(setup_left_right(kRowEffects, 1, c).music_volume);
}

TEST(SetupLanguage, StepsWrapRoundTheFiveAndRelabel) {
    GameConfig c = config(0, 1, 128, 128, kSpanish);
    SetupChange ch = setup_left_right(kRowLanguage, -1, c);
    EXPECT_EQ(c.language, kGerman);
    EXPECT_TRUE(ch.changed && ch.relabel);
    setup_left_right(kRowLanguage, 1, c);
    EXPECT_EQ(c.language, kSpanish);
    setup_left_right(kRowLanguage, 1, c);
    EXPECT_EQ(c.language, kEnglish);
    EXPECT_EQ(step_language(99, 1), kEnglish) << "a value out of range counts as Spanish";
}

TEST(SetupRender, LeftAndRightChooseBetweenScanLinesAndPlain) {
    GameConfig c = config(0, kRenderDoubled, 128, 128, 0);
    EXPECT_TRUE(setup_left_right(kRowRender, -1, c).changed);
    EXPECT_EQ(c.render_mode, kRenderScanLines);
    EXPECT_FALSE(setup_left_right(kRowRender, -1, c).changed) << "already scan lines";
    EXPECT_EQ(c.render_mode, kRenderScanLines);
    EXPECT_TRUE(setup_left_right(kRowRender, 1, c).changed);
    EXPECT_EQ(c.render_mode, kRenderDoubled);
    EXPECT_FALSE(setup_left_right(kRowRender, 1, c).changed);
    c.render_mode = kRenderOwnSize; // at 320 x 200 neither arrow applies
    EXPECT_FALSE(setup_left_right(kRowRender, 1, c).changed);
    EXPECT_FALSE(setup_left_right(kRowRender, -1, c).changed);
    EXPECT_EQ(c.render_mode, kRenderOwnSize);
}

TEST(SetupResolution, OnlyTheOtherResolutionIsAskedForAndItsRenderModeIsFixed) {
    GameConfig high = config(0, kRenderScanLines, 128, 128, 0);
    EXPECT_FALSE(setup_left_right(kRowResolution, -1, high).switch_resolution);
    EXPECT_TRUE(setup_left_right(kRowResolution, 1, high).switch_resolution);
    EXPECT_FALSE(setup_left_right(kRowResolution, 1, high).changed)
        << "the change is marked only once the new mode is open";
    EXPECT_EQ(high.low_resolution, 0) << "the caller switches, not the rule";

    GameConfig low = config(1, kRenderOwnSize, 128, 128, 0);
    EXPECT_FALSE(setup_left_right(kRowResolution, 1, low).switch_resolution);
    EXPECT_TRUE(setup_left_right(kRowResolution, -1, low).switch_resolution);

    EXPECT_EQ(render_mode_for_resolution(true), kRenderOwnSize);
    EXPECT_EQ(render_mode_for_resolution(false), kRenderDoubled)
        << "coming back to 640 x 480 is plain, whatever was set before";
}

} // namespace
