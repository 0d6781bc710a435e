// Output files appear whole or not at all, and a failed write leaves nothing behind.
#include "file_out.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using testing_support::dir_entries;
using testing_support::TempDir;
using namespace tool_files;

TEST(WholeFiles, AppearCompleteAndLeaveNoPartFileBehind) {
    TempDir dir;
    std::string why;
    std::vector<unsigned char> bytes(100000, 7);
    bytes[99999] = 9;
    ASSERT_TRUE(write_file_whole(dir.file("out.bin"), bytes.data(), bytes.size(), why)) << why;
    EXPECT_EQ(testing_support::read_file(dir.file("out.bin")), bytes);
    EXPECT_EQ(dir_entries(dir.path()), std::vector<std::string>{"out.bin"});
    ASSERT_TRUE(write_file_whole(dir.file("out.bin"), nullptr, 0, why)) << why; // an empty one too
    EXPECT_TRUE(testing_support::read_file(dir.file("out.bin")).empty());
}

TEST(WholeFiles, AFailedWriteCreatesNothingAndSaysWhy) {
    TempDir dir;
    std::string why;
    const unsigned char bytes[3] = {1, 2, 3};
    EXPECT_FALSE(write_file_whole(dir.file("no/such/out.bin"), bytes, 3, why));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(dir_entries(dir.path()).empty());
}

TEST(WholeFiles, AFailedRenameKeepsTheOldFileAndRemovesThePart) {
    TempDir dir;
    std::string why;
    // A non-empty directory cannot be replaced by a file.
    testing_support::make_dirs(dir.file("out.bin/inside"));
    const unsigned char bytes[3] = {1, 2, 3};
    EXPECT_FALSE(write_file_whole(dir.file("out.bin"), bytes, 3, why));
    EXPECT_NE(why.find("renamed"), std::string::npos) << why;
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("out.bin/inside")));
    EXPECT_EQ(dir_entries(dir.path()), std::vector<std::string>{"out.bin"});
}
