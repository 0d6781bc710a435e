// Line splitting, strict number and note parsing, messages and whole-file writing
// shared by the sample synthesiser and the module compiler.
#include "source_text.h"

#include "file_out.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

std::vector<std::string> split_words(const std::string &line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        bool space = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (space) {
            if (!word.empty()) words.push_back(word);
            word.clear();
            continue;
        }
        if (c == '#' && word.empty()) break;  // a comment runs to the end of the line
        word += c;
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

bool read_source_lines(const std::string &path, std::vector<std::string> &lines,
                       std::string &error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = source_message(path, 0, std::string("cannot be read: ") + std::strerror(errno));
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = source_message(path, 0, "read error");
        return false;
    }
    return split_source_lines(path, text, lines, error);
}

bool split_source_lines(const std::string &path, const std::string &text,
                        std::vector<std::string> &lines, std::string &error) {
    lines.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (line.find('\0') != std::string::npos) {
            error = source_message(path, static_cast<int>(lines.size()) + 1,
                                   "holds a NUL byte: not a text source");
            return false;
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

std::string source_message(const std::string &path, int line, const std::string &what) {
    if (line <= 0) return path + ": " + what;
    return path + ":" + std::to_string(line) + ": " + what;
}

bool parse_number(const std::string &word, double &value) {
    if (word.empty()) return false;
    char first = word[0];
    if (!(first == '-' || first == '+' || first == '.' || (first >= '0' && first <= '9')))
        return false;
    for (char c : word)  // plain decimals only: no "inf", "nan" or "0x10"
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-'))
            return false;
    errno = 0;
    char *end = nullptr;
    double v = std::strtod(word.c_str(), &end);
    if (errno != 0 || end != word.c_str() + word.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool parse_integer(const std::string &word, long &value) {
    if (word.empty()) return false;
    std::size_t i = (word[0] == '-' || word[0] == '+') ? 1 : 0;
    if (i == word.size()) return false;
    for (std::size_t k = i; k < word.size(); ++k)
        if (word[k] < '0' || word[k] > '9') return false;
    if (word.size() - i > 9) return false;  // keeps every value well inside a long
    value = std::strtol(word.c_str(), nullptr, 10);
    return true;
}

namespace {
// Semitone of each letter above C.
constexpr int kLetterSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
constexpr const char *kSharpNames[12] = {"C", "C#", "D", "D#", "E", "F",
                                         "F#", "G", "G#", "A", "A#", "B"};
}  // namespace

bool parse_note(const std::string &word, int &index) {
    if (word.size() < 2 || word.size() > 3) return false;
    char letter = word[0];
    if (letter < 'A' || letter > 'G') return false;
    int semitone = kLetterSemitone[letter - 'A'];
    std::size_t pos = 1;
    if (word[pos] == '#') {
        ++semitone;
        ++pos;
    } else if (word[pos] == 'b') {
        --semitone;
        ++pos;
    }
    if (pos + 1 != word.size()) return false;
    char octave = word[pos];
    if (octave < '0' || octave > '7') return false;
    int n = (octave - '0') * 12 + semitone;
    if (n < 0 || n >= kNoteCount) return false;  // Cb0 and B#7 fall outside
    index = n;
    return true;
}

double note_frequency(int index) { return 440.0 * std::pow(2.0, (index - 57) / 12.0); }

std::string note_name(int index) {
    if (index < 0 || index >= kNoteCount) return "?";
    return std::string(kSharpNames[index % 12]) + std::to_string(index / 12);
}

bool write_file_whole(const std::string &path, const std::vector<std::uint8_t> &bytes,
                      std::string &error) {
    std::string why;
    if (tool_files::write_file_whole(path, bytes.data(), bytes.size(), why)) return true;
    error = source_message(path, 0, "cannot be written: " + why);
    return false;
}
