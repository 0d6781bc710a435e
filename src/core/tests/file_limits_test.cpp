// Picture and sample headers that declare more than the game ever uses are refused
// before the library's loaders see them; sound ones pass.
#include "core/file_limits.h"
#include "core/paths.h"

#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using testing_support::TempDir;
using Bytes = std::vector<uint8_t>;

void put16(Bytes &b, std::size_t at, unsigned v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void append32(Bytes &b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void append16(Bytes &b, unsigned v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void append_tag(Bytes &b, const char *tag) { b.insert(b.end(), tag, tag + 4); }

// A PCX header (and no pixels) for a picture from (xmin, ymin) to (xmax, ymax).
Bytes pcx_header(unsigned xmin, unsigned ymin, unsigned xmax, unsigned ymax) {
    Bytes b(128, 0);
    b[0] = 10;
    b[1] = 5;
    b[2] = 1;
    b[3] = 8;
    put16(b, 4, xmin);
    put16(b, 6, ymin);
    put16(b, 8, xmax);
    put16(b, 10, ymax);
    b[65] = 1;
    return b;
}

struct Wav {
    uint16_t format = 1, channels = 1, bits = 16;
    uint32_t rate = 22050;
    uint32_t declared = 8;  // data length the header claims
    std::size_t actual = 8; // bytes of sound really there
    bool junk_first = false;
    bool data_first = false;
};

Bytes wav(const Wav &w) {
    Bytes b;
    append_tag(b, "RIFF");
    append32(b, 0);
    append_tag(b, "WAVE");
    if (w.junk_first) {
        append_tag(b, "LIST");
        append32(b, 6);
        b.insert(b.end(), 6, 'x');
    }
    Bytes data;
    append_tag(data, "data");
    append32(data, w.declared);
    data.insert(data.end(), w.actual, 0);
    if (w.data_first) b.insert(b.end(), data.begin(), data.end());
    append_tag(b, "fmt ");
    append32(b, 16);
    append16(b, w.format);
    append16(b, w.channels);
    append32(b, w.rate);
    append32(b, w.rate * w.channels * (w.bits / 8u));
    append16(b, w.channels * (w.bits / 8u));
    append16(b, w.bits);
    if (!w.data_first) b.insert(b.end(), data.begin(), data.end());
    return b;
}

TEST(PictureLimits, TheScreenIsTheLargestPicture) {
    EXPECT_TRUE(picture_size_allowed(640, 480));
    EXPECT_TRUE(picture_size_allowed(1, 1));
    EXPECT_FALSE(picture_size_allowed(641, 480));
    EXPECT_FALSE(picture_size_allowed(640, 481));
    EXPECT_FALSE(picture_size_allowed(0, 10));
    EXPECT_FALSE(picture_size_allowed(10, 0));
}

TEST(PcxHeader, SizeComesFromBothCornersAndMustFitTheScreen) {
    const Bytes ok = pcx_header(0, 0, 639, 479);
    EXPECT_EQ(pcx_header_problem(ok.data(), ok.size()), nullptr);
    const Bytes offset = pcx_header(100, 100, 739, 579); // 640 x 480 away from the origin
    EXPECT_EQ(pcx_header_problem(offset.data(), offset.size()), nullptr);
    for (const Bytes &bad : {pcx_header(0, 0, 640, 479), pcx_header(0, 0, 639, 480),
                             pcx_header(0, 0, 65535, 65535), pcx_header(10, 0, 5, 10)}) {
        EXPECT_NE(pcx_header_problem(bad.data(), bad.size()), nullptr);
    }
    EXPECT_NE(pcx_header_problem(ok.data(), 127), nullptr) << "a short header";
    Bytes not_pcx = ok;
    not_pcx[0] = 'B';
    EXPECT_NE(pcx_header_problem(not_pcx.data(), not_pcx.size()), nullptr);
    EXPECT_NE(pcx_header_problem(nullptr, 0), nullptr);
}

TEST(WavFile, SoundFilesPassWhateverChunksComeFirst) {
    Wav plain;
    EXPECT_EQ(wav_file_problem(wav(plain).data(), wav(plain).size()), nullptr);
    Wav junk;
    junk.junk_first = true;
    Bytes j = wav(junk);
    EXPECT_EQ(wav_file_problem(j.data(), j.size()), nullptr) << "an even chunk is skipped";
    Wav longest;
    longest.declared = longest.actual = kMaxSampleDataBytes;
    Bytes l = wav(longest);
    EXPECT_EQ(wav_file_problem(l.data(), l.size()), nullptr);
    Wav silent;
    silent.declared = silent.actual = 0;
    Bytes e = wav(silent);
    EXPECT_EQ(wav_file_problem(e.data(), e.size()), nullptr) << "a sound of no length";
}

TEST(WavFile, DeclaredSizesAndFormatsTheGameCannotUseAreRefused) {
    struct Case {
        const char *what;
        Wav w;
    };
    Wav too_long;
    too_long.declared = kMaxSampleDataBytes + 1;
    too_long.actual = 16;
    Wav beyond_file;
    beyond_file.declared = 1000;
    Wav four_gb;
    four_gb.declared = 0xFFFFFFFFu;
    Wav stereo24;
    stereo24.bits = 24;
    Wav five_channels;
    five_channels.channels = 5;
    Wav no_channels;
    no_channels.channels = 0;
    Wav compressed;
    compressed.format = 2;
    Wav no_rate;
    no_rate.rate = 0;
    Wav data_first;
    data_first.data_first = true;
    const Case cases[] = {{"over 30 s", too_long},       {"beyond the file", beyond_file},
                          {"4 GB", four_gb},             {"24 bits", stereo24},
                          {"5 channels", five_channels}, {"0 channels", no_channels},
                          {"not PCM", compressed},       {"rate 0", no_rate},
                          {"data before format", data_first}};
    for (const Case &c : cases) {
        const Bytes b = wav(c.w);
        EXPECT_NE(wav_file_problem(b.data(), b.size()), nullptr) << c.what;
    }
    const Bytes b = wav(Wav{});
    EXPECT_NE(wav_file_problem(b.data(), 40), nullptr) << "cut before its data";
    EXPECT_NE(wav_file_problem(b.data(), 11), nullptr);
    EXPECT_NE(wav_file_problem(nullptr, 0), nullptr);
    Bytes not_wave = b;
    std::memcpy(not_wave.data() + 8, "AVI ", 4);
    EXPECT_NE(wav_file_problem(not_wave.data(), not_wave.size()), nullptr);
}

// The library's loader walks the chunks to the end of the file and makes a sample of
// every "data" chunk, so a small first sound followed by a second one that declares
// gigabytes once passed the check and made the loader ask for them. It walks without
// the padding byte after an odd chunk, so the check does too.
TEST(WavFile, EveryChunkToTheEndIsJudgedAsTheLibraryReadsIt) {
    const Bytes plain = wav(Wav{});
    Bytes huge_second = plain;
    append_tag(huge_second, "data");
    append32(huge_second, 0x7FFFFFF0u);
    huge_second.insert(huge_second.end(), 8, 0);
    EXPECT_NE(wav_file_problem(huge_second.data(), huge_second.size()), nullptr);
    Bytes small_second = plain;
    append_tag(small_second, "data");
    append32(small_second, 2);
    small_second.insert(small_second.end(), 2, 0);
    EXPECT_NE(wav_file_problem(small_second.data(), small_second.size()), nullptr)
        << "two sounds: the library would keep the second and lose the first";

    Bytes cut_header = plain;
    append_tag(cut_header, "data");
    cut_header.push_back(1);
    EXPECT_NE(wav_file_problem(cut_header.data(), cut_header.size()), nullptr)
        << "a length cut short reads as -1";
    Bytes trailing = plain;
    append_tag(trailing, "junk");
    append32(trailing, 0xFFFFFFFFu); // taken as -1: skips nothing
    append_tag(trailing, "LIST");
    trailing.push_back(0); // a padding byte at the very end is never a chunk
    EXPECT_EQ(wav_file_problem(trailing.data(), trailing.size()), nullptr);

    // An odd chunk before the format, with the RIFF padding byte after it: the
    // library reads the next chunk from the padding byte on and finds no format.
    Bytes padded;
    append_tag(padded, "RIFF");
    append32(padded, 0);
    append_tag(padded, "WAVE");
    append_tag(padded, "LIST");
    append32(padded, 5);
    padded.insert(padded.end(), 6, 'x');
    Bytes unpadded = padded;
    unpadded.pop_back();
    padded.insert(padded.end(), plain.begin() + 12, plain.end());
    unpadded.insert(unpadded.end(), plain.begin() + 12, plain.end());
    EXPECT_NE(wav_file_problem(padded.data(), padded.size()), nullptr);
    EXPECT_EQ(wav_file_problem(unpadded.data(), unpadded.size()), nullptr);
}

// Through the game's own loaders: a refused file gives null and is named; a sound one
// loads.
TEST(DataLoaders, RefuseDeclaredSizesAndNameTheFile) {
    TempDir dir(true);
    testing_support::write_file(dir.file("big.pcx"), pcx_header(0, 0, 29999, 29999));
    Wav too_long;
    too_long.declared = 0xFFFFFFF0u;
    testing_support::write_file(dir.file("big.wav"), wav(too_long));
    testing_support::write_file(dir.file("ok.wav"), wav(Wav{}));
    Bytes second = wav(Wav{});
    append_tag(second, "data");
    append32(second, 0x7FFFFFF0u);
    testing_support::write_file(dir.file("second.wav"), second);
    testing_support::write_file(dir.file("note.txt"), std::string("hello"));

    testing::internal::CaptureStderr();
    EXPECT_EQ(data_load_pcx("BIG.PCX", nullptr), nullptr);
    EXPECT_EQ(data_load_bitmap("big.pcx", nullptr), nullptr);
    EXPECT_EQ(data_load_wav("big.wav"), nullptr);
    EXPECT_EQ(data_load_sample("big.wav"), nullptr);
    EXPECT_EQ(data_load_sample("note.txt"), nullptr);
    EXPECT_EQ(data_load_wav("second.wav"), nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("second.wav: holds more than one sound"), std::string::npos) << err;
    EXPECT_NE(err.find("BIG.PCX"), std::string::npos);
    EXPECT_NE(err.find("big.wav"), std::string::npos);
    EXPECT_NE(err.find("note.txt"), std::string::npos);

    // A missing file is not a refused one: the loaders give null and leave saying so
    // to the caller, who knows what the file was for.
    testing::internal::CaptureStderr();
    EXPECT_EQ(data_load_pcx("gone.pcx", nullptr), nullptr);
    EXPECT_EQ(data_load_bitmap("gone.pcx", nullptr), nullptr);
    EXPECT_EQ(data_load_wav("gone.wav"), nullptr);
    EXPECT_EQ(data_load_sample("gone.wav"), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    SAMPLE *s = data_load_wav("ok.wav");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->len, 4u) << "8 bytes of 16-bit mono";
    destroy_sample(s);
    s = data_load_sample("OK.WAV");
    ASSERT_NE(s, nullptr);
    destroy_sample(s);
}

// An 8-bit PCX keeps its 256 colours after its pixels. Without them the library's
// loader leaves the palette as it was, and the picture, converted to the screen's
// depth, took its colours from whatever that held: now they are black.
TEST(DataLoaders, AnEightBitPictureWithoutItsPaletteIsDrawnBlack) {
    TempDir dir(true);
    const int depth = get_color_depth();
    set_color_depth(32);
    BITMAP *b = create_bitmap_ex(8, 4, 2);
    clear_to_color(b, 200);
    PALETTE pal;
    for (int i = 0; i < PAL_SIZE; ++i) pal[i] = RGB{63, 40, 20, 0};
    ASSERT_EQ(save_pcx("full.pcx", b, pal), 0);
    destroy_bitmap(b);
    Bytes bytes = testing_support::read_file(dir.file("full.pcx"));
    ASSERT_EQ(bytes[bytes.size() - 769], 12) << "the palette's mark";
    bytes.resize(bytes.size() - 769);
    testing_support::write_file(dir.file("bare.pcx"), bytes);

    for (int round = 0; round < 2; ++round) {
        RGB caller[PAL_SIZE];
        for (RGB &c : caller) c = RGB{63, 63, 63, 0}; // what a caller's palette held before
        BITMAP *full = data_load_pcx("full.pcx", nullptr);
        BITMAP *bare = round == 0 ? data_load_pcx("bare.pcx", caller)
                                  : data_load_bitmap("bare.pcx", nullptr);
        ASSERT_NE(full, nullptr);
        ASSERT_NE(bare, nullptr);
        EXPECT_EQ(getpixel(full, 3, 1), makecol32(255, 162, 81)) << "the file's own colour";
        EXPECT_EQ(getpixel(bare, 3, 1), makecol32(0, 0, 0)) << "round " << round;
        destroy_bitmap(full);
        destroy_bitmap(bare);
    }
    set_color_depth(depth);
}

// A WAV file is read whole before the check, up to the longest a sample's file may
// be: one byte more and it is refused unread, whatever its header says.
TEST(DataLoaders, RefuseAWavFileLongerThanAnySample) {
    TempDir dir(true);
    Wav longest;
    longest.declared = longest.actual = kMaxSampleDataBytes;
    Bytes at_limit = wav(longest);
    ASSERT_LT(at_limit.size(), kMaxSampleFileBytes);
    at_limit.resize(kMaxSampleFileBytes, 0); // trailing bytes after the sound are allowed
    testing_support::write_file(dir.file("at_limit.wav"), at_limit);
    Bytes over = at_limit;
    over.push_back(0);
    testing_support::write_file(dir.file("over.wav"), over);

    SAMPLE *s = data_load_wav("at_limit.wav");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->len, kMaxSampleDataBytes / 2) << "30 s of 16-bit mono";
    destroy_sample(s);
    testing::internal::CaptureStderr();
    EXPECT_EQ(data_load_wav("over.wav"), nullptr);
    EXPECT_EQ(data_load_sample("over.wav"), nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("over.wav: is longer than any sample"), std::string::npos) << err;
}

} // namespace
