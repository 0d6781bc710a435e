// The fixed text record: 102 bytes, copied whole by value, with the length kept
// beside the characters. Map paths are built with it, and the map file stores its
// title and seven further text slots in this very layout.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kFixedStringChars = 100; // character area, always NUL-terminated
constexpr int kFixedStringMaxLength = kFixedStringChars - 1; // 99 characters of text

struct FixedString {
    char text[kFixedStringChars]; // the text, then NUL bytes up to the end
    uint8_t mark;                 // 0 after every operation below
    uint8_t length;               // number of characters in `text`
};

static_assert(sizeof(FixedString) == 102, "FixedString is the 102-byte file layout");
static_assert(offsetof(FixedString, mark) == 100, "mark byte at 100");
static_assert(offsetof(FixedString, length) == 101, "length byte at 101");

// All 100 characters 0, mark 0, length 0.
FixedString fixed_empty();

// The record holding `text` (a null pointer counts as empty). A text longer than 99
// characters is cut at 99, and the length says how many were kept.
FixedString fixed_from_text(const char *text);

// Characters and length taken over, mark 0. A record that came from a file is made
// safe on the way: character 99 becomes NUL and the length never exceeds 99.
FixedString fixed_copy(FixedString r);

// a followed by b, cut at 99 characters.
FixedString fixed_concat(FixedString a, FixedString b);

// The first text followed by the second ("MAP\" + a map's file name).
FixedString fixed_concat_text(const char *first, const char *second);
