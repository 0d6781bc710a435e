// The menus' rules apart from drawing: the set-up menu's rows and arrows (the table
// in setup_rules.txt); passwords, codes read by the rules and refused, and the way
// typed keys fill the entry; the level browser's file list, what matches, how names
// are shown and sorted whatever their case on disk, and the first-letter jumps.
#include "menus/file_list.h"
#include "menus/level_browser.h"
#include "menus/password.h"
#include "menus/play_menu.h"
#include "menus/setup_rules.h"

#include "core/tests/case_rows.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(SetupRules, MovesAndArrowsOnEachRow) {
    for (const case_rows::Words &row : case_rows::read(__FILE__, "setup_rules.txt")) {
        SCOPED_TRACE(case_rows::text(row));
        int n[15] = {};
        for (std::size_t i = 1; i < row.size() && i <= 15; ++i) n[i - 1] = case_rows::number(row[i]);
        if (row[0] == "move") {
            EXPECT_EQ(setup_row_after(n[0], n[1], n[2] != 0), n[3]);
            continue;
        }
        GameConfig c{};
        c.low_resolution = n[2];
        c.render_mode = n[3];
        c.music_volume = n[4];
        c.effects_volume = n[5];
        c.language = n[6];
        const SetupChange got = setup_left_right(n[0], n[1], c);
        const int after[] = {c.low_resolution, c.render_mode, c.music_volume, c.effects_volume, c.language,
                             got.changed, got.switch_resolution, got.music_volume};
        const int want[] = {n[2], n[7], n[8], n[9], n[10], n[11], n[12], n[13]};
        for (int i = 0; i < 8; ++i) EXPECT_EQ(after[i], want[i]) << "value " << i;
    }
}

// `code` in a typed buffer, terminators included, the rest of it zero.
int16_t decode(const std::string &code) {
    char buffer[kPasswordLength + 1] = {};
    code.copy(buffer, kPasswordLength);
    return decode_password(buffer);
}

// The alphabet VESPRTILNOCHMBAD (positions 0..15): the first letter's position over
// 4 is A, the second's over 2 is B, the third must be at A + B and the fourth at 2B;
// the value is 8A + B. An absent first or second letter (a stranger or a position
// left empty) reads as position 0; only the third and fourth letters refuse a code.
// Every value from 0 to 31 has a code that reads as it.
TEST(Password, CodesDecodeByTheRules) {
    const std::pair<std::string, int> codes[] = {
        {"RSSS", 9}, {"LPSS", 9}, {"VSES", 1}, {"REEV", 8}, {"MACA", 31}, {"DDCA", 31},
        {"RSVS", 0}, {"RSSV", 0}, {"RSSP", 0}, {"MAEA", 0}, {"MACE", 0}, {"rsss", 0}, {"RSS", 0}, {"", 0},
        {"R SS", 0}, {"??VV", 0}, {std::string("\0SES", 4), 1}, {std::string("R\0EV", 4), 8},
    };
    for (const auto &[code, value] : codes) EXPECT_EQ(decode(code), value) << "'" << code << "'";
    char code[5];
    for (int v = 0; v <= 31; ++v) {
        ASSERT_TRUE(encode_password(v, code));
        EXPECT_EQ(decode_password(code), v) << code;
    }
    EXPECT_FALSE(encode_password(32, code));
    EXPECT_FALSE(encode_password(-1, code));
}

int press(int scancode, int ascii) { return scancode << 8 | ascii; }

// Keys typed into an empty entry: what the entry shows and where the cursor is.
TEST(PasswordEntry, TypedKeys) {
    const int bs = press(KEY_BACKSPACE, 8);
    const struct {
        std::vector<int> keys;
        const char *code;
        int cursor;
    } rows[] = {
        {{press(KEY_R, 'r'), press(KEY_S, 's'), press(KEY_S, 's'), press(KEY_S, 's'), press(KEY_V, 'v')}, "RSSS", 4},
        {{press(KEY_R, 'R'), press(KEY_S, 'S'), bs, bs, press(KEY_T, 'T')}, "T", 1}, // down to the first
        {{bs}, "", 0},
        // A space, an arrow or an accented letter moves on without storing: the code
        // shown stops at the first gap.
        {{press(KEY_R, 'R'), press(KEY_SPACE, ' '), press(KEY_LEFT, 0), press(KEY_A, 0xE9)}, "R", 4},
        {{press(0, 33), press(0, 127)}, "!\x7f", 2},
    };
    for (const auto &r : rows) {
        PasswordEntry e;
        for (int k : r.keys) password_type_key(e, k);
        EXPECT_STREQ(e.code, r.code);
        EXPECT_EQ(e.cursor, r.cursor) << r.code;
    }
}

using Names = std::vector<std::string>;

// Every map of MAP/ whatever the case of its name, as the browser lists them:
// upper-cased, in plain byte order ('1' before '_'), a long name kept whole.
TEST(FileList, WhatIsListedAndHow) {
    testing_support::TempDir dir(true);
    testing_support::make_dirs(dir.file("map/folder.map"));
    const std::string forty = std::string(36, 'z') + ".map";
    for (const std::string n : {"cueva.map", "Castle.MAP", "vusk.Map", "a.map", "notes.txt", "cueva.map.bak",
                                ".hidden.map", "B_2.map", "b1.map", forty.c_str()})
        testing_support::write_file(dir.file("map/" + n), std::string("x"));
    const Names all = {"A.MAP", "B1.MAP", "B_2.MAP", "CASTLE.MAP", "CUEVA.MAP", "VUSK.MAP",
                       std::string(36, 'Z') + ".MAP"};
    FileList list = list_map_files(kMapPattern);
    Names listed;
    for (uint32_t i = 0; i < list.count; ++i) listed.push_back(list.entries[i].name);
    free_file_list(&list);
    EXPECT_EQ(listed, all);
}

// A letter finds the first name from the top that starts with it in either case;
// any other key only names that start with that very character.
TEST(FileList, FirstLetterJumps) {
    FileListEntry entries[] = {{"!BANG.MAP"}, {"1UP.MAP"}, {"ALPHA.MAP"}, {"MOON.MAP"},
                               {"MUD.MAP"},   {"ZED.MAP"}, {"[X].MAP"}};
    FileList list;
    list.entries = entries;
    list.count = 7;
    const struct {
        int key, selection, expected;
    } jumps[] = {{'m', 5, 3}, {'M', 0, 3}, {'z', 0, 5}, {'q', 4, 4}, {'A', 6, 2}, {'a', 6, 2},
                 {'{', 1, 1}, {'1', 0, 1}, {'!', 2, 0}};
    for (const auto &j : jumps)
        EXPECT_EQ(find_entry_by_initial(list, j.key, j.selection), j.expected) << char(j.key);
    EXPECT_EQ(find_entry_by_initial(FileList{}, 'a', 0), 0);
}

} // namespace
