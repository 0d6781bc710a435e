// Checks of the game's generated samples, loaded the way the game loads them (by
// the names it uses, through its path resolver and Allegro): length, format,
// level, exactly their header and sound in each file, and no other sample.
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

struct GameSample {
    const char *name;  // as the game opens it
    double min_seconds, max_seconds;
};

constexpr GameSample kSamples[] = {
    {"sfx/mirvane.wav", 2.0, 3.0},  // logo jingle
    {"sfx/ting.wav", 0.05, 0.3},    // menu move
    {"sfx/go.wav", 0.1, 0.6},       // menu confirm
    {"sfx/back.wav", 0.1, 0.6},     // menu cancel
    {"SFX/info.wav", 1.0, 3.0},         // level-intro panel, looped
    {"sfx/energia.wav", 0.1, 0.6},  // refill
    {"sfx/salto.wav", 0.1, 0.6},    // jump
    {"sfx/palanca.wav", 0.1, 0.6},  // switch
    {"sfx/caer.wav", 0.1, 0.6},     // falling
    {"sfx/enemigo.wav", 0.1, 0.6},  // enemy contact
    {"sfx/suelo.wav", 0.1, 0.6},    // landing
    {"sfx/lluvia1.wav", 1.5, 3.0},      // rain, upper rows
    {"sfx/lluvia2.wav", 1.5, 3.0},      // rain, bottom row
    {"sfx/trueno.wav", 2.0, 3.0},   // thunder
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
