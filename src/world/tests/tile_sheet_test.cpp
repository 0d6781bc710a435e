// The tile-sheet cutter: cell i is the 16 x 16 square at column i mod 24 and row
// i / 24 of the sheet, in the cell's own depth, exactly as the library's own loader
// and blit would make it, for sheets of any size and kind; a sheet it cannot read
// leaves the cells as they were.
#include "world/tile_sheet.h"

#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using testing_support::make_bitmap;

namespace {

class TileSheet : public ::testing::TestWithParam<int> {
protected:
    testing_support::TempDir dir;
    std::vector<OwnedBitmap> owned;
    CellSet cut = {};
    CellSet reference = {};
    int old_depth = 8;
    int before = 0; // what every cell holds before a cut

    void SetUp() override {
        old_depth = get_color_depth();
        set_color_depth(GetParam());
        set_color_conversion(COLORCONV_TOTAL);
        before = makecol(9, 99, 199);
        for (CellSet *set : {&cut, &reference})
            for (BITMAP *&c : *set) {
                owned.push_back(make_bitmap(GetParam(), 16, 16));
                c = owned.back().get();
                clear_to_color(c, before);
            }
    }
    void TearDown() override { set_color_depth(old_depth); }

    void expect_as_the_library_cuts(const std::string &path) {
        PALETTE pal;
        BITMAP *sheet = load_pcx(path.c_str(), pal);
        ASSERT_NE(sheet, nullptr);
        for (int i = 0; i < kCellCount; ++i)
            blit(sheet, reference[i], 16 * (i % 24), 16 * (i / 24), 0, 0, 16, 16);
        destroy_bitmap(sheet);
        ASSERT_EQ(cut_tile_sheet(path.c_str(), cut), 1) << path;
        for (int i = 0; i < kCellCount; ++i)
            for (int y = 0; cut[i] && y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    ASSERT_EQ(getpixel(cut[i], x, y), getpixel(reference[i], x, y))
                        << path << ": cell " << i << " at " << x << ", " << y;
    }

    // Runs of random colours, the mask and near-magenta ones among them.
    std::string random_sheet(int w, int h, int bits, unsigned seed) {
        std::mt19937 rng(seed);
        OwnedBitmap sheet = make_bitmap(bits, w, h);
        PALETTE pal;
        for (RGB &c : pal) c = RGB{static_cast<unsigned char>(rng() % 64), static_cast<unsigned char>(rng() % 64),
                                   static_cast<unsigned char>(rng() % 64), 0};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w;) {
                const int run = 1 + static_cast<int>(rng() % 70);
                int c = bits == 8 ? static_cast<int>(rng() % 256) : makecol24(rng() % 256, rng() % 256, rng() % 256);
                if (bits != 8 && rng() % 4 == 0) c = makecol24(255, 0, 255);
                if (bits != 8 && rng() % 4 == 1) c = makecol24(248 + rng() % 8, rng() % 4, 248 + rng() % 8);
                hline(sheet.get(), x, y, x + run - 1, c);
                x += run;
            }
        const std::string path = dir.file("sheet" + std::to_string(seed) + ".pcx");
        EXPECT_EQ(save_pcx(path.c_str(), sheet.get(), pal), 0);
        return path;
    }
};

// Odd widths pad their scan lines; a larger sheet gives only its first 24 x 10
// squares; a smaller one fills what it covers, to a last column and row of a pixel,
// or a picture of one pixel.
TEST_P(TileSheet, SheetsOfAnySizeAndKind) {
    const struct {
        int w, h, bits;
    } sheets[] = {{384, 160, 24}, {385, 161, 24}, {520, 300, 24}, {100, 37, 24}, {97, 33, 24}, {1, 1, 24}, {384, 160, 8}};
    unsigned seed = 1;
    for (const auto &s : sheets) expect_as_the_library_cuts(random_sheet(s.w, s.h, s.bits, seed++));
}

// A hand-made 3 x 3 picture (scan lines padded to 4 bytes a plane) whose runs cross
// from one plane into the next and overrun the end of a line.
std::vector<unsigned char> tiny_pcx(const std::vector<unsigned char> &data, int height) {
    std::vector<unsigned char> f(128 + data.size(), 0);
    f[0] = 10, f[1] = 5, f[2] = 1, f[3] = 8;
    f[8] = 2; // xmax: 3 pixels wide
    f[10] = static_cast<unsigned char>(height - 1);
    f[65] = 3, f[66] = 4; // 3 planes of 4 bytes
    std::copy(data.begin(), data.end(), f.begin() + 128);
    return f;
}

TEST_P(TileSheet, RunsAcrossPlanesAndPastTheLineEnd) {
    const std::string path = dir.file("tiny.pcx");
    testing_support::write_file(path, tiny_pcx({// row 0: red 100, 10, a run of 5 x 77 over red 2..3
                                                // and green 0..2, green 3 = 1, blue 60, 61, then a
                                                // run of 9 x 90 that overruns the line
                                                100, 10, 0xC5, 77, 1, 60, 61, 0xC9, 90,
                                                // row 1: one run of 12 x 255 covers the line exactly
                                                0xCC, 255,
                                                // row 2: a zero-length run, then single bytes
                                                0xC0, 5, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
                                               3));
    expect_as_the_library_cuts(path);
    EXPECT_EQ(getpixel(cut[0], 3, 0), before) << "past the picture";
}

TEST_P(TileSheet, ASheetItCannotReadLeavesTheCellsAlone) {
    const std::string path = dir.file("short.pcx");
    cut[1] = nullptr; // a null cell is skipped
    testing::internal::CaptureStderr();
    EXPECT_EQ(cut_tile_sheet(dir.file("absent.pcx").c_str(), cut), 0);
    testing_support::write_file(path, tiny_pcx({0xCC, 1, 0xC6, 2}, 2)); // row 1 unfinished
    EXPECT_EQ(cut_tile_sheet(path.c_str(), cut), 0);
    testing_support::write_file(path, tiny_pcx({0xCC, 1, 0xC6}, 2)); // ends after a run's count
    EXPECT_EQ(cut_tile_sheet(path.c_str(), cut), 0);
    testing_support::write_file(path, std::vector<unsigned char>(40, 10)); // no header
    EXPECT_EQ(cut_tile_sheet(path.c_str(), cut), 0);
    testing::internal::GetCapturedStderr();
    for (int i : {0, 239}) EXPECT_EQ(getpixel(cut[i], 15, 15), before) << i;
    expect_as_the_library_cuts(random_sheet(32, 16, 24, 9));
}

INSTANTIATE_TEST_SUITE_P(Depths, TileSheet, ::testing::Values(16, 24, 32));

} // namespace
