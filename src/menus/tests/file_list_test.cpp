// The level browser's file list: what matches, how names are shown and sorted,
// letter-case on disk, and the first-letter jumps.
#include "menus/file_list.h"
#include "menus/level_browser.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing_support::TempDir;

std::vector<std::string> names(const FileList &list) {
    std::vector<std::string> out;
    for (uint32_t i = 0; i < list.count; ++i) out.push_back(list.entries[i].name);
    return out;
}

class FileListTest : public testing::Test {
protected:
    void put(const std::string &name) { testing_support::write_file(dir.file(name), std::string("x")); }
    std::vector<std::string> listed(const char *pattern = kMapPattern) {
        FileList list = list_map_files(pattern);
        std::vector<std::string> out = names(list);
        EXPECT_EQ(count_matching_files(pattern), list.count);
        free_file_list(&list);
        EXPECT_EQ(list.entries, nullptr);
        EXPECT_EQ(list.count, 0u);
        return out;
    }
    TempDir dir{true};
};

TEST_F(FileListTest, NamesAreUpperCasedAndSortedWhateverTheCaseOnDisk) {
    testing_support::make_dirs(dir.file("map"));
    put("map/cueva.map");
    put("map/Castle.MAP");
    put("map/vusk.Map");
    put("map/a.map");
    put("map/notes.txt");
    put("map/cueva.map.bak");
    put("map/.hidden.map");
    testing_support::make_dirs(dir.file("map/folder.map"));
    EXPECT_EQ(listed(), (std::vector<std::string>{"A.MAP", "CASTLE.MAP", "CUEVA.MAP", "VUSK.MAP"}));
}

TEST_F(FileListTest, NoDirectoryOrNoMapGivesAnEmptyList) {
    EXPECT_TRUE(listed().empty());
    testing_support::make_dirs(dir.file("MAP"));
    put("MAP/readme.txt");
    EXPECT_TRUE(listed().empty());
    EXPECT_TRUE(listed("").empty());
    EXPECT_TRUE(listed("MAP/").empty());
    FileList none = list_map_files(nullptr);
    EXPECT_EQ(none.count, 0u);
    free_file_list(nullptr);
}

TEST_F(FileListTest, LongNamesAreKeptWholeAndSortByByte) {
    testing_support::make_dirs(dir.file("MAP"));
    const std::string forty = std::string(36, 'z') + ".map";
    put("MAP/" + forty);
    put("MAP/fifteen_chars.map"); // 17
    put("MAP/thirteen_c.map");    // 14
    put("MAP/B_2.map");
    put("MAP/b1.map");
    const std::vector<std::string> got = listed("MAP\\*.map");
    ASSERT_EQ(got.size(), 5u);
    // '1' (0x31) < '_' (0x5F): plain byte order of the upper-cased names.
    EXPECT_EQ(got[0], "B1.MAP");
    EXPECT_EQ(got[1], "B_2.MAP");
    EXPECT_EQ(got[2], "FIFTEEN_CHARS.MAP");
    EXPECT_EQ(got[3], "THIRTEEN_C.MAP");
    EXPECT_EQ(got[4], std::string(36, 'Z') + ".MAP") << "a name longer than the window is kept whole";
}

TEST(FileListJumps, FirstLetterFromTheTopInEitherCase) {
    FileListEntry entries[4] = {{"ALPHA.MAP"}, {"MOON.MAP"}, {"MUD.MAP"}, {"ZED.MAP"}};
    FileList list;
    list.entries = entries;
    list.count = 4;
    EXPECT_EQ(find_entry_by_initial(list, 'm', 3), 1) << "from the top, whatever the selection";
    EXPECT_EQ(find_entry_by_initial(list, 'M', 0), 1);
    EXPECT_EQ(find_entry_by_initial(list, 'z', 0), 3);
    EXPECT_EQ(find_entry_by_initial(list, 'q', 2), 2) << "no such initial: the selection stays";
    FileList empty;
    EXPECT_EQ(find_entry_by_initial(empty, 'a', 0), 0);
}

// Only a letter stands for both its cases: any other key finds only names that start
// with that very character, even where a letter's other case would be another sign.
TEST(FileListJumps, OnlyLettersMatchInBothCases) {
    FileListEntry entries[4] = {{"!BANG.MAP"}, {"1UP.MAP"}, {"APPLE.MAP"}, {"[X].MAP"}};
    FileList list;
    list.entries = entries;
    list.count = 4;
    EXPECT_EQ(find_entry_by_initial(list, 'A', 3), 2) << "'A' less 32 is '!'";
    EXPECT_EQ(find_entry_by_initial(list, 'a', 3), 2);
    EXPECT_EQ(find_entry_by_initial(list, '{', 1), 1) << "'{' less 32 is '['";
    EXPECT_EQ(find_entry_by_initial(list, '1', 0), 1);
    EXPECT_EQ(find_entry_by_initial(list, '!', 2), 0);
}

TEST(BrowserWindow, TheSelectedRowStaysOnTheLastLineOncePastTheEighth) {
    EXPECT_EQ(browser_window_top(0), 0);
    EXPECT_EQ(browser_window_top(7), 0);
    EXPECT_EQ(browser_window_top(8), 1);
    EXPECT_EQ(browser_window_top(9), 2) << "index 9 shows entries 2 to 9";
    EXPECT_EQ(browser_window_top(11), 4);
}

} // namespace
