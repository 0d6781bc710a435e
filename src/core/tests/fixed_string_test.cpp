// The fixed text record: its byte layout, its limits, and that no operation can be
// driven past its 100 characters.
#include "core/fixed_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

bool all_nul_from(const FixedString &r, int first) {
    for (int i = first; i < kFixedStringChars; ++i)
        if (r.text[i] != '\0') return false;
    return true;
}

FixedString garbage_record(char fill, uint8_t length) {
    FixedString r;
    std::memset(&r, fill, sizeof r);
    r.length = length;
    return r;
}

TEST(FixedStringBuild, EmptyIsAllZero) {
    FixedString r = fixed_empty();
    EXPECT_TRUE(all_nul_from(r, 0));
    EXPECT_EQ(r.mark, 0);
    EXPECT_EQ(r.length, 0);
}

TEST(FixedStringBuild, FromEmptyTextAndNull) {
    FixedString r = fixed_from_text("");
    EXPECT_EQ(r.length, 0);
    EXPECT_TRUE(all_nul_from(r, 0));
    FixedString n = fixed_from_text(nullptr);
    EXPECT_EQ(n.length, 0);
    EXPECT_TRUE(all_nul_from(n, 0));
}

TEST(FixedStringBuild, NinetyNineCharactersFitExactly) {
    std::string t(99, 'Q');
    FixedString r = fixed_from_text(t.c_str());
    EXPECT_EQ(r.length, 99);
    EXPECT_EQ(std::string(r.text), t);
    EXPECT_EQ(r.text[99], '\0');
}

TEST(FixedStringBuild, LongTextIsCutAndLengthCountsWhatIsKept) {
    std::string t(300, 'x');
    t[98] = 'A';
    t[99] = 'B';
    FixedString r = fixed_from_text(t.c_str());
    EXPECT_EQ(r.length, 99);
    EXPECT_EQ(r.text[98], 'A');
    EXPECT_EQ(r.text[99], '\0');
    EXPECT_EQ(r.mark, 0);
}

TEST(FixedStringJoin, MapPathIsThirteenCharacters) {
    FixedString p = fixed_concat_text("MAP\\", "cueva.map");
    EXPECT_STREQ(p.text, "MAP\\cueva.map");
    EXPECT_EQ(p.length, 13);
    EXPECT_TRUE(all_nul_from(p, 13));
    EXPECT_EQ(p.mark, 0);
}

TEST(FixedStringJoin, JoinedTextIsCutAtNinetyNine) {
    std::string a(60, 'a'), b(60, 'b');
    FixedString r = fixed_concat_text(a.c_str(), b.c_str());
    EXPECT_EQ(r.length, 99);
    EXPECT_EQ(std::string(r.text), a + std::string(39, 'b'));
    EXPECT_EQ(r.text[99], '\0');
}

// Records that come from a map file may claim a length beyond the text area or have
// no NUL at all: joining them must still stay inside the 100 characters.
TEST(FixedStringUntrusted, JoinOfLyingRecordsStaysInside) {
    FixedString a = garbage_record('a', 250);
    FixedString b = garbage_record('b', 200);
    FixedString r = fixed_concat(a, b);
    EXPECT_EQ(r.length, 99);
    EXPECT_EQ(r.text[99], '\0');
    EXPECT_EQ(std::strlen(r.text), 99u);
    EXPECT_EQ(r.text[98], 'a');
}

TEST(FixedStringUntrusted, LengthPastTheNulCountsOnlyTheText) {
    FixedString a = fixed_from_text("MAP\\");
    a.length = 90; // the text is still only four characters
    FixedString r = fixed_concat(a, fixed_from_text("vusk.map"));
    EXPECT_STREQ(r.text, "MAP\\vusk.map");
    EXPECT_EQ(r.length, 12);
}

TEST(FixedStringUntrusted, CopyTerminatesAndClampsTheLength) {
    FixedString g = garbage_record('z', 180);
    FixedString c = fixed_copy(g);
    EXPECT_EQ(c.text[99], '\0');
    EXPECT_EQ(c.text[98], 'z');
    EXPECT_EQ(c.length, 99);
    EXPECT_EQ(c.mark, 0);
}

TEST(FixedStringUntrusted, CopyKeepsAWellFormedRecord) {
    FixedString r = fixed_from_text("SALEM");
    r.mark = 3;
    FixedString c = fixed_copy(r);
    EXPECT_STREQ(c.text, "SALEM");
    EXPECT_EQ(c.length, 5);
    EXPECT_EQ(c.mark, 0);
    EXPECT_TRUE(all_nul_from(c, 5));
}

} // namespace
