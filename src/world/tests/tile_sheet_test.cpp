// The tile-sheet cutter on a sheet painted and saved in the test: each cell must be
// the 16 x 16 square of its column and row, in the cells' own colour depth.
#include "world/tile_sheet.h"

#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

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

} // namespace
