// The decompiler: what it writes for a compiled source, and that compiling what it
// writes gives the same bytes. What it does on any map file (bytes no source would
// make, stray bytes after a map) is in map_promises.cpp.
#include "map_decompile.h"
#include "map_source.h"

#include "map_test_source.h"

#include <gtest/gtest.h>

using map_test::minimal_source;
using map_test::SourceDir;

namespace {

std::vector<uint8_t> compile_ok(const std::string &text) {
    SourceDir src;
    std::vector<uint8_t> bytes;
    maps::Report report;
    EXPECT_TRUE(src.compile(text, bytes, report)) << report.error;
    return bytes;
}

// Decompiles into a fresh directory and compiles that directory from disk.
std::vector<uint8_t> through_disk(const std::vector<uint8_t> &bytes, maps::Decompiled &d,
                                  const testing_support::TempDir &out,
                                  const maps::DecompileOptions &opt = {}) {
    maps::Report report;
    EXPECT_TRUE(maps::decompile_map(bytes, opt, d, report)) << report.error;
    std::string why;
    EXPECT_TRUE(maps::write_decompiled(out.file("src"), d, why)) << why;
    std::vector<uint8_t> again;
    maps::Report back;
    EXPECT_TRUE(maps::compile_map_source(out.file("src"), maps::CompileOptions{}, again, back))
        << back.error;
    return again;
}

bool has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

const char *kRooms = "cell . - -\ncell # 1 - solid\ncell = 49 230 ledge\ncell > 97 - solid conveyor-right\n"
                     "room 2,1\nbackdrop 0\n"
                     "|#=>............|\n|...............|\n|...............|\n|...............|\n"
                     "|...............|\n|...............|\n|...............|\n|...............|\n"
                     "|###############|\n"
                     "enemy 4 from 2,3 to 6,3 speed 2\nenemy none\nenemy 28 at 1,7\n"
                     "platform 12 from 7,7 to 7,2 speed 1\n"
                     "room 4,4\nbackdrop none\n"
                     "backdrop 0 back.pcx\nmap_id 98\n";

TEST(MapDecompile, ACompiledSourceComesBackInWordsAndTheSameAgain) {
    std::vector<uint8_t> bytes = compile_ok(minimal_source(kRooms));
    testing_support::TempDir out;
    maps::Decompiled d;
    EXPECT_EQ(through_disk(bytes, d, out), bytes);
    EXPECT_FALSE(has(d.text, "raw ")) << d.text;
    for (const char *line : {"map_id 98\n", "enemy 4 from 2,3 to 6,3 speed 2\nenemy none\nenemy 28 at 1,7\n",
                             "platform 12 from 7,7 to 7,2 speed 1\n", "cell = 49 230 ledge\n",
                             "cell # 1 - solid\n", "cell > 97 - solid conveyor-right\n", "cell . - -\n",
                             "room 4,4\nbackdrop none\n"})
        EXPECT_TRUE(has(d.text, line)) << line;
    // Only the backdrop that has pixels is written, and no part file is left.
    EXPECT_EQ(testing_support::dir_entries(out.file("src")),
              (std::vector<std::string>{"backdrop_0.pcx", "map.txt", "sprites.pcx", "tiles.pcx"}));
}

TEST(MapDecompile, ANamesFileNamesTheCellsAndIsCopied) {
    SourceDir src;
    std::vector<uint8_t> bytes = compile_ok(minimal_source(kRooms));
    const std::string names = "tile ground 1\ntile belt 97\nsprite bat 4\n";
    testing_support::write_file(src.path("t.names"), names);
    maps::DecompileOptions opt;
    opt.names_path = src.path("t.names");
    testing_support::TempDir out;
    maps::Decompiled d;
    EXPECT_EQ(through_disk(bytes, d, out, opt), bytes);
    for (const char *line : {"names t.names\n", " ground - solid\n", " belt - solid conveyor-right\n",
                             "enemy bat from 2,3"})
        EXPECT_TRUE(has(d.text, line)) << line;
    EXPECT_EQ(testing_support::read_file(out.file("src/t.names")).size(), names.size());

    testing_support::write_file(out.file("map.txt"), names);
    opt.names_path = out.file("map.txt");
    maps::Report report;
    EXPECT_FALSE(maps::decompile_map(bytes, opt, d, report));
    EXPECT_TRUE(has(report.error, "cannot be called map.txt")) << report.error;
}

// Values out of range are written as raw lines after the words, and warned about.
TEST(MapDecompile, OutOfRangeValuesAreWrittenAsRawBytesAndWarned) {
    std::vector<uint8_t> bytes = compile_ok(minimal_source(kRooms));
    const std::size_t room = kRoomsOffset + 7 * kRoomRecordSize, cell = room + kRoomCellsOffset;
    bytes[cell + 1] = 0x01;                   // back tile 257
    bytes[room + kRoomEnemiesOffset + 5] = 0xF0; // first enemy's sprite -16
    bytes[room] = 9;                          // backdrop 9
    bytes[kSwitchRecordsOffset] = 7;          // switch 0 in room column 7
    bytes[kHeaderPositionsOffset + 3] = 0x80; // start cell row -128
    testing_support::TempDir out;
    maps::Decompiled d;
    maps::Report report;
    ASSERT_TRUE(maps::decompile_map(bytes, {}, d, report)) << report.error;
    EXPECT_TRUE(has(d.text, "# room 2,1: cells\nraw " + std::to_string(cell) + " 0101\n")) << d.text;
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_TRUE(has(report.warnings[0], "values the game does not accept"));
    EXPECT_EQ(through_disk(bytes, d, out), bytes);
}

TEST(MapDecompile, PlacementsOutOfRoomOrderAreListedWhole) {
    // Switch 0 into room 3,3: the rooms no longer ascend.
    std::string text = minimal_source();
    text.replace(text.find("switch room 0,0 cell 0,0"), 24, "switch room 3,3 cell 0,0");
    std::vector<uint8_t> bytes = compile_ok(text);
    maps::Decompiled d;
    maps::Report report;
    ASSERT_TRUE(maps::decompile_map(bytes, {}, d, report));
    EXPECT_TRUE(has(d.text, "switch room 3,3 cell 0,0\nswitch room 0,0 cell 1,0\n")) << d.text;
    // The refills all lie in room 4,4, so they are written in that room.
    EXPECT_TRUE(has(d.text, "room 4,4\nbackdrop none\nrefill 0,8\nrefill 1,8\n")) << d.text;
}

TEST(MapDecompile, WritingIntoAPlaceThatIsNoDirectoryLeavesNothing) {
    maps::Decompiled d;
    maps::Report report;
    ASSERT_TRUE(maps::decompile_map(compile_ok(minimal_source()), {}, d, report));
    testing_support::TempDir out;
    testing_support::write_file(out.file("taken"), "a file");
    std::string why;
    EXPECT_FALSE(maps::write_decompiled(out.file("taken"), d, why));
    EXPECT_FALSE(maps::write_decompiled(out.file("no/such/dir"), d, why));
    EXPECT_EQ(testing_support::dir_entries(out.path()), std::vector<std::string>{"taken"});
}

} // namespace
