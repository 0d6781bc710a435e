// Reading the text sources: lines with their file and number, words split off
// directive lines, and the failure helper that fills a Diag.
#pragma once

#include "art_image.h"

#include <string>
#include <vector>

namespace art {

struct Line {
    std::string file;
    int number = 0;
    std::string raw;                // the line as written, trailing blanks and CR removed
    std::vector<std::string> words; // blank-separated words before a '#' comment
};

std::vector<Line> split_lines(const std::string &file, const std::string &text);
bool read_text_file(const std::string &path, std::string &text, Diag &err);

// Fills `err` for the line and returns false, so a parser can `return fail(...)`.
bool fail(Diag &err, const Line &ln, const std::string &message);

// Whole decimal number in [lo, hi].
bool parse_int(const std::string &word, int lo, int hi, int &value);

} // namespace art
