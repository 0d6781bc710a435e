// The level browser's file list: what matches, how names are shown and sorted
// whatever their case on disk, and the first-letter jumps.
#include "menus/file_list.h"
#include "menus/level_browser.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing_support::TempDir;
using Names = std::vector<std::string>;

Names listed(const char *pattern) {
    FileList list = list_map_files(pattern);
    Names out;
    for (uint32_t i = 0; i < list.count; ++i) out.push_back(list.entries[i].name);
    EXPECT_EQ(count_matching_files(pattern), list.count) << pattern;
    free_file_list(&list);
    return out;
}

TEST(FileList, WhatIsListedAndHow) {
    TempDir dir(true);
    EXPECT_EQ(listed(kMapPattern), Names{}) << "no directory";
    testing_support::make_dirs(dir.file("map/folder.map"));
    const std::string forty = std::string(36, 'z') + ".map";
    for (const std::string n : {"cueva.map", "Castle.MAP", "vusk.Map", "a.map", "notes.txt", "cueva.map.bak",
                                ".hidden.map", "B_2.map", "b1.map", forty.c_str()})
        testing_support::write_file(dir.file("map/" + n), std::string("x"));
    // Upper-cased, in plain byte order ('1' before '_'), a long name kept whole.
    const Names all = {"A.MAP", "B1.MAP", "B_2.MAP", "CASTLE.MAP", "CUEVA.MAP", "VUSK.MAP",
                       std::string(36, 'Z') + ".MAP"};
    EXPECT_EQ(listed(kMapPattern), all);
    EXPECT_EQ(listed("MAP\\*.map"), all);
    EXPECT_EQ(listed("MAP/*.txt"), Names{"NOTES.TXT"});
    EXPECT_EQ(listed(""), Names{});
    EXPECT_EQ(listed("MAP/"), Names{});
    EXPECT_EQ(list_map_files(nullptr).count, 0u);
    free_file_list(nullptr);
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
