// The three map tools as programs: exit status, what they print, and that a
// refused input leaves no output file (not even a part-written one); the runs that
// need no map or source are rows of tools/common/tests/tool_runs.txt.
#include "map_test_source.h"

#include "support/promise.h"
#include "../../common/tests/tool_run.h"
#include "support/corpus_seeds.h"

#include <gtest/gtest.h>

#include <string>

using map_test::minimal_source;
using map_test::SourceDir;
using testing_support::dir_entries;
using testing_support::read_file;
using testing_support::write_file;
using testing_support::TempDir;

namespace {

// Every seed of the map tools' fuzz targets keeps their promises.
INSTANTIATE_TEST_SUITE_P(Maps, CorpusSeed,
                         seeds_of({{"map_source", map_source_promise},
                                   {"map_decompile", map_decompile_promise},
                                   {"map_pictures", map_pictures_promise}}),
                         seed_name);

const std::string kMapc = VESPERTIL_MAPC, kMapd = VESPERTIL_MAPD, kMapview = VESPERTIL_MAPVIEW;

// A warning and a refusal name the file and line; a refused source writes nothing and
// leaves an old map as it was. (The build looks for the sheets with -I.)
TEST(MapTools, TheCompilerWarnsAndRefusesWithTheFileAndLine) {
    SourceDir src;
    TempDir out;
    const std::string compile = kMapc + " " + src.dir.path() + " " + out.file("t.map");
    write_file(src.path("map.txt"), minimal_source("room 1,1\nplatform 12 from 1,1 to 6,1 speed 3\n"));
    ToolRun r = run_tool(compile, out);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "vespertil-mapc: " + src.path("map.txt") +
                            ":58: warning: the platform's track from 1,1 to 6,1 is not a whole "
                            "multiple of its speed 3 on each axis: it would never land on end B "
                            "and turn, so the game leaves this platform out\n");

    write_file(out.file("t.map"), "the old map");
    write_file(src.path("map.txt"), minimal_source("cell # granite - solid\n"));
    r = run_tool(compile, out);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.output, "vespertil-mapc: " + src.path("map.txt") +
                            ":57: unknown tile name \"granite\" (tiles are named by names files "
                            "and tile lines, or given by number)\n");
    EXPECT_EQ(read_file(out.file("t.map")).size(), 11u);
    EXPECT_EQ(dir_entries(out.path()), (std::vector<std::string>{"output.txt", "t.map"}));
}

// What the compiler writes decompiles to a source that compiles to the same map, and
// previews as a PNG. (A file too short for a map: rows of tool_runs.txt.)
TEST(MapTools, TheDecompilerAndThePreviewReadWhatTheCompilerWrites) {
    SourceDir src;
    write_file(src.path("map.txt"), minimal_source("backdrop 2 back.pcx\nroom 0,0\nbackdrop 2\n"));
    TempDir out;
    ASSERT_EQ(run_tool(kMapc + " " + src.dir.path() + " " + out.file("a.map"), out).status, 0);
    ToolRun r = run_tool(kMapd + " " + out.file("a.map") + " " + out.file("text"), out);
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "");
    ASSERT_EQ(run_tool(kMapc + " " + out.file("text") + " " + out.file("b.map"), out).status, 0);
    EXPECT_EQ(read_file(out.file("a.map")), read_file(out.file("b.map")));
    r = run_tool(kMapview + " " + out.file("a.map") + " " + out.file("a.png"), out);
    EXPECT_EQ(r.status, 0) << r.output;
    std::vector<unsigned char> png = read_file(out.file("a.png"));
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    EXPECT_EQ(dir_entries(out.path()), (std::vector<std::string>{"a.map", "a.png", "b.map", "output.txt", "text"}));
}

} // namespace
