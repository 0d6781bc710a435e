// Line splitting and small parsing helpers shared by every source reader.
#include "art_text.h"

#include "whole_number.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace art {

std::vector<Line> split_lines(const std::string &file, const std::string &text) {
    std::vector<Line> out;
    size_t start = 0;
    int number = 1;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        Line ln;
        ln.file = file;
        ln.number = number++;
        ln.raw = text.substr(start, end - start);
        while (!ln.raw.empty() && (ln.raw.back() == '\r' || ln.raw.back() == ' ' || ln.raw.back() == '\t'))
            ln.raw.pop_back();
        std::string body = ln.raw;
        // A comment starts at a '#' that begins the line or follows a blank.
        for (size_t i = 0; i < body.size(); ++i)
            if (body[i] == '#' && (i == 0 || body[i - 1] == ' ' || body[i - 1] == '\t')) {
                body.resize(i);
                break;
            }
        std::istringstream words(body);
        for (std::string w; words >> w;) ln.words.push_back(w);
        out.push_back(ln);
        if (end == text.size()) break;
        start = end + 1;
    }
    return out;
}

bool read_text_file(const std::string &path, std::string &text, Diag &err) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        err = Diag{path, 0, "cannot be opened"};
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}

bool fail(Diag &err, const Line &ln, const std::string &message) {
    err = Diag{ln.file, ln.number, message};
    return false;
}

bool parse_int(const std::string &word, int lo, int hi, int &value) {
    long v = 0;
    if (!parse_whole_number(word, lo, hi, v)) return false;
    value = static_cast<int>(v);
    return true;
}

} // namespace art
