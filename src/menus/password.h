// Level passwords: four letters from a 16-letter alphabet that carry a value from
// 0 to 31. The first letter gives the value's high part (A, 0..3), the second its
// low part (B, 0..7), the third and fourth check them: the third must be the letter
// at A + B and the fourth the letter at 2B. Several codes give one value.
#pragma once

#include <cstdint>

constexpr int kPasswordLength = 4;
constexpr int kPasswordAlphabetSize = 16;

// The alphabet, position 0 first.
constexpr char kPasswordAlphabet[kPasswordAlphabetSize + 1] = "VESPRTILNOCHMBAD";

// The position of `c` in the alphabet (upper case only), or -1.
int16_t password_letter_index(char c);

// The value of the four characters of the typed buffer `code`, each read whatever
// the others are (a terminator is a character like any other not in the alphabet,
// so a skipped position does not end the code); 0 when the code is refused. The
// buffer's size is part of the type, so the four are always there to read.
int16_t decode_password(const char (&code)[kPasswordLength + 1]);

// One code for `value` (0..31): the first of the letters each position allows.
// Writes four letters and a terminator into `out`; false for a value out of range.
bool encode_password(int value, char out[kPasswordLength + 1]);
