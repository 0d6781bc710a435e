// Pieces shared by the map compiler, decompiler and preview: messages that name the
// file and line, the words of a source line, numbers and cell positions, the words
// for the cell flags, and the names a map source gives to tiles and sprites.
#pragma once

#include "world/map_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace maps {

// What a run of a tool has to say: warnings go on, the first error stops it.
// Each message reads "file:line: what" (or "file: what" when no line applies).
struct Report {
    std::vector<std::string> warnings;
    std::string error;

    bool fail(const std::string &file, int line, const std::string &what);
    void warn(const std::string &file, int line, const std::string &what);
};

std::string where(const std::string &file, int line);

// A source line cut into words at blanks and tabs. A line whose first word begins
// with '#' is a comment and has no words.
struct Line {
    int number = 0;
    std::string text; // without the line end
    std::vector<std::string> words;
};

std::vector<Line> split_lines(const std::string &text);
std::vector<std::string> split_words(const std::string &text);

// Decimal whole numbers only ("12", "-3"); false for anything else or outside lo..hi.
bool parse_number(const std::string &word, long lo, long hi, long &out);

// "column,row" such as "4,7"; false unless both are decimal numbers.
bool parse_pair(const std::string &word, int &column, int &row);
std::string pair_text(int column, int row);

// ---- Cell flags -----------------------------------------------------------------------

struct FlagWord {
    const char *word;
    uint8_t bit;
};

// The words a cell line uses for the flag bits, in bit order. Bits 0x20, 0x40 and
// 0x80 mean nothing to the game but are kept.
constexpr FlagWord kFlagWords[] = {
    {"solid", kCellSolid},          {"harmful", kCellHarmful},
    {"conveyor-right", kCellConveyorRight}, {"conveyor-left", kCellConveyorLeft},
    {"ledge", kCellLedge},          {"bit5", 0x20},
    {"bit6", 0x40},                 {"bit7", 0x80},
};

// The bit of a flag word, or 0 for a word that is not one.
uint8_t flag_bit(const std::string &word);
// The flag words of `flags`, separated by single blanks ("" for none).
std::string flag_words(uint8_t flags);
// "solid, harmful, ..." for messages.
std::string flag_word_list();

// ---- Names of tiles and sprites --------------------------------------------------------

// Names for cells of the two sheets, so a source says "rock.t" rather than 1. A name
// is letters, digits, '.', '-' and '_', and does not begin with a digit or '-'.
struct CellNames {
    struct Entry {
        std::string name;
        int cell;
    };
    std::vector<Entry> tiles;   // room_tiles cells, 0..239
    std::vector<Entry> sprites; // sprite_tiles cells, 0..239

    // -1 when the name is unknown.
    int tile(const std::string &name) const;
    int sprite(const std::string &name) const;
    // The first name given to a cell, or "" when it has none.
    std::string tile_name(int cell) const;
    std::string sprite_name(int cell) const;
};

bool valid_name(const std::string &word);

// Edge variants of a ground family: cell first + bits (1 top, 2 bottom, 4 left, 8
// right) is named NAME, NAME.t, NAME.b, NAME.tb, NAME.l, ... NAME.tblr.
std::string edge_name(const std::string &family, int bits);

// Takes a "tile NAME CELL", "sprite NAME CELL" or "edges NAME FIRST" line into
// `names`. Returns false with the reason in `why` when the line is one of these but
// wrong; `handled` tells whether it was one of these at all.
bool take_name_line(const Line &ln, CellNames &names, bool &handled, std::string &why);

// Reads a whole names file (only those lines and comments).
bool read_names_text(const std::string &file, const std::string &text, CellNames &names,
                     Report &report);

// ---- Files ----------------------------------------------------------------------------

bool read_text_file(const std::string &path, std::string &out);
bool read_binary_file(const std::string &path, std::vector<uint8_t> &out);
bool is_directory(const std::string &path);
std::string directory_of(const std::string &path); // "" for a bare file name
std::string join_path(const std::string &dir, const std::string &name);
std::string base_name(const std::string &path);

} // namespace maps
