// The PNG writer: the deflate stream inflated by an independent decoder (Python's
// zlib, which checks its Adler-32), and whole pictures read back by ImageMagick
// (which refuses a chunk whose CRC is wrong). Those two programs are part of the
// build machine's packages; a test that needs one skips when it is missing.
#include "png_write.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

bool have(const char *program) {
    std::string cmd = std::string("command -v ") + program + " > /dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

std::vector<uint8_t> inflate_with_python(const std::vector<uint8_t> &z) {
    TempDir dir;
    write_file(dir.file("in.z"), z);
    std::string cmd = "python3 -c \"import sys, zlib; "
                      "open(sys.argv[2], 'wb').write(zlib.decompress(open(sys.argv[1], 'rb').read()))\" " +
                      dir.file("in.z") + " " + dir.file("out") + " 2> " + dir.file("err");
    if (std::system(cmd.c_str()) != 0) {
        std::vector<unsigned char> err = read_file(dir.file("err"));
        ADD_FAILURE() << "zlib refused the stream: " << std::string(err.begin(), err.end());
        return {};
    }
    std::vector<unsigned char> out = read_file(dir.file("out"));
    return std::vector<uint8_t>(out.begin(), out.end());
}

TEST(PngWrite, DeflateStreamsInflateToTheirData) {
    if (!have("python3")) GTEST_SKIP() << "python3 is not installed";
    std::mt19937 rng(7);
    std::vector<std::vector<uint8_t>> cases;
    cases.push_back({});
    cases.push_back({42});
    cases.push_back(std::vector<uint8_t>(100000, 0xAB)); // one long run
    std::vector<uint8_t> noise(70000);
    for (uint8_t &b : noise) b = static_cast<uint8_t>(rng());
    cases.push_back(noise);
    // Repeats far apart and near, of every length up to past the longest match.
    std::vector<uint8_t> mixed;
    for (int i = 0; i < 3000; ++i) {
        int len = static_cast<int>(rng() % 300) + 1;
        std::size_t back = mixed.empty() ? 0 : rng() % (mixed.size() < 40000 ? mixed.size() : 40000);
        for (int k = 0; k < len; ++k)
            mixed.push_back(back && rng() % 4 ? mixed[mixed.size() - back] : static_cast<uint8_t>(rng()));
    }
    cases.push_back(mixed);
    for (const std::vector<uint8_t> &data : cases) {
        std::vector<uint8_t> z = maps::zlib_compress(data);
        EXPECT_EQ(inflate_with_python(z), data) << data.size() << " bytes";
    }
    EXPECT_LT(maps::zlib_compress(cases[2]).size(), 1000u);
}

TEST(PngWrite, PicturesReadBackPixelForPixel) {
    if (!have("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    maps::Raster img;
    img.w = 300;
    img.h = 77;
    img.rgb.resize(static_cast<std::size_t>(img.w) * img.h * 3);
    std::mt19937 rng(3);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            uint8_t *p = img.at(x, y);
            bool flat = (x / 20 + y / 10) % 2 == 0;
            p[0] = flat ? 200 : static_cast<uint8_t>(rng());
            p[1] = flat ? 30 : static_cast<uint8_t>(x);
            p[2] = flat ? 90 : static_cast<uint8_t>(y * 3);
        }
    TempDir dir;
    write_file(dir.file("p.png"), maps::encode_png(img));
    std::string cmd = "convert " + dir.file("p.png") + " -depth 8 rgb:" + dir.file("p.rgb") +
                      " 2> /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::vector<unsigned char> back = read_file(dir.file("p.rgb"));
    ASSERT_EQ(back.size(), img.rgb.size());
    EXPECT_TRUE(std::equal(back.begin(), back.end(), img.rgb.begin()));
}

} // namespace
