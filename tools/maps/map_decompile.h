// The map decompiler: the bytes of a map file become a map source directory (map.txt
// and the PCX pictures it names) from which the compiler makes the same bytes again.
// What the text has words for is written as words; every other byte that differs
// from what those words compile to (unread bytes, text slots, values the game would
// correct) is written as a "raw" line, so the round trip keeps every byte.
#pragma once

#include "map_pictures.h"
#include "map_text.h"

#include <string>
#include <utility>
#include <vector>

namespace maps {

struct DecompileOptions {
    std::string map_name;   // for the comment at the top of map.txt
    std::string names_path; // a names file to name cells by ("" for numbers only)
};

struct Decompiled {
    std::string text; // map.txt
    std::vector<std::pair<std::string, Pixels>> pictures;    // file name -> pixels
    std::vector<std::pair<std::string, std::string>> files;  // other text files (names)
};

// False with `report.error` when `bytes` are not a map (shorter than a map file) or a
// names file cannot be read; warnings say what the game would not read or correct.
bool decompile_map(const std::vector<uint8_t> &bytes, const DecompileOptions &options,
                   Decompiled &out, Report &report);

// Writes map.txt and the other files into `dir` (made if missing). Every file is
// written to its part file first and renamed only when all are written.
bool write_decompiled(const std::string &dir, const Decompiled &d, std::string &why);

// Compiles `d` from memory, exactly as the compiler would read it from disk.
bool compile_decompiled(const Decompiled &d, std::vector<uint8_t> &bytes, Report &report);

} // namespace maps
