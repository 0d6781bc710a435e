// The map compiler: what each kind of source line puts where in the file, and the
// message (file, line, what is wrong) for each kind of broken source.
#include "map_source.h"

#include "map_test_source.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

using map_test::minimal_source;
using map_test::SourceDir;

namespace {

struct Compiled {
    bool ok;
    maps::Report report;
    std::vector<uint8_t> bytes;
    std::unique_ptr<MapImage> img = std::make_unique<MapImage>();
};

class MapSourceTest : public ::testing::Test {
protected:
    SourceDir src;

    Compiled compile(const std::string &text) {
        Compiled c;
        c.ok = src.compile(text, c.bytes, c.report);
        if (c.ok) {
            EXPECT_TRUE(parse_map_image(c.bytes.data(), c.bytes.size(), *c.img));
        }
        return c;
    }

    // Compiles `text`, expects it refused, and returns the message.
    std::string error_of(const std::string &text) {
        Compiled c = compile(text);
        EXPECT_FALSE(c.ok) << "compiled although it should not";
        return c.report.error;
    }

    std::string at_line(const std::string &text, const std::string &needle) {
        return src.path("map.txt") + ":" + std::to_string(map_test::line_of(text, needle)) + ": ";
    }
};

const char *kLegend = "cell . - -\n"
                      "cell # 1 - solid\n"
                      "cell = 49 - ledge\n"
                      "cell > 97 - solid conveyor-right\n"
                      "cell < 98 - solid conveyor-left\n"
                      "cell ^ 72 - harmful\n"
                      "cell * 3 200 bit5 bit7\n";

std::string rows(const std::string &first, const std::string &last) {
    std::string s = "|" + first + "|\n";
    for (int i = 0; i < 7; ++i) s += "|...............|\n";
    return s + "|" + last + "|\n";
}

TEST_F(MapSourceTest, MinimalSourceGivesAFileOfTheFixedSizeWithItsHeader) {
    Compiled c = compile(minimal_source());
    ASSERT_TRUE(c.ok) << c.report.error;
    EXPECT_TRUE(c.report.warnings.empty());
    ASSERT_EQ(c.bytes.size(), kMapFileSize);
    const MapHeader &h = c.img->header;
    EXPECT_STREQ(h.title.text, "TEST MAP");
    EXPECT_EQ(h.title.length, 8);
    EXPECT_EQ(h.start_room_column, 1);
    EXPECT_EQ(h.start_room_row, 2);
    EXPECT_EQ(h.start_cell_column, 3);
    EXPECT_EQ(h.start_cell_row, 4);
    EXPECT_EQ(h.exit_room_column, 4);
    EXPECT_EQ(h.exit_room_row, 3);
    EXPECT_EQ(h.exit_cell_column, 13);
    EXPECT_EQ(h.exit_cell_row, 7);
    // The start room column is byte 102 of the file, the exit door row byte 109.
    EXPECT_EQ(c.bytes[102], 1);
    EXPECT_EQ(c.bytes[109], 7);
    // Rooms not described are empty, with no backdrop and no objects.
    for (const RoomRecord &r : c.img->rooms) {
        EXPECT_EQ(r.backdrop, kNoBackdrop);
        EXPECT_EQ(r.cells[4][7].back_tile, kNoTile);
        EXPECT_EQ(r.cells[4][7].front_tile, kNoTile);
        EXPECT_EQ(r.enemies[0].sprite, kEmptySlot);
        EXPECT_EQ(r.platforms[24].sprite, kEmptySlot);
    }
    EXPECT_FALSE(c.img->has_override);
}

TEST_F(MapSourceTest, SwitchesAndRefillsKeepTheirOrderInBothForms) {
    std::string text = minimal_source("room 2,3\nswitch 5,6\n");
    // Replace the 25th global switch by the one in the room block.
    text.erase(text.find("switch room 0,0 cell 9,1\n"), 25);
    Compiled c = compile(text);
    ASSERT_TRUE(c.ok) << c.report.error;
    const PlacementRecord &s = c.img->switches[24];
    EXPECT_EQ(s.room_column, 2);
    EXPECT_EQ(s.room_row, 3);
    EXPECT_EQ(s.cell_column, 5);
    EXPECT_EQ(s.cell_row, 6);
    EXPECT_EQ(c.img->switches[23].cell_column, 8);
    EXPECT_EQ(c.img->refills[0].room_column, 4);
    EXPECT_EQ(c.img->refills[0].cell_row, 8);
    EXPECT_EQ(c.img->refills[24].cell_column, 9);
}

TEST_F(MapSourceTest, RowsBecomeCellsThroughTheLegend) {
    std::string text = minimal_source(std::string(kLegend) + "room 3,1\nbackdrop 2\n" +
                                      rows("#=><^*.........", "..............#"));
    Compiled c = compile(text);
    ASSERT_TRUE(c.ok) << c.report.error;
    const RoomRecord &r = c.img->rooms[1 * 5 + 3];
    EXPECT_EQ(r.backdrop, 2);
    EXPECT_EQ(r.cells[0][0].back_tile, 1);
    EXPECT_EQ(r.cells[0][0].flags, kCellSolid);
    EXPECT_EQ(r.cells[0][1].back_tile, 49);
    EXPECT_EQ(r.cells[0][1].flags, kCellLedge);
    EXPECT_EQ(r.cells[0][2].flags, kCellSolid | kCellConveyorRight);
    EXPECT_EQ(r.cells[0][3].flags, kCellSolid | kCellConveyorLeft);
    EXPECT_EQ(r.cells[0][4].flags, kCellHarmful);
    EXPECT_EQ(r.cells[0][5].back_tile, 3);
    EXPECT_EQ(r.cells[0][5].front_tile, 200);
    EXPECT_EQ(r.cells[0][5].flags, 0xA0);
    EXPECT_EQ(r.cells[0][6].back_tile, kNoTile);
    EXPECT_EQ(r.cells[8][14].back_tile, 1);
    EXPECT_EQ(r.cells[8][13].flags, 0);
    // Row 8, column 14 of room 8 lies at 110 + 8 * 1114 + 304 + 8 * 90 + 14 * 6.
    std::size_t at = 110 + 8 * 1114 + 304 + 8 * 90 + 14 * 6;
    EXPECT_EQ(c.bytes[at], 1);
    EXPECT_EQ(c.bytes[at + 4], kCellSolid);
}

TEST_F(MapSourceTest, NamesComeFromNamesFilesAndNameLines) {
    testing_support::write_file(src.path("test.names"),
                                "# names\nedges rock 0\ntile lava 75\nsprite bat 4\n");
    std::string text = minimal_source("names test.names\ntile moss 170\nsprite slab 12\n"
                                      "cell # rock.tblr - solid\ncell ~ lava moss harmful\n"
                                      "cell . rock -\n"
                                      "room 0,0\n" +
                                      rows("#~.............", "...............") +
                                      "enemy bat from 1,1 to 5,1 speed 4\nplatform slab at 2,7\n");
    Compiled c = compile(text);
    ASSERT_TRUE(c.ok) << c.report.error;
    const RoomRecord &r = c.img->rooms[0];
    EXPECT_EQ(r.cells[0][0].back_tile, 15);
    EXPECT_EQ(r.cells[0][1].back_tile, 75);
    EXPECT_EQ(r.cells[0][1].front_tile, 170);
    EXPECT_EQ(r.cells[0][2].back_tile, 0);
    EXPECT_EQ(r.enemies[0].sprite, 4);
    EXPECT_EQ(r.platforms[0].sprite, 12);
}

TEST_F(MapSourceTest, ObjectsFillTheirGroupsInOrder) {
    std::string text = minimal_source("room 4,4\n"
                                      "enemy 4 from 2,3 to 6,3 speed 2\n"
                                      "enemy none\n"
                                      "enemy 28 at 9,8\n"
                                      "platform 12 from 7,7 to 7,2 speed 1\n"
                                      "enemy 6 from 0,0 to 14,8 speed 16\n");
    Compiled c = compile(text);
    ASSERT_TRUE(c.ok) << c.report.error;
    const RoomRecord &r = c.img->rooms[24];
    const ObjectSpawn &a = r.enemies[0];
    EXPECT_EQ(a.a_column, 2);
    EXPECT_EQ(a.a_row, 3);
    EXPECT_EQ(a.b_column, 6);
    EXPECT_EQ(a.b_row, 3);
    EXPECT_EQ(a.speed, 2);
    EXPECT_EQ(a.sprite, 4);
    EXPECT_EQ(r.enemies[1].sprite, kEmptySlot);
    const ObjectSpawn &s = r.enemies[2];
    EXPECT_EQ(s.a_column, 9);
    EXPECT_EQ(s.b_column, 9);
    EXPECT_EQ(s.a_row, 8);
    EXPECT_EQ(s.b_row, 8);
    EXPECT_EQ(s.speed, 0);
    EXPECT_EQ(s.sprite, 28);
    EXPECT_EQ(r.enemies[3].sprite, 6);
    EXPECT_EQ(r.enemies[4].sprite, kEmptySlot);
    EXPECT_EQ(r.platforms[0].sprite, 12);
    EXPECT_EQ(r.platforms[0].b_row, 2);
    EXPECT_EQ(r.platforms[1].sprite, kEmptySlot);
    EXPECT_TRUE(c.report.warnings.empty());
}

TEST_F(MapSourceTest, SheetsAndBackdropsBecomeMapPixels) {
    Compiled c = compile(minimal_source("backdrop 3 back.pcx\n"));
    ASSERT_TRUE(c.ok) << c.report.error;
    // Cell 25 is the second cell of the second sheet row: x 16, y 16.
    EXPECT_EQ(c.img->room_tiles[25][3][4], map_test::sheet_value(0, 16 + 4, 16 + 3));
    EXPECT_EQ(c.img->sprite_tiles[239][15][15], map_test::sheet_value(1, 383, 159));
    EXPECT_EQ(c.img->room_tiles[5][7][7], kMapMaskColour);
    EXPECT_EQ(c.img->backdrops[3][143][239], map_test::backdrop_value(239, 143));
    EXPECT_EQ(c.img->backdrops[2][10][10], 0u);
    // A pixel is one little-endian u32 with the high half 0.
    std::size_t at = tile_pixel_offset(25, 3, 4, TileSet::Sprite);
    uint32_t v = map_test::sheet_value(1, 20, 19);
    EXPECT_EQ(c.bytes[at], v & 0xFF);
    EXPECT_EQ(c.bytes[at + 1], v >> 8);
    EXPECT_EQ(c.bytes[at + 2], 0);
    EXPECT_EQ(c.bytes[at + 3], 0);
}

TEST_F(MapSourceTest, AnEightBitSheetIsReadThroughItsPalette) {
    BITMAP *b = create_bitmap_ex(8, 384, 160);
    ASSERT_NE(b, nullptr);
    clear_to_color(b, 1);
    putpixel(b, 20, 19, 2);
    PALETTE pal = {};
    pal[1] = RGB{63, 0, 63, 0};  // magenta: the mask
    pal[2] = RGB{63, 32, 0, 0};  // orange
    ASSERT_EQ(save_pcx(src.path("eight.pcx").c_str(), b, pal), 0);
    destroy_bitmap(b);
    std::string text = minimal_source();
    text.replace(text.find("tiles.pcx"), 9, "eight.pcx");
    Compiled c = compile(text);
    ASSERT_TRUE(c.ok) << c.report.error;
    EXPECT_EQ(c.img->room_tiles[0][0][0], kMapMaskColour);
    EXPECT_EQ(c.img->room_tiles[25][3][4],
              maps::map_pixel_from_rgb(_rgb_scale_6[63], _rgb_scale_6[32], 0));
}

TEST_F(MapSourceTest, MapIdAddsTheOverrideAndRawSetsAnyByte) {
    Compiled c = compile(minimal_source("map_id -7\nraw 28160 41420043\nraw 1211594 63000000\n"));
    ASSERT_TRUE(c.ok) << c.report.error;
    ASSERT_EQ(c.bytes.size(), kMapFileSizeWithOverride);
    EXPECT_TRUE(c.img->has_override);
    EXPECT_EQ(c.img->map_id_override, 99); // raw comes last, over the map_id
    EXPECT_STREQ(c.img->text_slots[0].text, "AB");
    EXPECT_EQ(c.bytes[28163], 0x43);
    EXPECT_TRUE(c.report.warnings.empty());

    Compiled neg = compile(minimal_source("map_id -7\n"));
    ASSERT_TRUE(neg.ok) << neg.report.error;
    EXPECT_EQ(neg.img->map_id_override, -7);
}

TEST_F(MapSourceTest, TitlesMayBeQuotedToKeepBlanks) {
    std::string text = minimal_source();
    text.replace(text.find("title TEST MAP"), 14, "title \"  EL POZO \"");
    Compiled c = compile(text);
    ASSERT_TRUE(c.ok) << c.report.error;
    EXPECT_STREQ(c.img->header.title.text, "  EL POZO ");
}

TEST_F(MapSourceTest, TwoCharacterSymbols) {
    std::string row = "aaaaaaaaaaaaaaaaaaaaaaaaaaaab#";
    std::string text = minimal_source("cell aa - -\ncell b# 7 - solid\nroom 0,1\n");
    for (int i = 0; i < 9; ++i) text += "|" + row + "|\n";
    Compiled c = compile(text);
    ASSERT_TRUE(c.ok) << c.report.error;
    EXPECT_EQ(c.img->rooms[5].cells[3][14].back_tile, 7);
    EXPECT_EQ(c.img->rooms[5].cells[3][13].back_tile, kNoTile);
}

// ---- Warnings ----------------------------------------------------------------------

TEST_F(MapSourceTest, ATrackThatIsNoMultipleOfItsSpeedIsWarnedAboutAndKept) {
    std::string text = minimal_source("room 2,2\nenemy 4 from 4,3 to 8,3 speed 3\n");
    Compiled c = compile(text);
    ASSERT_TRUE(c.ok) << c.report.error;
    ASSERT_EQ(c.report.warnings.size(), 1u);
    EXPECT_EQ(c.report.warnings[0].find(at_line(text, "enemy 4") + "warning: "), 0u)
        << c.report.warnings[0];
    EXPECT_NE(c.report.warnings[0].find("multiple of its speed 3"), std::string::npos);
    EXPECT_EQ(c.img->rooms[12].enemies[0].speed, 3);
}

TEST_F(MapSourceTest, DiagonalTracksAreJudgedOnEachAxis) {
    Compiled fine = compile(minimal_source("room 2,2\nplatform 4 from 0,0 to 4,2 speed 8\n"));
    ASSERT_TRUE(fine.ok);
    EXPECT_TRUE(fine.report.warnings.empty()); // 64 and 32 pixels, both multiples of 8
    Compiled bad = compile(minimal_source("room 2,2\nplatform 4 from 0,0 to 3,2 speed 32\n"));
    ASSERT_TRUE(bad.ok);
    EXPECT_EQ(bad.report.warnings.size(), 1u); // 48 pixels across: no multiple of 32
}

TEST_F(MapSourceTest, ABackdropWithoutAPictureAndASolidStartAreWarnedAbout) {
    std::string text = minimal_source("cell # 1 - solid\ncell . - -\nroom 1,2\nbackdrop 4\n");
    for (int i = 0; i < 9; ++i) text += "|###############|\n";
    Compiled c = compile(text);
    ASSERT_TRUE(c.ok) << c.report.error;
    ASSERT_EQ(c.report.warnings.size(), 2u);
    EXPECT_NE(c.report.warnings[0].find("backdrop 4 has no picture"), std::string::npos);
    EXPECT_NE(c.report.warnings[1].find("starts inside a solid cell"), std::string::npos);
}

TEST_F(MapSourceTest, RawBytesThatTheGameWouldCorrectAreWarnedAbout) {
    // Back tile of room 0, row 0, column 0 set to 0x1234.
    Compiled c = compile(minimal_source("raw 414 3412\n"));
    ASSERT_TRUE(c.ok) << c.report.error;
    ASSERT_EQ(c.report.warnings.size(), 1u);
    EXPECT_NE(c.report.warnings[0].find("1 values the game does not accept"), std::string::npos);
}

// ---- Errors ------------------------------------------------------------------------

TEST_F(MapSourceTest, UnknownTileName) {
    std::string text = minimal_source("cell # rok - solid\n");
    std::string e = error_of(text);
    EXPECT_EQ(e, at_line(text, "cell # rok") +
                     "unknown tile name \"rok\" (tiles are named by names files and tile "
                     "lines, or given by number)");
}

TEST_F(MapSourceTest, RoomOutsideTheWorld) {
    std::string text = minimal_source("room 5,0\n");
    EXPECT_EQ(error_of(text),
              at_line(text, "room 5,0") + "room 5,0 is outside the 5 x 5 world (columns and rows 0 to 4)");
    std::string placed = minimal_source("switch room 1,-1 cell 2,2\n");
    EXPECT_NE(error_of(placed).find("room 1,-1 is outside the 5 x 5 world"), std::string::npos);
}

TEST_F(MapSourceTest, TwentySixthSwitchAndRefill) {
    std::string text = minimal_source("room 1,1\nswitch 3,3\n");
    EXPECT_EQ(error_of(text), at_line(text, "switch 3,3") + "a 26th switch: a map has exactly 25");
    std::string refill = minimal_source("refill room 2,2 cell 3,3\n");
    EXPECT_EQ(error_of(refill),
              at_line(refill, "refill room 2,2") + "a 26th refill: a map has exactly 25");
}

TEST_F(MapSourceTest, TooFewSwitches) {
    std::string text = minimal_source();
    text.erase(text.find("switch room 0,0 cell 0,0\n"), 25);
    EXPECT_EQ(error_of(text), src.path("map.txt") +
                                  ": the map has 24 switches; it needs exactly 25 (the door "
                                  "opens when all 25 are thrown)");
}

TEST_F(MapSourceTest, WrongRowLength) {
    std::string text = minimal_source("cell . - -\nroom 0,0\n|..............|\n");
    EXPECT_EQ(error_of(text), at_line(text, "|....") +
                                  "the row is 14 characters between the bars; a row is 15 "
                                  "cells of 1 (15)");
    std::string open = minimal_source("cell . - -\nroom 0,0\n|...............\n");
    EXPECT_NE(error_of(open).find("a row of cells begins and ends with |"), std::string::npos);
}

TEST_F(MapSourceTest, WrongNumberOfRows) {
    std::string text = minimal_source("cell . - -\nroom 0,0\n");
    for (int i = 0; i < 8; ++i) text += "|...............|\n";
    text += "room 1,0\n";
    EXPECT_EQ(error_of(text), at_line(text, "room 0,0\n") +
                                  "room 0,0 has 8 rows of cells; a room has 9 (or none, for an "
                                  "empty room)");
    std::string ten = minimal_source("cell . - -\nroom 0,0\n");
    for (int i = 0; i < 10; ++i) ten += "|...............|\n";
    EXPECT_EQ(error_of(ten),
              src.path("map.txt") + ":" + std::to_string(map_test::line_of(ten, "room 0,0\n") + 10) +
                  ": a 10th row of cells: a room has 9");
}

TEST_F(MapSourceTest, BadNumbers) {
    std::string speed = minimal_source("room 0,0\nenemy 4 from 1,1 to 3,1 speed fast\n");
    EXPECT_EQ(error_of(speed),
              at_line(speed, "speed fast") + "\"fast\" is not a speed: 0 to 127 pixels a frame");
    std::string cell = minimal_source("room 0,0\nswitch 3;4\n");
    EXPECT_EQ(error_of(cell), at_line(cell, "switch 3;4") +
                                  "\"3;4\" is not a cell column,row such as 4,7");
    std::string hex = minimal_source("map_id 0x10\n");
    EXPECT_NE(error_of(hex).find("\"0x10\" is not a map id"), std::string::npos);
    std::string backdrop = minimal_source("room 0,0\nbackdrop 5\n");
    EXPECT_NE(error_of(backdrop).find("\"5\" is not a backdrop: 0 to 4, or none"), std::string::npos);
}

TEST_F(MapSourceTest, UnknownSymbolFlagAndSprite) {
    std::string sym = minimal_source("cell . - -\nroom 0,0\n|.......x.......|\n");
    EXPECT_EQ(error_of(sym), at_line(sym, "|....") +
                                 "unknown cell symbol \"x\" in column 7 (no cell line above "
                                 "defines it)");
    std::string flag = minimal_source("cell # 1 - solid slippery\n");
    EXPECT_NE(error_of(flag).find("unknown cell flag \"slippery\""), std::string::npos);
    std::string sprite = minimal_source("room 0,0\nenemy 130 at 1,1\n");
    EXPECT_NE(error_of(sprite).find("an object's first picture must be cell 0 to 127"),
              std::string::npos);
    std::string name = minimal_source("room 0,0\nenemy owl at 1,1\n");
    EXPECT_NE(error_of(name).find("unknown sprite name \"owl\""), std::string::npos);
}

TEST_F(MapSourceTest, CellsAndTilesOutOfRange) {
    std::string tile = minimal_source("cell # 240 - solid\n");
    EXPECT_NE(error_of(tile).find("tile 240 does not exist"), std::string::npos);
    std::string cell = minimal_source("room 0,0\nenemy 4 from 1,1 to 15,1 speed 1\n");
    EXPECT_EQ(error_of(cell), at_line(cell, "enemy 4") +
                                  "cell 15,1 is outside the room (columns 0 to 14, rows 0 to 8)");
    std::string door = minimal_source();
    door.replace(door.find("exit room 4,3 cell 13,7"), 23, "exit room 4,3 cell 13,8");
    EXPECT_NE(error_of(door).find("the exit door is two cells high"), std::string::npos);
}

TEST_F(MapSourceTest, TwentySixthEnemy) {
    std::string text = minimal_source("room 3,3\n");
    for (int i = 0; i < 26; ++i) text += "enemy 4 at " + std::to_string(i % 15) + ",1\n";
    EXPECT_EQ(error_of(text), src.path("map.txt") + ":" +
                                  std::to_string(map_test::line_of(text, "room 3,3") + 26) +
                                  ": a 26th enemy in room 3,3: a room holds 25");
}

TEST_F(MapSourceTest, MisplacedAndRepeatedLines) {
    std::string row = minimal_source("cell . - -\n|...............|\n");
    EXPECT_NE(error_of(row).find("a row of cells belongs to a room"), std::string::npos);
    std::string twice = minimal_source("room 1,1\nroom 1,1\n");
    EXPECT_NE(error_of(twice).find("room 1,1 is described twice"), std::string::npos);
    std::string title = minimal_source("title AGAIN\n");
    EXPECT_EQ(error_of(title),
              at_line(title, "title AGAIN") + "a second title line (the first is line 2)");
    std::string word = minimal_source("ladder 3,3\n");
    EXPECT_EQ(error_of(word), at_line(word, "ladder 3,3") + "unknown line \"ladder\"");
    std::string symbol = minimal_source("cell . - -\ncell . 1 -\n");
    EXPECT_NE(error_of(symbol).find("cell symbol \".\" is defined twice"), std::string::npos);
    std::string width = minimal_source("cell . - -\ncell ## 1 -\n");
    EXPECT_NE(error_of(width).find("this map's symbols are 1 wide"), std::string::npos);
}

TEST_F(MapSourceTest, MissingHeaderLines) {
    std::string text = minimal_source();
    text.erase(text.find("start room"), 24);
    EXPECT_EQ(error_of(text), src.path("map.txt") + ": no start line");
    std::string sheet = minimal_source();
    sheet.erase(sheet.find("sprite_sheet"), 25);
    EXPECT_EQ(error_of(sheet), src.path("map.txt") + ": no sprite_sheet line");
}

TEST_F(MapSourceTest, PicturesThatAreMissingOrTheWrongSize) {
    std::string missing = minimal_source("backdrop 1 nowhere.pcx\n");
    std::string e = error_of(missing);
    EXPECT_EQ(e.find(at_line(missing, "nowhere") + "picture \"nowhere.pcx\" not found"), 0u) << e;
    std::string size = minimal_source("backdrop 1 tiles.pcx\n");
    EXPECT_NE(error_of(size).find("is 384 x 160; it must be 240 x 144"), std::string::npos);
    testing_support::write_file(src.path("broken.pcx"), "not a picture");
    std::string broken = minimal_source("backdrop 1 broken.pcx\n");
    EXPECT_NE(error_of(broken).find("broken.pcx is too short to be a PCX picture"), std::string::npos)
        << error_of(broken);
}

// The library's PCX loader believes the header's size; the compiler checks it first,
// as the game does.
TEST_F(MapSourceTest, APictureDeclaringMoreThanTheScreenIsRefusedUnread) {
    std::vector<unsigned char> header(128, 0);
    header[0] = 10;
    header[1] = 5;
    header[2] = 1;
    header[3] = 8;
    header[8] = header[9] = header[10] = header[11] = 0xFF; // 65,536 x 65,536
    header[65] = 1;
    testing_support::write_file(src.path("huge.pcx"), header);
    std::string huge = minimal_source("backdrop 1 huge.pcx\n");
    EXPECT_NE(error_of(huge).find("huge.pcx declares a picture larger than 640 x 480"),
              std::string::npos)
        << error_of(huge);
}

// An 8-bit PCX keeps its 256 colours after the pixels; the loader leaves the colours
// of a file without them unset, and the compiler once read whatever was there.
TEST_F(MapSourceTest, AnEightBitPictureWithoutItsPaletteIsRefused) {
    BITMAP *b = create_bitmap_ex(8, kBackdropWidth, kBackdropHeight);
    clear_to_color(b, 200);
    PALETTE pal;
    for (int i = 0; i < 256; ++i) pal[i] = RGB{static_cast<unsigned char>(i / 4), 0, 0, 0};
    ASSERT_EQ(save_pcx(src.path("nopal.pcx").c_str(), b, pal), 0);
    destroy_bitmap(b);
    std::vector<unsigned char> bytes = testing_support::read_file(src.path("nopal.pcx"));
    ASSERT_GT(bytes.size(), 769u);
    ASSERT_EQ(bytes[bytes.size() - 769], 12) << "the palette's mark";
    bytes.resize(bytes.size() - 769);
    testing_support::write_file(src.path("nopal.pcx"), bytes);
    std::string nopal = minimal_source("backdrop 1 nopal.pcx\n");
    EXPECT_NE(error_of(nopal).find("nopal.pcx uses colour 200, which its palette does not give"),
              std::string::npos)
        << error_of(nopal);
}

TEST_F(MapSourceTest, PicturesAreLookedForInTheSearchDirectories) {
    testing_support::TempDir other;
    testing_support::make_dirs(other.file("sheets"));
    std::rename(src.path("back.pcx").c_str(), other.file("sheets/back.pcx").c_str());
    testing_support::write_file(src.path("map.txt"), minimal_source("backdrop 0 back.pcx\n"));
    maps::CompileOptions opt;
    std::vector<uint8_t> bytes;
    maps::Report report;
    EXPECT_FALSE(maps::compile_map_source(src.dir.path(), opt, bytes, report));
    opt.search_dirs.push_back(other.file("sheets"));
    maps::Report found;
    EXPECT_TRUE(maps::compile_map_source(src.dir.path(), opt, bytes, found)) << found.error;
}

TEST_F(MapSourceTest, BrokenNamesFileIsNamedWithItsLine) {
    testing_support::write_file(src.path("bad.names"), "tile rock 0\n\ntile 9lives 3\n");
    std::string text = minimal_source("names bad.names\n");
    std::string e = error_of(text);
    EXPECT_EQ(e.find(src.path("bad.names") + ":3: \"9lives\" is not a name"), 0u) << e;
    testing_support::write_file(src.path("clash.names"), "tile rock 0\ntile rock 1\n");
    EXPECT_NE(error_of(minimal_source("names clash.names\n")).find("already names cell 0"),
              std::string::npos);
}

TEST_F(MapSourceTest, RawBytesPastTheEnd) {
    std::string text = minimal_source("raw 1211593 0102\n");
    EXPECT_EQ(error_of(text), at_line(text, "raw 1211593") +
                                  "raw bytes run past the end of the map file (1211594 bytes; "
                                  "only a map_id adds 4 more)");
    EXPECT_NE(error_of(minimal_source("raw 10 4g\n")).find("is not hex bytes"), std::string::npos);
}

TEST_F(MapSourceTest, TitleTooLongOrNotAscii) {
    std::string text = minimal_source();
    text.replace(text.find("TEST MAP"), 8, std::string(100, 'A'));
    EXPECT_NE(error_of(text).find("the title has 100 characters; at most 99 fit"), std::string::npos);
    std::string utf = minimal_source();
    utf.replace(utf.find("TEST MAP"), 8, "ESPA\xc3\x91OL");
    EXPECT_NE(error_of(utf).find("not plain printable ASCII"), std::string::npos);
}

} // namespace
