// Picture and sample headers that declare more than the game ever uses, or that the
// library's loaders would read otherwise than the check, are refused before the
// loaders see them; sound ones pass. Any bytes at all keep the promises of
// fuzz/promises, which refuse a sound beyond the file (every seed cut short of its
// sound's end), data before its format and a second sound (seeds in
// fuzz/corpus/file_limits/); the rows here say which files must pass, and the edges.
#include "core/file_limits.h"
#include "core/paths.h"

#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing_support::TempDir;
using testing_support::write_file;
using Bytes = std::vector<uint8_t>;

void append(Bytes &b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void append(Bytes &b, const char *tag) { b.insert(b.end(), tag, tag + 4); }

// A PCX header (and no pixels) for a picture from (xmin, ymin) to (xmax, ymax).
Bytes pcx(unsigned xmin, unsigned ymin, unsigned xmax, unsigned ymax, uint8_t mark = 10) {
    Bytes b = {mark, 5, 1, 8};
    for (unsigned v : {xmin, ymin, xmax, ymax}) append(b, v, 2);
    b.resize(128, 0);
    b[65] = 1;
    return b;
}

Bytes chunk(const char *tag, uint32_t length, std::size_t body) {
    Bytes b;
    append(b, tag);
    append(b, length, 4);
    b.insert(b.end(), body, 'x');
    return b;
}

struct Wav {
    uint16_t format = 1, channels = 1, bits = 16;
    uint32_t rate = 22050;
    uint32_t declared = 8;  // data length the header claims
    std::size_t actual = 8; // bytes of sound really there
    Bytes before;           // chunks ahead of the format chunk
};

Bytes riff() {
    Bytes b;
    append(b, "RIFF");
    append(b, 0, 4);
    append(b, "WAVE");
    return b;
}

Bytes wav(const Wav &w) {
    Bytes b = riff();
    b.insert(b.end(), w.before.begin(), w.before.end());
    append(b, "fmt ");
    append(b, 16, 4);
    append(b, w.format, 2);
    append(b, w.channels, 2);
    append(b, w.rate, 4);
    append(b, w.rate * w.channels * (w.bits / 8u), 4);
    append(b, w.channels * (w.bits / 8u), 2);
    append(b, w.bits, 2);
    append(b, "data");
    append(b, w.declared, 4);
    b.insert(b.end(), w.actual, 0);
    return b;
}

Bytes plus(Bytes b, const Bytes &more) {
    b.insert(b.end(), more.begin(), more.end());
    return b;
}
Bytes cut(Bytes b, std::size_t size) {
    b.resize(size);
    return b;
}
Bytes after_riff(const Bytes &b) { return Bytes(b.begin() + 12, b.end()); }
template <typename Change>
Wav wav_with(Change change) {
    Wav w;
    change(w);
    return w;
}

struct Row {
    const char *what;
    Bytes file;
    bool passes;
};

const Row kPcxRows[] = {
    {"the screen", pcx(0, 0, 639, 479), true},
    {"the screen, away from the origin", pcx(100, 100, 739, 579), true},
    {"641 wide", pcx(0, 0, 640, 479), false},
    {"481 high", pcx(0, 0, 639, 480), false},
    {"65536 square", pcx(0, 0, 65535, 65535), false},
    {"right edge left of the left one", pcx(10, 0, 5, 10), false},
    {"a short header", cut(pcx(0, 0, 9, 9), 127), false},
    {"not a PCX", pcx(0, 0, 9, 9, 'B'), false},
    {"nothing", {}, false},
};

const Row kWavRows[] = {
    {"plain", wav({}), true},
    {"an even chunk first", wav(wav_with([](Wav &w) { w.before = chunk("LIST", 6, 6); })), true},
    {"30 s", wav(wav_with([](Wav &w) { w.declared = w.actual = kMaxSampleDataBytes; })), true},
    {"no sound at all", wav(wav_with([](Wav &w) { w.declared = w.actual = 0; })), true},
    // A length of -1 skips nothing; a padding byte at the very end is no chunk.
    {"trailing chunks", plus(plus(wav({}), chunk("junk", 0xFFFFFFFFu, 0)), {'L', 'I', 'S', 'T', 0}), true},
    // The library walks on from an odd chunk's end, without the RIFF padding byte.
    {"odd chunk unpadded", plus(plus(riff(), chunk("LIST", 5, 5)), after_riff(wav({}))), true},
    {"odd chunk padded", plus(plus(riff(), chunk("LIST", 5, 6)), after_riff(wav({}))), false},
    {"over 30 s", wav(wav_with([](Wav &w) { w.declared = kMaxSampleDataBytes + 1; w.actual = 16; })), false},
    {"4 GB", wav(wav_with([](Wav &w) { w.declared = 0xFFFFFFFFu; })), false},
    {"24 bits", wav(wav_with([](Wav &w) { w.bits = 24; })), false},
    {"5 channels", wav(wav_with([](Wav &w) { w.channels = 5; })), false},
    {"no channels", wav(wav_with([](Wav &w) { w.channels = 0; })), false},
    {"not PCM", wav(wav_with([](Wav &w) { w.format = 2; })), false},
    {"rate 0", wav(wav_with([](Wav &w) { w.rate = 0; })), false},
    {"a chunk length cut short", plus(wav({}), {'d', 'a', 't', 'a', 1}), false},
    {"a sound chunk's tag at the very end", plus(wav({}), {'d', 'a', 't', 'a'}), false},
    {"cut inside RIFF", cut(wav({}), 11), false},
    {"not WAVE", [] { Bytes b = wav({}); b[8] = 'A'; return b; }(), false},
    {"nothing", {}, false},
};

TEST(FileLimits, SoundHeadersPassAndOthersAreRefused) {
    for (const Row &r : kPcxRows)
        EXPECT_EQ(pcx_header_problem(r.file.empty() ? nullptr : r.file.data(), r.file.size()) == nullptr,
                  r.passes) << "PCX: " << r.what;
    for (const Row &r : kWavRows)
        EXPECT_EQ(wav_file_problem(r.file.empty() ? nullptr : r.file.data(), r.file.size()) == nullptr,
                  r.passes) << "WAV: " << r.what;
}

// Through the game's own loaders: a refused file gives null and is named; a missing
// one gives null and leaves saying so to the caller, who knows what it was for.
TEST(FileLimits, LoadersRefuseAndNameTheFile) {
    TempDir dir(true);
    write_file(dir.file("big.pcx"), pcx(0, 0, 29999, 29999));
    write_file(dir.file("big.wav"), wav(wav_with([](Wav &w) { w.declared = 0xFFFFFFF0u; })));
    write_file(dir.file("second.wav"), plus(wav({}), chunk("data", 0x7FFFFFF0u, 0)));
    write_file(dir.file("note.txt"), std::string("hello"));
    write_file(dir.file("ok.wav"), wav({}));
    // A WAV file is read whole before the check, up to the longest a sample's file
    // may be: one byte more and it is refused unread, whatever its header says.
    Bytes longest = wav(wav_with([](Wav &w) { w.declared = w.actual = kMaxSampleDataBytes; }));
    longest.resize(kMaxSampleFileBytes, 0);
    write_file(dir.file("at_limit.wav"), longest);
    write_file(dir.file("over.wav"), plus(longest, {0}));

    testing::internal::CaptureStderr();
    EXPECT_EQ(data_load_pcx("BIG.PCX", nullptr), nullptr);
    EXPECT_EQ(data_load_bitmap("big.pcx", nullptr), nullptr);
    EXPECT_EQ(data_load_wav("big.wav"), nullptr);
    EXPECT_EQ(data_load_sample("note.txt"), nullptr);
    EXPECT_EQ(data_load_wav("second.wav"), nullptr);
    EXPECT_EQ(data_load_sample("over.wav"), nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    for (const char *named : {"BIG.PCX", "big.pcx", "big.wav", "note.txt", "second.wav: holds more than one sound",
                              "over.wav: is longer than any sample"})
        EXPECT_NE(err.find(named), std::string::npos) << named << " in: " << err;

    testing::internal::CaptureStderr();
    EXPECT_EQ(data_load_pcx("gone.pcx", nullptr), nullptr);
    EXPECT_EQ(data_load_sample("gone.wav"), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    for (const char *name : {"OK.WAV", "at_limit.wav"}) {
        SAMPLE *s = data_load_sample(name);
        ASSERT_NE(s, nullptr) << name;
        destroy_sample(s);
    }
}

// An 8-bit PCX keeps its 256 colours after its pixels. Without them the library's
// loader leaves the palette as it was, and the picture, converted to the screen's
// depth, took its colours from whatever that held: now they are black.
TEST(FileLimits, AnEightBitPictureWithoutItsPaletteIsDrawnBlack) {
    TempDir dir(true);
    const int depth = get_color_depth();
    set_color_depth(32);
    OwnedBitmap b = testing_support::make_bitmap(8, 4, 2);
    clear_to_color(b.get(), 200);
    PALETTE pal;
    for (int i = 0; i < PAL_SIZE; ++i) pal[i] = RGB{63, 40, 20, 0};
    ASSERT_EQ(save_pcx("full.pcx", b.get(), pal), 0);
    Bytes bytes = testing_support::read_file(dir.file("full.pcx"));
    ASSERT_EQ(bytes[bytes.size() - 769], 12) << "the palette's mark";
    write_file(dir.file("bare.pcx"), cut(bytes, bytes.size() - 769));

    RGB caller[PAL_SIZE];
    for (RGB &c : caller) c = RGB{63, 63, 63, 0}; // what a caller's palette held before
    OwnedBitmap full(data_load_pcx("full.pcx", nullptr));
    OwnedBitmap bare(data_load_pcx("bare.pcx", caller));
    OwnedBitmap bare2(data_load_bitmap("bare.pcx", nullptr));
    ASSERT_TRUE(full && bare && bare2);
    EXPECT_EQ(getpixel(full.get(), 3, 1), makecol32(255, 162, 81)) << "the file's own colour";
    EXPECT_EQ(getpixel(bare.get(), 3, 1), makecol32(0, 0, 0));
    EXPECT_EQ(getpixel(bare2.get(), 3, 1), makecol32(0, 0, 0));
    set_color_depth(depth);
}

} // namespace
