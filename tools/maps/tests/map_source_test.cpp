// The map compiler: where each kind of source line puts its bytes in the file, and
// the message (file, line, what is wrong) for each kind of broken source, as listed
// in source_errors.txt and source_warnings.txt.
#include "map_source.h"

#include "map_test_source.h"

#include "../../common/tests/case_table.h"

#include <gtest/gtest.h>

using map_test::minimal_source;
using map_test::SourceDir;

namespace {

// One source that uses every kind of line, compiled once.
const char *kRich = "names test.names\ntile moss 170\nsprite slab 12\n"
                    "cell . - -\ncell # 1 - solid\ncell = 49 - ledge\n"
                    "cell > 97 - solid conveyor-right\ncell < 98 - solid conveyor-left\n"
                    "cell ^ 72 - harmful\ncell * 3 200 bit5 bit7\ncell r rock.tblr - solid\n"
                    "cell ~ lava moss harmful\n"
                    "backdrop 2 back.pcx\n"
                    "room 3,1\nbackdrop 2\n|#=><^*r~.......|\n"
                    "|...............|\n|...............|\n|...............|\n|...............|\n"
                    "|...............|\n|...............|\n|...............|\n|..............#|\n"
                    "enemy bat from 2,3 to 6,3 speed 2\nenemy none\nenemy 28 at 9,8\n"
                    "platform slab from 7,7 to 7,2 speed 1\n"
                    "room 2,3\nswitch 5,6\n"
                    "map_id -7\nraw 28160 414200\n";

const std::vector<uint8_t> &rich_map() {
    static const std::vector<uint8_t> bytes = [] {
        SourceDir src;
        std::vector<uint8_t> b;
        maps::Report report;
        // The 25th switch is the one in room 2,3's block.
        EXPECT_TRUE(src.compile(minimal_source(kRich, "cell 9,1"), b, report)) << report.error;
        EXPECT_TRUE(report.warnings.empty()) << report.warnings[0];
        return b;
    }();
    return bytes;
}

constexpr std::size_t room(int column, int row) { return kRoomsOffset + (row * 5 + column) * kRoomRecordSize; }
constexpr std::size_t cell(int column, int row, int x, int y) {
    return room(column, row) + kRoomCellsOffset + y * kRoomCellRowSize + x * kRoomCellSize;
}
constexpr std::size_t enemy(int column, int row, int i) { return room(column, row) + kRoomEnemiesOffset + i * 6; }
constexpr std::size_t platform(int column, int row, int i) {
    return room(column, row) + kRoomPlatformsOffset + i * 6;
}
std::vector<uint8_t> pixel(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), 0, 0}; }

struct Bytes {
    const char *what;
    std::size_t at;
    std::vector<uint8_t> want;
};

void PrintTo(const Bytes &b, std::ostream *os) { *os << b.what; }

class MapBytes : public ::testing::TestWithParam<Bytes> {};

TEST_P(MapBytes, AreWhereTheFormatPutsThem) {
    const std::vector<uint8_t> &bytes = rich_map();
    ASSERT_EQ(bytes.size(), kMapFileSizeWithOverride);
    const Bytes &b = GetParam();
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + b.at, bytes.begin() + b.at + b.want.size()), b.want);
}

INSTANTIATE_TEST_SUITE_P(
    Rich, MapBytes,
    ::testing::Values(
        Bytes{"title", 0, {'T', 'E', 'S', 'T', ' ', 'M', 'A', 'P', 0}},
        Bytes{"title_length", 100, {0, 8}},
        Bytes{"start_and_exit", kHeaderPositionsOffset, {1, 2, 3, 4, 4, 3, 13, 7}},
        Bytes{"switches_in_order", kSwitchRecordsOffset + 23 * 4, {0, 0, 8, 1, 2, 3, 5, 6}},
        Bytes{"refills", kRefillRecordsOffset, {4, 4, 0, 8, 4, 4, 1, 8}},
        Bytes{"backdrop_of_a_room", room(3, 1), {2}},
        Bytes{"no_backdrop", room(0, 0), {kNoBackdrop}},
        Bytes{"solid", cell(3, 1, 0, 0), {1, 0, 0xFF, 0xFF, kCellSolid}},
        Bytes{"ledge", cell(3, 1, 1, 0), {49, 0, 0xFF, 0xFF, kCellLedge}},
        Bytes{"conveyors", cell(3, 1, 2, 0) + 4, {kCellSolid | kCellConveyorRight, 0, 98, 0, 0xFF, 0xFF, kCellSolid | kCellConveyorLeft}},
        Bytes{"harmful", cell(3, 1, 4, 0), {72, 0, 0xFF, 0xFF, kCellHarmful}},
        Bytes{"front_tile_and_bits", cell(3, 1, 5, 0), {3, 0, 200, 0, 0xA0}},
        Bytes{"edge_name", cell(3, 1, 6, 0), {15, 0}},
        Bytes{"names_file_and_tile_line", cell(3, 1, 7, 0), {75, 0, 170, 0, kCellHarmful}},
        Bytes{"no_tile", cell(3, 1, 8, 0), {0xFF, 0xFF, 0xFF, 0xFF, 0}},
        Bytes{"last_cell", cell(3, 1, 14, 8), {1, 0, 0xFF, 0xFF, kCellSolid}},
        Bytes{"an_empty_room_s_cells", cell(0, 0, 7, 4), {0xFF, 0xFF, 0xFF, 0xFF, 0}},
        Bytes{"enemies_in_order", enemy(3, 1, 0), {2, 3, 6, 3, 2, 4, 0, 0, 0, 0, 0, 0xFF, 9, 8, 9, 8, 0, 28}},
        Bytes{"free_enemy_slot", enemy(3, 1, 3) + 5, {0xFF}},
        Bytes{"platform", platform(3, 1, 0), {7, 7, 7, 2, 1, 12, 0, 0, 0, 0, 0, 0xFF}},
        Bytes{"backdrop_picture", backdrop_pixel_offset(2, 143, 239), pixel(map_test::backdrop_value(239, 143))},
        Bytes{"backdrop_without_picture", backdrop_pixel_offset(3, 10, 10), pixel(0)},
        Bytes{"tile_sheet", tile_pixel_offset(25, 3, 4, TileSet::Room), pixel(map_test::sheet_value(0, 20, 19))},
        Bytes{"sprite_sheet", tile_pixel_offset(239, 15, 15, TileSet::Sprite), pixel(map_test::sheet_value(1, 383, 159))},
        Bytes{"masked_cell", tile_pixel_offset(5, 7, 7, TileSet::Room), pixel(kMapMaskColour)},
        Bytes{"raw", kTextSlotsOffset, {0x41, 0x42, 0}},
        Bytes{"map_id", kMapOverrideOffset, {0xF9, 0xFF, 0xFF, 0xFF}}),
    [](const ::testing::TestParamInfo<Bytes> &info) { return std::string(info.param.what); });

TEST(MapSource, OddSourcesCompile) {
    SourceDir src;
    std::vector<uint8_t> bytes;
    maps::Report report;
    // Two-character symbols; a quoted title keeps its blanks; no map_id, no override.
    std::string text = minimal_source("cell aa - -\ncell b# 7 - solid\nroom 0,1\n", "title") + "title \" EL POZO \"\n";
    for (int i = 0; i < 9; ++i) text += "|aaaaaaaaaaaaaaaaaaaaaaaaaaaab#|\n";
    ASSERT_TRUE(src.compile(text, bytes, report)) << report.error;
    ASSERT_EQ(bytes.size(), kMapFileSize);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 10), std::string(" EL POZO \0", 10));
    EXPECT_EQ(bytes[cell(0, 1, 14, 3)], 7);
    EXPECT_EQ(bytes[cell(0, 1, 13, 3)], 0xFF);
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

TEST_P(SourceErrors, NameTheFileTheLineAndTheFault) {
    SourceDir src;
    std::vector<uint8_t> bytes;
    maps::Report report;
    EXPECT_FALSE(src.compile(source_of(GetParam()), bytes, report));
    const TextCase &c = GetParam();
    EXPECT_TRUE(says(report.error, src.path(c.file.empty() ? "map.txt" : c.file), c));
}

INSTANTIATE_TEST_SUITE_P(Table, SourceErrors, ::testing::ValuesIn(read_cases(__FILE__, "source_errors.txt")),
                         case_name);

class SourceWarnings : public ::testing::TestWithParam<TextCase> {};

TEST_P(SourceWarnings, AreNamedAndTheMapIsStillMade) {
    SourceDir src;
    std::vector<uint8_t> bytes;
    maps::Report report;
    ASSERT_TRUE(src.compile(source_of(GetParam()), bytes, report)) << report.error;
    if (GetParam().message == "none") {
        EXPECT_TRUE(report.warnings.empty()) << report.warnings[0];
        return;
    }
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_TRUE(says(report.warnings[0], src.path("map.txt"), GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Table, SourceWarnings,
                         ::testing::ValuesIn(read_cases(__FILE__, "source_warnings.txt")), case_name);

} // namespace
