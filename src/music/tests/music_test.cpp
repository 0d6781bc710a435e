// The module player as a player hears it, on modules written by the module
// compiler's XM writer, rendered without sound output in a fresh working directory:
// the formats the game accepts, recognised from the contents (never the name), load
// and play, and other, damaged or oversized files give null; a module sounds, keeps
// its pace, loops or ends as asked, follows the volume at once; play, stop, destroy
// and removing the player act at once; without the digital sound system nothing
// plays. Any file at all keeps the promises of fuzz/promises (a file the check
// refuses is never loaded; one that loads plays, stops and is freed cleanly), over
// the seeds in fuzz/corpus/module/.
#include "music/music.h"
#include "music/music_private.h"
#include "music/music_render.h"
#include "music/tests/module_builder.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using module_builder::Bytes;
using module_builder::build_xm;
using module_builder::half_sounding_song;

struct ModuleDeleter {
    void operator()(MusicModuleData *m) const { music_destroy(m); }
};
typedef std::unique_ptr<MusicModuleData, ModuleDeleter> ModulePtr;

// Rendered stereo sound and where in it a stretch of time lies.
struct Sound {
    std::vector<int16_t> samples; // interleaved left, right

    static std::size_t index(double seconds) {
        return static_cast<std::size_t>(seconds * kMusicRate) * kMusicChannels;
    }
    // Largest absolute sample between the two times.
    int peak(double from, double to) const {
        int best = 0;
        for (std::size_t i = index(from); i < index(to) && i < samples.size(); ++i)
            best = std::max(best, std::abs(static_cast<int>(samples[i])));
        return best;
    }
    int peak() const { return peak(0, 1e9); }
};

// Renders `seconds` of the playing module in the stream's 1024-frame pieces, as the
// sound feeder does.
Sound render(double seconds) {
    constexpr int kPiece = 1024;
    Sound sound;
    const int frames = static_cast<int>(seconds * kMusicRate);
    sound.samples.resize(static_cast<std::size_t>(frames) * kMusicChannels);
    for (int done = 0; done < frames; done += kPiece)
        music_render(sound.samples.data() + static_cast<std::size_t>(done) * kMusicChannels,
                     std::min(kPiece, frames - done));
    return sound;
}

// A sample value above this is sound; the test instruments peak in the thousands.
constexpr int kAudible = 500;

class MusicTest : public ::testing::Test {
protected:
    testing_support::TempDir dir{true};

    void SetUp() override {
        music_install_without_output();
        music_set_volume(128);
        testing_support::make_dirs("sfx");
    }
    void TearDown() override {
        music_stop();
        music_remove();
        music_set_volume(128);
    }

    // Writes `bytes` as `path` (relative to the working directory) and loads it.
    static ModulePtr load(const Bytes &bytes, const std::string &path = "sfx/test.xm") {
        testing_support::write_file(path, bytes);
        return ModulePtr(music_load(path.c_str()));
    }
};

// The module seeds of the fuzz target, beside this file in the source tree.
Bytes corpus_file(const char *name) {
    const std::string here = __FILE__;
    return testing_support::read_file(here.substr(0, here.rfind('/')) + "/../../../fuzz/corpus/module/" + name);
}

// Each loaded under a name that says nothing of its format; a Sound Tracker module
// of 15 samples is refused, though libxmp would read it.
TEST_F(MusicTest, TheGamesFormatsPlayAndOthersAreRefused) {
    for (const char *file : {"tiny.xm", "four_channels.mod", "signature_mk_bang.mod", "signature_flt4.mod",
                             "signature_4chn.mod", "xm_in_unreal_package.umx"}) {
        ModulePtr m = load(corpus_file(file), "sfx/module.xm");
        ASSERT_TRUE(m) << file;
        music_play(m.get(), 1);
        EXPECT_GT(render(0.5).peak(), kAudible) << file;
    }
    for (const char *file : {"signature_unknown.mod", "signature_lower_case.mod", "soundtracker_15_samples.mod",
                             "xm_no_channels_plays_for_ever.xm"})
        EXPECT_FALSE(load(corpus_file(file), "sfx/module.xm")) << file;
}

// An Extended Module must hold every pattern, instrument and sample it declares,
// each within the format's bounds; the check judges that before libxmp reads it.
TEST_F(MusicTest, AnExtendedModuleIsWholeOrRefused) {
    const Bytes whole = build_xm(half_sounding_song());
    // The one instrument: a 263-byte header, one 40-byte sample header, 32 points of
    // 16-bit wave.
    const long wave = 64;
    const std::size_t instrument = whole.size() - wave - 40 - 263, sample = whole.size() - wave - 40;
    ASSERT_EQ(whole[instrument], 7);
    ASSERT_EQ(whole[sample], wave);
    auto insert_empty_samples = [=](Bytes &b, int n) {
        b[instrument + 27] = static_cast<unsigned char>(1 + n);
        b.insert(b.begin() + static_cast<long>(sample + 40), static_cast<std::size_t>(n) * 40, 0);
    };
    auto pack = [=](Bytes &b) {
        b[sample] = 65; // points, no loop, 8 bits, packed
        std::fill(&b[sample + 4], &b[sample + 12], 0);
        b[sample + 14] = 0;
        b[sample + 17] = 0xad;
    };
    const struct {
        const char *what;
        std::function<void(Bytes &)> change;
        bool whole;
    } rows[] = {
        {"as built", [](Bytes &) {}, true},
        {"300 patterns", [](Bytes &b) { b[70] = 0x2c, b[71] = 0x01; }, false},
        {"2 GB of sample", [=](Bytes &b) { b[sample + 3] = 0x7f; }, false},
        {"no channels", [](Bytes &b) { b[68] = b[69] = 0; }, false},
        {"32 samples", [=](Bytes &b) { insert_empty_samples(b, 31); }, true},
        {"33 samples", [=](Bytes &b) { insert_empty_samples(b, 32); }, false},
        {"a 28-byte instrument header", [=](Bytes &b) { b[instrument] = 28, b[instrument + 1] = 0, b.resize(b.size() + 4096); }, false},
        {"a 29-byte instrument without samples", [=](Bytes &b) { b.resize(instrument + 29), b[instrument] = 29, b[instrument + 1] = 0, b[instrument + 27] = 0; }, true},
        // A sample of no length stores only its header.
        {"an empty last sample", [=](Bytes &b) { b.resize(b.size() - wave), std::fill(&b[sample], &b[sample + 12], 0); }, true},
        {"an empty last sample, a byte short", [=](Bytes &b) { b.resize(b.size() - wave - 1), std::fill(&b[sample], &b[sample + 12], 0); }, false},
        // A packed sample: a 16-byte table and half a byte a point, rounded up: 65
        // points take 49 bytes, where unpacked they would take 65.
        {"65 packed points", [=](Bytes &b) { pack(b), b.resize(b.size() - wave + 49); }, true},
        {"65 packed points, a byte short", [=](Bytes &b) { pack(b), b.resize(b.size() - wave + 48); }, false},
    };
    for (const auto &r : rows) {
        Bytes b = whole;
        r.change(b);
        EXPECT_EQ(module_file_acceptable(b.data(), static_cast<long>(b.size())), r.whole) << r.what;
    }
    EXPECT_TRUE(load(whole));
    for (std::size_t size = 1; size < whole.size(); ++size) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(size));
        EXPECT_FALSE(module_file_acceptable(cut.data(), static_cast<long>(size))) << "the check, cut at " << size;
        EXPECT_FALSE(load(cut)) << "cut at " << size;
    }
}

TEST_F(MusicTest, FilesAboveTheSizeLimitAreRefused) {
    testing_support::write_file("sfx/big.xm", build_xm(half_sounding_song()));
    // Trailing padding is harmless; the limit is on the file's size alone.
    ASSERT_EQ(truncate("sfx/big.xm", kMusicMaxFileBytes), 0);
    EXPECT_TRUE(ModulePtr(music_load("sfx/big.xm")));
    ASSERT_EQ(truncate("sfx/big.xm", kMusicMaxFileBytes + 1), 0);
    EXPECT_FALSE(ModulePtr(music_load("sfx/big.xm")));
}


// The half-sounding song: a note from 0 to 0.96 s, silence to its end at 1.92 s.
constexpr double kNoteEnd = 0.96;
constexpr double kSongEnd = 1.92;
constexpr double kMargin = 0.04;

TEST_F(MusicTest, ASongSoundsKeepsItsPaceAndLoopsOrEnds) {
    ModulePtr song = load(build_xm(half_sounding_song()));
    ASSERT_TRUE(song);
    music_play(song.get(), 1);
    Sound looped = render(2 * kSongEnd + 0.5);
    EXPECT_GT(looped.peak(0, kNoteEnd - kMargin), kAudible);
    EXPECT_EQ(looped.peak(kNoteEnd + kMargin, kSongEnd - kMargin), 0);
    EXPECT_GT(looped.peak(kSongEnd + kMargin, kSongEnd + kNoteEnd - kMargin), kAudible);
    EXPECT_GT(looped.peak(2 * kSongEnd + kMargin, 2 * kSongEnd + 0.5), kAudible);

    music_play(song.get(), 0);
    Sound once = render(2 * kSongEnd + 0.5);
    EXPECT_GT(once.peak(0, kNoteEnd - kMargin), kAudible);
    EXPECT_EQ(once.peak(kNoteEnd + kMargin, 2 * kSongEnd + 0.5), 0);
}

TEST_F(MusicTest, VolumeScalesTheSoundAtOnceWithinItsRange) {
    ModulePtr song = load(build_xm(half_sounding_song()));
    ASSERT_TRUE(song);
    music_set_volume(128);
    music_play(song.get(), 1);
    const int half = render(0.1).peak();
    ASSERT_GT(half, kAudible);
    const struct {
        int volume;
        double ratio; // of the peak at 128
    } rows[] = {{64, 0.5}, {255, 255.0 / 128}, {1000, 255.0 / 128}, {0, 0}, {-5, 0}, {128, 1}}; // within the note
    for (const auto &r : rows) {
        music_set_volume(r.volume); // while playing: from the very next piece
        EXPECT_NEAR(render(0.1).peak() / static_cast<double>(half), r.ratio, 0.04) << r.volume;
    }
}

TEST_F(MusicTest, PlayStopAndDestroyActAtOnce) {
    module_builder::XmSong quiet = half_sounding_song();
    quiet.amplitude = 25;
    ModulePtr loud = load(build_xm(half_sounding_song()), "sfx/loud.xm");
    ModulePtr soft = load(build_xm(quiet), "sfx/quiet.xm");
    ASSERT_TRUE(loud && soft);
    music_play(loud.get(), 1);
    const Sound first = render(0.3);
    render(1.0); // now in the silent half
    music_play(loud.get(), 1);
    EXPECT_EQ(render(0.3).samples, first.samples) << "play starts from the beginning";
    music_play(soft.get(), 1);
    EXPECT_NEAR(render(0.3).peak() / static_cast<double>(first.peak()), 0.25, 0.03) << "play replaces";
    music_stop();
    EXPECT_EQ(render(0.3).peak(), 0);
    music_play(nullptr, 1);
    EXPECT_EQ(render(0.1).peak(), 0);
    music_play(loud.get(), 1);
    soft.reset(); // not the one playing: the music goes on
    EXPECT_GT(render(0.2).peak(), kAudible);
    loud.reset();
    EXPECT_EQ(render(0.3).peak(), 0);
}

// The test programs start Allegro without any sound system, as a machine without a
// sound card leaves it: the player does not install, and until it is installed
// every operation is harmless and silent.
TEST_F(MusicTest, WithoutThePlayerNothingPlays) {
    ModulePtr song = load(build_xm(half_sounding_song()));
    music_play(song.get(), 1);
    ASSERT_GT(render(0.1).peak(), kAudible);
    music_remove();
    EXPECT_EQ(render(0.1).peak(), 0);
    ASSERT_EQ(digi_driver->id, DIGI_NONE);
    for (int voices : {32, 1, 0, 65, -32}) EXPECT_EQ(music_install(voices), -1) << voices;
    EXPECT_FALSE(ModulePtr(music_load("sfx/test.xm")));
    music_play(song.get(), 1);
    music_set_volume(200);
    music_stop();
    music_destroy(nullptr);
    EXPECT_EQ(render(0.1).peak(), 0);
    song.reset(); // still destroyed cleanly
}

} // namespace
