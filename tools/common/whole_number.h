// The whole numbers the tools' text sources hold: decimal digits with an optional
// sign, one reader for every source language.
#pragma once

#include <string>

// A whole decimal number in [lo, hi] ("12", "-3", "+7", at most ten digits); false for
// anything else.
inline bool parse_whole_number(const std::string &word, long lo, long hi, long &out) {
    std::size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '-' || word[i] == '+')) {
        negative = word[i] == '-';
        ++i;
    }
    if (i == word.size() || word.size() - i > 10) return false;
    long v = 0;
    for (; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9') return false;
        v = v * 10 + (word[i] - '0');
    }
    if (negative) v = -v;
    if (v < lo || v > hi) return false;
    out = v;
    return true;
}
