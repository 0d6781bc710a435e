// The module player as a player hears it, on modules written by the module compiler's
// XM writer, rendered without sound output in a fresh working directory: the formats
// the game accepts, recognised from the contents (never the name), load and play up to
// 16 MiB, and other, damaged or larger files give null; a session's loudness as a
// golden screen (tests/goldens/music_tests.txt): a module sounds, keeps its pace, loops
// or ends as asked, follows the volume at once, and play and destroy act at once;
// without the digital sound system nothing plays. Any file at all keeps the promises of
// fuzz/promises (a file the check refuses is never loaded; one that loads plays, stops
// and is freed cleanly, and is silent once stopped or freed), over the seeds in
// fuzz/corpus/module/.
#include "core/tests/case_rows.h"
#include "music/music.h"
#include "music/music_private.h"
#include "music/music_render.h"
#include "music/tests/module_builder.h"
#include "support/golden_screen.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
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

// Rendered stereo sound, left and right interleaved.
typedef std::vector<int16_t> Sound;

// The largest absolute sample of `sound` between the two times, in seconds.
int peak(const Sound &sound, double from = 0, double to = 1e6) {
    const auto at = [](double s) { return static_cast<std::size_t>(s * kMusicRate) * kMusicChannels; };
    int best = 0;
    for (std::size_t i = at(from); i < at(to) && i < sound.size(); ++i)
        best = std::max(best, std::abs(static_cast<int>(sound[i])));
    return best;
}

// Renders `seconds` of the playing module in the stream's 1024-frame pieces, as the
// sound feeder does.
Sound render(double seconds) {
    constexpr int kPiece = 1024;
    const int frames = static_cast<int>(seconds * kMusicRate);
    Sound sound(static_cast<std::size_t>(frames) * kMusicChannels);
    for (int done = 0; done < frames; done += kPiece)
        music_render(sound.data() + static_cast<std::size_t>(done) * kMusicChannels,
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
    }

    // Writes `bytes` as `path` (relative to the working directory) and loads it.
    static ModulePtr load(const Bytes &bytes, const std::string &path = "sfx/test.xm") {
        testing_support::write_file(path, bytes);
        return ModulePtr(music_load(path.c_str()));
    }
};

// The module seeds of the fuzz target.
Bytes corpus_file(const char *name) {
    return testing_support::read_file(testing_support::corpus_dir() + "/module/" + name);
}

// Each loaded under a name that says nothing of its format; a Sound Tracker module
// of 15 samples is refused, though libxmp would read it.
TEST_F(MusicTest, TheGamesFormatsPlayAndOthersAreRefused) {
    for (const char *file : {"tiny.xm", "four_channels.mod", "signature_mk_bang.mod", "signature_flt4.mod",
                             "signature_4chn.mod", "xm_in_unreal_package.umx"}) {
        ModulePtr m = load(corpus_file(file), "sfx/module.xm");
        ASSERT_TRUE(m) << file;
        music_play(m.get(), 1);
        EXPECT_GT(peak(render(0.5)), kAudible) << file;
    }
    for (const char *file : {"signature_unknown.mod", "signature_lower_case.mod", "soundtracker_15_samples.mod",
                             "xm_no_channels_plays_for_ever.xm"})
        EXPECT_FALSE(load(corpus_file(file), "sfx/module.xm")) << file;
    // A module padded to 16 MiB, the largest file the player reads, loads; a byte more
    // is refused.
    Bytes padded = corpus_file("four_channels.mod");
    padded.resize(16 << 20);
    EXPECT_TRUE(load(padded));
    padded.push_back(0);
    EXPECT_FALSE(load(padded));
}

// The offset a word of xm_check.txt names: a number, or one counted from the
// instrument header ("i+N"), the sample header ("s+N") or the end ("end-N").
long offset(const std::string &word, long instrument, long sample, long end) {
    if (std::isdigit(static_cast<unsigned char>(word[0]))) return case_rows::number(word);
    const long base = word[0] == 'i' ? instrument : word[0] == 's' ? sample : end;
    return base + std::stol(word.substr(word.find_first_of("+-")));
}

// An Extended Module must hold every pattern, instrument and sample it declares,
// each within the format's bounds; the check judges that before libxmp reads it.
TEST_F(MusicTest, AnExtendedModuleIsWholeOrRefused) {
    const Bytes whole = build_xm(half_sounding_song());
    const long end = static_cast<long>(whole.size()), sample = end - 64 - 40, instrument = sample - 263;
    ASSERT_EQ(whole[instrument], 7);
    ASSERT_EQ(whole[sample], 64);
    for (const case_rows::Words &row : case_rows::read(__FILE__, "xm_check.txt")) {
        Bytes b = whole;
        for (std::size_t k = 1; k < row.size(); ++k) {
            const std::string left = row[k].substr(0, row[k].find('=')), right = row[k].substr(left.size() + 1);
            const std::size_t star = right.find('*');
            const long count = star == std::string::npos ? 1 : case_rows::number(right.substr(star + 1));
            const long at = offset(left == "size" || left == "insert" ? right : left, instrument, sample, end);
            if (left == "size") b.resize(static_cast<std::size_t>(at));
            else if (left == "insert") b.insert(b.begin() + at, static_cast<std::size_t>(count), 0);
            else std::fill_n(b.begin() + at, count, static_cast<unsigned char>(case_rows::number(right)));
        }
        EXPECT_EQ(module_file_acceptable(b.data(), static_cast<long>(b.size())), row[0] == "take")
            << case_rows::text(row);
    }
    for (std::size_t size = 1; size < whole.size(); ++size) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(size));
        EXPECT_FALSE(module_file_acceptable(cut.data(), static_cast<long>(size))) << "cut at " << size;
    }
}

// The sound's loudness as a picture, so that a golden screen holds a whole session: a
// column for each hundredth of a second, as tall as its loudest sample over 32.
OwnedBitmap loudness(const Sound &sound) {
    const int columns = static_cast<int>(sound.size() / (kMusicRate / 100 * kMusicChannels));
    OwnedBitmap picture = testing_support::make_bitmap(32, columns, 256);
    clear_to_color(picture.get(), makecol32(0, 0, 0));
    for (int x = 0; x < columns; ++x) {
        const int h = std::min(256, peak(sound, x / 100.0, (x + 1) / 100.0) / 32);
        if (h > 0) vline(picture.get(), x, 256 - h, 255, makecol32(255, 255, 255));
    }
    return picture;
}

// A session as a player hears it. The half-sounding song (a note from 0 to 0.96 s,
// silence to its end at 1.92 s) loops, then plays once, silent after its note; the
// volume set while it plays takes from the very next piece and stays within its
// range (64, 255, past the top, 0, below 0, then 128 again, a tenth of a second
// each); play starts the song afresh from its silent half, and replaces it with one
// a quarter as loud; nothing plays after a null module; the song plays on while
// another module is destroyed.
TEST_F(MusicTest, ASessionAsAPlayerHearsIt) {
    module_builder::XmSong quiet = half_sounding_song();
    quiet.amplitude = 25;
    ModulePtr song = load(build_xm(half_sounding_song()), "sfx/loud.xm");
    ModulePtr soft = load(build_xm(quiet), "sfx/quiet.xm");
    ASSERT_TRUE(song && soft);
    Sound heard;
    const auto hear = [&heard](double seconds) {
        const Sound more = render(seconds);
        heard.insert(heard.end(), more.begin(), more.end());
    };
    for (int loop : {1, 0}) {
        music_play(song.get(), loop);
        hear(4.34);
    }
    music_play(song.get(), 1);
    for (int volume : {64, 255, 1000, 0, -5, 128}) {
        music_set_volume(volume);
        hear(0.1);
    }
    hear(0.6);
    for (MusicModuleData *m : {song.get(), soft.get(), static_cast<MusicModuleData *>(nullptr)}) {
        music_play(m, 1);
        hear(0.3);
    }
    music_play(song.get(), 1);
    soft.reset();
    hear(0.3);
    EXPECT_TRUE(testing_support::golden_screen("music_session", loudness(heard).get()));
}

// The test programs start Allegro without any sound system, as a machine without a
// sound card leaves it: the player does not install, and a module loaded before the
// player went away is still destroyed cleanly.
TEST_F(MusicTest, WithoutASoundSystemThePlayerDoesNotInstall) {
    ModulePtr song = load(build_xm(half_sounding_song()));
    music_remove();
    ASSERT_EQ(digi_driver->id, DIGI_NONE);
    EXPECT_EQ(music_install(32), -1);
    song.reset();
}

} // namespace
