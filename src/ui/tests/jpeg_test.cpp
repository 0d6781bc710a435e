// The JPEG loader against pictures made in the test: colour and grey, odd sizes,
// every depth, and files that are cut short, empty or not pictures at all.
#include "ui/jpeg.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

using testing_support::TempDir;
using testing_support::read_file;
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

unsigned solid(unsigned rgb) { return rgb; }

class JpegTest : public ::testing::Test {
protected:
    TempDir dir{true};
    void TearDown() override { set_color_depth(32); }
    BITMAP *load_at(int depth, const std::string &name) {
        set_color_depth(depth);
        return load_jpg(name.c_str(), nullptr);
    }
};

TEST_F(JpegTest, SolidColoursAtThirtyTwoAndTwentyFourBits) {
    write_file("red.jpg", encode(16, 16, 3, [](int, int) { return solid(0xFF0000); }));
    for (int depth : {32, 24}) {
        BITMAP *b = load_at(depth, "red.jpg");
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(bitmap_color_depth(b), depth);
        int p = getpixel(b, 5, 5);
        EXPECT_GE(getr_depth(depth, p), 250);
        EXPECT_LE(getg_depth(depth, p), 5);
        EXPECT_LE(getb_depth(depth, p), 5);
        if (depth == 32) {
            EXPECT_EQ(b->line[5][4 * 5 + 3], 0) << "fourth byte must be zero";
        }
        destroy_bitmap(b);
    }
}

TEST_F(JpegTest, SixteenBitPacksWithTheLibraryShifts) {
    write_file("white.jpg", encode(8, 8, 3, [](int, int) { return solid(0xFFFFFF); }));
    write_file("red.jpg", encode(8, 8, 3, [](int, int) { return solid(0xFF0000); }));
    BITMAP *w = load_at(16, "white.jpg");
    BITMAP *r = load_at(16, "red.jpg");
    ASSERT_NE(w, nullptr);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(_rgb_r_shift_16, 11);
    EXPECT_EQ(getpixel(w, 3, 3), 0xFFFF);
    EXPECT_EQ(getpixel(r, 3, 3), 0xF800);
    destroy_bitmap(w);
    destroy_bitmap(r);
}

TEST_F(JpegTest, FollowsAScreenWithBlueInTheHighBits) {
    write_file("red.jpg", encode(8, 8, 3, [](int, int) { return solid(0xFF0000); }));
    const int saved[3] = {_rgb_r_shift_32, _rgb_g_shift_32, _rgb_b_shift_32};
    _rgb_r_shift_32 = 0;
    _rgb_b_shift_32 = 16;
    BITMAP *b = load_at(32, "red.jpg");
    _rgb_r_shift_32 = saved[0];
    _rgb_g_shift_32 = saved[1];
    _rgb_b_shift_32 = saved[2];
    ASSERT_NE(b, nullptr);
    EXPECT_GE(b->line[2][4 * 2 + 0], 250) << "red belongs in the low byte on this layout";
    EXPECT_LE(b->line[2][4 * 2 + 2], 5);
    destroy_bitmap(b);
}

TEST_F(JpegTest, GreyPicturesHaveEqualChannels) {
    write_file("grey.jpg", encode(20, 10, 1, [](int x, int) { return solid(static_cast<unsigned>(x * 12)); }));
    BITMAP *b = load_at(32, "grey.jpg");
    ASSERT_NE(b, nullptr);
    for (int x = 0; x < 20; ++x) {
        const unsigned char *q = b->line[4] + 4 * x;
        EXPECT_EQ(q[0], q[1]);
        EXPECT_EQ(q[1], q[2]);
        EXPECT_EQ(q[3], 0);
    }
    EXPECT_LT(b->line[4][0], b->line[4][4 * 19]) << "the ramp must survive";
    destroy_bitmap(b);
}

TEST_F(JpegTest, OddSizesAndPositionsAreExact) {
    // Left half blue, right half green, on a size that is no multiple of 8.
    write_file("odd.jpg", encode(639, 37, 3, [](int x, int) { return x < 320 ? 0x0000FFu : 0x00FF00u; }));
    BITMAP *b = load_at(32, "odd.jpg");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->w, 639);
    EXPECT_EQ(b->h, 37);
    EXPECT_GT(getb32(getpixel(b, 10, 36)), 200);
    EXPECT_GT(getg32(getpixel(b, 638, 0)), 200);
    EXPECT_LT(getb32(getpixel(b, 638, 0)), 60);
    destroy_bitmap(b);
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

TEST_F(JpegTest, DeclaredSizesBeyondTheScreenAreRefusedBeforeDecoding) {
    const auto grey = [](int, int) { return 0x808080u; };
    write_file("screen.jpg", encode(640, 480, 3, grey, 50));
    BITMAP *b = load_at(32, "screen.jpg");
    ASSERT_NE(b, nullptr) << "the screen's own size loads";
    destroy_bitmap(b);
    for (auto [w, h] : {std::pair{641, 8}, std::pair{8, 481}, std::pair{30000, 30000},
                        std::pair{65535, 65535}}) {
        write_file("huge.jpg", with_declared_size(encode(8, 8, 3, grey), w, h));
        testing::internal::CaptureStderr();
        EXPECT_EQ(load_at(32, "huge.jpg"), nullptr) << w << " x " << h;
        const std::string err = testing::internal::GetCapturedStderr();
        // Beyond 65,500 libjpeg refuses the header itself, and the caller names it.
        if (w <= 65500) {
            EXPECT_NE(err.find("huge.jpg"), std::string::npos) << "the refused file is named";
        }
    }
}

TEST_F(JpegTest, PathsGoThroughTheResolver) {
    testing_support::make_dirs("GFX");
    write_file("GFX/ZENTIX.JPG", encode(4, 4, 3, [](int, int) { return 0x808080u; }));
    BITMAP *b = load_at(32, "gfx\\zentix.jpg");
    ASSERT_NE(b, nullptr);
    destroy_bitmap(b);
}

TEST_F(JpegTest, TruncatedFileStillGivesTheFullSize) {
    // Busy content, so that the picture data and not the tables fill the file, then
    // the last third cut away.
    auto bytes = encode(64, 48, 3, [](int x, int y) { return static_cast<unsigned>((x * 37 + y * 91) * 2654435761u); }, 90);
    ASSERT_GT(bytes.size(), 3000u);
    bytes.resize(bytes.size() * 2 / 3);
    write_file("cut.jpg", bytes);
    BITMAP *b = load_at(32, "cut.jpg");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->w, 64);
    EXPECT_EQ(b->h, 48);
    destroy_bitmap(b);
}

TEST_F(JpegTest, BadFilesGiveNull) {
    EXPECT_EQ(load_at(32, "missing.jpg"), nullptr);
    write_file("empty.jpg", std::string());
    EXPECT_EQ(load_at(32, "empty.jpg"), nullptr);
    write_file("text.jpg", std::string("this is not a picture at all, just words"));
    EXPECT_EQ(load_at(32, "text.jpg"), nullptr);
    std::vector<unsigned char> noise(5000);
    unsigned seed = 12345;
    for (auto &b : noise) b = static_cast<unsigned char>((seed = seed * 1103515245u + 12345u) >> 16);
    noise[0] = 0xFF;
    noise[1] = 0xD8; // a start marker, then garbage
    write_file("noise.jpg", noise);
    EXPECT_EQ(load_at(32, "noise.jpg"), nullptr);
    auto header_only = encode(32, 32, 3, [](int, int) { return 0u; });
    header_only.resize(20);
    write_file("header.jpg", header_only);
    EXPECT_EQ(load_at(16, "header.jpg"), nullptr);
}

TEST_F(JpegTest, RepeatedFailuresLeakNoFileHandles) {
    write_file("text.jpg", std::string("not a picture"));
    // Each failed load must close its file: a leak would run out of descriptors.
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(load_at(32, "text.jpg"), nullptr);
    write_file("ok.jpg", encode(4, 4, 3, [](int, int) { return 0x102030u; }));
    BITMAP *b = load_at(32, "ok.jpg");
    ASSERT_NE(b, nullptr);
    destroy_bitmap(b);
}

} // namespace
