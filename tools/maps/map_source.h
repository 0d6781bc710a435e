// The map compiler: a map source (a directory holding map.txt, or the text file
// itself) becomes the bytes of a map file. The text format is described for level
// makers in content/README.md ("Maps"); in short:
//
//   title PRUEBA                          start room 0,4 cell 1,7
//   exit room 4,0 cell 13,6               map_id 99          (optional)
//   tile_sheet cueva_tiles.pcx            sprite_sheet cueva_sprites.pcx
//   backdrop 0 cueva_back_deep.pcx        names ../cueva.names
//   cell # rock - solid                   (symbol, back tile, front tile, flags)
//   switch room 2,3 cell 4,5              refill room 0,0 cell 7,7
//   room 1,0                              (then, for that room:)
//     backdrop 0 | none                   9 rows such as |#.............#|
//     enemy bat from 2,3 to 6,3 speed 2   platform slab at 5,6   switch 4,5
//   raw 28160 4142                        (bytes the text has no words for)
#pragma once

#include "map_pictures.h"
#include "map_text.h"

#include <functional>
#include <string>
#include <vector>

namespace maps {

struct CompileOptions {
    // Where a picture that is not beside the source is looked for, in order.
    std::vector<std::string> search_dirs;
    // How files are read; the defaults read the disk. The decompiler replaces them
    // to compile its own text from memory.
    std::function<bool(const std::string &path)> exists;
    std::function<bool(const std::string &path, std::string &text)> read_text;
    std::function<bool(const std::string &path, Pixels &out, std::string &why)> read_picture;
};

// The text file a source names: SOURCE/map.txt for a directory, else SOURCE itself.
std::string source_text_path(const std::string &source);

// A map with nothing in it: every room without backdrop, cells and objects; empty
// object slots hold sprite kEmptySlot and zeros; no override.
void blank_map_image(MapImage &img);

// Compiles the text of `file` into the bytes of a map file. False with the first
// fault in `report.error` ("file:line: what is wrong"); warnings are collected.
bool compile_map_text(const std::string &file, const std::string &text,
                      const CompileOptions &options, std::vector<uint8_t> &bytes,
                      Report &report);

// The same for a source on disk (a directory or its map.txt).
bool compile_map_source(const std::string &source, const CompileOptions &options,
                        std::vector<uint8_t> &bytes, Report &report);

} // namespace maps
