// The scaled window: each pixel of the game's picture becomes a block of scale x
// scale pixels, and a picture kept from the last present still lets every changed
// row through.
#include "core/platform.h"

#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

namespace {

using testing_support::make_bitmap;

// Neighbouring pixels differ, and every component is 0 or 255, so each depth holds
// the colours exactly.
int colour_at(int depth, int x, int y) {
    const int c = (x + 3 * y) % 8;
    return makecol_depth(depth, c & 1 ? 255 : 0, c & 2 ? 255 : 0, c & 4 ? 255 : 0);
}

OwnedBitmap picture_of(int depth) {
    OwnedBitmap p = make_bitmap(depth, 7, 5);
    for (int y = 0; y < p->h; ++y)
        for (int x = 0; x < p->w; ++x) putpixel(p.get(), x, y, colour_at(depth, x, y));
    return p;
}

void expect_blocks(BITMAP *picture, BITMAP *dest, int scale) {
    for (int y = 0; y < picture->h * scale; ++y)
        for (int x = 0; x < picture->w * scale; ++x)
            ASSERT_EQ(getpixel(dest, x, y), getpixel(picture, x / scale, y / scale))
                << "(" << x << ", " << y << ") at x" << scale << ", "
                << bitmap_color_depth(picture) << " bits";
}

TEST(PresentScaled, EveryPixelBecomesABlockAtEveryDepthAndScale) {
    const struct {
        int depth, scale;
    } cases[] = {{16, 1}, {16, 2}, {16, 3}, {32, 2}, {32, 4}, {32, 5}, {15, 2}};
    for (const auto &c : cases) {
        OwnedBitmap picture = picture_of(c.depth);
        OwnedBitmap dest = make_bitmap(c.depth, picture->w * c.scale, picture->h * c.scale);
        clear_to_color(dest.get(), makecol_depth(c.depth, 90, 90, 90));
        present_scaled(picture.get(), dest.get(), c.scale);
        expect_blocks(picture.get(), dest.get(), c.scale);
    }
}

TEST(PresentScaled, AKeptPictureLetsEveryChangedRowThrough) {
    for (int depth : {16, 32}) {
        OwnedBitmap picture = picture_of(depth);
        OwnedBitmap kept = make_bitmap(depth, picture->w, picture->h);
        clear_bitmap(kept.get());
        OwnedBitmap dest = make_bitmap(depth, picture->w * 2, picture->h * 2);
        present_scaled(picture.get(), dest.get(), 2, kept.get());
        expect_blocks(picture.get(), dest.get(), 2);
        const int white = makecol_depth(depth, 255, 255, 255);
        for (int y : {0, 2, 4}) putpixel(picture.get(), y + 1, y, white);
        present_scaled(picture.get(), dest.get(), 2, kept.get());
        expect_blocks(picture.get(), dest.get(), 2);
    }
}

} // namespace
