// The map compiler: sources no shipped map holds, and the message (file, line, what
// is wrong) for each kind of broken source, as listed in source_errors.txt and
// source_warnings.txt. Where each kind of line puts its bytes is held by the hashes
// of the shipped maps (content/tests/generated.hashes).
#include "map_source.h"

#include "map_test_source.h"

#include "support/case_table.h"

#include <gtest/gtest.h>

using map_test::minimal_source;
using map_test::SourceDir;

namespace {

constexpr std::size_t room(int column, int row) { return kRoomsOffset + (row * 5 + column) * kRoomRecordSize; }
constexpr std::size_t cell(int column, int row, int x, int y) {
    return room(column, row) + kRoomCellsOffset + y * kRoomCellRowSize + x * kRoomCellSize;
}

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
