// Pixel tests of the menu panel at the two depths the game runs in: the bevel rings,
// the rounded corners, the darkened inside, and that nothing outside the panel moves.
#include "support/test_support.h"
#include "ui/panel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using testing_support::BitmapPtr;
using testing_support::make_bitmap;

namespace {

struct Rgb {
    int r, g, b;
};

// The rim as the menus should look: rings 0 and 4 alike, 1 and 3 alike, the middle
// ring lightest.
constexpr Rgb kDim[5] = {{64, 64, 128}, {96, 96, 128}, {128, 128, 128}, {96, 96, 128}, {64, 64, 128}};
constexpr Rgb kBright[5] = {
    {128, 128, 255}, {192, 192, 255}, {255, 255, 255}, {192, 192, 255}, {128, 128, 255}};

// The top-left corner as drawn on paper: a digit is the ring of that pixel, '.' a pixel
// left as it was. The other corners are its mirror images.
const char *const kCornerPicture[5] = {
    "..000",
    ".0111",
    "01122",
    "01233",
    "01234",
};

// A background no ring colour comes near, nor its darkened self.
constexpr Rgb kBackground = {40, 200, 80};

Rgb read_rgb(BITMAP *b, int x, int y) {
    const int depth = bitmap_color_depth(b), c = getpixel(b, x, y);
    return {getr_depth(depth, c), getg_depth(depth, c), getb_depth(depth, c)};
}

int fill(BITMAP *b, Rgb c) {
    return makecol_depth(bitmap_color_depth(b), c.r, c.g, c.b);
}

// How far a channel may read from what was asked. 16-bit pixels keep 5 or 6 bits a
// channel; 32-bit ones keep a drawn colour exactly, and the blender may round.
enum class Source { Drawn, Blended };
int tolerance(BITMAP *b, Source source) {
    if (bitmap_color_depth(b) == 16) return source == Source::Drawn ? 8 : 9;
    return source == Source::Drawn ? 0 : 2;
}

::testing::AssertionResult near(BITMAP *b, int x, int y, Rgb want, const char *what,
                                Source source = Source::Drawn) {
    const Rgb got = read_rgb(b, x, y);
    const int tol = tolerance(b, source);
    if (std::abs(got.r - want.r) <= tol && std::abs(got.g - want.g) <= tol &&
        std::abs(got.b - want.b) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << what << " at (" << x << ", " << y << "): got (" << got.r << ", " << got.g << ", "
           << got.b << "), want (" << want.r << ", " << want.g << ", " << want.b << ")";
}

Rgb three_quarters(Rgb c) {
    return {c.r * 3 / 4, c.g * 3 / 4, c.b * 3 / 4};
}

// What a pixel of the panel (x1, y1)-(x2, y2) should be, from its distance to the
// nearest edges: -2 untouched, -1 darkened inside, else the ring number.
constexpr int kUntouched = -2;
constexpr int kInside = -1;

int expected_ring(int x, int y, int x1, int y1, int x2, int y2) {
    if (x < x1 || x > x2 || y < y1 || y > y2) return kUntouched;
    const int from_left = x - x1, from_right = x2 - x, from_top = y - y1, from_bottom = y2 - y;
    const int dx = from_left < from_right ? from_left : from_right;
    const int dy = from_top < from_bottom ? from_top : from_bottom;
    if (dx < 5 && dy < 5) {
        const char p = kCornerPicture[dy][dx];
        return p == '.' ? kUntouched : p - '0';
    }
    if (dx < 5) return dx;
    if (dy < 5) return dy;
    return kInside;
}

class PanelTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { set_trans_blender(0, 0, 0, 64); }

    BitmapPtr uniform(int w, int h) {
        BitmapPtr b = make_bitmap(GetParam(), w, h);
        clear_to_color(b.get(), fill(b.get(), kBackground));
        return b;
    }

    // Every pixel of `after` against `before` (the picture the panel went over).
    void expect_panel(BITMAP *before, BITMAP *after, int x1, int y1, int x2, int y2,
                      const Rgb ramp[5]) {
        for (int y = 0; y < after->h; ++y)
            for (int x = 0; x < after->w; ++x) {
                const Rgb under = read_rgb(before, x, y);
                const int ring = expected_ring(x, y, x1, y1, x2, y2);
                if (ring == kUntouched)
                    ASSERT_TRUE(near(after, x, y, under, "untouched pixel"));
                else if (ring == kInside)
                    ASSERT_TRUE(near(after, x, y, three_quarters(under), "inside", Source::Blended));
                else
                    ASSERT_TRUE(near(after, x, y, ramp[ring], ("ring " + std::to_string(ring)).c_str()));
            }
    }

    void draw_and_check(int x1, int y1, int x2, int y2, int16_t style, const Rgb ramp[5]) {
        BitmapPtr before = uniform(64, 48), b = uniform(64, 48);
        draw_panel(b.get(), x1, y1, x2, y2, style);
        expect_panel(before.get(), b.get(), x1, y1, x2, y2, ramp);
    }
};

TEST_P(PanelTest, DimPanelOnUniformBackground) {
    draw_and_check(6, 4, 57, 40, kPanelDim, kDim);
}

TEST_P(PanelTest, BrightPanelOnUniformBackground) {
    draw_and_check(3, 7, 50, 30, kPanelBright, kBright);
}

TEST_P(PanelTest, MiddleRingIsGreyWhenDimAndWhiteWhenBright) {
    BitmapPtr b = uniform(40, 40);
    draw_panel(b.get(), 0, 0, 39, 39, kPanelDim);
    EXPECT_TRUE(near(b.get(), 2, 20, {128, 128, 128}, "dim middle ring"));
    draw_panel(b.get(), 0, 0, 39, 39, kPanelBright);
    EXPECT_TRUE(near(b.get(), 2, 20, {255, 255, 255}, "bright middle ring"));
    EXPECT_TRUE(near(b.get(), 20, 37, {255, 255, 255}, "bright middle ring"));
}

TEST_P(PanelTest, EachRoundedCornerLeavesThreePixels) {
    const int x1 = 5, y1 = 6, x2 = 30, y2 = 25;
    BitmapPtr b = uniform(40, 40);
    draw_panel(b.get(), x1, y1, x2, y2, kPanelBright);
    const struct {
        int x, y, sx, sy; // corner pixel and the way into the panel
    } corners[] = {{x1, y1, 1, 1}, {x2, y1, -1, 1}, {x1, y2, 1, -1}, {x2, y2, -1, -1}};
    for (const auto &c : corners) {
        EXPECT_TRUE(near(b.get(), c.x, c.y, kBackground, "corner pixel"));
        EXPECT_TRUE(near(b.get(), c.x + c.sx, c.y, kBackground, "beside the corner"));
        EXPECT_TRUE(near(b.get(), c.x, c.y + c.sy, kBackground, "beside the corner"));
        // The curve starts right after them, in the outer ring.
        EXPECT_TRUE(near(b.get(), c.x + 2 * c.sx, c.y, kBright[0], "curve"));
        EXPECT_TRUE(near(b.get(), c.x + c.sx, c.y + c.sy, kBright[0], "curve"));
        EXPECT_TRUE(near(b.get(), c.x, c.y + 2 * c.sy, kBright[0], "curve"));
    }
}

// Corners are ten apart, inclusive: the inside is the single pixel in the middle and
// each side's rings are single points beside it.
TEST_P(PanelTest, TenByTenPanel) {
    BitmapPtr before = uniform(20, 20), b = uniform(20, 20);
    draw_panel(b.get(), 4, 5, 14, 15, kPanelDim);
    expect_panel(before.get(), b.get(), 4, 5, 14, 15, kDim);
    EXPECT_TRUE(near(b.get(), 9, 10, three_quarters(kBackground), "the one inside pixel",
                     Source::Blended));
    EXPECT_TRUE(near(b.get(), 8, 10, kDim[4], "left inner ring"));
    EXPECT_TRUE(near(b.get(), 10, 10, kDim[4], "right inner ring"));
    EXPECT_TRUE(near(b.get(), 9, 9, kDim[4], "top inner ring"));
    EXPECT_TRUE(near(b.get(), 9, 11, kDim[4], "bottom inner ring"));
}

// The inside darkens each pixel under it, so menu text drawn first stays visible.
TEST_P(PanelTest, InsideDarkensWhateverLiesUnder) {
    BitmapPtr before = make_bitmap(GetParam(), 48, 32);
    for (int x = 0; x < 48; ++x)
        vline(before.get(), x, 0, 31, fill(before.get(), x % 3 ? Rgb{240, 240, 240} : Rgb{0, 96, 200}));
    BitmapPtr b = make_bitmap(GetParam(), 48, 32);
    blit(before.get(), b.get(), 0, 0, 0, 0, 48, 32);
    draw_panel(b.get(), 2, 1, 45, 30, kPanelDim);
    expect_panel(before.get(), b.get(), 2, 1, 45, 30, kDim);
}

// Clipping to the bitmap: a panel hanging over every edge draws what falls inside.
TEST_P(PanelTest, PanelLargerThanTheBitmapIsClipped) {
    BitmapPtr before = uniform(64, 48), b = uniform(64, 48);
    draw_panel(b.get(), -3, -2, 66, 49, kPanelBright);
    expect_panel(before.get(), b.get(), -3, -2, 66, 49, kBright);
}

TEST_P(PanelTest, LeavesSolidDrawingMode) {
    BitmapPtr b = uniform(30, 30);
    draw_panel(b.get(), 0, 0, 29, 29, kPanelDim);
    const Rgb red = {255, 0, 0};
    rectfill(b.get(), 10, 10, 12, 12, fill(b.get(), red));
    EXPECT_TRUE(near(b.get(), 11, 11, red, "solid fill after a panel"));
}

// A corner on its own takes the ramp of the last panel, whichever bitmap that went to.
TEST_P(PanelTest, CornerUsesTheRampOfTheLastPanel) {
    BitmapPtr other = uniform(20, 20);
    for (int16_t style : {kPanelBright, kPanelDim, kPanelBright}) {
        const Rgb *ramp = style == kPanelBright ? kBright : kDim;
        draw_panel(other.get(), 0, 0, 19, 19, style);
        BitmapPtr b = uniform(10, 10);
        draw_panel_corner(b.get(), 2, 3, kCornerTopLeft);
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 5; ++c) {
                const char p = kCornerPicture[r][c];
                EXPECT_TRUE(near(b.get(), 2 + c, 3 + r, p == '.' ? kBackground : ramp[p - '0'],
                                 "corner"));
            }
    }
}

// Each corner alone, mirrored into its place in its 5 x 5 square.
TEST_P(PanelTest, CornersAreMirrorImages) {
    draw_panel(uniform(20, 20).get(), 0, 0, 19, 19, kPanelDim);
    for (int corner = kCornerTopLeft; corner <= kCornerBottomRight; ++corner) {
        BitmapPtr b = uniform(12, 12);
        draw_panel_corner(b.get(), 4, 3, corner);
        const bool right = corner == kCornerTopRight || corner == kCornerBottomRight;
        const bool bottom = corner == kCornerBottomLeft || corner == kCornerBottomRight;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) {
                const int c = right ? 8 - x : x - 4, r = bottom ? 7 - y : y - 3;
                const bool in_square = c >= 0 && c < 5 && r >= 0 && r < 5;
                const char p = in_square ? kCornerPicture[r][c] : '.';
                ASSERT_TRUE(near(b.get(), x, y, p == '.' ? kBackground : kDim[p - '0'],
                                 ("corner " + std::to_string(corner)).c_str()));
            }
    }
}

TEST_P(PanelTest, UnknownCornerDrawsNothing) {
    BitmapPtr before = uniform(12, 12), b = uniform(12, 12);
    for (int corner : {0, 5, -1}) draw_panel_corner(b.get(), 3, 3, corner);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(getpixel(b.get(), x, y), getpixel(before.get(), x, y)) << x << ", " << y;
}

INSTANTIATE_TEST_SUITE_P(Depths, PanelTest, ::testing::Values(16, 32),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return "Bits" + std::to_string(info.param);
                         });

} // namespace
