// The picture tool as the build runs it: a bad source stops it with the file and the
// line, and no output file is left behind. What a good one writes is held by
// content/tests/generated.hashes.
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using testing_support::dir_entries;
using testing_support::TempDir;
using testing_support::write_file;

// Runs the tool; its exit status, and what it printed in `output`.
int run_tool(const std::string &args, std::string &output, const TempDir &dir) {
    int rc = std::system((std::string(VESPERTIL_ART_TOOL) + " " + args + " > " + dir.file("log.txt") + " 2>&1").c_str());
    std::vector<unsigned char> bytes = testing_support::read_file(dir.file("log.txt"));
    output.assign(bytes.begin(), bytes.end());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(ArtTool, RefusesABadSourceOrAFailedWriteAndLeavesNothing) {
    TempDir dir;
    write_file(dir.file("pal.txt"), std::string("colour 0 8 6 16 ink\ncolour a 200 10 10 red\n"));
    std::string recipe = "# a comment\ncells 0 1x1\n";
    for (int i = 0; i < 16; ++i) recipe += i == 6 ? "aaaaaaaq00000000\n" : "aaaaaaaa00000000\n";
    write_file(dir.file("sheet.txt"), recipe);
    const std::string sheet = "sheet " + dir.file("pal.txt") + " " + dir.file("sheet.txt") + " ";
    std::string out;
    EXPECT_EQ(run_tool(sheet + dir.file("out.pcx"), out, dir), 1);
    EXPECT_NE(out.find(dir.file("sheet.txt") + ":9:"), std::string::npos) << out;
    EXPECT_NE(out.find("'q'"), std::string::npos) << out;
    write_file(dir.file("sheet.txt"), std::string("# nothing drawn\n"));
    EXPECT_EQ(run_tool(sheet + dir.file("missing-dir/out.pcx"), out, dir), 1);
    EXPECT_NE(out.find("out.pcx"), std::string::npos) << out;
    EXPECT_EQ(dir_entries(dir.path()), (std::vector<std::string>{"log.txt", "pal.txt", "sheet.txt"}));
}

TEST(ArtTool, RefusesUnknownScenesAndWrongSizes) {
    TempDir dir;
    const std::string src = std::string(VESPERTIL_ART_SOURCES);
    const std::string picture = "picture " + src + "/palette.txt " + src + "/glyphs.txt ";
    std::string out;
    EXPECT_EQ(run_tool(picture + "nowhere 64 64 " + dir.file("x.pcx"), out, dir), 1);
    EXPECT_NE(out.find("nowhere"), std::string::npos) << out;
    EXPECT_EQ(run_tool(picture + "frame 641 400 " + dir.file("x.pcx"), out, dir), 1);
    EXPECT_NE(out.find("640 x 400"), std::string::npos) << out;
    EXPECT_EQ(dir_entries(dir.path()), std::vector<std::string>{"log.txt"});
}

} // namespace
