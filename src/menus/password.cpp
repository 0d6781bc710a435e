// Password decoding: positions in the alphabet, checked against each other.
#include "menus/password.h"

int16_t password_letter_index(char c) {
    for (int i = 0; i < kPasswordAlphabetSize; ++i)
        if (kPasswordAlphabet[i] == c) return static_cast<int16_t>(i);
    return -1;
}

int16_t decode_password(const char (&code)[kPasswordLength + 1]) {
    // All four positions are read, whatever lies between them: a position the
    // player skipped holds a terminator, which is just a character not in the
    // alphabet. An absent letter (-1) divides to 0, as a letter at position 0 does,
    // so a skipped first or second position still decodes; only the checks on the
    // third and fourth letters refuse a code.
    const int a = password_letter_index(code[0]) / 4;
    const int b = password_letter_index(code[1]) / 2;
    const int x = password_letter_index(code[2]);
    const int y = password_letter_index(code[3]);
    if (x != a + b) return 0;
    if (y != 2 * b) return 0;
    return static_cast<int16_t>(8 * a + b);
}

bool encode_password(int value, char out[kPasswordLength + 1]) {
    if (value < 0 || value > 31) return false;
    const int a = value / 8, b = value % 8;
    out[0] = kPasswordAlphabet[4 * a];
    out[1] = kPasswordAlphabet[2 * b];
    out[2] = kPasswordAlphabet[a + b];
    out[3] = kPasswordAlphabet[2 * b];
    out[4] = '\0';
    return true;
}
