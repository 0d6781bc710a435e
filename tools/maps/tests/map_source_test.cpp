// The map compiler and decompiler: sources no shipped map holds, the message (file,
// line, what is wrong) for each kind of broken or doubtful source, as listed in
// source_errors.txt, and the words the decompiler writes for a compiled source.
// Where each kind of line puts its bytes is held by the hashes of the shipped maps
// (content/tests/generated.hashes); that what the decompiler writes compiles to the
// same bytes, for any map file, is its promise's (map_promises.cpp).
#include "map_decompile.h"
#include "map_source.h"

#include "map_test_source.h"

#include "support/case_table.h"

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

class SourceErrors : public ::testing::TestWithParam<TextCase> {};

// The case's lines follow the minimal source (line 57 on); "~ text" lines leave out
// the minimal source's line that holds the text.
std::string source_of(const TextCase &c) {
    std::string more, without;
    for (std::size_t at = 0, end; at < c.text.size(); at = end + 1) {
        end = c.text.find('\n', at);
        const std::string line = c.text.substr(at, end - at);
        if (line.rfind("~ ", 0) == 0) without = line.substr(2);
        else more += line + "\n";
    }
    return minimal_source(more, without);
}

// A source with warnings is still made into a map.
TEST_P(SourceErrors, NameTheFileTheLineAndTheFault) {
    SourceDir src;
    std::vector<uint8_t> bytes;
    maps::Report report;
    const TextCase &c = GetParam();
    const bool warned = c.message.rfind("warning: ", 0) == 0;
    EXPECT_EQ(src.compile(source_of(c), bytes, report), warned || c.message == "none") << report.error;
    if (c.message == "none") {
        EXPECT_TRUE(report.warnings.empty()) << report.warnings[0];
    } else if (!warned) {
        EXPECT_TRUE(says(report.error, src.path(c.file.empty() ? "map.txt" : c.file), c));
    } else {
        ASSERT_EQ(report.warnings.size(), 1u);
        EXPECT_TRUE(says(report.warnings[0], src.path("map.txt"), c));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, SourceErrors, ::testing::ValuesIn(read_cases(__FILE__, "source_errors.txt")),
                         case_name);

// ---- The decompiler ----------------------------------------------------------------

maps::Decompiled decompiled(const std::vector<uint8_t> &bytes, maps::Report &report,
                            const maps::DecompileOptions &opt = {}) {
    maps::Decompiled d;
    EXPECT_TRUE(maps::decompile_map(bytes, opt, d, report)) << report.error;
    return d;
}

bool has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

const std::string kRooms = text_beside(__FILE__, "decompile_rooms.txt");

// A quoted title keeps its blanks; the refills all lie in room 4,4, so they are
// written in that room. Written out, only
// the backdrop that has pixels is a file, and no part file is left; a place that is no
// directory gets nothing.
TEST(MapDecompile, ACompiledSourceComesBackInWords) {
    maps::Report report;
    const std::string text = kRooms + "title \" EL POZO \"\n";
    maps::Decompiled d = decompiled(compile_ok(minimal_source(text, "title TEST")), report);
    EXPECT_FALSE(has(d.text, "raw ")) << d.text;
    for (const char *line : {"map_id 98\n", "title \" EL POZO \"\n", "enemy 4 from 2,3 to 6,3 speed 2\nenemy none\nenemy 28 at 1,7\n",
                             "platform 12 from 7,7 to 7,2 speed 1\n", "cell = 49 230 ledge\n",
                             "cell # 1 - solid\n", "cell > 97 - solid conveyor-right\n", "cell . - -\n",
                             "room 4,4\nbackdrop none\nrefill 0,8\nrefill 1,8\n"})
        EXPECT_TRUE(has(d.text, line)) << line;
    testing_support::TempDir out;
    std::string why;
    ASSERT_TRUE(maps::write_decompiled(out.file("src"), d, why)) << why;
    EXPECT_EQ(testing_support::dir_entries(out.file("src")),
              (std::vector<std::string>{"backdrop_0.pcx", "map.txt", "sprites.pcx", "tiles.pcx"}));
    testing_support::write_file(out.file("taken"), "a file");
    EXPECT_FALSE(maps::write_decompiled(out.file("taken"), d, why));
    EXPECT_FALSE(maps::write_decompiled(out.file("no/such/dir"), d, why));
    EXPECT_EQ(testing_support::dir_entries(out.path()), (std::vector<std::string>{"src", "taken"}));
}

TEST(MapDecompile, ANamesFileNamesTheCellsAndIsCopied) {
    SourceDir src;
    const std::string names = "tile ground 1\ntile belt 97\nsprite bat 4\n";
    testing_support::write_file(src.path("t.names"), names);
    maps::DecompileOptions opt;
    opt.names_path = src.path("t.names");
    maps::Report report;
    const std::vector<uint8_t> bytes = compile_ok(minimal_source(kRooms));
    maps::Decompiled d = decompiled(bytes, report, opt);
    for (const char *line : {"names t.names\n", " ground - solid\n", " belt - solid conveyor-right\n",
                             "enemy bat from 2,3"})
        EXPECT_TRUE(has(d.text, line)) << line;
    testing_support::TempDir out;
    std::string why;
    ASSERT_TRUE(maps::write_decompiled(out.file("src"), d, why)) << why;
    EXPECT_EQ(testing_support::read_file(out.file("src/t.names")).size(), names.size());
}

// Values out of range are written as raw lines after the words, and warned about.
TEST(MapDecompile, OutOfRangeValuesAreWrittenAsRawBytesAndWarned) {
    std::vector<uint8_t> bytes = compile_ok(minimal_source(kRooms));
    const std::size_t room = kRoomsOffset + 7 * kRoomRecordSize, cell = room + kRoomCellsOffset;
    bytes[cell + 1] = 0x01;                   // back tile 257
    bytes[room + kRoomEnemiesOffset + 5] = 0xF0; // first enemy's sprite -16
    bytes[kHeaderPositionsOffset + 3] = 0x80; // start cell row -128
    maps::Report report;
    maps::Decompiled d = decompiled(bytes, report);
    EXPECT_TRUE(has(d.text, "# room 2,1: cells\nraw " + std::to_string(cell) + " 0101\n")) << d.text;
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_TRUE(has(report.warnings[0], "values the game does not accept"));
}

} // namespace
