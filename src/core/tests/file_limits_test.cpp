// Picture and sample headers that declare more than the game ever uses, or that the
// library's loaders would read otherwise than the check, are refused before the
// loaders see them; sound ones pass. Any bytes at all keep the promises of
// fuzz/promises, which refuse a sound beyond the file (every seed cut short of its
// sound's end), data before its format, a second sound, a PCX without its whole
// header or its mark, RIFF and WAVE, and a picture beyond the screen (seeds in
// fuzz/corpus/file_limits/); the rows of file_limits.txt say which files must pass,
// and the edges.
#include "core/file_limits.h"
#include "core/paths.h"

#include "core/tests/case_rows.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using testing_support::TempDir;
using testing_support::write_file;
using Bytes = std::vector<uint8_t>;

void append(Bytes &b, unsigned long long v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// The bytes the words of a row from `first` on stand for (see file_limits.txt).
Bytes bytes_of(const case_rows::Words &row, std::size_t first) {
    Bytes b;
    for (std::size_t i = first; i < row.size(); ++i) {
        const std::string &w = row[i], kind = w.substr(0, w.find(':'));
        const std::string rest = kind == w ? "" : w.substr(kind.size() + 1);
        std::vector<unsigned long long> n;
        std::istringstream numbers(kind == "tag" ? "" : rest);
        for (std::string v; std::getline(numbers, v, ',');) n.push_back(std::stoull(v, nullptr, 0));
        if (kind == "u8" || kind == "u16" || kind == "u32") {
            append(b, n[0], kind == "u8" ? 1 : kind == "u16" ? 2 : 4);
        } else if (kind == "tag") {
            const std::string tag = (rest + "    ").substr(0, 4);
            b.insert(b.end(), tag.begin(), tag.end());
        } else if (kind == "zeros" || kind == "pad") {
            b.resize(kind == "pad" ? n[0] : b.size() + n[0], 0);
        } else if (kind == "riff") {
            b.insert(b.end(), {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'});
        } else if (kind == "sound") {
            b.insert(b.end(), {'d', 'a', 't', 'a'});
            append(b, n[0], 4);
            b.resize(b.size() + n[0], 0);
        } else if (kind == "pcx") {
            const std::size_t at = b.size();
            b.insert(b.end(), {10, 5, 1, 8});
            for (unsigned long long v : n) append(b, v, 2);
            b.resize(at + 128, 0);
            b[at + 65] = 1; // one plane
        } else if (kind == "fmt") { // format, channels, bits, rate
            b.insert(b.end(), {'f', 'm', 't', ' ', 16, 0, 0, 0});
            append(b, n[0], 2);
            append(b, n[1], 2);
            append(b, n[3], 4);
            append(b, n[3] * n[1] * (n[2] / 8), 4);
            append(b, n[1] * (n[2] / 8), 2);
            append(b, n[2], 2);
        } else {
            ADD_FAILURE() << "no bytes '" << w << "'";
        }
    }
    return b;
}

TEST(FileLimits, SoundHeadersPassAndOthersAreRefused) {
    for (const case_rows::Words &row : case_rows::read(__FILE__, "file_limits.txt")) {
        const Bytes b = bytes_of(row, 2);
        const uint8_t *data = b.empty() ? nullptr : b.data();
        if (row[0] == "file") continue;
        const char *problem = row[0] == "pcx" ? pcx_header_problem(data, b.size()) : wav_file_problem(data, b.size());
        EXPECT_EQ(problem == nullptr, row[1] == "pass") << case_rows::text(row);
    }
}

// Through the game's own loaders: a refused file gives null and is named; a missing
// one gives null and leaves saying so to the caller, who knows what it was for.
TEST(FileLimits, LoadersRefuseAndNameTheFile) {
    TempDir dir(true);
    for (const case_rows::Words &row : case_rows::read(__FILE__, "file_limits.txt"))
        if (row[0] == "file") write_file(dir.file(row[1]), bytes_of(row, 2));
    write_file(dir.file("note.txt"), std::string("hello"));

    testing::internal::CaptureStderr();
    EXPECT_EQ(data_load_pcx("BIG.PCX", nullptr), nullptr);
    EXPECT_EQ(data_load_bitmap("big.pcx", nullptr), nullptr);
    EXPECT_EQ(data_load_wav("big.wav"), nullptr);
    EXPECT_EQ(data_load_sample("note.txt"), nullptr);
    EXPECT_EQ(data_load_wav("second.wav"), nullptr);
    EXPECT_EQ(data_load_sample("over.wav"), nullptr);
    EXPECT_NE(OwnedSample(data_load_sample("longest.wav")), nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    for (const char *named : {"BIG.PCX", "big.pcx", "big.wav", "note.txt", "second.wav: holds more than one sound",
                              "over.wav: is longer than any sample"})
        EXPECT_NE(err.find(named), std::string::npos) << named << " in: " << err;

    testing::internal::CaptureStderr();
    EXPECT_EQ(data_load_pcx("gone.pcx", nullptr), nullptr);
    EXPECT_EQ(data_load_sample("gone.wav"), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
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
    write_file(dir.file("bare.pcx"), Bytes(bytes.begin(), bytes.end() - 769));

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
