// The JPEG loader against pictures made in the test: what each kind of picture
// becomes at each of the game's depths and pixel layouts, and the files it refuses
// (an oversized one named).
// The game's own pictures, 640 x 480 and found through the resolver, are in the
// menus' and the splash's golden screens.
// Any file at all keeps the promises of fuzz/promises (null, or a picture inside the
// screen in the current depth, nothing leaked, a refused file closed) over the seeds
// in fuzz/corpus/jpeg/.
#include "ui/jpeg.h"
#include "support/test_support.h"

#include "art_image.h"
#include "art_write.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using testing_support::write_file;

namespace {

// A w x h picture whose pixel (x, y) is colour(x, y), written by the picture tool.
template <typename Colour>
std::vector<unsigned char> encode(int w, int h, Colour colour, int quality = 100) {
    art::Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned rgb = colour(x, y);
            img.set(x, y, art::Rgb{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)});
        }
    art::Diag err;
    EXPECT_TRUE(art::write_jpeg("made.jpg", img, quality, err)) << err.text();
    return testing_support::read_file("made.jpg");
}

// `name` loaded at `depth` (-32: 32 bits with blue in the high byte, as some screens
// lay them out), the screen's depth and layout put back after.
OwnedBitmap load_at(int depth, const std::string &name) {
    const int saved[3] = {_rgb_r_shift_32, _rgb_g_shift_32, _rgb_b_shift_32};
    if (depth < 0) _rgb_r_shift_32 = 0, _rgb_b_shift_32 = 16;
    set_color_depth(std::abs(depth));
    OwnedBitmap b(load_jpg(name.c_str(), nullptr));
    set_color_depth(32);
    _rgb_r_shift_32 = saved[0], _rgb_g_shift_32 = saved[1], _rgb_b_shift_32 = saved[2];
    return b;
}

struct Row {
    const char *what;
    std::vector<unsigned char> file;
    int depth;
    int w, h;                                       // 0: refused
    std::function<bool(BITMAP *, int depth)> pixels; // what the picture must show, if anything
};

const auto grey = [](int, int) { return 0x808080u; };
const auto red = [](int, int) { return 0xFF0000u; };

// Red at (5, 5) in a true-colour depth, and the fourth byte of a 32-bit pixel zero.
bool red_at(BITMAP *b, int d) {
    const int p = getpixel(b, 5, 5);
    return getr_depth(d, p) >= 250 && getg_depth(d, p) <= 5 && getb_depth(d, p) <= 5 &&
           (d != 32 || b->line[5][4 * 5 + 3] == 0);
}

TEST(Jpeg, EachPictureAtEachDepthOrRefused) {
    testing_support::TempDir dir(true);
    std::vector<unsigned char> cut = encode(64, 48, [](int x, int y) {
        return static_cast<unsigned>((x * 37 + y * 91) * 2654435761u); }, 90);
    ASSERT_GT(cut.size(), 3000u) << "the picture data, not the tables, fills the file";
    cut.resize(cut.size() * 2 / 3);
    std::vector<unsigned char> header_only = encode(32, 32, grey);
    header_only.resize(20);
    const std::vector<unsigned char> one_component =
        testing_support::read_file(testing_support::corpus_dir() + "/jpeg/grey.jpg");

    const Row rows[] = {
        {"red at 32 bits", encode(16, 16, red), 32, 16, 16, red_at},
        {"red at 24 bits", encode(16, 16, red), 24, 16, 16, red_at},
        {"grey at 24 bits", encode(8, 8, grey), 24, 8, 8, [](BITMAP *b, int) { return getpixel(b, 3, 3) == 0x808080; }},
        // Red belongs in the low byte on this layout.
        {"red, blue in the high byte", encode(8, 8, red), -32, 8, 8,
         [](BITMAP *b, int) { return b->line[2][4 * 2] >= 250 && b->line[2][4 * 2 + 2] <= 5; }},
        // 16 bits packed with the library's shifts.
        {"red at 16 bits", encode(8, 8, red), 16, 8, 8, [](BITMAP *b, int) { return getpixel(b, 3, 3) == 0xF800; }},
        {"white at 16 bits", encode(8, 8, [](int, int) { return 0xFFFFFFu; }), 16, 8, 8,
         [](BITMAP *b, int) { return getpixel(b, 3, 3) == 0xFFFF; }},
        // Left half blue, right half green, on a size that is no multiple of 8.
        {"an odd size", encode(639, 37, [](int x, int) { return x < 320 ? 0x0000FFu : 0x00FF00u; }), 32, 639, 37,
         [](BITMAP *b, int) {
             return getb32(getpixel(b, 10, 36)) > 200 && getg32(getpixel(b, 638, 0)) > 200 &&
                    getb32(getpixel(b, 638, 0)) < 60;
         }},
        {"one component a pixel", one_component, 32, 9, 7, [](BITMAP *b, int) {
             const int p = getpixel(b, 4, 3);
             return getr32(p) == getg32(p) && getg32(p) == getb32(p); }},
        {"cut short: whole size", cut, 32, 64, 48, nullptr},
        {"641 wide declared", encode(641, 8, grey), 32, 0, 0, nullptr},
        {"481 high declared", encode(8, 481, grey), 32, 0, 0, nullptr},
        {"the header cut", header_only, 16, 0, 0, nullptr},
    };
    for (const Row &r : rows) {
        write_file("p.jpg", r.file);
        testing::internal::CaptureStderr();
        OwnedBitmap b = load_at(r.depth, "p.jpg");
        const std::string said = testing::internal::GetCapturedStderr();
        if (r.w == 0) {
            EXPECT_FALSE(b) << r.what;
            const bool oversized = std::string(r.what).find("declared") != std::string::npos;
            EXPECT_TRUE(!oversized || said.find("p.jpg") != std::string::npos) << r.what << ": not named";
            continue;
        }
        ASSERT_TRUE(b) << r.what;
        EXPECT_EQ(b->w * 10000 + b->h, r.w * 10000 + r.h) << r.what;
        EXPECT_EQ(bitmap_color_depth(b.get()), std::abs(r.depth)) << r.what;
        EXPECT_TRUE(!r.pixels || r.pixels(b.get(), r.depth)) << r.what;
    }
}

} // namespace
