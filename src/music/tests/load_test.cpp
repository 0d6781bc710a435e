// Loading module files: the formats the game accepts, recognised from the contents
// (never the name), load and play; other formats, damaged and oversized files give
// null. Any file at all keeps the promises of fuzz/promises (a file the check refuses
// is never loaded; one that loads plays, stops and is freed cleanly), over the seeds
// in fuzz/corpus/module/.
#include "music_test_support.h"

#include "music/music_private.h"

#include <unistd.h>

#include <functional>

namespace {

using namespace music_test;
using module_builder::Bytes;
using module_builder::build_xm;
using module_builder::half_sounding_song;

// The module seeds of the fuzz target, beside this file in the source tree.
Bytes corpus_file(const char *name) {
    const std::string here = __FILE__;
    return testing_support::read_file(here.substr(0, here.rfind('/')) + "/../../../fuzz/corpus/module/" + name);
}

// Each loaded under a name that says nothing of its format.
TEST_F(MusicTest, TheGamesFormatsPlayAndOthersAreRefused) {
    const struct {
        const char *file;
        bool plays;
    } rows[] = {
        {"tiny.xm", true},
        {"four_channels.mod", true}, // M.K.
        {"signature_mk_bang.mod", true},
        {"signature_flt4.mod", true},
        {"signature_4chn.mod", true},
        {"xm_in_unreal_package.umx", true},
        {"signature_unknown.mod", false},
        {"signature_lower_case.mod", false},
        {"soundtracker_15_samples.mod", false}, // libxmp would read it
        {"xm_no_channels_plays_for_ever.xm", false},
    };
    for (const auto &r : rows) {
        ModulePtr m = load(corpus_file(r.file), "sfx/module.xm");
        ASSERT_EQ(bool(m), r.plays) << r.file;
        if (!m) continue;
        music_play(m.get(), 1);
        EXPECT_GT(render(0.5).peak(), kAudible) << r.file;
    }
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

} // namespace
