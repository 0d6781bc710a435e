// Tests of the WAV writer and the vespertil-sfx command: the exact header, and
// files that Allegro's own loader reads back as written.
#include "wav_file.h"

#include "core/paths.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using testing_support::TempDir;

namespace {

std::uint32_t le32(const std::vector<std::uint8_t> &b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint32_t le16(const std::vector<std::uint8_t> &b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
std::string tag(const std::vector<std::uint8_t> &b, std::size_t at) {
    return std::string(reinterpret_cast<const char *>(&b[at]), 4);
}

struct SampleDeleter {
    void operator()(SAMPLE *s) const { destroy_sample(s); }
};
using SamplePtr = std::unique_ptr<SAMPLE, SampleDeleter>;

const char *kJump =
    "rate 22050\nbits 16\nlength 0.2\nlayer square\npitch 200 800\n"
    "envelope 0.005 1  0.2 0\n";

}  // namespace

TEST(WavBytes, HeaderFieldsAreThoseOfMonoPcm) {
    std::vector<float> samples = {0.0f, 0.5f, -0.5f, 1.0f, -1.0f};
    std::vector<std::uint8_t> b = wav_bytes(samples, 22050, 16);
    ASSERT_EQ(b.size(), 44u + 10u);
    EXPECT_EQ(tag(b, 0), "RIFF");
    EXPECT_EQ(le32(b, 4), b.size() - 8);
    EXPECT_EQ(tag(b, 8), "WAVE");
    EXPECT_EQ(tag(b, 12), "fmt ");
    EXPECT_EQ(le32(b, 16), 16u);
    EXPECT_EQ(le16(b, 20), 1u);       // PCM
    EXPECT_EQ(le16(b, 22), 1u);       // mono
    EXPECT_EQ(le32(b, 24), 22050u);   // rate
    EXPECT_EQ(le32(b, 28), 44100u);   // bytes a second
    EXPECT_EQ(le16(b, 32), 2u);       // block align
    EXPECT_EQ(le16(b, 34), 16u);      // bits
    EXPECT_EQ(tag(b, 36), "data");
    EXPECT_EQ(le32(b, 40), 10u);
    EXPECT_EQ(static_cast<std::int16_t>(le16(b, 46)), 16384);  // 0.5, rounded
    EXPECT_EQ(static_cast<std::int16_t>(le16(b, 48)), -16384);
    EXPECT_EQ(static_cast<std::int16_t>(le16(b, 50)), 32767);
    EXPECT_EQ(static_cast<std::int16_t>(le16(b, 52)), -32767);
}

TEST(WavBytes, EightBitSamplesAreUnsignedAndAnOddChunkIsPadded) {
    std::vector<std::uint8_t> b = wav_bytes({0.0f, 1.0f, -1.0f}, 44100, 8);
    ASSERT_EQ(b.size(), 44u + 4u);  // three bytes of data and one of padding
    EXPECT_EQ(le32(b, 40), 3u);     // the chunk size counts the data only
    EXPECT_EQ(le32(b, 4), b.size() - 8);
    EXPECT_EQ(le16(b, 32), 1u);
    EXPECT_EQ(b[44], 128);
    EXPECT_EQ(b[45], 255);
    EXPECT_EQ(b[46], 1);
}

TEST(WavBytes, OutOfRangeValuesAreClampedNotWrapped) {
    std::vector<std::uint8_t> b = wav_bytes({1.7f, -3.0f}, 22050, 16);
    EXPECT_EQ(static_cast<std::int16_t>(le16(b, 44)), 32767);
    EXPECT_EQ(static_cast<std::int16_t>(le16(b, 46)), -32767);
}

TEST(SoundFiles, AllegroReadsWhatTheToolWrites) {
    TempDir dir;
    testing_support::write_file(dir.file("jump.sfx"), std::string(kJump));
    std::string error;
    ASSERT_TRUE(make_sound_file(dir.file("jump.sfx"), dir.file("jump.wav"), error)) << error;
    SamplePtr s(load_wav(dir.file("jump.wav").c_str()));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->bits, 16);
    EXPECT_EQ(s->stereo, 0);
    EXPECT_EQ(s->freq, 22050);
    EXPECT_EQ(s->len, 4410u);
    // Allegro keeps 16-bit samples unsigned: silence is 0x8000.
    const unsigned short *d = static_cast<const unsigned short *>(s->data);
    EXPECT_NEAR(d[0], 0x8000, 64);
    EXPECT_NEAR(d[s->len - 1], 0x8000, 64);
    unsigned short lo = 0xffff, hi = 0;
    for (unsigned long i = 0; i < s->len; ++i) {
        lo = std::min(lo, d[i]);
        hi = std::max(hi, d[i]);
    }
    EXPECT_GT(hi - lo, 40000);
}

TEST(SoundFiles, TheGameFindsThemThroughItsOwnLoader) {
    TempDir dir(true);
    testing_support::make_dirs(dir.file("sfx"));
    testing_support::write_file(dir.file("jump.sfx"), std::string(kJump) + "bits 8\n");
    std::string error;
    // "bits" after a layer is refused; the eight-bit form goes before it.
    EXPECT_FALSE(make_sound_file(dir.file("jump.sfx"), dir.file("sfx/salto.wav"), error));
    std::string eight_bit = kJump;
    eight_bit.replace(eight_bit.find("bits 16"), 7, "bits 8");
    testing_support::write_file(dir.file("jump.sfx"), eight_bit);
    ASSERT_TRUE(make_sound_file(dir.file("jump.sfx"), dir.file("sfx/salto.wav"), error)) << error;
    SamplePtr s(data_load_wav("SFX/salto.wav"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->bits, 8);
    EXPECT_EQ(s->len, 4410u);
}

TEST(SoundFiles, ABrokenRecipeWritesNothingAndLeavesAnOldFileAlone) {
    TempDir dir;
    testing_support::write_file(dir.file("bad.sfx"), std::string("length 0.2\nlayer sine\ngain loud\n"));
    std::string error;
    EXPECT_FALSE(make_sound_file(dir.file("bad.sfx"), dir.file("new.wav"), error));
    EXPECT_NE(error.find("bad.sfx:3: gain: 'loud' is not a number"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.file("new.wav")));

    testing_support::write_file(dir.file("old.wav"), std::string("older"));
    EXPECT_FALSE(make_sound_file(dir.file("bad.sfx"), dir.file("old.wav"), error));
    auto old = testing_support::read_file(dir.file("old.wav"));
    EXPECT_EQ(std::string(old.begin(), old.end()), "older");
}

TEST(SoundFiles, ASilentRecipeIsRefusedWithItsFileName) {
    TempDir dir;
    testing_support::write_file(dir.file("quiet.sfx"), std::string("length 0.2\nlayer sine\ngain 0\n"));
    std::string error;
    EXPECT_FALSE(make_sound_file(dir.file("quiet.sfx"), dir.file("quiet.wav"), error));
    EXPECT_NE(error.find("quiet.sfx: the recipe makes no sound"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.file("quiet.wav")));
}

TEST(SfxCommand, ReportsTheFaultAndFailsOnABrokenRecipe) {
    TempDir dir;
    testing_support::write_file(dir.file("bad.sfx"), std::string("length 0.2\nlayer sine\npitch 99999\n"));
    std::string cmd = std::string(VESPERTIL_SFX_TOOL) + " " + dir.file("bad.sfx") + " " +
                      dir.file("out.wav") + " 2>" + dir.file("err.txt");
    int status = std::system(cmd.c_str());
    EXPECT_NE(status, 0);
    auto err = testing_support::read_file(dir.file("err.txt"));
    std::string text(err.begin(), err.end());
    EXPECT_NE(text.find("bad.sfx:3: pitch 99999 Hz is out of range"), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.wav")));
}

TEST(SfxCommand, WritesAWavFromAGoodRecipe) {
    TempDir dir;
    testing_support::write_file(dir.file("ok.sfx"), std::string(kJump));
    std::string cmd = std::string(VESPERTIL_SFX_TOOL) + " " + dir.file("ok.sfx") + " " + dir.file("ok.wav");
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(testing_support::read_file(dir.file("ok.wav")).size(), 44u + 8820u);
    EXPECT_NE(std::system((std::string(VESPERTIL_SFX_TOOL) + " 2>/dev/null").c_str()), 0);
}
