// The JPEG loader against pictures made in the test: what each kind of picture
// becomes at each of the game's depths and pixel layouts, and the files it refuses.
// Any file at all keeps the promises of fuzz/promises (null, or a picture inside the
// screen in the current depth, nothing leaked) over the seeds in fuzz/corpus/jpeg/.
#include "ui/jpeg.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

using testing_support::write_file;

namespace {

// Encodes a w x h picture whose pixel (x, y) is colour(x, y) (components 3 or 1).
template <typename Colour>
std::vector<unsigned char> encode(int w, int h, int components, Colour colour, int quality = 100) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char *mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = components;
    c.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(w * components));
    while (c.next_scanline < c.image_height) {
        int y = static_cast<int>(c.next_scanline);
        for (int x = 0; x < w; ++x) {
            unsigned rgb = colour(x, y);
            if (components == 3) {
                row[x * 3] = static_cast<unsigned char>(rgb >> 16);
                row[x * 3 + 1] = static_cast<unsigned char>(rgb >> 8);
                row[x * 3 + 2] = static_cast<unsigned char>(rgb);
            } else {
                row[x] = static_cast<unsigned char>(rgb);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<unsigned char> out(mem, mem + size);
    std::free(mem);
    return out;
}

// The frame header's height and width (big-endian, after the marker, the length and
// the precision) replaced by `h` and `w`.
std::vector<unsigned char> with_declared_size(std::vector<unsigned char> jpg, int w, int h) {
    for (std::size_t i = 0; i + 8 < jpg.size(); ++i) {
        if (jpg[i] == 0xFF && jpg[i + 1] == 0xC0) {
            jpg[i + 5] = static_cast<unsigned char>(h >> 8);
            jpg[i + 6] = static_cast<unsigned char>(h);
            jpg[i + 7] = static_cast<unsigned char>(w >> 8);
            jpg[i + 8] = static_cast<unsigned char>(w);
            return jpg;
        }
    }
    ADD_FAILURE() << "no frame header";
    return jpg;
}

OwnedBitmap load_at(int depth, const std::string &name) {
    set_color_depth(depth);
    OwnedBitmap b(load_jpg(name.c_str(), nullptr));
    set_color_depth(32);
    return b;
}

struct Row {
    const char *what;
    std::vector<unsigned char> file;
    int depth;
    int w, h;                                       // 0: refused
    std::function<bool(BITMAP *, int depth)> pixels; // what the picture must show
};

const auto grey = [](int, int) { return 0x808080u; };
const auto red = [](int, int) { return 0xFF0000u; };
bool any(BITMAP *, int) { return true; }

// Red at (5, 5) in a true-colour depth, and the fourth byte of a 32-bit pixel zero.
bool red_at(BITMAP *b, int d) {
    const int p = getpixel(b, 5, 5);
    return getr_depth(d, p) >= 250 && getg_depth(d, p) <= 5 && getb_depth(d, p) <= 5 &&
           (d != 32 || b->line[5][4 * 5 + 3] == 0);
}

TEST(Jpeg, EachPictureAtEachDepthOrRefused) {
    testing_support::TempDir dir(true);
    std::vector<unsigned char> cut = encode(64, 48, 3, [](int x, int y) {
        return static_cast<unsigned>((x * 37 + y * 91) * 2654435761u); }, 90);
    ASSERT_GT(cut.size(), 3000u) << "the picture data, not the tables, fills the file";
    cut.resize(cut.size() * 2 / 3);
    std::vector<unsigned char> noise(5000);
    unsigned seed = 12345;
    for (auto &b : noise) b = static_cast<unsigned char>((seed = seed * 1103515245u + 12345u) >> 16);
    noise[0] = 0xFF, noise[1] = 0xD8; // a start marker, then garbage
    std::vector<unsigned char> header_only = encode(32, 32, 3, grey);
    header_only.resize(20);
    const std::string text = "this is not a picture at all, just words";

    const Row rows[] = {
        {"red at 32 bits", encode(16, 16, 3, red), 32, 16, 16, red_at},
        {"red at 24 bits", encode(16, 16, 3, red), 24, 16, 16, red_at},
        // 16 bits packed with the library's shifts.
        {"red at 16 bits", encode(8, 8, 3, red), 16, 8, 8, [](BITMAP *b, int) { return getpixel(b, 3, 3) == 0xF800; }},
        {"white at 16 bits", encode(8, 8, 3, [](int, int) { return 0xFFFFFFu; }), 16, 8, 8,
         [](BITMAP *b, int) { return getpixel(b, 3, 3) == 0xFFFF; }},
        {"a grey ramp", encode(20, 10, 1, [](int x, int) { return static_cast<unsigned>(x * 12); }), 32, 20, 10,
         [](BITMAP *b, int) {
             for (int x = 0; x < 20; ++x) {
                 const unsigned char *q = b->line[4] + 4 * x;
                 if (q[0] != q[1] || q[1] != q[2] || q[3] != 0) return false;
             }
             return b->line[4][0] < b->line[4][4 * 19];
         }},
        // Left half blue, right half green, on a size that is no multiple of 8.
        {"an odd size", encode(639, 37, 3, [](int x, int) { return x < 320 ? 0x0000FFu : 0x00FF00u; }), 32, 639, 37,
         [](BITMAP *b, int) {
             return getb32(getpixel(b, 10, 36)) > 200 && getg32(getpixel(b, 638, 0)) > 200 &&
                    getb32(getpixel(b, 638, 0)) < 60;
         }},
        {"the screen's size", encode(640, 480, 3, grey, 50), 32, 640, 480, any},
        {"cut short: whole size", cut, 32, 64, 48, any},
        {"641 wide declared", with_declared_size(encode(8, 8, 3, grey), 641, 8), 32, 0, 0, any},
        {"481 high declared", with_declared_size(encode(8, 8, 3, grey), 8, 481), 32, 0, 0, any},
        {"30000 square declared", with_declared_size(encode(8, 8, 3, grey), 30000, 30000), 32, 0, 0, any},
        {"empty", {}, 32, 0, 0, any},
        {"words", std::vector<unsigned char>(text.begin(), text.end()), 32, 0, 0, any},
        {"noise after a start marker", noise, 32, 0, 0, any},
        {"the header cut", header_only, 16, 0, 0, any},
    };
    for (const Row &r : rows) {
        write_file("p.jpg", r.file);
        testing::internal::CaptureStderr();
        OwnedBitmap b = load_at(r.depth, "p.jpg");
        testing::internal::GetCapturedStderr();
        if (r.w == 0) {
            EXPECT_FALSE(b) << r.what;
            continue;
        }
        ASSERT_TRUE(b) << r.what;
        EXPECT_EQ(b->w * 10000 + b->h, r.w * 10000 + r.h) << r.what;
        EXPECT_EQ(bitmap_color_depth(b.get()), r.depth) << r.what;
        EXPECT_TRUE(r.pixels(b.get(), r.depth)) << r.what;
    }
}

TEST(Jpeg, FollowsAScreenWithBlueInTheHighBits) {
    testing_support::TempDir dir(true);
    write_file("red.jpg", encode(8, 8, 3, red));
    const int saved[3] = {_rgb_r_shift_32, _rgb_g_shift_32, _rgb_b_shift_32};
    _rgb_r_shift_32 = 0;
    _rgb_b_shift_32 = 16;
    OwnedBitmap b = load_at(32, "red.jpg");
    _rgb_r_shift_32 = saved[0], _rgb_g_shift_32 = saved[1], _rgb_b_shift_32 = saved[2];
    ASSERT_TRUE(b);
    EXPECT_GE(b->line[2][4 * 2 + 0], 250) << "red belongs in the low byte on this layout";
    EXPECT_LE(b->line[2][4 * 2 + 2], 5);
}

// A refused picture is named; each failed load closes its file (a leak would run out
// of descriptors); paths go through the resolver.
TEST(Jpeg, RefusalsAreNamedAndLeaveNothingOpen) {
    testing_support::TempDir dir(true);
    write_file("huge.jpg", with_declared_size(encode(8, 8, 3, grey), 30000, 30000));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(load_at(32, "huge.jpg"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("huge.jpg"), std::string::npos);
    write_file("text.jpg", std::string("not a picture"));
    testing::internal::CaptureStderr();
    for (int i = 0; i < 2000; ++i) ASSERT_FALSE(load_at(32, "text.jpg"));
    testing::internal::GetCapturedStderr();
    testing_support::make_dirs("GFX");
    write_file("GFX/ZENTIX.JPG", encode(4, 4, 3, grey));
    EXPECT_TRUE(load_at(32, "gfx\\zentix.jpg"));
}

} // namespace
