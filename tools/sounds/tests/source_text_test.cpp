// Tests of the source-text helpers: words and comments, numbers, notes, and
// whole-file writing.
#include "source_text.h"

#include "support/test_support.h"

#include <gtest/gtest.h>


using testing_support::TempDir;

TEST(SourceWords, SplitsOnBlanksAndStopsAtAComment) {
    EXPECT_EQ(split_words("  pitch\t220  880 exp  # rising"),
              (std::vector<std::string>{"pitch", "220", "880", "exp"}));
    EXPECT_TRUE(split_words("# only a comment").empty());
    EXPECT_TRUE(split_words("   \r").empty());
}

TEST(SourceWords, ASharpInsideANoteIsNotAComment) {
    EXPECT_EQ(split_words("1 lead C#4:2 F#5 #later"),
              (std::vector<std::string>{"1", "lead", "C#4:2", "F#5"}));
}

TEST(SourceNumbers, AcceptsOnlyWholeFiniteDecimals) {
    double v = 0;
    EXPECT_TRUE(parse_number("0.25", v));
    EXPECT_DOUBLE_EQ(v, 0.25);
    EXPECT_TRUE(parse_number("-3", v));
    EXPECT_DOUBLE_EQ(v, -3);
    for (const char *bad : {"", "1.5x", "inf", "nan", "0x10", "1e999", "abc", "+"})
        EXPECT_FALSE(parse_number(bad, v)) << bad;
}

TEST(SourceNumbers, IntegersRefuseFractionsAndHugeValues) {
    long v = 0;
    EXPECT_TRUE(parse_integer("64", v));
    EXPECT_EQ(v, 64);
    EXPECT_TRUE(parse_integer("-12", v));
    EXPECT_EQ(v, -12);
    for (const char *bad : {"", "1.0", "12a", "-", "99999999999"})
        EXPECT_FALSE(parse_integer(bad, v)) << bad;
}

TEST(SourceNotes, CountsSemitonesFromC0) {
    int n = -1;
    ASSERT_TRUE(parse_note("C0", n));
    EXPECT_EQ(n, 0);
    ASSERT_TRUE(parse_note("C4", n));
    EXPECT_EQ(n, 48);
    ASSERT_TRUE(parse_note("A4", n));
    EXPECT_EQ(n, 57);
    ASSERT_TRUE(parse_note("B7", n));
    EXPECT_EQ(n, 95);
    int sharp = 0, flat = 0;
    ASSERT_TRUE(parse_note("C#4", sharp));
    ASSERT_TRUE(parse_note("Db4", flat));
    EXPECT_EQ(sharp, flat);
    EXPECT_EQ(sharp, 49);
}

TEST(SourceNotes, RefusesNamesOutsideTheRange) {
    int n = 0;
    for (const char *bad : {"Cb0", "B#7", "C8", "H4", "c4", "C", "C#", "C44", "Cx4", ""})
        EXPECT_FALSE(parse_note(bad, n)) << bad;
}

TEST(SourceNotes, FrequenciesAndNamesFollowEqualTemperament) {
    EXPECT_DOUBLE_EQ(note_frequency(57), 440.0);
    EXPECT_NEAR(note_frequency(48), 261.626, 0.001);
    EXPECT_NEAR(note_frequency(69) / note_frequency(57), 2.0, 1e-12);
    for (int i = 0; i < kNoteCount; ++i) {
        int back = -1;
        ASSERT_TRUE(parse_note(note_name(i), back)) << note_name(i);
        EXPECT_EQ(back, i);
    }
}

TEST(SourceMessages, NameTheFileAndTheLine) {
    EXPECT_EQ(source_message("a/b.sfx", 12, "bad"), "a/b.sfx:12: bad");
    EXPECT_EQ(source_message("a/b.sfx", 0, "bad"), "a/b.sfx: bad");
}

TEST(SourceLines, ReadsEveryLineAndRefusesBinaries) {
    TempDir dir;
    testing_support::write_file(dir.file("t.txt"), std::string("one\ntwo\r\n\nfour"));
    std::vector<std::string> lines;
    std::string error;
    ASSERT_TRUE(read_source_lines(dir.file("t.txt"), lines, error)) << error;
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], "four");
    testing_support::write_file(dir.file("b.txt"), std::vector<unsigned char>{'a', '\n', 0, 'b'});
    EXPECT_FALSE(read_source_lines(dir.file("b.txt"), lines, error));
    EXPECT_NE(error.find("b.txt:2:"), std::string::npos) << error;
    EXPECT_FALSE(read_source_lines(dir.file("missing.txt"), lines, error));
    EXPECT_NE(error.find("missing.txt"), std::string::npos);
}

TEST(SourceLines, TextInMemorySplitsAsTheSameFileReads) {
    TempDir dir;
    for (const std::string text : {"one\ntwo\r\n\nfour", "ends\n", "", "\n\n", "x", "a\n\n"}) {
        testing_support::write_file(dir.file("t.txt"), text);
        std::vector<std::string> from_file, from_text;
        std::string error;
        ASSERT_TRUE(read_source_lines(dir.file("t.txt"), from_file, error)) << error;
        ASSERT_TRUE(split_source_lines("t.txt", text, from_text, error)) << error;
        EXPECT_EQ(from_text, from_file) << '"' << text << '"';
    }
    std::vector<std::string> lines{"left over"};
    std::string error;
    EXPECT_FALSE(split_source_lines("mem.txt", std::string("a\nb\0c\n", 6), lines, error));
    EXPECT_EQ(error.rfind("mem.txt:2: ", 0), 0u) << error;
}

TEST(WholeFiles, AFailureIsAToolMessageNamingTheFile) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(write_file_whole(dir.file("no/such/out.bin"), {1, 2, 3}, error));
    EXPECT_EQ(error.rfind(dir.file("no/such/out.bin") + ": cannot be written: ", 0), 0u) << error;
}
