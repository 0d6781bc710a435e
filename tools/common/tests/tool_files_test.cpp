// The tools' common writers. A failed rename of an output file leaves what stood in
// its place as it was, and no part file; that whole files appear, and nothing where a
// write fails, is held by the generated files' hashes (which name any file too many)
// and the tools' tests. The PNG writer: a picture read back by ImageMagick, which
// inflates the deflate stream with zlib (checking its Adler-32) and refuses a chunk
// whose CRC is wrong; its bytes hold one long run, noise, and repeats far apart and
// near of every length up to past the longest match. ImageMagick is part of the
// build machine's packages; that test skips when it is missing.
#include "file_out.h"
#include "png_write.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace {

TEST(PngWrite, PicturesReadBackPixelForPixel) {
    if (std::system("command -v convert > /dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick is not installed";
    std::mt19937 rng(7);
    std::vector<uint8_t> bytes(100000, 0xAB);
    for (int i = 0; i < 70000; ++i) bytes.push_back(static_cast<uint8_t>(rng()));
    for (int i = 0; i < 3000; ++i) {
        const int len = static_cast<int>(rng() % 300) + 1;
        const std::size_t back = rng() % 40000;
        for (int k = 0; k < len; ++k)
            bytes.push_back(back && rng() % 4 ? bytes[bytes.size() - back] : static_cast<uint8_t>(rng()));
    }
    maps::Raster img;
    img.w = 516; // the long run's rows end in a match of 257 bytes
    img.h = static_cast<int>(bytes.size() / (img.w * 3));
    bytes.resize(static_cast<std::size_t>(img.w) * img.h * 3);
    img.rgb = bytes;
    testing_support::TempDir dir;
    testing_support::write_file(dir.file("p.png"), maps::encode_png(img));
    const std::string cmd = "convert " + dir.file("p.png") + " -depth 8 rgb:" + dir.file("p.rgb") + " 2> /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_TRUE(testing_support::read_file(dir.file("p.rgb")) == bytes);
    EXPECT_LT(maps::zlib_compress(std::vector<uint8_t>(100000, 0xAB)).size(), 1000u);
}

TEST(WholeFiles, AFailedRenameKeepsTheOldFileAndRemovesThePart) {
    testing_support::TempDir dir;
    std::string why;
    // A non-empty directory cannot be replaced by a file.
    testing_support::make_dirs(dir.file("out.bin/inside"));
    const unsigned char bytes[3] = {1, 2, 3};
    EXPECT_FALSE(tool_files::write_file_whole(dir.file("out.bin"), bytes, 3, why));
    EXPECT_NE(why.find("renamed"), std::string::npos) << why;
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("out.bin/inside")));
    EXPECT_EQ(testing_support::dir_entries(dir.path()), std::vector<std::string>{"out.bin"});
}

} // namespace
