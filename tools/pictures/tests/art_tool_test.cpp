// The picture tool as the build runs it: a bad source, an unknown scene, a wrong size
// or a failed write stops it with what is wrong, and no output file is left behind.
// What a good source makes is held by content/tests/generated.hashes.
#include "../../common/tests/tool_run.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testing_support::write_file;

TEST(ArtTool, RefusesABadSourceOrAFailedWriteAndLeavesNothing) {
    testing_support::TempDir dir;
    write_file(dir.file("pal.txt"), std::string("colour 0 8 6 16 ink\ncolour a 200 10 10 red\n"));
    std::string recipe = "# a comment\ncells 0 1x1\n";
    for (int i = 0; i < 16; ++i) recipe += i == 6 ? "aaaaaaaq00000000\n" : "aaaaaaaa00000000\n";
    write_file(dir.file("sheet.txt"), recipe);
    write_file(dir.file("empty.txt"), std::string("# nothing drawn\n"));
    const std::string tool = std::string(VESPERTIL_ART_TOOL) + " ";
    const std::string sheet = tool + "sheet " + dir.file("pal.txt") + " ";
    const std::string picture = tool + "picture " VESPERTIL_ART_SOURCES "/palette.txt " VESPERTIL_ART_SOURCES
                                "/glyphs.txt ";
    const std::pair<std::string, std::string> runs[] = {
        {sheet + dir.file("sheet.txt") + " " + dir.file("out.pcx"), dir.file("sheet.txt") + ":9: "},
        {sheet + dir.file("sheet.txt") + " " + dir.file("out.pcx"), "'q'"},
        {sheet + dir.file("empty.txt") + " " + dir.file("missing-dir/out.pcx"), "out.pcx"},
        {picture + "nowhere 64 64 " + dir.file("x.pcx"), "nowhere"},
        {picture + "frame 641 400 " + dir.file("x.pcx"), "640 x 400"},
    };
    for (const auto &[command, says] : runs) {
        ToolRun r = run_tool(command, dir);
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_NE(r.output.find(says), std::string::npos) << r.output;
    }
    EXPECT_EQ(testing_support::dir_entries(dir.path()),
              (std::vector<std::string>{"empty.txt", "output.txt", "pal.txt", "sheet.txt"}));
}

} // namespace
