// The decompiler: what it writes for a compiled source, and that compiling what it
// writes gives the same bytes, for compiled maps and for maps full of bytes no
// source would make.
#include "map_decompile.h"
#include "map_source.h"

#include "map_test_source.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <memory>
#include <random>

using map_test::minimal_source;
using map_test::SourceDir;

namespace {

std::vector<uint8_t> compile_ok(const SourceDir &src, const std::string &text) {
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

std::vector<std::string> files_in(const std::string &dir) {
    std::vector<std::string> names;
    DIR *d = opendir(dir.c_str());
    if (!d) return names;
    while (dirent *e = readdir(d))
        if (e->d_name[0] != '.') names.push_back(e->d_name);
    closedir(d);
    return names;
}

const char *kRooms = "cell . - -\ncell # 1 - solid\ncell = 49 230 ledge\ncell > 97 - solid conveyor-right\n"
                     "room 2,1\nbackdrop 0\n"
                     "|#=>............|\n|...............|\n|...............|\n|...............|\n"
                     "|...............|\n|...............|\n|...............|\n|...............|\n"
                     "|###############|\n"
                     "enemy 4 from 2,3 to 6,3 speed 2\nenemy none\nenemy 28 at 1,7\n"
                     "platform 12 from 7,7 to 7,2 speed 1\n"
                     "room 4,4\nbackdrop none\n"
                     "backdrop 0 back.pcx\nmap_id 98\n";

TEST(MapDecompile, ACompiledSourceComesBackWithoutRawBytes) {
    SourceDir src;
    std::vector<uint8_t> bytes = compile_ok(src, minimal_source(kRooms));
    ASSERT_EQ(bytes.size(), kMapFileSizeWithOverride);
    testing_support::TempDir out;
    maps::Decompiled d;
    EXPECT_EQ(through_disk(bytes, d, out), bytes);
    EXPECT_EQ(d.text.find("raw "), std::string::npos) << d.text;
    EXPECT_NE(d.text.find("map_id 98\n"), std::string::npos);
    EXPECT_NE(d.text.find("enemy 4 from 2,3 to 6,3 speed 2\nenemy none\nenemy 28 at 1,7\n"),
              std::string::npos);
    EXPECT_NE(d.text.find("platform 12 from 7,7 to 7,2 speed 1\n"), std::string::npos);
    EXPECT_NE(d.text.find("cell = 49 230 ledge\n"), std::string::npos);
    EXPECT_NE(d.text.find("room 4,4\nbackdrop none\n"), std::string::npos);
    // Only the backdrop that has pixels is written.
    std::vector<std::string> files = files_in(out.file("src"));
    EXPECT_EQ(files.size(), 4u); // map.txt, tiles.pcx, sprites.pcx, backdrop_0.pcx
    for (const std::string &f : files) EXPECT_EQ(f.find(".part"), std::string::npos) << f;
}

TEST(MapDecompile, TextToBinaryToTextIsStable) {
    SourceDir src;
    std::vector<uint8_t> bytes = compile_ok(src, minimal_source(kRooms));
    testing_support::TempDir out1, out2;
    maps::Decompiled d1, d2;
    std::vector<uint8_t> again = through_disk(bytes, d1, out1);
    through_disk(again, d2, out2);
    EXPECT_EQ(d1.text, d2.text);
}

TEST(MapDecompile, NamesFileNamesTheCellsAndIsCopied) {
    SourceDir src;
    std::vector<uint8_t> bytes = compile_ok(src, minimal_source(kRooms));
    const std::string names = "tile ground 1\ntile belt 97\nsprite bat 4\n";
    testing_support::write_file(src.path("t.names"), names);
    maps::DecompileOptions opt;
    opt.names_path = src.path("t.names");
    testing_support::TempDir out;
    maps::Decompiled d;
    EXPECT_EQ(through_disk(bytes, d, out, opt), bytes);
    EXPECT_NE(d.text.find("names t.names\n"), std::string::npos);
    EXPECT_NE(d.text.find(" ground - solid\n"), std::string::npos);
    EXPECT_NE(d.text.find(" belt - solid conveyor-right\n"), std::string::npos);
    EXPECT_NE(d.text.find("enemy bat from 2,3"), std::string::npos);
    EXPECT_EQ(testing_support::read_file(out.file("src/t.names")).size(), names.size());
}

TEST(MapDecompile, ANamesFileThatWouldOverwriteTheSourceIsRefused) {
    SourceDir src;
    std::vector<uint8_t> bytes = compile_ok(src, minimal_source());
    testing_support::TempDir other;
    testing_support::write_file(other.file("map.txt"), "tile ground 1\n");
    maps::DecompileOptions opt;
    opt.names_path = other.file("map.txt");
    maps::Decompiled d;
    maps::Report report;
    EXPECT_FALSE(maps::decompile_map(bytes, opt, d, report));
    EXPECT_NE(report.error.find("cannot be called map.txt"), std::string::npos);
}

TEST(MapDecompile, SymbolsSayWhatACellDoes) {
    SourceDir src;
    std::vector<uint8_t> bytes = compile_ok(src, minimal_source(kRooms));
    maps::Decompiled d;
    maps::Report report;
    ASSERT_TRUE(maps::decompile_map(bytes, {}, d, report));
    EXPECT_NE(d.text.find("cell # 1 - solid\n"), std::string::npos) << d.text;
    EXPECT_NE(d.text.find("cell > 97 - solid conveyor-right\n"), std::string::npos);
    EXPECT_NE(d.text.find("cell . - -\n"), std::string::npos);
}

// Every byte random: unread bytes, text slots, the high halves of pixels, tiles,
// sprites and positions out of range, a title with no end. All of it comes back.
TEST(MapDecompile, ARandomFileComesBackByteForByte) {
    std::mt19937 rng(20240611);
    std::vector<uint8_t> bytes(kMapFileSizeWithOverride);
    for (uint8_t &b : bytes) b = static_cast<uint8_t>(rng());
    testing_support::TempDir out;
    maps::Decompiled d;
    EXPECT_EQ(through_disk(bytes, d, out), bytes);
    EXPECT_NE(d.text.find("# text slot 3\nraw "), std::string::npos);
}

// Random records, but pixels and unread bytes as a compiled map has them, so most of
// the map is said in words and the raw lines are about the values out of range.
TEST(MapDecompile, OutOfRangeValuesAreWrittenAsRawBytesAndWarned) {
    SourceDir src;
    std::vector<uint8_t> bytes = compile_ok(src, minimal_source(kRooms));
    std::size_t cell = 110 + 7 * 1114 + 304; // room 2,1, row 0, column 0
    bytes[cell + 1] = 0x01; // back tile 0x0101 = 257: the text says none, the raw line 257
    bytes[110 + 7 * 1114 + 2 + 5] = 0xF0;    // first enemy's sprite -16
    bytes[110 + 7 * 1114] = 9;               // backdrop 9
    bytes[27960] = 7;                        // switch 0 in room column 7
    bytes[105] = 0x80;                       // start cell row -128
    testing_support::TempDir out;
    maps::Decompiled d;
    maps::Report report;
    ASSERT_TRUE(maps::decompile_map(bytes, {}, d, report)) << report.error;
    EXPECT_NE(d.text.find("# room 2,1: cells\nraw " + std::to_string(cell) + " 0101\n"), std::string::npos)
        << d.text;
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_NE(report.warnings[0].find("values the game does not accept"), std::string::npos);
    EXPECT_EQ(through_disk(bytes, d, out), bytes);
}

TEST(MapDecompile, ShortFilesAreRefusedAndStrayBytesDropped) {
    maps::Decompiled d;
    maps::Report report;
    maps::DecompileOptions opt;
    opt.map_name = "short.map";
    EXPECT_FALSE(maps::decompile_map(std::vector<uint8_t>(1000), opt, d, report));
    EXPECT_EQ(report.error,
              "short.map: is 1,000 bytes; a map file is 1,211,594 bytes (4 more with a map id)");

    SourceDir src;
    std::vector<uint8_t> bytes = compile_ok(src, minimal_source());
    std::vector<uint8_t> longer = bytes;
    longer.insert(longer.end(), {1, 2});
    maps::Report stray;
    ASSERT_TRUE(maps::decompile_map(longer, opt, d, stray));
    ASSERT_EQ(stray.warnings.size(), 1u);
    EXPECT_NE(stray.warnings[0].find("the last 2 bytes are not part of a map"), std::string::npos);
    std::vector<uint8_t> again;
    maps::Report back;
    ASSERT_TRUE(maps::compile_decompiled(d, again, back));
    EXPECT_EQ(again, bytes);
}

TEST(MapDecompile, PlacementsOutOfRoomOrderAreListedWhole) {
    SourceDir src;
    std::string text = minimal_source();
    // Switch 0 into room 3,3: the rooms no longer ascend.
    text.replace(text.find("switch room 0,0 cell 0,0"), 24, "switch room 3,3 cell 0,0");
    std::vector<uint8_t> bytes = compile_ok(src, text);
    maps::Decompiled d;
    maps::Report report;
    ASSERT_TRUE(maps::decompile_map(bytes, {}, d, report));
    EXPECT_NE(d.text.find("switch room 3,3 cell 0,0\nswitch room 0,0 cell 1,0\n"), std::string::npos);
    // The refills all lie in room 4,4, so they are written in that room.
    EXPECT_NE(d.text.find("room 4,4\nbackdrop none\nrefill 0,8\nrefill 1,8\n"), std::string::npos)
        << d.text;
}

TEST(MapDecompile, WritingIntoAPlaceThatIsNoDirectoryLeavesNothing) {
    SourceDir src;
    std::vector<uint8_t> bytes = compile_ok(src, minimal_source());
    maps::Decompiled d;
    maps::Report report;
    ASSERT_TRUE(maps::decompile_map(bytes, {}, d, report));
    testing_support::TempDir out;
    testing_support::write_file(out.file("taken"), "a file");
    std::string why;
    EXPECT_FALSE(maps::write_decompiled(out.file("taken"), d, why));
    EXPECT_FALSE(maps::write_decompiled(out.file("no/such/dir"), d, why));
    EXPECT_EQ(files_in(out.path()).size(), 1u);
}

} // namespace
