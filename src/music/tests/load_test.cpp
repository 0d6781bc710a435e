// Loading module files: the accepted formats are recognised by their contents and
// found through the data-path resolver; damaged, foreign and oversized files give
// null without a crash.
#include "music_test_support.h"

#include "music/music_private.h"

#include <xmp.h>

#include <unistd.h>

#include <cstring>

namespace {

using namespace music_test;
using module_builder::Bytes;
using module_builder::build_mod;
using module_builder::build_xm;
using module_builder::half_sounding_song;
using module_builder::wrap_in_unreal_package;

// What the module check alone says of a file, before libxmp is asked.
bool acceptable(const Bytes &b) {
    return module_file_acceptable(b.data(), static_cast<long>(b.size()));
}

// Deterministic noise, so a failure can be repeated.
Bytes random_bytes(std::size_t size, uint32_t seed) {
    Bytes b(size);
    for (unsigned char &c : b) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<unsigned char>(seed >> 24);
    }
    return b;
}

// The name libxmp gives the loader that would read `bytes`, or "" for none.
std::string libxmp_format(const Bytes &bytes) {
    xmp_test_info info;
    if (xmp_test_module_from_memory(bytes.data(), static_cast<long>(bytes.size()), &info) != 0) return "";
    return info.type;
}

TEST_F(MusicTest, GameStylePathsFindTheModule) {
    testing_support::write_file("sfx/menu.xm", build_xm(half_sounding_song()));
    EXPECT_TRUE(ModulePtr(music_load("sfx\\menu.xm")));
    EXPECT_TRUE(ModulePtr(music_load("SFX\\MENU.XM")));
    EXPECT_FALSE(ModulePtr(music_load("sfx\\absent.xm")));
    EXPECT_FALSE(ModulePtr(music_load("")));
    EXPECT_FALSE(ModulePtr(music_load(nullptr)));
    EXPECT_FALSE(ModulePtr(music_load("sfx"))); // a directory
}

TEST_F(MusicTest, FormatComesFromTheContentsNotTheName) {
    EXPECT_TRUE(load(build_xm(half_sounding_song()), "sfx/tune.mod"));
    EXPECT_TRUE(load(build_mod("M.K."), "sfx/tune.xm"));
}

TEST_F(MusicTest, ModSignaturesDecide) {
    EXPECT_TRUE(load(build_mod("M.K.")));
    EXPECT_TRUE(load(build_mod("M!K!")));
    EXPECT_TRUE(load(build_mod("FLT4")));
    EXPECT_TRUE(load(build_mod("4CHN")));
    EXPECT_FALSE(load(build_mod("XYZW")));
    EXPECT_FALSE(load(build_mod("m.k.")));
}

TEST_F(MusicTest, LoadedModAndWrappedXmPlay) {
    ModulePtr mod = load(build_mod("M.K."), "sfx/a.mod");
    ModulePtr wrapped = load(wrap_in_unreal_package(build_xm(half_sounding_song())), "sfx/b.umx");
    ASSERT_TRUE(mod);
    ASSERT_TRUE(wrapped);
    music_play(mod.get(), 1);
    EXPECT_GT(render(0.5).peak(), kAudible);
    music_play(wrapped.get(), 1);
    EXPECT_GT(render(0.5).peak(), kAudible);
}

TEST_F(MusicTest, FormatsOutsideTheGamesAreRefused) {
    // libxmp itself would read this signature-less 15-sample Soundtracker module.
    const Bytes soundtracker = build_mod(nullptr, 15);
    ASSERT_EQ(libxmp_format(soundtracker), "Soundtracker");
    EXPECT_FALSE(load(soundtracker));
}

TEST_F(MusicTest, EmptyFileGivesNull) { EXPECT_FALSE(load(Bytes())); }

TEST_F(MusicTest, EveryTruncationOfAnXmGivesNull) {
    const Bytes whole = build_xm(half_sounding_song());
    ASSERT_TRUE(load(whole));
    EXPECT_TRUE(acceptable(whole));
    for (std::size_t size = 1; size < whole.size(); ++size) {
        const Bytes cut(whole.begin(), whole.begin() + size);
        EXPECT_FALSE(acceptable(cut)) << "the check alone, cut at " << size;
        EXPECT_FALSE(load(cut)) << "cut at " << size;
    }
}

TEST_F(MusicTest, CorruptXmHeaderGivesNull) {
    Bytes too_many_patterns = build_xm(half_sounding_song());
    too_many_patterns[70] = 0x2c; // 300 patterns
    too_many_patterns[71] = 0x01;
    EXPECT_FALSE(load(too_many_patterns));

    Bytes huge_sample = build_xm(half_sounding_song());
    const std::size_t sample_length_at = huge_sample.size() - 32 - 40; // last sample header
    ASSERT_EQ(huge_sample[sample_length_at], 32);
    huge_sample[sample_length_at + 3] = 0x7f; // about 2 GB of sample data declared
    EXPECT_FALSE(load(huge_sample));
}

// An instrument's header holds at least its size, name, type and sample count (29
// bytes), and an instrument holds at most 32 samples; one that claims otherwise is
// refused by the module check itself, before libxmp reads it, even when every byte it
// declares is in the file.
TEST_F(MusicTest, InstrumentsOutsideTheFormatsBoundsAreRefused) {
    const Bytes whole = build_xm(half_sounding_song());
    // The one instrument: a 263-byte header, one 40-byte sample header, 32 bytes of wave.
    const std::size_t instrument = whole.size() - 32 - 40 - 263;
    ASSERT_EQ(whole[instrument], 7); // 263 = 0x107
    ASSERT_EQ(whole[instrument + 27], 1);

    // 33 samples, the 32 extra ones empty (length 0) and present.
    Bytes many = whole;
    many[instrument + 27] = 33;
    many.insert(many.begin() + static_cast<long>(instrument + 263 + 40), 32 * 40, 0);
    EXPECT_FALSE(acceptable(many)) << "33 samples";
    EXPECT_FALSE(load(many));
    Bytes most = whole;
    most[instrument + 27] = 32;
    most.insert(most.begin() + static_cast<long>(instrument + 263 + 40), 31 * 40, 0);
    EXPECT_TRUE(acceptable(most)) << "32 samples";
    EXPECT_TRUE(load(most));

    // A header size below the fixed part, with the file long enough either way.
    Bytes short_header = whole;
    short_header[instrument] = 28;
    short_header[instrument + 1] = 0;
    short_header.insert(short_header.end(), 4096, 0);
    EXPECT_FALSE(acceptable(short_header)) << "a 28-byte instrument header";
    EXPECT_FALSE(load(short_header));

    // The smallest instrument: its 29-byte fixed part and no samples.
    Bytes smallest(whole.begin(), whole.begin() + static_cast<long>(instrument + 29));
    smallest[instrument] = 29;
    smallest[instrument + 1] = 0;
    smallest[instrument + 27] = 0;
    EXPECT_TRUE(acceptable(smallest)) << "a 29-byte instrument without samples";
}

// A sample of no length stores only its header, so a module whose last sample is
// empty ends on the last byte of that header: it is whole, and one byte less is not.
TEST_F(MusicTest, ModuleEndingOnAnEmptySamplesHeaderIsWhole) {
    Bytes b = build_xm(half_sounding_song());
    b.resize(b.size() - 32); // the wave
    const std::size_t header = b.size() - 40;
    ASSERT_EQ(b[header], 32);
    for (int i = 0; i < 12; ++i) b[header + i] = 0; // length, loop start and loop length 0
    EXPECT_TRUE(acceptable(b));
    b.pop_back();
    EXPECT_FALSE(acceptable(b));
}

// A packed (ADPCM) sample stores a 16-byte table and half a byte a point, rounded up:
// 33 points take 33 bytes, and a module one byte shorter is not whole.
TEST_F(MusicTest, PackedSamplesTakeATableAndHalfAByteAPoint) {
    Bytes b = build_xm(half_sounding_song());
    const std::size_t header = b.size() - 32 - 40;
    ASSERT_EQ(b[header], 32);
    b[header] = 33;
    for (int i = 4; i < 12; ++i) b[header + i] = 0; // no loop
    b[header + 14] = 0;
    b[header + 17] = 0xad;
    b.push_back(0); // 16 + 17 bytes of packed data
    EXPECT_TRUE(acceptable(b));
    b.pop_back();
    EXPECT_FALSE(acceptable(b));
}

// A module of no channels is refused: libxmp played one whose order named a pattern
// it lacks for ever, never filling the buffer (found by the module fuzz target; the
// file is fuzz/corpus/module/xm_no_channels_plays_for_ever.xm).
TEST_F(MusicTest, AModuleWithoutChannelsIsRefused) {
    Bytes b = build_xm(half_sounding_song());
    ASSERT_TRUE(acceptable(b));
    b[68] = b[69] = 0;
    EXPECT_FALSE(acceptable(b));
    EXPECT_FALSE(load(b));
}

TEST_F(MusicTest, RandomBytesGiveNull) {
    const std::size_t sizes[] = {1, 17, 80, 600, 1084, 4096, 70000};
    uint32_t seed = 1;
    for (std::size_t size : sizes) {
        for (int i = 0; i < 8; ++i, ++seed) {
            Bytes noise = random_bytes(size, seed);
            EXPECT_FALSE(load(noise)) << size << " bytes, seed " << seed;
            // The same noise behind an Extended Module signature and header.
            Bytes fake = build_xm(half_sounding_song());
            fake.resize(80);
            fake.insert(fake.end(), noise.begin(), noise.end());
            EXPECT_FALSE(load(fake)) << size << " bytes after a header, seed " << seed;
        }
    }
}

TEST_F(MusicTest, FilesAboveTheSizeLimitAreRefused) {
    Bytes padded = build_xm(half_sounding_song());
    testing_support::write_file("sfx/big.xm", padded);
    // Trailing padding is harmless; the limit is on the file's size alone.
    ASSERT_EQ(truncate("sfx/big.xm", kMusicMaxFileBytes), 0);
    EXPECT_TRUE(ModulePtr(music_load("sfx/big.xm")));
    ASSERT_EQ(truncate("sfx/big.xm", kMusicMaxFileBytes + 1), 0);
    EXPECT_FALSE(ModulePtr(music_load("sfx/big.xm")));
}

} // namespace
