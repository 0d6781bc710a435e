// The source-text helpers every recipe and tune is read with: what they refuse in
// numbers, notes, lines and whole-file writing. How the shipped recipes and tunes split
// into words, stop at comments (but not at a sharp note), read their decimals and name
// their notes is held by the generated files' hashes.
#include "source_text.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

using testing_support::TempDir;

TEST(SourceNumbers, AreWholeFiniteDecimals) {
    double v = 0;
    for (const char *bad : {"", "1.5x", "inf", "nan", "0x10", "1e999", "abc", "+"}) EXPECT_FALSE(parse_number(bad, v)) << bad;
    long n = 0;
    EXPECT_TRUE(parse_integer("-12", n) && n == -12);
    for (const char *bad : {"", "1.0", "12a", "-", "99999999999"}) EXPECT_FALSE(parse_integer(bad, n)) << bad;
}

TEST(SourceNotes, RefuseWhatIsNoNoteAndReadBackTheirNames) {
    int n = 0;
    for (const char *bad : {"Cb0", "B#7", "C8", "H4", "c4", "C", "C#", "C44", "Cx4", ""}) EXPECT_FALSE(parse_note(bad, n)) << bad;
    for (int i = 0; i < kNoteCount; ++i) EXPECT_TRUE(parse_note(note_name(i), n) && n == i) << note_name(i);
}

TEST(SourceLines, AreCountedAsWrittenAndABinaryIsRefused) {
    TempDir dir;
    std::vector<std::string> lines;
    std::string error;
    testing_support::write_file(dir.file("t.txt"), std::string("one\ntwo\r\n\nfour"));
    ASSERT_TRUE(read_source_lines(dir.file("t.txt"), lines, error)) << error;
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines.back(), "four");
    testing_support::write_file(dir.file("b.txt"), std::vector<unsigned char>{'a', '\n', 0, 'b'});
    EXPECT_FALSE(read_source_lines(dir.file("b.txt"), lines, error));
    EXPECT_EQ(error.rfind(dir.file("b.txt") + ":2: ", 0), 0u) << error;
    EXPECT_FALSE(read_source_lines(dir.file("missing.txt"), lines, error));
    EXPECT_EQ(error.rfind(dir.file("missing.txt"), 0), 0u) << error;
    EXPECT_FALSE(write_file_whole(dir.file("no/such/out.bin"), {1, 2, 3}, error));
    EXPECT_EQ(error.rfind(dir.file("no/such/out.bin") + ": cannot be written: ", 0), 0u) << error;
}
