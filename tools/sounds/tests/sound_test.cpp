// vespertil-sfx: what a recipe sounds like (pitch, sweeps, filters, envelopes,
// repeats, loops), the WAV the game loads from it, and the message for each kind of
// broken recipe (recipe_errors.txt).
#include "recipe.h"
#include "synth.h"
#include "wav_file.h"

#include "../../common/tests/case_table.h"
#include "../../common/tests/tool_promises.h"
#include "support/corpus_seeds.h"

#include "core/owners.h"
#include "core/paths.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

using testing_support::TempDir;

namespace {

INSTANTIATE_TEST_SUITE_P(Sounds, CorpusSeed, seeds_of({{"sound_recipe", sound_recipe_promise}}), seed_name);

std::unique_ptr<Recipe> recipe_of(const std::string &text) {
    auto r = std::make_unique<Recipe>();
    std::string error;
    EXPECT_TRUE(parse_recipe_text("test.sfx", "rate 22050\n" + text, *r, error)) << error;
    return r;
}

Rendered render(const Recipe &r) {
    Rendered out;
    std::string error;
    EXPECT_TRUE(render_recipe(r, out, error)) << error;
    return out;
}

Rendered sound(const std::string &text) { return render(*recipe_of(text)); }

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

TEST(Sound, EveryWavePlaysAtItsPitch) {
    Rendered sine = sound("length 1\nlayer sine\npitch 441\n");
    ASSERT_EQ(sine.samples.size(), 22050u);
    EXPECT_NEAR(crossings_per_second(sine, 0, 22050), 441, 3);
    EXPECT_NEAR(crossings_per_second(sound("length 1\nlayer sine\npitch A4\n"), 0, 22050), 440, 3);
    for (const char *wave : {"square", "saw", "triangle"})
        EXPECT_NEAR(crossings_per_second(sound(std::string("length 0.5\nlayer ") + wave + "\npitch 300\n"), 0, 11025),
                    300, 6)
            << wave;
    EXPECT_NE(sound("length 0.5\nlayer square\n").samples, sound("length 0.5\nlayer square\nduty 0.3\n").samples);
}

TEST(Sound, DetuneAndSweepMoveThePitch) {
    EXPECT_NEAR(crossings_per_second(sound("length 1\nlayer sine\npitch 400\ndetune 1200\n"), 0, 22050), 800, 4);
    Rendered up = sound("length 1\nlayer sine\npitch 200 1600\n");
    EXPECT_LT(crossings_per_second(up, 0, 5512), 400);
    EXPECT_GT(crossings_per_second(up, 16538, 22050), 1000);
    Rendered linear = sound("length 1\nlayer sine\npitch 200 1600 lin\n");
    EXPECT_GT(crossings_per_second(linear, 0, 5512), crossings_per_second(up, 0, 5512) * 1.3);
}

TEST(Sound, ALowpassDullsNoiseAndAHighpassBrightensIt) {
    double plain = crossings_per_second(sound("length 0.5\nlayer noise\n"), 0, 11025);
    EXPECT_LT(crossings_per_second(sound("length 0.5\nlayer noise\nlowpass 500\n"), 0, 11025), plain * 0.3);
    EXPECT_GT(crossings_per_second(sound("length 0.5\nlayer noise\nhighpass 6000\n"), 0, 11025), plain * 1.1);
}

TEST(Sound, TheEnvelopeShapesTheLoudness) {
    Rendered s = sound("length 1\nlayer sine\npitch 500\nenvelope 0.5 1  1 0\n");
    double quarter = rms(s, 5000, 6000), middle = rms(s, 10525, 11525), late = rms(s, 19000, 20000);
    EXPECT_LT(quarter, middle * 0.7);
    EXPECT_LT(late, middle * 0.4);
}

TEST(Sound, ALayerSoundsOnlyFromItsStartForItsLength) {
    Rendered s = sound("length 1\nlayer sine\nstart 0.25\nlength 0.25\n");
    EXPECT_LT(rms(s, 0, 5400), 1e-4);
    EXPECT_GT(rms(s, 6000, 10500), 0.3);
    EXPECT_LT(rms(s, 11100, 22050), 0.005); // only the faint settling of the DC filter
}

TEST(Sound, RepeatsComeBackQuieter) {
    Rendered s = sound("length 1\nlayer sine\nlength 0.1\nrepeat 2 0.3 0.5\n");
    double a = rms(s, 300, 1900), b = rms(s, 6615 + 300, 6615 + 1900), c = rms(s, 13230 + 300, 13230 + 1900);
    EXPECT_NEAR(b / a, 0.5, 0.05);
    EXPECT_NEAR(c / a, 0.25, 0.05);
}

TEST(Sound, ScatteredCopiesFillTheSampleTheSameWayForTheirSeed) {
    const std::string text = "length 2\nlayer sine\nlength 0.01\npitch 2000\nscatter 200 ";
    Rendered a = sound(text + "5\n");
    EXPECT_EQ(a.samples, sound(text + "5\n").samples);
    EXPECT_NE(a.samples, sound(text + "6\n").samples);
    for (int k = 0; k < 10; ++k) EXPECT_GT(rms(a, k * 4410, (k + 1) * 4410), 0.01) << k;
}

TEST(Sound, TheSampleIsNormalisedToItsPeakAndFreeOfDcAndStartsAndEndsInSilence) {
    Rendered s = sound("peak 0.6\nlength 0.5\nlayer square\nduty 0.2\ngain 3\n"); // a narrow pulse: a large offset
    EXPECT_NEAR(peak(s), 0.6, 1e-4);
    double sum = 0;
    for (float v : s.samples) sum += v;
    EXPECT_LT(std::fabs(sum / s.samples.size()), 0.01);
    Rendered saw = sound("length 0.3\nlayer saw\npitch 180\n");
    EXPECT_LT(std::fabs(saw.samples.front()), 0.01);
    EXPECT_LT(std::fabs(saw.samples.back()), 0.01);
    EXPECT_FALSE(saw.loop);
}

// Each of these words, added to a plain sine (before its layer or in it), changes
// what is heard.
struct Word {
    const char *before, *in;
};

class EveryWord : public testing::TestWithParam<Word> {};

TEST_P(EveryWord, ChangesTheSound) {
    const std::string layer = "layer sine\npitch 300 600\nscatter 3 7\nlength 0.1\n";
    EXPECT_NE(sound("length 0.5\n" + layer).samples,
              sound(GetParam().before + ("length 0.5\n" + layer) + GetParam().in).samples)
        << GetParam().before << GetParam().in;
}

INSTANTIATE_TEST_SUITE_P(Recipe, EveryWord,
                         testing::Values(Word{"fade 0.1 0.2\n", ""}, Word{"echo 0.1 0.5\n", ""},
                                         Word{"", "partials 1 0.5 0.3\n"}, Word{"", "fm 2 1.5\n"},
                                         Word{"", "vibrato 5 0.5\n"}, Word{"", "decay 0.05\n"},
                                         Word{"", "gain 0.5\nlayer saw\n"}, Word{"", "wobble 4 0.5\n"},
                                         Word{"", "bandpass 900 1200\n"}, Word{"", "lowpass 2000\nresonance 5\n"},
                                         Word{"", "spread 2\n"}, Word{"", "jitter 0.5\n"}, Word{"", "seed 9\n"},
                                         Word{"", "start 0.1\n"}));

TEST(Sound, AWholeLoopJoinsWithoutASeam) {
    // 440.25 cycles do not fit the second: left alone, the wave would jump by a
    // quarter cycle where the loop comes round.
    Rendered s = sound("length 1\nloop 0.1\nlayer sine\npitch 440.25\n");
    ASSERT_TRUE(s.loop);
    EXPECT_EQ(s.loop_start, 0);
    EXPECT_EQ(s.loop_end, static_cast<long>(s.samples.size()));
    // A sine at 440 Hz moves at most 0.125 of its height from sample to sample; the
    // loop, played round and round, never moves more anywhere.
    long n = static_cast<long>(s.samples.size());
    double worst = 0;
    for (long i = 0; i < n; ++i)
        worst = std::max(worst, static_cast<double>(std::fabs(s.samples[(i + 1) % n] - s.samples[i])));
    EXPECT_LT(worst, 0.13 * peak(s));
    EXPECT_LT(std::fabs(s.samples.front()), 0.07 * peak(s)); // starts on a quiet zero crossing
    // Unrelated stretches of noise faded into each other at equal gain would dip by 3 dB.
    Rendered noise = sound("length 1\nloop 0.2\nlayer noise\nlowpass 1500\n");
    double overall = rms(noise, 0, n);
    for (long at = 0; at + 1102 <= n; at += 1102) EXPECT_NEAR(rms(noise, at, at + 1102), overall, overall * 0.35);
}

// An instrument of a tune loops from a point inside it (the tune compiler's use).
TEST(Sound, AnInstrumentLoopRunsOnIntoItsStart) {
    auto r = recipe_of("length 1\nlayer saw\npitch 220.5\n"); // 100 samples a period
    r->loop = true;
    r->loop_crossfade = 0.05;
    r->loop_from = 0.4;
    Rendered s = render(*r);
    ASSERT_TRUE(s.loop);
    EXPECT_EQ(s.loop_start, std::lround(0.4 * 22050));
    // Jumping from the end to the loop start continues the wave as before the start.
    EXPECT_LT(std::fabs(s.samples[s.loop_end - 1] - s.samples[s.loop_start - 1]), 0.05);
    r->loop_from = 0.03;
    Rendered out;
    std::string error;
    EXPECT_FALSE(render_recipe(*r, out, error));
    EXPECT_NE(error.find("cross-fade"), std::string::npos) << error;
}

class RecipeErrors : public testing::TestWithParam<TextCase> {};

TEST_P(RecipeErrors, NameTheFileTheLineAndTheFault) {
    auto r = std::make_unique<Recipe>();
    std::string error;
    EXPECT_FALSE(parse_recipe_text("test.sfx", GetParam().text, *r, error));
    EXPECT_TRUE(says(error, "test.sfx", GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Table, RecipeErrors, testing::ValuesIn(read_cases(__FILE__, "recipe_errors.txt")),
                         case_name);

TEST(WavBytes, SamplesAreScaledClampedAndAnOddChunkPadded) {
    std::vector<std::uint8_t> b = wav_bytes({0.0f, 0.5f, -0.5f, 1.0f, -1.0f, 1.7f, -3.0f}, 22050, 16);
    ASSERT_EQ(b.size(), 44u + 14u);
    std::vector<int> got;
    for (std::size_t at = 44; at < b.size(); at += 2) got.push_back(static_cast<std::int16_t>(b[at] | b[at + 1] << 8));
    EXPECT_EQ(got, std::vector<int>({0, 16384, -16384, 32767, -32767, 32767, -32767}));
    b = wav_bytes({0.0f, 1.0f, -1.0f}, 44100, 8);
    ASSERT_EQ(b.size(), 44u + 4u); // three bytes of data and one of padding
    EXPECT_EQ(std::vector<int>(b.begin() + 40, b.begin() + 47), std::vector<int>({3, 0, 0, 0, 128, 255, 1}));
    EXPECT_EQ(b[4] | b[5] << 8, static_cast<int>(b.size() - 8));
}

const char *kJump = "rate 22050\nbits 16\nlength 0.2\nlayer square\npitch 200 800\nenvelope 0.005 1  0.2 0\n";

TEST(SoundFiles, TheGameLoadsWhatTheToolWrites) {
    TempDir dir(true);
    testing_support::make_dirs(dir.file("sfx"));
    testing_support::write_file(dir.file("jump.sfx"), std::string(kJump));
    std::string error;
    ASSERT_TRUE(make_sound_file(dir.file("jump.sfx"), dir.file("sfx/jump.wav"), error)) << error;
    OwnedSample s(data_load_wav("SFX/jump.wav"));
    ASSERT_TRUE(s);
    EXPECT_EQ(std::vector<long>({s->bits, s->stereo, s->freq, static_cast<long>(s->len)}),
              std::vector<long>({16, 0, 22050, 4410}));
    // Allegro keeps 16-bit samples unsigned: silence is 0x8000.
    const unsigned short *d = static_cast<const unsigned short *>(s->data);
    EXPECT_NEAR(d[0], 0x8000, 64);
    EXPECT_NEAR(d[s->len - 1], 0x8000, 64);
    EXPECT_GT(*std::max_element(d, d + s->len) - *std::min_element(d, d + s->len), 40000);

    std::string eight_bit = kJump;
    eight_bit.replace(eight_bit.find("bits 16"), 7, "bits 8");
    testing_support::write_file(dir.file("jump.sfx"), eight_bit);
    ASSERT_TRUE(make_sound_file(dir.file("jump.sfx"), dir.file("sfx/salto.wav"), error)) << error;
    OwnedSample eight(data_load_wav("SFX/salto.wav"));
    ASSERT_TRUE(eight);
    EXPECT_EQ(eight->bits, 8);
    EXPECT_EQ(eight->len, 4410u);
}

TEST(SfxCommand, ReportsTheFaultAndWritesNothingOrAWav) {
    TempDir dir;
    const std::string tool = VESPERTIL_SFX_TOOL;
    auto run = [&](const std::string &recipe, const std::string &out) {
        testing_support::write_file(dir.file("t.sfx"), recipe);
        int status = std::system((tool + " " + dir.file("t.sfx") + " " + dir.file(out) + " 2>" + dir.file("err.txt")).c_str());
        auto err = testing_support::read_file(dir.file("err.txt"));
        return std::make_pair(status, std::string(err.begin(), err.end()));
    };
    auto broken = run("length 0.2\nlayer sine\npitch 99999\n", "out.wav");
    EXPECT_NE(broken.first, 0);
    EXPECT_NE(broken.second.find("t.sfx:3: pitch 99999 Hz is out of range"), std::string::npos) << broken.second;
    auto silent = run("length 0.2\nlayer sine\ngain 0\n", "out.wav");
    EXPECT_NE(silent.first, 0);
    EXPECT_NE(silent.second.find("t.sfx: the recipe makes no sound"), std::string::npos) << silent.second;
    EXPECT_EQ(testing_support::dir_entries(dir.path()), (std::vector<std::string>{"err.txt", "t.sfx"}));
    testing_support::write_file(dir.file("old.wav"), std::string("older"));
    EXPECT_NE(run("length 0.2\nlayer sine\ngain loud\n", "old.wav").first, 0);
    EXPECT_EQ(testing_support::read_file(dir.file("old.wav")).size(), 5u);
    EXPECT_EQ(run(kJump, "ok.wav").first, 0);
    EXPECT_EQ(testing_support::read_file(dir.file("ok.wav")).size(), 44u + 8820u);
    EXPECT_NE(std::system((tool + " 2>/dev/null").c_str()), 0);
}

}  // namespace
