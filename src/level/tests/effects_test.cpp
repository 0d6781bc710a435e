// The effects' rules that no single picture shows (what they draw is in the looks'
// golden screens of render_test.cpp): the wind turning back at its limit, and the
// weather's sounds without a sound system.
#include "core/game_config.h"
#include "core/platform.h"
#include "level/cues.h"
#include "level/effects.h"

#include "core/tests/case_rows.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

// The cases are rows of wind.txt.
TEST(Wind, PastTheLimitItTurnsBack) {
    for (const case_rows::Words &w : case_rows::read(__FILE__, "wind.txt")) {
        EffectState fx{};
        fx.wind = case_rows::number(w[0]);
        fx.wind_step = case_rows::number(w[1]);
        fx.wind_timer = 5;
        blow_wind(fx);
        EXPECT_EQ(fx.wind, case_rows::number(w[2])) << case_rows::text(w);
        EXPECT_EQ(fx.wind_step, case_rows::number(w[3])) << case_rows::text(w);
        EXPECT_EQ(fx.wind_timer, 4);
    }
}

// One loop above and one in the bottom row, each its own sample looping at full
// volume, neither restarted inside its band; the thunder is taken once, silently
// without its sample.
TEST(RainLoops, EachBandStartsItsOwnLoopOnce) {
    testing_support::HeadlessGame game; // records the samples started
    WeatherSamples samples{}, none{};
    for (SAMPLE *&s : samples.sample) s = create_sample(8, 0, 11025, 16);
    game_config.sound_available = 1;
    RainLoop playing = RainLoop::None;
    for (int row : {4, 4, 3, 2, 0, 4}) switch_rain_loop(row, playing, samples);
    EXPECT_EQ(playing, RainLoop::Bottom);
    // A level start: no loop yet, so the first room always starts its band's.
    EffectState fx{};
    fx.rain_loop = RainLoop::Upper;
    start_level_effects(fx, nullptr);
    EXPECT_EQ(fx.rain_loop, RainLoop::None);
    switch_rain_loop(0, fx.rain_loop, samples);
    ThunderCue clap{true, 10, 900};
    play_thunder(clap, none);
    EXPECT_FALSE(clap.due);
    stop_weather(samples);
    const std::vector<SampleStart> starts = game.samples;
    for (SAMPLE *s : samples.sample) destroy_sample(s);
    ASSERT_EQ(starts.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(starts[i].sample, samples.sample[i % 2 ? kRainUpper : kRainBottom]) << i;
        EXPECT_TRUE(starts[i].loop && starts[i].volume == 255 && starts[i].pan == 255) << i;
    }
}

} // namespace
