// The fixed text record: whatever it is built from, even records of a map file that
// claim a length beyond the text or lack their end, the result holds at most 99
// characters, ends in NUL with only NULs after its text, counts its text exactly and
// has a clear mark.
#include "core/fixed_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

FixedString garbage_record(char fill, uint8_t length) {
    FixedString r;
    std::memset(&r, fill, sizeof r);
    r.length = length;
    return r;
}

FixedString with_length(const char *text, uint8_t length) {
    FixedString r = fixed_from_text(text);
    r.length = length; // past the text's end
    r.mark = 3;
    return r;
}

struct Row {
    const char *what;
    std::function<FixedString()> make;
    std::string text;
};

const std::string a60(60, 'a'), b60(60, 'b'), q99(99, 'Q'), x300 = std::string(98, 'x') + "AB" + std::string(200, 'x');

const Row kRows[] = {
    {"from null", [] { return fixed_from_text(nullptr); }, ""},
    {"99 characters fit", [] { return fixed_from_text(q99.c_str()); }, q99},
    {"longer text is cut", [] { return fixed_from_text(x300.c_str()); }, std::string(98, 'x') + "A"},
    {"joined text is cut", [] { return fixed_concat_text(a60.c_str(), b60.c_str()); }, a60 + std::string(39, 'b')},
    {"join of lying records", [] { return fixed_concat(garbage_record('a', 250), garbage_record('b', 200)); },
     std::string(99, 'a')},
    {"length past the text", [] { return fixed_concat(with_length("MAP\\", 90), fixed_from_text("vusk.map")); },
     "MAP\\vusk.map"},
    {"copy of a lying record", [] { return fixed_copy(garbage_record('z', 180)); }, std::string(99, 'z')},
    {"copy of a sound record", [] { return fixed_copy(with_length("SALEM", 5)); }, "SALEM"},
};

TEST(FixedString, EveryBuildStaysInsideItsRecord) {
    for (const Row &r : kRows) {
        const FixedString s = r.make();
        EXPECT_EQ(std::string(s.text, strnlen(s.text, kFixedStringChars)), r.text) << r.what;
        EXPECT_EQ(s.length, r.text.size()) << r.what;
        EXPECT_EQ(s.mark, 0) << r.what;
        for (int i = static_cast<int>(r.text.size()); i < kFixedStringChars; ++i)
            ASSERT_EQ(s.text[i], '\0') << r.what << ", character " << i;
    }
}

} // namespace
