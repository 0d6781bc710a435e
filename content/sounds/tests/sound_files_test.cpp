// Checks of the game's generated samples, loaded the way the game loads them (by
// the names it uses, through its path resolver and Allegro): length, format,
// level, clean ends, seamless loops, exactly their header and sound in each file,
// no other sample, and a rough check that each sounds like what it stands for.
#include "core/paths.h"

#include <allegro.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

enum class Kind { one_shot, loop };

struct GameSample {
    const char *name;  // as the game opens it
    double min_seconds, max_seconds;
    Kind kind;
};

constexpr GameSample kSamples[] = {
    {"sfx/mirvane.wav", 2.0, 3.0, Kind::one_shot},  // logo jingle
    {"sfx/ting.wav", 0.05, 0.3, Kind::one_shot},    // menu move
    {"sfx/go.wav", 0.1, 0.6, Kind::one_shot},       // menu confirm
    {"sfx/back.wav", 0.1, 0.6, Kind::one_shot},     // menu cancel
    {"SFX/info.wav", 1.0, 3.0, Kind::loop},         // level-intro panel, looped
    {"sfx/energia.wav", 0.1, 0.6, Kind::one_shot},  // refill
    {"sfx/salto.wav", 0.1, 0.6, Kind::one_shot},    // jump
    {"sfx/palanca.wav", 0.1, 0.6, Kind::one_shot},  // switch
    {"sfx/caer.wav", 0.1, 0.6, Kind::one_shot},     // falling
    {"sfx/enemigo.wav", 0.1, 0.6, Kind::one_shot},  // enemy contact
    {"sfx/suelo.wav", 0.1, 0.6, Kind::one_shot},    // landing
    {"sfx/lluvia1.wav", 1.5, 3.0, Kind::loop},      // rain, upper rows
    {"sfx/lluvia2.wav", 1.5, 3.0, Kind::loop},      // rain, bottom row
    {"sfx/trueno.wav", 2.0, 3.0, Kind::one_shot},   // thunder
};

// A sample as signed values in -1..1, whatever its depth.
struct Wave {
    std::vector<double> v;
    int rate = 0;
    int bits = 0;
    bool stereo = false;
    double seconds() const { return v.size() / static_cast<double>(rate); }
};

// The splash loads with data_load_wav, the level run its cues with data_load_sample:
// both must read every sample alike.
Wave load_with(SAMPLE *(*loader)(const char *), const char *name) {
    Wave w;
    char old[4096];
    if (!getcwd(old, sizeof old) || chdir(VESPERTIL_GAME_DIR) != 0) return w;
    SAMPLE *s = loader(name);
    if (s) {
        w.rate = s->freq;
        w.bits = s->bits;
        w.stereo = s->stereo != 0;
        w.v.resize(s->len);
        for (unsigned long i = 0; i < s->len; ++i)
            w.v[i] = s->bits == 16 ? (static_cast<const unsigned short *>(s->data)[i] - 32768) / 32768.0
                                   : (static_cast<const unsigned char *>(s->data)[i] - 128) / 128.0;
        destroy_sample(s);
    }
    if (chdir(old) != 0) w.v.clear();
    return w;
}
SAMPLE *by_wav(const char *name) { return data_load_wav(name); }
SAMPLE *by_sample(const char *name) { return data_load_sample(name); }

class GameDirectory : public testing::Test {
protected:
    static bool load(const char *name, Wave &w) {
        w = load_with(by_wav, name);
        return !w.v.empty() && !w.stereo;
    }
};

double rms(const Wave &w, std::size_t from, std::size_t to) {
    double s = 0;
    for (std::size_t i = from; i < to; ++i) s += w.v[i] * w.v[i];
    return to > from ? std::sqrt(s / (to - from)) : 0;
}

double crossings_per_second(const Wave &w, std::size_t from, std::size_t to) {
    int n = 0;
    for (std::size_t i = from; i + 1 < to; ++i)
        if (w.v[i] <= 0 && w.v[i + 1] > 0) ++n;
    return n * static_cast<double>(w.rate) / (to - from);
}

// Loudness in windows of `seconds`.
std::vector<double> loudness(const Wave &w, double seconds) {
    std::size_t step = static_cast<std::size_t>(seconds * w.rate);
    std::vector<double> out;
    for (std::size_t at = 0; at + step <= w.v.size(); at += step) out.push_back(rms(w, at, at + step));
    return out;
}

}  // namespace

TEST_F(GameDirectory, EverySampleIsMonoPcmOfItsLengthAudibleUnclippedAndCentred) {
    std::set<std::string> expected;
    for (const GameSample &g : kSamples) {
        Wave w;
        ASSERT_TRUE(load(g.name, w)) << g.name << " does not load as a mono sample";
        EXPECT_TRUE(w.rate == 22050 || w.rate == 44100) << g.name << " " << w.rate;
        EXPECT_TRUE(w.bits == 8 || w.bits == 16) << g.name;
        EXPECT_GE(w.seconds(), g.min_seconds) << g.name;
        EXPECT_LE(w.seconds(), g.max_seconds) << g.name;
        EXPECT_EQ(load_with(by_sample, g.name).v, w.v) << g.name << " read otherwise by the level";
        double peak = 0, sum = 0;
        for (double v : w.v) {
            peak = std::max(peak, std::fabs(v));
            sum += v;
        }
        EXPECT_GT(peak, 0.3) << g.name << " is too quiet";
        EXPECT_LT(peak, 0.99) << g.name << " reaches full scale";
        EXPECT_LT(std::fabs(sum / w.v.size()), 0.005) << g.name << " carries a DC offset";
        EXPECT_GT(rms(w, 0, w.v.size()), 0.03) << g.name;
        // The file holds its 44-byte header and its sound, padded to an even length.
        const std::string n = g.name, file = n.substr(n.find('/') + 1);
        const std::uintmax_t data = w.v.size() * (w.bits / 8);
        EXPECT_EQ(std::filesystem::file_size(std::string(VESPERTIL_GAME_DIR) + "/sfx/" + file), 44 + data + (data & 1))
            << g.name;
        expected.insert(file);
    }
    std::set<std::string> found;
    for (const auto &e : std::filesystem::directory_iterator(std::string(VESPERTIL_GAME_DIR) + "/sfx"))
        if (e.path().extension() == ".wav") found.insert(e.path().filename().string());
    EXPECT_EQ(found, expected) << "no other sample is made";
}

// One-shots begin and end in silence and die away; loops come round without a seam.
TEST_F(GameDirectory, NoSampleClicks) {
    for (const GameSample &g : kSamples) {
        Wave w;
        ASSERT_TRUE(load(g.name, w)) << g.name;
        const std::size_t n = w.v.size();
        if (g.kind == Kind::one_shot) {
            for (std::size_t i = 0; i < 4; ++i) {
                EXPECT_LT(std::fabs(w.v[i]), 0.01) << g.name << " starts with a click";
                EXPECT_LT(std::fabs(w.v[n - 1 - i]), 0.01) << g.name << " ends with a click";
            }
            EXPECT_LT(rms(w, n - n / 10, n), rms(w, 0, n / 2)) << g.name << " is cut off at its loudest";
            continue;
        }
        std::vector<double> steps;
        for (std::size_t i = 1; i < n; ++i) steps.push_back(std::fabs(w.v[i] - w.v[i - 1]));
        std::sort(steps.begin(), steps.end());
        EXPECT_LE(std::fabs(w.v.front() - w.v.back()), steps[steps.size() * 99 / 100])
            << g.name << ": the jump back to the start stands out";
        EXPECT_LT(std::fabs(w.v.front()), 0.05) << g.name << " starts away from zero";
    }
}

TEST_F(GameDirectory, RainIsASteadyBroadHiss) {
    for (const char *name : {"sfx/lluvia1.wav", "sfx/lluvia2.wav"}) {
        Wave w;
        ASSERT_TRUE(load(name, w)) << name;
        std::vector<double> l = loudness(w, 0.1);
        double overall = rms(w, 0, w.v.size());
        for (double x : l) EXPECT_NEAR(x, overall, overall * 0.4) << name << " swells or gaps";
        EXPECT_GT(crossings_per_second(w, 0, w.v.size()), 600) << name << " is not noise-like";
    }
}

TEST_F(GameDirectory, TheTwoRainsSoundDifferent) {
    Wave a, b;
    ASSERT_TRUE(load("sfx/lluvia1.wav", a));
    ASSERT_TRUE(load("sfx/lluvia2.wav", b));
    double za = crossings_per_second(a, 0, a.v.size()), zb = crossings_per_second(b, 0, b.v.size());
    EXPECT_GT(std::max(za, zb) / std::min(za, zb), 1.5);
}

TEST_F(GameDirectory, ThunderIsLowAndRollsAway) {
    Wave w;
    ASSERT_TRUE(load("sfx/trueno.wav", w));
    EXPECT_LT(crossings_per_second(w, w.v.size() / 5, w.v.size()), 400) << "the rumble is not deep";
    std::vector<double> l = loudness(w, 0.2);
    double loudest = *std::max_element(l.begin(), l.end());
    EXPECT_LT(l.back(), loudest * 0.2);
    // It rolls: the loudness rises again after the first crack has faded.
    auto first_peak = std::max_element(l.begin(), l.begin() + 3);
    EXPECT_GT(*std::max_element(first_peak + 2, l.end()), *(first_peak + 1));
}

TEST_F(GameDirectory, TheJumpRisesAndTheFallDrops) {
    Wave jump, fall;
    ASSERT_TRUE(load("sfx/salto.wav", jump));
    ASSERT_TRUE(load("sfx/caer.wav", fall));
    std::size_t j = jump.v.size(), f = fall.v.size();
    EXPECT_GT(crossings_per_second(jump, j * 2 / 3, j), 1.5 * crossings_per_second(jump, 0, j / 3));
    EXPECT_LT(crossings_per_second(fall, f * 2 / 3, f), 0.6 * crossings_per_second(fall, 0, f / 3));
}

TEST_F(GameDirectory, TheLandingIsAThudBelowTheMenuPings) {
    Wave thud, ting;
    ASSERT_TRUE(load("sfx/suelo.wav", thud));
    ASSERT_TRUE(load("sfx/ting.wav", ting));
    EXPECT_LT(crossings_per_second(thud, 0, thud.v.size()), 200);
    EXPECT_GT(crossings_per_second(ting, 0, ting.v.size()), 800);
}

