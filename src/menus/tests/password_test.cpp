// Passwords: every code the alphabet can make decodes by the rules, the codes that
// must be refused, and the way typed keys fill the entry.
#include "menus/password.h"
#include "menus/play_menu.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>
#include <string>

namespace {

// `code` in a typed buffer, terminators included, the rest of it zero.
int16_t decode(const std::string &code) {
    char buffer[kPasswordLength + 1] = {};
    code.copy(buffer, kPasswordLength);
    return decode_password(buffer);
}

// Every four-letter code of the alphabet VESPRTILNOCHMBAD (positions 0..15): the
// first letter's position over 4 is A, the second's over 2 is B, the third must be
// at A + B and the fourth at 2B; the value is 8A + B, and each of 1..31 has 8 codes.
TEST(Password, EveryCodeOfTheAlphabetDecodesByTheRules) {
    const std::string alphabet = "VESPRTILNOCHMBAD";
    std::map<int, int> codes_per_value;
    for (int p = 0; p < 16 * 16 * 16 * 16; ++p) {
        const int p0 = p >> 12, p1 = (p >> 8) & 15, p2 = (p >> 4) & 15, p3 = p & 15;
        const int a = p0 / 4, b = p1 / 2;
        const int expected = p2 == a + b && p3 == 2 * b ? 8 * a + b : 0;
        const std::string code = {alphabet[p0], alphabet[p1], alphabet[p2], alphabet[p3]};
        ASSERT_EQ(decode(code), expected) << code;
        if (expected) ++codes_per_value[expected];
    }
    EXPECT_EQ(codes_per_value.size(), 31u);
    for (const auto &[value, count] : codes_per_value) EXPECT_EQ(count, 8) << value;
    for (int v = 0; v <= 31; ++v) {
        char code[5];
        ASSERT_TRUE(encode_password(v, code));
        EXPECT_EQ(decode_password(code), v) << code;
    }
    char code[5];
    EXPECT_FALSE(encode_password(32, code));
    EXPECT_FALSE(encode_password(-1, code));
}

// An absent first or second letter (a stranger or a position left empty) reads as
// position 0; only the third and fourth letters refuse a code.
TEST(Password, RefusedCodesAndAbsentLetters) {
    const std::pair<std::string, int> codes[] = {
        {"RSSS", 9}, {"RSVS", 0}, {"RSSV", 0}, {"rsss", 0}, {"RSS", 0}, {"", 0}, {"ABCD", 0},
        {"R SS", 0}, {"??VV", 0}, {std::string("\0SES", 4), 1}, {std::string("R\0EV", 4), 8},
    };
    for (const auto &[code, value] : codes) EXPECT_EQ(decode(code), value) << "'" << code << "'";
}

int press(int scancode, int ascii) { return scancode << 8 | ascii; }

// Keys typed into an empty entry: what the entry shows and where the cursor is.
TEST(PasswordEntry, TypedKeys) {
    const int bs = press(KEY_BACKSPACE, 8);
    const struct {
        std::vector<int> keys;
        const char *code;
        int cursor;
    } rows[] = {
        {{press(KEY_R, 'r'), press(KEY_S, 's'), press(KEY_S, 's'), press(KEY_S, 's'), press(KEY_V, 'v')}, "RSSS", 4},
        {{press(KEY_R, 'R'), press(KEY_S, 'S'), bs}, "R", 1},
        {{bs}, "", 0},
        // A space, an arrow or an accented letter moves on without storing: the code
        // shown stops at the first gap.
        {{press(KEY_R, 'R'), press(KEY_SPACE, ' '), press(KEY_LEFT, 0), press(KEY_A, 0xE9)}, "R", 4},
        {{press(0, 33), press(0, 127)}, "!\x7f", 2},
    };
    for (const auto &r : rows) {
        PasswordEntry e;
        for (int k : r.keys) password_type_key(e, k);
        EXPECT_STREQ(e.code, r.code);
        EXPECT_EQ(e.cursor, r.cursor) << r.code;
    }
}

} // namespace
