// The fixed text record as the game builds it, from a level maker's title and from a
// map's file name: whatever the text, the result holds at most 99 characters, ends in
// NUL with only NULs after its text, counts its text exactly and has a clear mark.
#include "core/fixed_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(FixedString, EveryBuildStaysInsideItsRecord) {
    const std::string a60(60, 'a'), b60(60, 'b'), q99(99, 'Q');
    const std::string x300 = std::string(98, 'x') + "AB" + std::string(200, 'x');
    const struct {
        const char *what;
        FixedString made;
        std::string text;
    } rows[] = {
        {"99 characters fit", fixed_from_text(q99.c_str()), q99},
        {"longer text is cut", fixed_from_text(x300.c_str()), std::string(98, 'x') + "A"},
        {"joined text", fixed_concat_text("MAP\\", "vusk.map"), "MAP\\vusk.map"},
        {"joined text is cut", fixed_concat_text(a60.c_str(), b60.c_str()), a60 + std::string(39, 'b')},
    };
    for (const auto &r : rows) {
        const FixedString &s = r.made;
        EXPECT_EQ(std::string(s.text, strnlen(s.text, kFixedStringChars)), r.text) << r.what;
        EXPECT_EQ(s.length, r.text.size()) << r.what;
        EXPECT_EQ(s.mark, 0) << r.what;
        for (int i = static_cast<int>(r.text.size()); i < kFixedStringChars; ++i)
            ASSERT_EQ(s.text[i], '\0') << r.what << ", character " << i;
    }
}

} // namespace
