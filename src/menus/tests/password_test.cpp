// Password decoding over every code the alphabet can make, the codes that must be
// refused, and the way typed keys fill the entry.
#include "menus/password.h"
#include "menus/play_menu.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

std::string code_of(int a, int b, int c, int d) {
    return {kPasswordAlphabet[a], kPasswordAlphabet[b], kPasswordAlphabet[c], kPasswordAlphabet[d]};
}

// `code` in a typed buffer, terminators included, the rest of it zero.
int16_t decode(const std::string &code) {
    char buffer[kPasswordLength + 1] = {};
    code.copy(buffer, kPasswordLength);
    return decode_password(buffer);
}

TEST(Password, TheAlphabetHasSixteenDistinctCapitals) {
    std::set<char> seen;
    for (int i = 0; i < kPasswordAlphabetSize; ++i) {
        const char c = kPasswordAlphabet[i];
        EXPECT_TRUE(c >= 'A' && c <= 'Z') << i;
        EXPECT_EQ(password_letter_index(c), i);
        seen.insert(c);
    }
    EXPECT_EQ(seen.size(), 16u);
    EXPECT_EQ(password_letter_index('a'), -1) << "lower case is not in the alphabet";
    EXPECT_EQ(password_letter_index('\0'), -1);
    EXPECT_EQ(password_letter_index('Z'), -1);
}

// Every four-letter code of the alphabet: exactly the codes the rules allow are
// accepted, each with its value, and every value 1..31 has 4 x 2 = 8 codes.
TEST(Password, EveryCodeOfTheAlphabetDecodesByTheRules) {
    std::map<int, int> codes_per_value;
    for (int p0 = 0; p0 < 16; ++p0)
        for (int p1 = 0; p1 < 16; ++p1)
            for (int p2 = 0; p2 < 16; ++p2)
                for (int p3 = 0; p3 < 16; ++p3) {
                    const int a = p0 / 4, b = p1 / 2;
                    const bool valid = p2 == a + b && p3 == 2 * b;
                    const int expected = valid ? 8 * a + b : 0;
                    const std::string code = code_of(p0, p1, p2, p3);
                    ASSERT_EQ(decode(code), expected) << code;
                    if (expected) ++codes_per_value[expected];
                }
    EXPECT_EQ(codes_per_value.size(), 31u);
    for (const auto &[value, count] : codes_per_value) EXPECT_EQ(count, 8) << value;
}

TEST(Password, EncodedCodesDecodeBackAndNineStartsTheGame) {
    for (int v = 0; v <= 31; ++v) {
        char code[5];
        ASSERT_TRUE(encode_password(v, code));
        EXPECT_EQ(decode_password(code), v) << code;
    }
    char code[5];
    EXPECT_FALSE(encode_password(32, code));
    EXPECT_FALSE(encode_password(-1, code));
    ASSERT_TRUE(encode_password(9, code));
    EXPECT_STREQ(code, "RSSS");
}

TEST(Password, WrongShortAndEmptyCodesAreRefused) {
    char nine[5];
    encode_password(9, nine);
    std::string wrong_third = nine, wrong_fourth = nine;
    wrong_third[2] = 'V';
    wrong_fourth[3] = 'V';
    const std::string lower = "rsss";
    for (const std::string &code :
         {wrong_third, wrong_fourth, lower, std::string("RSS"), std::string("RS"), std::string(""),
          std::string("ABCD"), std::string("R SS")})
        EXPECT_EQ(decode(code), 0) << "'" << code << "'";
}

// An absent first or second letter reads as position 0, whether it is a stranger
// or a position left empty: with both absent the value is 0, a refusal; with one
// absent the code still carries its value, the positions after the gap included.
TEST(Password, AbsentLettersCountAsPositionZero) {
    const char v = kPasswordAlphabet[0], e = kPasswordAlphabet[1], s = kPasswordAlphabet[2];
    const char r = kPasswordAlphabet[4];
    EXPECT_EQ(decode({'?', '?', v, v}), 0);
    EXPECT_EQ(decode({'\0', s, e, s}), 1) << "A = 0 from the empty first position";
    EXPECT_EQ(decode({r, '\0', e, v}), 8) << "B = 0 from the empty second position";
}

int press(int scancode, int ascii) { return scancode << 8 | ascii; }

TEST(PasswordEntry, TypingKeepsFourUpperCaseLettersAndSkipsUnprintableKeys) {
    PasswordEntry e;
    for (char c : std::string("rsssv")) password_type_key(e, press(KEY_A, c));
    EXPECT_STREQ(e.code, "RSSS") << "the fifth letter is ignored";
    EXPECT_EQ(e.cursor, 4);

    password_type_key(e, press(KEY_BACKSPACE, 8));
    EXPECT_STREQ(e.code, "RSS");
    EXPECT_EQ(e.cursor, 3);

    PasswordEntry empty;
    password_type_key(empty, press(KEY_BACKSPACE, 8));
    EXPECT_EQ(empty.cursor, 0) << "Backspace on an empty entry does nothing";
    EXPECT_STREQ(empty.code, "");

    // A space, an arrow or an accented letter moves the cursor on without storing.
    PasswordEntry gap;
    password_type_key(gap, press(KEY_R, 'R'));
    password_type_key(gap, press(KEY_SPACE, ' '));
    password_type_key(gap, press(KEY_LEFT, 0));
    password_type_key(gap, press(KEY_A, 0xE9));
    EXPECT_EQ(gap.cursor, 4);
    EXPECT_STREQ(gap.code, "R") << "the code shown stops at the first gap";
    EXPECT_EQ(decode_password(gap.code), 0);

    // The printable range: 33 ('!') and 127 are stored, 32 is not.
    PasswordEntry edges;
    password_type_key(edges, press(0, 33));
    password_type_key(edges, press(0, 127));
    EXPECT_EQ(edges.code[0], '!');
    EXPECT_EQ(edges.code[1], 127);
}

} // namespace
