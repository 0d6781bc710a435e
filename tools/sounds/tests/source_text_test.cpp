// The source-text helpers every recipe and tune is read with: words and comments,
// numbers, notes, lines and whole-file writing.
#include "source_text.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

using testing_support::TempDir;

TEST(SourceWords, SplitOnBlanksAndStopAtACommentButNotAtASharpNote) {
    EXPECT_EQ(split_words("  pitch\t220  880 exp  # rising"), (std::vector<std::string>{"pitch", "220", "880", "exp"}));
    EXPECT_EQ(split_words("1 lead C#4:2 F#5 #later"), (std::vector<std::string>{"1", "lead", "C#4:2", "F#5"}));
    EXPECT_TRUE(split_words("# only a comment").empty());
    EXPECT_TRUE(split_words("   \r").empty());
}

TEST(SourceNumbers, AreWholeFiniteDecimals) {
    double v = 0;
    EXPECT_TRUE(parse_number("0.25", v) && v == 0.25);
    EXPECT_TRUE(parse_number("-3", v) && v == -3);
    for (const char *bad : {"", "1.5x", "inf", "nan", "0x10", "1e999", "abc", "+"}) EXPECT_FALSE(parse_number(bad, v)) << bad;
    long n = 0;
    EXPECT_TRUE(parse_integer("64", n) && n == 64);
    EXPECT_TRUE(parse_integer("-12", n) && n == -12);
    for (const char *bad : {"", "1.0", "12a", "-", "99999999999"}) EXPECT_FALSE(parse_integer(bad, n)) << bad;
}

TEST(SourceNotes, CountSemitonesFromC0InEqualTemperament) {
    for (auto [name, index] : {std::pair{"C0", 0}, {"C4", 48}, {"C#4", 49}, {"Db4", 49}, {"A4", 57}, {"B7", 95}}) {
        int n = -1;
        EXPECT_TRUE(parse_note(name, n) && n == index) << name;
    }
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
