// Messages, words, numbers, flag words, cell names and whole-file reading and
// writing for the map tools.
#include "map_text.h"

#include "whole_number.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

namespace maps {

std::string where(const std::string &file, int line) {
    if (line > 0) return file + ":" + std::to_string(line);
    return file;
}

bool Report::fail(const std::string &file, int line, const std::string &what) {
    if (error.empty()) error = where(file, line) + ": " + what;
    return false;
}

void Report::warn(const std::string &file, int line, const std::string &what) {
    warnings.push_back(where(file, line) + ": warning: " + what);
}

std::vector<std::string> split_words(const std::string &text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

std::vector<Line> split_lines(const std::string &text) {
    std::vector<Line> lines;
    std::size_t start = 0;
    int number = 1;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        Line ln;
        ln.number = number++;
        ln.text = text.substr(start, end - start);
        if (!ln.text.empty() && ln.text.back() == '\r') ln.text.pop_back();
        ln.words = split_words(ln.text);
        if (!ln.words.empty() && ln.words[0][0] == '#') ln.words.clear();
        lines.push_back(ln);
        start = end + 1;
    }
    return lines;
}

bool parse_number(const std::string &word, long lo, long hi, long &out) {
    return parse_whole_number(word, lo, hi, out);
}

bool parse_pair(const std::string &word, int &column, int &row) {
    std::size_t comma = word.find(',');
    if (comma == std::string::npos) return false;
    long c, r;
    if (!parse_number(word.substr(0, comma), -128, 127, c)) return false;
    if (!parse_number(word.substr(comma + 1), -128, 127, r)) return false;
    column = static_cast<int>(c);
    row = static_cast<int>(r);
    return true;
}

std::string pair_text(int column, int row) {
    return std::to_string(column) + "," + std::to_string(row);
}

uint8_t flag_bit(const std::string &word) {
    for (const FlagWord &f : kFlagWords)
        if (word == f.word) return f.bit;
    return 0;
}

std::string flag_words(uint8_t flags) {
    std::string out;
    for (const FlagWord &f : kFlagWords)
        if (flags & f.bit) {
            if (!out.empty()) out += ' ';
            out += f.word;
        }
    return out;
}

std::string flag_word_list() {
    std::string out;
    for (const FlagWord &f : kFlagWords) {
        if (!out.empty()) out += ", ";
        out += f.word;
    }
    return out;
}

// ---- Names -------------------------------------------------------------------------

namespace {

int find_entry(const std::vector<CellNames::Entry> &list, const std::string &name) {
    for (const CellNames::Entry &e : list)
        if (e.name == name) return e.cell;
    return -1;
}

std::string first_name(const std::vector<CellNames::Entry> &list, int cell) {
    for (const CellNames::Entry &e : list)
        if (e.cell == cell) return e.name;
    return "";
}

bool add_name(std::vector<CellNames::Entry> &list, const std::string &name, int cell,
              const char *kind, std::string &why) {
    int old = find_entry(list, name);
    if (old >= 0 && old != cell) {
        why = std::string(kind) + " name \"" + name + "\" already names cell " +
              std::to_string(old);
        return false;
    }
    if (old < 0) list.push_back({name, cell});
    return true;
}

bool is_name_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '.' || c == '-' || c == '_';
}

} // namespace

int CellNames::tile(const std::string &name) const { return find_entry(tiles, name); }
int CellNames::sprite(const std::string &name) const { return find_entry(sprites, name); }
std::string CellNames::tile_name(int cell) const { return first_name(tiles, cell); }
std::string CellNames::sprite_name(int cell) const { return first_name(sprites, cell); }

bool valid_name(const std::string &word) {
    if (word.empty() || (word[0] >= '0' && word[0] <= '9') || word[0] == '-' || word == "none")
        return false;
    for (char c : word)
        if (!is_name_char(c)) return false;
    return true;
}

std::string edge_name(const std::string &family, int bits) {
    if (bits == 0) return family;
    std::string s = family + ".";
    if (bits & 1) s += 't';
    if (bits & 2) s += 'b';
    if (bits & 4) s += 'l';
    if (bits & 8) s += 'r';
    return s;
}

bool take_name_line(const Line &ln, CellNames &names, bool &handled, std::string &why) {
    handled = false;
    if (ln.words.empty()) return true;
    const std::string &kw = ln.words[0];
    if (kw != "tile" && kw != "sprite" && kw != "edges") return true;
    handled = true;
    if (ln.words.size() != 3) {
        why = "expected \"" + kw + " NAME " + (kw == "edges" ? "FIRST" : "CELL") +
              "\", e.g. \"" + kw + (kw == "sprite" ? " bat 4" : " rock 0") + "\"";
        return false;
    }
    const std::string &name = ln.words[1];
    if (!valid_name(name)) {
        why = "\"" + name + "\" is not a name: letters, digits, '.', '-' and '_', not "
              "beginning with a digit or '-'";
        return false;
    }
    long cell;
    long last = kw == "edges" ? kTileCount - 16 : kTileCount - 1;
    if (!parse_number(ln.words[2], 0, last, cell)) {
        why = "\"" + ln.words[2] + "\" is not a cell number 0 to " + std::to_string(last);
        return false;
    }
    if (kw == "sprite") return add_name(names.sprites, name, static_cast<int>(cell), "sprite", why);
    if (kw == "tile") return add_name(names.tiles, name, static_cast<int>(cell), "tile", why);
    for (int bits = 0; bits < 16; ++bits)
        if (!add_name(names.tiles, edge_name(name, bits), static_cast<int>(cell) + bits, "tile",
                      why))
            return false;
    return true;
}

bool read_names_text(const std::string &file, const std::string &text, CellNames &names,
                     Report &report) {
    for (const Line &ln : split_lines(text)) {
        if (ln.words.empty()) continue;
        bool handled;
        std::string why;
        if (!take_name_line(ln, names, handled, why)) return report.fail(file, ln.number, why);
        if (!handled)
            return report.fail(file, ln.number,
                               "a names file holds only tile, sprite and edges lines, not \"" +
                                   ln.words[0] + "\"");
    }
    return true;
}

// ---- Files -------------------------------------------------------------------------

bool read_binary_file(const std::string &path, std::vector<uint8_t> &out) {
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out.clear();
    uint8_t buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool read_text_file(const std::string &path, std::string &out) {
    std::vector<uint8_t> bytes;
    if (is_directory(path) || !read_binary_file(path, bytes)) return false;
    out.assign(bytes.begin(), bytes.end());
    return true;
}

bool is_directory(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string directory_of(const std::string &path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return "";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string join_path(const std::string &dir, const std::string &name) {
    if (dir.empty() || (!name.empty() && name[0] == '/')) return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

std::string base_name(const std::string &path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace maps
