// Pixel tests of the menu backdrop at both screen sizes and of the volume dial: the
// wave tables, where each logo row of the reflection lands, how the ripple and the
// bounce move it, what shows through it, and which menu cell goes where in the dial.
#include "support/test_support.h"
#include "ui/backdrop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <ostream>
#include <string>

using testing_support::BitmapPtr;
using testing_support::make_bitmap;

namespace {

struct Rgb {
    int r, g, b;
};

bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

std::string text(Rgb c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) +
           ")";
}

Rgb read_rgb(BITMAP *b, int x, int y) {
    const int depth = bitmap_color_depth(b), c = getpixel(b, x, y);
    return {getr_depth(depth, c), getg_depth(depth, c), getb_depth(depth, c)};
}

int colour(BITMAP *b, Rgb c) { return makecol_depth(bitmap_color_depth(b), c.r, c.g, c.b); }

constexpr Rgb kBlack = {0, 0, 0};
constexpr Rgb kMagenta = {255, 0, 255};
// What a destination holds before a draw, so a pixel the draw forgot shows up.
constexpr Rgb kStale = {13, 250, 7};

// Sets the colour depth the game would run in, fills the tables and mask_colour for
// it, and sets the translucency the game sets at start-up; puts the depth back after.
class WithDepth {
public:
    explicit WithDepth(int depth) : old_depth_(get_color_depth()) {
        set_color_depth(depth);
        fill_menu_wave_tables();
        set_trans_blender(0, 0, 0, 64);
    }
    ~WithDepth() { set_color_depth(old_depth_); }

private:
    int old_depth_;
};

// ---------------------------------------------------------------------------------
// The wave tables

TEST(MenuWaveTables, KnownEntries) {
    WithDepth depth(32);
    // Truncated toward zero: ripple 26 (-0.63) and 27 (-1.24), bounce 11 (-3.09) would
    // be one lower if floored; bounce 5 (9.99999997) would be 10 if rounded, and with a
    // true 2 pi the sine there would be exactly 1.
    const struct {
        int index, value;
    } ripple[] = {{0, 0}, {1, 0}, {2, 1}, {12, 4}, {25, 0}, {26, 0}, {27, -1}, {37, -4}, {49, 0}},
      bounce[] = {{0, 0}, {3, 8}, {5, 9}, {10, 0}, {11, -3}, {15, -9}, {19, -3}};
    for (const auto &e : ripple) EXPECT_EQ(ripple_table[e.index], e.value) << "ripple " << e.index;
    for (const auto &e : bounce) EXPECT_EQ(bounce_table[e.index], e.value) << "bounce " << e.index;
}

TEST(MenuWaveTables, RangesAreReachedAndNeverPassed) {
    WithDepth depth(32);
    const struct {
        const int16_t *table;
        int size, limit;
    } tables[] = {{ripple_table, kRippleSteps, 4}, {bounce_table, kBounceSteps, 9}};
    for (const auto &t : tables) {
        int low = 0, high = 0;
        for (int i = 0; i < t.size; ++i) {
            EXPECT_LE(std::abs(t.table[i]), t.limit) << "entry " << i;
            low = std::min<int>(low, t.table[i]);
            high = std::max<int>(high, t.table[i]);
        }
        EXPECT_EQ(low, -t.limit);
        EXPECT_EQ(high, t.limit);
    }
}

// The main menu starts at these phases: no ripple on the first row, and the
// reflection as high as the logo.
TEST(MenuWaveTables, StartingPhasesAreFlat) {
    WithDepth depth(32);
    EXPECT_EQ(ripple_table[kFirstRipplePhase], 0);
    EXPECT_EQ(bounce_table[kFirstBouncePhase], 0);
}

// The tables are filled again at every start of the menu: every entry, whatever
// it held before.
TEST(MenuWaveTables, RefillWritesEveryEntry) {
    WithDepth depth(32);
    int16_t ripple[kRippleSteps], bounce[kBounceSteps];
    std::copy(ripple_table, ripple_table + kRippleSteps, ripple);
    std::copy(bounce_table, bounce_table + kBounceSteps, bounce);
    std::fill(ripple_table, ripple_table + kRippleSteps, int16_t{99});
    std::fill(bounce_table, bounce_table + kBounceSteps, int16_t{99});
    mask_colour = 0;
    fill_menu_wave_tables();
    EXPECT_EQ(mask_colour, makecol_depth(32, 255, 0, 255));
    EXPECT_TRUE(std::equal(ripple, ripple + kRippleSteps, ripple_table));
    EXPECT_TRUE(std::equal(bounce, bounce + kBounceSteps, bounce_table));
}

// mask_colour must be the colour Allegro's masked drawing skips at the depth in use.
TEST(MenuWaveTables, MaskColourIsMagentaOfTheDepthInUse) {
    for (int bits : {16, 32}) {
        WithDepth depth(bits);
        BitmapPtr b = make_bitmap(bits, 1, 1);
        EXPECT_EQ(mask_colour, bitmap_mask_color(b.get())) << bits << " bits";
        EXPECT_EQ(mask_colour, makecol_depth(bits, 255, 0, 255)) << bits << " bits";
    }
}

// ---------------------------------------------------------------------------------
// The backdrop

// One screen size as the menus should show it.
struct Version {
    const char *name;
    void (*draw)(int, int, BITMAP *, BITMAP *, BITMAP *, BITMAP *);
    int w, h;     // background and destination
    int logo_h;   // logo and work bitmap, as wide as the screen
    int top;      // first destination row of the reflection
    int last_row; // the lowest row the reflection may reach: its 200 or 80 rows end there
};

void PrintTo(const Version &v, std::ostream *os) { *os << v.name; }

const Version kVersions[] = {
    {"High", draw_menu_backdrop, 640, 480, 193, 110, 309},
    {"Low", draw_menu_backdrop_low, 320, 200, 72, 64, 143},
};

// A background that differs from row to row and column to column.
Rgb background_colour(int x, int y) { return {(x * 5) & 255, (y * 3) & 255, 200}; }

// Logo rows are told apart by red and green, columns (sixteen to a cycle, more than
// the ripple's reach) by blue, so a row out of place or shifted sideways reads as
// another colour. Every fifth strip of 8 columns is mask-coloured; the last columns
// are not, so a shift to the left shows at the right edge.
bool logo_strip_is_clear(int x) { return (x / 8) % 5 == 2; }
Rgb logo_colour(int x, int y) {
    if (logo_strip_is_clear(x)) return kMagenta;
    return {16 * (y % 16), 16 * (y / 16), 16 * (x % 16)};
}

// A channel of the logo laid over the background at the start-up translucency:
// Allegro takes set_trans_blender's 64 (of 255) as 65/256 of the way from the
// background to the logo, rounded down.
int blend(int logo, int under) {
    const int step = (logo - under) * 65;
    return under + (step >= 0 ? step / 256 : -((-step + 255) / 256));
}

constexpr int kNoLogoRow = -1;

struct Scene {
    const Version &v;
    BitmapPtr background, logo, work, dest;

    // `extra_logo_rows` makes the logo picture taller than its place, those rows yellow.
    Scene(const Version &version, int depth, bool with_background = true, int extra_logo_rows = 0)
        : v(version), logo(make_bitmap(depth, v.w, v.logo_h + extra_logo_rows)),
          work(make_bitmap(depth, v.w, v.logo_h)), dest(make_bitmap(depth, v.w, v.h)) {
        if (with_background) {
            background = make_bitmap(depth, v.w, v.h);
            for (int y = 0; y < v.h; ++y)
                for (int x = 0; x < v.w; ++x)
                    putpixel(background.get(), x, y,
                             colour(background.get(), background_colour(x, y)));
        }
        for (int y = 0; y < logo->h; ++y)
            for (int x = 0; x < v.w; ++x)
                putpixel(logo.get(), x, y,
                         colour(logo.get(), y < v.logo_h ? logo_colour(x, y) : Rgb{255, 255, 0}));
        clear_to_color(work.get(), colour(work.get(), kStale));
        clear_to_color(dest.get(), colour(dest.get(), kStale));
    }

    void draw(int ripple_phase, int bounce_phase) {
        v.draw(ripple_phase, bounce_phase, background.get(), logo.get(), work.get(), dest.get());
    }

    Rgb under(int x, int y) const { return background ? read_rgb(background.get(), x, y) : kBlack; }

    // How far a blended channel may be from blend(): the blender works on red and
    // blue packed together, and at 16 bits the lost bits.
    int tolerance() const { return bitmap_color_depth(dest.get()) == 16 ? 9 : 1; }

    // Whether destination row `row` shows logo row `logo_row` shifted right by
    // `shift` over the background, or only the background for kNoLogoRow. Pixels
    // that should show the background must hold it exactly.
    ::testing::AssertionResult row_is(int row, int logo_row, int shift) const {
        for (int x = 0; x < v.w; ++x) {
            const Rgb got = read_rgb(dest.get(), x, row), bg = under(x, row);
            const int lx = x - shift;
            const bool clear = logo_row == kNoLogoRow || lx < 0 || lx >= v.w ||
                               getpixel(logo.get(), lx, logo_row) == bitmap_mask_color(logo.get());
            if (clear) {
                if (got == bg) continue;
                return ::testing::AssertionFailure()
                       << "(" << x << ", " << row << ") is " << text(got) << ", not the background "
                       << text(bg);
            }
            const Rgb l = read_rgb(logo.get(), lx, logo_row);
            const Rgb want = {blend(l.r, bg.r), blend(l.g, bg.g), blend(l.b, bg.b)};
            const int tol = tolerance();
            if (std::abs(got.r - want.r) > tol || std::abs(got.g - want.g) > tol ||
                std::abs(got.b - want.b) > tol)
                return ::testing::AssertionFailure()
                       << "(" << x << ", " << row << ") is " << text(got) << ", not logo row "
                       << logo_row << " column " << lx << " blended: " << text(want);
        }
        return ::testing::AssertionSuccess();
    }

    int shift_of(int logo_row, int ripple_phase) const {
        return ripple_table[(ripple_phase + logo_row) % kRippleSteps];
    }

    // Checks every row of the destination for a reflection stretched to `height`
    // rows. Logo row y goes to work row logo_h - y; a stretch shows on each row the
    // work row its top edge falls in, t * logo_h / height rounded down. Work row 0
    // (the place of logo row logo_h, which does not exist) is transparent.
    void expect_frame(int ripple_phase, int height) const {
        const int reach = std::min(height, v.last_row - v.top + 1);
        for (int row = 0; row < v.h; ++row) {
            const int t = row - v.top;
            const int logo_row = t < 0 || t >= reach ? v.logo_h : v.logo_h - t * v.logo_h / height;
            if (logo_row == v.logo_h)
                ASSERT_TRUE(row_is(row, kNoLogoRow, 0)) << "row " << row << " should be clear";
            else
                ASSERT_TRUE(row_is(row, logo_row, shift_of(logo_row, ripple_phase)))
                    << "row " << row << " should show logo row " << logo_row;
        }
    }
};

class BackdropTest : public ::testing::TestWithParam<Version> {
protected:
    WithDepth depth_{32};
};

// Ripple 0 and bounce 10, where the main menu starts: the logo upside down at its
// own height, logo row y on destination row top + logo_h - y, each row shifted by
// the ripple of its own step; logo row 0 is dropped and the first row stays clear.
TEST_P(BackdropTest, StartingPhasesReflectTheLogoUpsideDown) {
    Scene s(GetParam(), 32);
    s.draw(kFirstRipplePhase, kFirstBouncePhase);
    s.expect_frame(kFirstRipplePhase, s.v.logo_h);
    EXPECT_TRUE(s.row_is(s.v.top, kNoLogoRow, 0));
    EXPECT_TRUE(s.row_is(s.v.top + 1, s.v.logo_h - 1, s.shift_of(s.v.logo_h - 1, 0)));
    EXPECT_TRUE(s.row_is(s.v.top + s.v.logo_h - 1, 1, s.shift_of(1, 0)));
    EXPECT_TRUE(s.row_is(s.v.top + s.v.logo_h, kNoLogoRow, 0));
}

// Only the logo's own rows are reflected: a taller picture's further rows never show,
// and the reflection's first row stays clear.
TEST_P(BackdropTest, RowsBelowTheLogosPlaceAreNeverReflected) {
    Scene s(GetParam(), 32, true, 4);
    s.draw(kFirstRipplePhase, kFirstBouncePhase);
    s.expect_frame(kFirstRipplePhase, s.v.logo_h);
}

// Another ripple phase moves the ripple pattern down the reflection.
TEST_P(BackdropTest, WholeFrameAtAnotherRipplePhase) {
    Scene s(GetParam(), 32);
    s.draw(17, kFirstBouncePhase);
    s.expect_frame(17, s.v.logo_h);
}

// Sideways shifts read from the picture: a row moved right leaves the background at
// its left edge, one moved left at its right edge.
TEST_P(BackdropTest, RippleShiftsRowsSideways) {
    const struct {
        int phase, logo_row, shift;
    } cases[] = {{0, 12, 4}, {0, 37, -4}, {0, 25, 0}, {25, 12, -4}, {25, 37, 4}, {3, 20, 1}};
    Scene s(GetParam(), 32);
    for (const auto &c : cases) {
        s.draw(c.phase, kFirstBouncePhase);
        const int row = s.v.top + s.v.logo_h - c.logo_row;
        EXPECT_TRUE(s.row_is(row, c.logo_row, c.shift))
            << "phase " << c.phase << ", logo row " << c.logo_row << ", shift " << c.shift;
    }
}

// The bounce changes the reflection's height by the table's value: the shortest, the
// tallest (cut by the 200 or 80 rows of the temporary bitmap) and some between.
TEST_P(BackdropTest, HeightFollowsTheBounce) {
    const struct {
        int phase, change;
    } cases[] = {{15, -9}, {12, -5}, {10, 0}, {2, 5}, {5, 9}, {4, 9}};
    Scene s(GetParam(), 32);
    for (const auto &c : cases) {
        SCOPED_TRACE("bounce phase " + std::to_string(c.phase));
        s.draw(0, c.phase);
        s.expect_frame(0, s.v.logo_h + c.change);
    }
}

TEST_P(BackdropTest, ShortestReflectionEndsNineRowsEarly) {
    Scene s(GetParam(), 32);
    s.draw(0, 15);
    const int last = s.v.top + s.v.logo_h - 9 - 1;
    EXPECT_FALSE(s.row_is(last, kNoLogoRow, 0)) << "the last row of the reflection";
    for (int row = last + 1; row < s.v.h; ++row) ASSERT_TRUE(s.row_is(row, kNoLogoRow, 0));
}

// The tallest stretch would reach two rows further; the temporary bitmap cuts it
// rather than squeezing it, so its last row is not the logo's row 1.
TEST_P(BackdropTest, TallestReflectionIsCut) {
    Scene s(GetParam(), 32);
    s.draw(0, 5);
    EXPECT_FALSE(s.row_is(s.v.last_row, kNoLogoRow, 0)) << "the last row of the reflection";
    EXPECT_FALSE(s.row_is(s.v.last_row, 1, s.shift_of(1, 0)));
    for (int row = s.v.last_row + 1; row < s.v.h; ++row) ASSERT_TRUE(s.row_is(row, kNoLogoRow, 0));
}

// One pixel of logo and one of mask colour on the same reflected row.
TEST_P(BackdropTest, LogoIsTranslucentAndMaskColourIsClear) {
    Scene s(GetParam(), 32);
    s.draw(0, kFirstBouncePhase);
    const int logo_row = 50, row = s.v.top + s.v.logo_h - logo_row; // ripple step 0: no shift
    const Rgb logo = logo_colour(5, logo_row), bg = background_colour(5, row);
    const Rgb got = read_rgb(s.dest.get(), 5, row);
    EXPECT_FALSE(got == logo) << text(got);
    EXPECT_FALSE(got == bg) << text(got);
    EXPECT_NEAR(got.r, blend(logo.r, bg.r), 1);
    EXPECT_NEAR(got.g, blend(logo.g, bg.g), 1);
    EXPECT_NEAR(got.b, blend(logo.b, bg.b), 1);
    ASSERT_TRUE(logo_strip_is_clear(20));
    EXPECT_TRUE(read_rgb(s.dest.get(), 20, row) == background_colour(20, row));
}

// The game tries 16 bits first, then 32 and 24: the temporary bitmap must take the
// destination's depth, and be clear where it holds that depth's magenta.
TEST_P(BackdropTest, SixteenAndTwentyFourBitDestinations) {
    for (int bits : {16, 24}) {
        SCOPED_TRACE(std::to_string(bits) + " bits");
        WithDepth depth(bits);
        Scene s(GetParam(), bits);
        s.draw(kFirstRipplePhase, kFirstBouncePhase);
        s.expect_frame(kFirstRipplePhase, s.v.logo_h);
    }
}

TEST_P(BackdropTest, MissingBackgroundLeavesBlackUnderTheReflection) {
    Scene s(GetParam(), 32, false);
    s.draw(7, 12);
    s.expect_frame(7, s.v.logo_h - 5);
    EXPECT_TRUE(read_rgb(s.dest.get(), 0, 0) == kBlack);
    EXPECT_TRUE(read_rgb(s.dest.get(), s.v.w - 1, s.v.h - 1) == kBlack);
}

// Without a logo, a work bitmap, or a work bitmap the logo can be stretched out of,
// the backdrop is the background alone.
TEST_P(BackdropTest, NoReflectionWithoutLogoOrUsableWorkBitmap) {
    const Version &v = GetParam();
    Scene s(v, 32);
    BitmapPtr narrow = make_bitmap(32, v.w - 1, v.logo_h),
              short_work = make_bitmap(32, v.w, v.logo_h - 1),
              sixteen_bit = make_bitmap(16, v.w, v.logo_h);
    const struct {
        const char *what;
        BITMAP *logo, *work;
    } cases[] = {
        {"no logo", nullptr, s.work.get()},
        {"no work bitmap", s.logo.get(), nullptr},
        {"narrow work bitmap", s.logo.get(), narrow.get()},
        {"short work bitmap", s.logo.get(), short_work.get()},
        {"16-bit work bitmap", s.logo.get(), sixteen_bit.get()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        clear_to_color(s.dest.get(), colour(s.dest.get(), kStale));
        v.draw(0, kFirstBouncePhase, s.background.get(), c.logo, c.work, s.dest.get());
        for (int row = 0; row < v.h; ++row) ASSERT_TRUE(s.row_is(row, kNoLogoRow, 0));
    }
}

TEST_P(BackdropTest, NothingButDestinationGivesBlack) {
    Scene s(GetParam(), 32, false);
    s.v.draw(0, kFirstBouncePhase, nullptr, nullptr, s.work.get(), s.dest.get());
    for (int row = 0; row < s.v.h; ++row) ASSERT_TRUE(s.row_is(row, kNoLogoRow, 0));
}

// Phases outside 0..49 and 0..19, either way, draw the frame of the phases they
// come to when brought into range.
TEST_P(BackdropTest, PhasesOutOfRangeAreBroughtIntoRange) {
    const struct {
        int ripple, bounce, ripple_in_range, bounce_in_range;
    } cases[] = {
        {57, 25, 7, 5},   {-43, -15, 7, 5},          {-1, -1, 49, 19},
        {50, 20, 0, 0},   {INT_MAX, INT_MAX, 47, 7}, {INT_MIN, INT_MIN, 2, 12},
        {7 + 50 * 9000, 5 - 20 * 9000, 7, 5},
    };
    Scene want(GetParam(), 32), got(GetParam(), 32);
    for (const auto &c : cases) {
        want.draw(c.ripple_in_range, c.bounce_in_range);
        got.draw(c.ripple, c.bounce);
        for (int y = 0; y < want.v.h; ++y)
            for (int x = 0; x < want.v.w; ++x)
                ASSERT_EQ(getpixel(got.dest.get(), x, y), getpixel(want.dest.get(), x, y))
                    << "phases " << c.ripple << ", " << c.bounce << " at (" << x << ", " << y
                    << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, BackdropTest, ::testing::ValuesIn(kVersions),
                         [](const ::testing::TestParamInfo<Version> &info) {
                             return info.param.name;
                         });

// ---------------------------------------------------------------------------------
// The dial

class DialTest : public ::testing::Test {
protected:
    static constexpr int kDestW = 100, kDestH = 80, kX = 20, kY = 9;

    void SetUp() override {
        for (int n = 0; n < kCellCount; ++n) {
            owned_[n] = make_bitmap(32, kCellSize, kCellSize);
            clear_to_color(owned_[n].get(), colour(owned_[n].get(), cell_colour(n)));
            // A mask-coloured corner: the cells are drawn as sprites.
            putpixel(owned_[n].get(), 0, 0, bitmap_mask_color(owned_[n].get()));
            cells_[n] = owned_[n].get();
        }
        dest_ = make_bitmap(32, kDestW, kDestH);
    }

    // Each cell its own colour, so the colour tells which cell was drawn.
    static Rgb cell_colour(int n) { return {n, 255 - n, 60}; }

    void draw(int16_t value, int16_t maximum) {
        clear_to_color(dest_.get(), colour(dest_.get(), kStale));
        draw_dial(dest_.get(), kX, kY, value, maximum, cells_);
    }

    // The 3 x 3 cells from `first`, a sheet row (24 cells) apart, at (kX, kY); a
    // missing cell leaves its square as it was, and nothing outside the dial changes.
    ::testing::AssertionResult dial_is(int first) const {
        for (int y = 0; y < kDestH; ++y)
            for (int x = 0; x < kDestW; ++x) {
                const int c = (x - kX) / kCellSize, r = (y - kY) / kCellSize;
                const bool inside = x >= kX && y >= kY && c < 3 && r < 3;
                const int cell = first + 24 * r + c;
                const bool corner = (x - kX) % kCellSize == 0 && (y - kY) % kCellSize == 0;
                const Rgb want = inside && cells_[cell] && !corner ? cell_colour(cell) : kStale;
                const Rgb got = read_rgb(dest_.get(), x, y);
                if (!(got == want))
                    return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is "
                                                         << text(got) << ", want " << text(want);
            }
        return ::testing::AssertionSuccess();
    }

    BitmapPtr owned_[kCellCount];
    CellSet cells_ = {};
    BitmapPtr dest_;
};

TEST_F(DialTest, SetUpMenuRangeEnds) {
    draw(0, 256);
    EXPECT_TRUE(dial_is(0)) << "cells 0-2, 24-26, 48-50";
    draw(255, 256);
    EXPECT_TRUE(dial_is(93)) << "cells 93-95, 117-119, 141-143";
}

// Frames run left to right, eight to a band of three sheet rows; the frame is
// value * 16 / maximum, truncated, kept within 0..15, and frame 0 when the maximum
// is not above 0.
TEST_F(DialTest, FrameFromValueAndMaximum) {
    const struct {
        int16_t value, maximum;
        int first_cell;
    } cases[] = {
        // Within range: frames 0, 1, 5, 7, 8, 9, 14 and 15, across both bands.
        {15, 256, 0}, {16, 256, 3}, {127, 256, 21}, {128, 256, 72}, {3, 5, 75},
        {239, 256, 90}, {240, 256, 93}, {1, 3, 15},
        // Out of range either way, by a little and by a lot.
        {-1, 256, 0}, {-300, 256, 0}, {256, 256, 93}, {1000, 256, 93}, {32767, 1, 93},
        // No maximum: frame 0 whatever the value's sign.
        {5, 0, 0}, {0, 0, 0}, {5, -4, 0}, {-5, -4, 0}, {-32768, -1, 0},
    };
    for (const auto &c : cases) {
        draw(c.value, c.maximum);
        EXPECT_TRUE(dial_is(c.first_cell)) << c.value << " / " << c.maximum;
    }
}

TEST_F(DialTest, MissingCellsAreSkipped) {
    cells_[25] = nullptr;
    cells_[93] = nullptr;
    cells_[143] = nullptr;
    draw(0, 256);
    EXPECT_TRUE(dial_is(0));
    draw(255, 256);
    EXPECT_TRUE(dial_is(93));
}

} // namespace
