// The tile-sheet cutter on a sheet painted and saved in the test: each cell must be
// the 16 x 16 square of its column and row, in the cells' own colour depth.
#include "world/tile_sheet.h"

#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using testing_support::BitmapPtr;
using testing_support::TempDir;
using testing_support::make_bitmap;

namespace {

// Sheet square (column, row) is painted in its own colour; its top-left pixel is
// marked with blue 16 and its bottom-right pixel with blue 240, so a cell cut from
// the wrong place or turned round shows.
struct SquareColour {
    int r, g, b;
};
SquareColour square_colour(int column, int row, int x, int y) {
    int b = (x == 0 && y == 0) ? 16 : (x == 15 && y == 15) ? 240 : 128;
    return SquareColour{column * 8, row * 16 + 8, b};
}

class TileSheetTest : public ::testing::TestWithParam<int> {
protected:
    TempDir dir;
    std::vector<BitmapPtr> owned;
    CellSet cells = {};
    int old_depth = 8;

    void SetUp() override {
        old_depth = get_color_depth();
        set_color_depth(GetParam());
        set_color_conversion(COLORCONV_TOTAL);
        for (BITMAP *&c : cells) {
            owned.push_back(make_bitmap(GetParam(), 16, 16));
            c = owned.back().get();
            clear_to_color(c, makecol(40, 80, 120));
        }
    }
    void TearDown() override { set_color_depth(old_depth); }

    std::string save_sheet(int w, int h) {
        BitmapPtr sheet = make_bitmap(24, w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                SquareColour c = square_colour(x / 16, y / 16, x % 16, y % 16);
                putpixel(sheet.get(), x, y, makecol24(c.r, c.g, c.b));
            }
        std::string path = dir.file("sheet.pcx");
        PALETTE pal;
        get_palette(pal);
        EXPECT_EQ(save_pcx(path.c_str(), sheet.get(), pal), 0);
        return path;
    }

    void expect_square(int cell, int column, int row, int x, int y) {
        SquareColour want = square_colour(column, row, x, y);
        int p = getpixel(cells[cell], x, y);
        int depth = GetParam();
        // 16-bit cells keep 5 or 6 bits a component; the painted values survive that.
        EXPECT_EQ(getr_depth(depth, p) & 0xF8, want.r & 0xF8) << "cell " << cell;
        EXPECT_EQ(getg_depth(depth, p) & 0xF8, want.g & 0xF8) << "cell " << cell;
        EXPECT_EQ(getb_depth(depth, p) & 0xF8, want.b & 0xF8) << "cell " << cell;
    }
};

TEST_P(TileSheetTest, CellsAreCutRowByRow) {
    std::string path = save_sheet(384, 160);
    ASSERT_EQ(cut_tile_sheet(path.c_str(), cells), 1);
    for (int x : {0, 7, 15}) {
        expect_square(0, 0, 0, x, x);
        expect_square(24, 0, 1, x, x);    // the square at (0, 16)
        expect_square(239, 23, 9, x, x);  // the square at (368, 144)
        expect_square(23, 23, 0, x, x);   // end of the first row
        expect_square(25, 1, 1, x, x);
        expect_square(130, 10, 5, x, x);
    }
    expect_square(239, 23, 9, 15, 0);
    expect_square(24, 0, 1, 0, 15);
}

TEST_P(TileSheetTest, MissingPictureLeavesTheCellsAlone) {
    EXPECT_EQ(cut_tile_sheet(dir.file("absent.pcx").c_str(), cells), 0);
    EXPECT_EQ(getpixel(cells[0], 0, 0), makecol(40, 80, 120));
    EXPECT_EQ(getpixel(cells[239], 15, 15), makecol(40, 80, 120));
}

TEST_P(TileSheetTest, SmallSheetFillsWhatItHasAndSkipsNullCells) {
    std::string path = save_sheet(32, 16); // only cells 0 and 1 exist on it
    cells[1] = nullptr;
    ASSERT_EQ(cut_tile_sheet(path.c_str(), cells), 1);
    expect_square(0, 0, 0, 15, 15);
    EXPECT_EQ(getpixel(cells[24], 0, 0), makecol(40, 80, 120));
}

INSTANTIATE_TEST_SUITE_P(Depths, TileSheetTest, ::testing::Values(16, 32));

// ---- The same cells as Allegro's own loader and blit would give -----------------------

class TileSheetAgreementTest : public ::testing::TestWithParam<int> {
protected:
    TempDir dir;
    std::vector<BitmapPtr> owned;
    CellSet fast = {};
    CellSet reference = {};
    int old_depth = 8;

    void SetUp() override {
        old_depth = get_color_depth();
        set_color_depth(GetParam());
        set_color_conversion(COLORCONV_TOTAL);
        for (int i = 0; i < kCellCount; ++i) {
            owned.push_back(make_bitmap(GetParam(), 16, 16));
            fast[i] = owned.back().get();
            owned.push_back(make_bitmap(GetParam(), 16, 16));
            reference[i] = owned.back().get();
            clear_to_color(fast[i], makecol(9, 99, 199));
            clear_to_color(reference[i], makecol(9, 99, 199));
        }
    }
    void TearDown() override { set_color_depth(old_depth); }

    void cut_reference(const std::string &path) {
        PALETTE pal;
        BITMAP *sheet = load_pcx(path.c_str(), pal);
        ASSERT_NE(sheet, nullptr);
        for (int i = 0; i < kCellCount; ++i)
            blit(sheet, reference[i], 16 * (i % 24), 16 * (i / 24), 0, 0, 16, 16);
        destroy_bitmap(sheet);
    }

    void expect_same_cells() {
        for (int i = 0; i < kCellCount; ++i)
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    ASSERT_EQ(getpixel(fast[i], x, y), getpixel(reference[i], x, y))
                        << "cell " << i << " at " << x << ", " << y;
    }

    void check(const std::string &path) {
        cut_reference(path);
        ASSERT_EQ(cut_tile_sheet(path.c_str(), fast), 1);
        expect_same_cells();
    }
};

// Runs of random colours, near-magenta ones and the mask among them.
std::string save_random_sheet(const TempDir &dir, int w, int h, int bits, unsigned seed) {
    std::mt19937 rng(seed);
    BitmapPtr sheet = make_bitmap(bits, w, h);
    PALETTE pal;
    for (int i = 0; i < 256; ++i) {
        pal[i].r = static_cast<unsigned char>(rng() % 64);
        pal[i].g = static_cast<unsigned char>(rng() % 64);
        pal[i].b = static_cast<unsigned char>(rng() % 64);
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w;) {
            int run = 1 + static_cast<int>(rng() % 70);
            int c;
            if (bits == 8) {
                c = static_cast<int>(rng() % 256);
            } else {
                switch (rng() % 4) {
                case 0: c = makecol24(255, 0, 255); break;
                case 1: c = makecol24(248 + rng() % 8, rng() % 4, 248 + rng() % 8); break;
                default: c = makecol24(rng() % 256, rng() % 256, rng() % 256); break;
                }
            }
            hline(sheet.get(), x, y, x + run - 1, c);
            x += run;
        }
    std::string path = dir.file("random" + std::to_string(seed) + ".pcx");
    EXPECT_EQ(save_pcx(path.c_str(), sheet.get(), pal), 0);
    return path;
}

TEST_P(TileSheetAgreementTest, TrueColourSheetsOfAnySize) {
    check(save_random_sheet(dir, 384, 160, 24, 1));
    check(save_random_sheet(dir, 385, 161, 24, 2)); // odd width: padded scan lines
    check(save_random_sheet(dir, 520, 300, 24, 3)); // larger than the cells need
    check(save_random_sheet(dir, 100, 37, 24, 4));  // smaller: cells get what exists
    check(save_random_sheet(dir, 97, 33, 24, 6));   // a last column and row of one pixel
}

TEST_P(TileSheetAgreementTest, PalettedSheetGoesThroughAllegro) {
    check(save_random_sheet(dir, 384, 160, 8, 5));
}

// A hand-made file: a 3 x 1 picture (scan lines padded to 4 bytes a plane) whose runs
// cross from one plane into the next and overrun the end of a line.
std::vector<unsigned char> tiny_pcx(const std::vector<unsigned char> &data, int height) {
    std::vector<unsigned char> f(128 + data.size(), 0);
    f[0] = 10; f[1] = 5; f[2] = 1; f[3] = 8;
    f[8] = 2;                     // xmax: 3 pixels wide
    f[10] = static_cast<unsigned char>(height - 1);
    f[65] = 3; f[66] = 4;         // 3 planes of 4 bytes
    for (std::size_t i = 0; i < data.size(); ++i) f[128 + i] = data[i];
    return f;
}

TEST_P(TileSheetAgreementTest, RunsAcrossPlanesAndPastTheLineEnd) {
    std::vector<unsigned char> data = {
        // row 0: red 100, 10, then a run of 5 x 77 covering red 2..3 and green 0..2,
        // green 3 = 1, blue: 60, 61, then a run of 9 x 90 that overruns the line
        100, 10, 0xC5, 77, 1, 60, 61, 0xC9, 90,
        // row 1: one run of 12 x 255 covers the whole line exactly
        0xCC, 255,
        // row 2: a zero-length run, then single bytes (values below 0xC0)
        0xC0, 5, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    std::string path = dir.file("tiny.pcx");
    testing_support::write_file(path, tiny_pcx(data, 3));
    check(path);
    const int d = GetParam();
    int p = getpixel(fast[0], 2, 0);
    EXPECT_EQ(getr_depth(d, p) & 0xF8, 77 & 0xF8);
    EXPECT_EQ(getg_depth(d, p) & 0xF8, 77 & 0xF8);
    EXPECT_EQ(getb_depth(d, p) & 0xF8, 90 & 0xF8);
    p = getpixel(fast[0], 1, 2); // row 2: red 1 2 3 _, green 5 6 7 _, blue 9 10 11 _
    EXPECT_EQ(getb_depth(d, p) & 0xF8, 10 & 0xF8);
    EXPECT_EQ(getpixel(fast[0], 1, 1), makecol(255, 255, 255));
    EXPECT_EQ(getpixel(fast[0], 3, 0), makecol(9, 99, 199)); // past the picture
}

TEST_P(TileSheetAgreementTest, SheetCutShortIsRefused) {
    std::string path = dir.file("short.pcx");
    testing_support::write_file(path, tiny_pcx({0xCC, 1, 0xC6, 2}, 2)); // row 1 unfinished
    EXPECT_EQ(cut_tile_sheet(path.c_str(), fast), 0);
    EXPECT_EQ(getpixel(fast[0], 0, 0), makecol(9, 99, 199));
    testing_support::write_file(path, std::vector<unsigned char>(40, 10)); // no header
    EXPECT_EQ(cut_tile_sheet(path.c_str(), fast), 0);
    EXPECT_EQ(getpixel(fast[0], 0, 0), makecol(9, 99, 199));
}

INSTANTIATE_TEST_SUITE_P(Depths, TileSheetAgreementTest, ::testing::Values(16, 24, 32));

} // namespace
