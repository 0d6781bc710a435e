// Tests of the synthesiser: pitch, sweeps, filters, envelopes, loops and the
// shaping of the whole sample.
#include "synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

std::unique_ptr<Recipe> one_layer(Wave wave, double seconds) {
    auto r = std::make_unique<Recipe>();
    r->rate = 22050;
    r->length = seconds;
    r->layer_count = 1;
    r->layers[0].wave = wave;
    return r;
}

Rendered render(const Recipe &r) {
    Rendered out;
    std::string error;
    EXPECT_TRUE(render_recipe(r, out, error)) << error;
    return out;
}

// Upward zero crossings a second over [from, to).
double crossings_per_second(const Rendered &s, long from, long to) {
    int n = 0;
    for (long i = from; i + 1 < to; ++i)
        if (s.samples[i] <= 0 && s.samples[i + 1] > 0) ++n;
    return n * s.rate / (to - from);
}

double rms(const Rendered &s, long from, long to) {
    double sum = 0;
    for (long i = from; i < to; ++i) sum += s.samples[i] * s.samples[i];
    return std::sqrt(sum / (to - from));
}

double peak(const Rendered &s) {
    double p = 0;
    for (float v : s.samples) p = std::max(p, static_cast<double>(std::fabs(v)));
    return p;
}

double mean(const Rendered &s) {
    double sum = 0;
    for (float v : s.samples) sum += v;
    return sum / s.samples.size();
}

}  // namespace

TEST(Synth, ASinePlaysAtItsPitch) {
    auto r = one_layer(Wave::sine, 1.0);
    r->layers[0].pitch_from = r->layers[0].pitch_to = 441;
    Rendered s = render(*r);
    ASSERT_EQ(s.samples.size(), 22050u);
    EXPECT_NEAR(crossings_per_second(s, 0, 22050), 441, 3);
}

TEST(Synth, EveryWaveHoldsItsPitch) {
    for (Wave w : {Wave::square, Wave::saw, Wave::triangle}) {
        auto r = one_layer(w, 0.5);
        r->layers[0].pitch_from = r->layers[0].pitch_to = 300;
        Rendered s = render(*r);
        EXPECT_NEAR(crossings_per_second(s, 0, static_cast<long>(s.samples.size())), 300, 6)
            << static_cast<int>(w);
    }
}

TEST(Synth, DetuneAndSweepMoveThePitch) {
    auto r = one_layer(Wave::sine, 1.0);
    r->layers[0].pitch_from = r->layers[0].pitch_to = 400;
    r->layers[0].detune_cents = 1200;
    EXPECT_NEAR(crossings_per_second(render(*r), 0, 22050), 800, 4);

    auto up = one_layer(Wave::sine, 1.0);
    up->layers[0].pitch_from = 200;
    up->layers[0].pitch_to = 1600;
    Rendered s = render(*up);
    double first = crossings_per_second(s, 0, 5512);
    double last = crossings_per_second(s, 16538, 22050);
    EXPECT_LT(first, 400);
    EXPECT_GT(last, 1000);
}

TEST(Synth, ALowpassDullsNoiseAndAHighpassBrightensIt) {
    auto plain = one_layer(Wave::noise, 0.5);
    auto low = one_layer(Wave::noise, 0.5);
    low->layers[0].lowpass_from = low->layers[0].lowpass_to = 500;
    auto high = one_layer(Wave::noise, 0.5);
    high->layers[0].highpass_from = high->layers[0].highpass_to = 6000;
    long n = 11025;
    double zc_plain = crossings_per_second(render(*plain), 0, n);
    double zc_low = crossings_per_second(render(*low), 0, n);
    double zc_high = crossings_per_second(render(*high), 0, n);
    EXPECT_LT(zc_low, zc_plain * 0.3);
    EXPECT_GT(zc_high, zc_plain * 1.1);
}

TEST(Synth, TheEnvelopeShapesTheLoudness) {
    auto r = one_layer(Wave::sine, 1.0);
    r->layers[0].pitch_from = r->layers[0].pitch_to = 500;
    r->layers[0].envelope_count = 2;
    r->layers[0].envelope[0] = {0.5, 1.0};
    r->layers[0].envelope[1] = {1.0, 0.0};
    Rendered s = render(*r);
    double quarter = rms(s, 5000, 6000), middle = rms(s, 10525, 11525), late = rms(s, 19000, 20000);
    EXPECT_LT(quarter, middle * 0.7);
    EXPECT_LT(late, middle * 0.4);
}

TEST(Synth, ALayerSoundsOnlyFromItsStartForItsLength) {
    auto r = one_layer(Wave::sine, 1.0);
    r->layers[0].start = 0.25;
    r->layers[0].length = 0.25;
    Rendered s = render(*r);
    EXPECT_LT(rms(s, 0, 5400), 1e-4);
    EXPECT_GT(rms(s, 6000, 10500), 0.3);
    EXPECT_LT(rms(s, 11100, 22050), 0.005);  // only the faint settling of the DC filter
}

TEST(Synth, RepeatsComeBackQuieter) {
    auto r = one_layer(Wave::sine, 1.0);
    r->layers[0].length = 0.1;
    r->layers[0].repeat_count = 2;
    r->layers[0].repeat_interval = 0.3;
    r->layers[0].repeat_gain = 0.5;
    Rendered s = render(*r);
    double a = rms(s, 300, 1900), b = rms(s, 6615 + 300, 6615 + 1900), c = rms(s, 13230 + 300, 13230 + 1900);
    EXPECT_NEAR(b / a, 0.5, 0.05);
    EXPECT_NEAR(c / a, 0.25, 0.05);
}

TEST(Synth, ScatteredCopiesFillTheSampleTheSameWayEachTime) {
    auto r = one_layer(Wave::sine, 2.0);
    r->layers[0].length = 0.01;
    r->layers[0].pitch_from = r->layers[0].pitch_to = 2000;
    r->layers[0].scatter_count = 200;
    r->layers[0].seed = 5;
    Rendered a = render(*r), b = render(*r);
    EXPECT_EQ(a.samples, b.samples);
    // Copies land all over the sample, not in one place.
    int quiet_tenths = 0;
    for (int k = 0; k < 10; ++k)
        if (rms(a, k * 4410, (k + 1) * 4410) < 0.01) ++quiet_tenths;
    EXPECT_EQ(quiet_tenths, 0);
    r->layers[0].seed = 6;
    EXPECT_NE(render(*r).samples, a.samples);
}

TEST(Synth, TheSampleIsNormalisedToItsPeakAndFreeOfDc) {
    auto r = one_layer(Wave::square, 0.5);
    r->layers[0].duty = 0.2;  // a narrow pulse carries a large offset
    r->layers[0].gain = 3;
    r->peak = 0.6;
    Rendered s = render(*r);
    EXPECT_NEAR(peak(s), 0.6, 1e-4);
    EXPECT_LT(std::fabs(mean(s)), 0.01);
}

TEST(Synth, AOneShotStartsAndEndsInSilence) {
    auto r = one_layer(Wave::saw, 0.3);
    r->layers[0].pitch_from = r->layers[0].pitch_to = 180;
    Rendered s = render(*r);
    EXPECT_LT(std::fabs(s.samples.front()), 0.01);
    EXPECT_LT(std::fabs(s.samples.back()), 0.01);
    EXPECT_FALSE(s.loop);
}

TEST(Synth, AWholeLoopJoinsWithoutASeam) {
    // 440.25 cycles do not fit the second: left alone, the wave would jump by a
    // quarter cycle where the loop comes round.
    auto r = one_layer(Wave::sine, 1.0);
    r->layers[0].pitch_from = r->layers[0].pitch_to = 440.25;
    r->loop = true;
    r->loop_crossfade = 0.1;
    Rendered s = render(*r);
    ASSERT_TRUE(s.loop);
    EXPECT_EQ(s.loop_start, 0);
    EXPECT_EQ(s.loop_end, static_cast<long>(s.samples.size()));
    // A sine at 440 Hz moves at most 0.125 of its height from sample to sample;
    // the loop, played round and round, never moves more anywhere.
    long n = static_cast<long>(s.samples.size());
    double worst = 0;
    for (long i = 0; i < n; ++i)
        worst = std::max(worst, static_cast<double>(std::fabs(s.samples[(i + 1) % n] - s.samples[i])));
    EXPECT_LT(worst, 0.13 * peak(s));
    // It starts on a quiet zero crossing, so starting it does not click.
    EXPECT_LT(std::fabs(s.samples.front()), 0.07 * peak(s));  // half a step
}

TEST(Synth, AWholeLoopOfNoiseKeepsItsLoudnessOverTheJoin) {
    auto r = one_layer(Wave::noise, 1.0);
    r->layers[0].lowpass_from = r->layers[0].lowpass_to = 1500;
    r->loop = true;
    r->loop_crossfade = 0.2;
    Rendered s = render(*r);
    // Unrelated stretches faded into each other at equal gain would dip by 3 dB.
    long n = static_cast<long>(s.samples.size());
    double overall = rms(s, 0, n);
    std::vector<double> windows;
    for (long at = 0; at + 1102 <= n; at += 1102) windows.push_back(rms(s, at, at + 1102));
    for (double w : windows) EXPECT_NEAR(w, overall, overall * 0.35);
}

TEST(Synth, AnInstrumentLoopRunsOnIntoItsStart) {
    auto r = one_layer(Wave::saw, 1.0);
    r->layers[0].pitch_from = r->layers[0].pitch_to = 220.5;  // 100 samples a period
    r->loop = true;
    r->loop_crossfade = 0.05;
    r->loop_from = 0.4;
    Rendered s = render(*r);
    ASSERT_TRUE(s.loop);
    EXPECT_EQ(s.loop_start, std::lround(0.4 * 22050));
    // Jumping from the end to the loop start continues the wave as before the start.
    double end_step = std::fabs(s.samples[s.loop_end - 1] - s.samples[s.loop_start - 1]);
    EXPECT_LT(end_step, 0.05);
}

TEST(Synth, RefusesWhatCannotSound) {
    Rendered out;
    std::string error;
    auto silent = one_layer(Wave::sine, 0.5);
    silent->layers[0].gain = 0;
    EXPECT_FALSE(render_recipe(*silent, out, error));
    EXPECT_NE(error.find("no sound"), std::string::npos);

    auto early = one_layer(Wave::sine, 1.0);
    early->loop = true;
    early->loop_crossfade = 0.2;
    early->loop_from = 0.1;
    EXPECT_FALSE(render_recipe(*early, out, error));
    EXPECT_NE(error.find("cross-fade"), std::string::npos);
}
