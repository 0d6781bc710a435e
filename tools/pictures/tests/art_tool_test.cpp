// The picture tool as the build runs it: a bad source stops it with the file and the
// line, and no output file is left behind; a good one writes a loadable picture.
#include "art_sheet.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

using testing_support::TempDir;
using testing_support::write_file;

bool exists(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Runs the tool; returns its exit status and what it printed.
int run_tool(const std::string &args, std::string &output, const TempDir &dir) {
    std::string log = dir.file("log.txt");
    std::string cmd = std::string(VESPERTIL_ART_TOOL) + " " + args + " > " + log + " 2>&1";
    int rc = std::system(cmd.c_str());
    std::vector<unsigned char> bytes = testing_support::read_file(log);
    output.assign(bytes.begin(), bytes.end());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

const char *kPalette = "colour 0 8 6 16 ink\ncolour a 200 10 10 red\n";

TEST(Tool, RefusesABadGridAndWritesNothing) {
    TempDir dir;
    write_file(dir.file("pal.txt"), std::string(kPalette));
    std::string recipe = "# a comment\ncells 0 1x1\n";
    for (int i = 0; i < 16; ++i) recipe += i == 6 ? "aaaaaaaq00000000\n" : "aaaaaaaa00000000\n";
    write_file(dir.file("sheet.txt"), recipe);
    std::string out;
    int rc = run_tool("sheet " + dir.file("pal.txt") + " " + dir.file("sheet.txt") + " " + dir.file("out.pcx"), out, dir);
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find(dir.file("sheet.txt") + ":9:"), std::string::npos) << out;
    EXPECT_NE(out.find("'q'"), std::string::npos) << out;
    EXPECT_EQ(testing_support::dir_entries(dir.path()),
              (std::vector<std::string>{"log.txt", "pal.txt", "sheet.txt"}));
}

TEST(Tool, AFailedWriteLeavesNoFile) {
    TempDir dir;
    write_file(dir.file("pal.txt"), std::string(kPalette));
    write_file(dir.file("sheet.txt"), std::string("# nothing drawn\n"));
    std::string out;
    std::string target = dir.file("missing-dir/out.pcx");
    int rc = run_tool("sheet " + dir.file("pal.txt") + " " + dir.file("sheet.txt") + " " + target, out, dir);
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find("out.pcx"), std::string::npos) << out;
    EXPECT_FALSE(exists(target));
}

TEST(Tool, WritesASheetThatLoadsWithItsColours) {
    TempDir dir;
    write_file(dir.file("pal.txt"), std::string(kPalette));
    std::string recipe = "cells 25 1x1\n";
    for (int i = 0; i < 16; ++i) recipe += "a...............\n";
    write_file(dir.file("sheet.txt"), recipe);
    std::string out;
    ASSERT_EQ(run_tool("sheet " + dir.file("pal.txt") + " " + dir.file("sheet.txt") + " " + dir.file("s.pcx"), out, dir), 0)
        << out;
    set_color_depth(32);
    set_color_conversion(COLORCONV_TOTAL);
    PALETTE pal;
    BITMAP *b = load_pcx(dir.file("s.pcx").c_str(), pal);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->w, 384);
    EXPECT_EQ(b->h, 160);
    EXPECT_EQ(getpixel(b, 16, 16) & 0xFFFFFF, makecol32(200, 10, 10) & 0xFFFFFF);
    EXPECT_EQ(getpixel(b, 17, 16), bitmap_mask_color(b));
    destroy_bitmap(b);
}

TEST(Tool, RefusesUnknownScenesAndWrongSizes) {
    TempDir dir;
    std::string src = std::string(VESPERTIL_ART_SOURCES);
    std::string out;
    int rc = run_tool("picture " + src + "/palette.txt " + src + "/glyphs.txt nowhere 64 64 " + dir.file("x.pcx"), out, dir);
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find("nowhere"), std::string::npos) << out;
    rc = run_tool("picture " + src + "/palette.txt " + src + "/glyphs.txt frame 641 400 " + dir.file("x.pcx"), out, dir);
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find("640 x 400"), std::string::npos) << out;
    EXPECT_FALSE(exists(dir.file("x.pcx")));
}

} // namespace
