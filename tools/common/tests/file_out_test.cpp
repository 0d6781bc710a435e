// An output file that cannot replace what stands in its place leaves that as it was
// and no part file. That whole files appear, and nothing where a write fails, is held
// by the generated files' hashes (which name any file too many) and the tools' tests.
#include "file_out.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using testing_support::dir_entries;
using testing_support::TempDir;
using namespace tool_files;

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
