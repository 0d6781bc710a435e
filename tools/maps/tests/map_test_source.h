// Map sources for the map tool tests: a directory with small test sheets and a
// backdrop written as PCX, and a minimal complete source that each test adds to.
#pragma once

#include "map_pictures.h"
#include "map_source.h"

#include "support/test_support.h"

#include <string>
#include <vector>

namespace map_test {

// The colour of sheet pixel (x, y): distinct per cell and position, exactly a 5-6-5
// value, never the mask. Cell 5 of each sheet is left all mask.
uint32_t sheet_value(int sheet, int x, int y);
uint32_t backdrop_value(int x, int y);

// A directory holding tiles.pcx, sprites.pcx and back.pcx.
struct SourceDir {
    testing_support::TempDir dir;
    SourceDir();
    std::string path(const std::string &name) const { return dir.file(name); }
    // Writes map.txt and compiles it; `bytes` get the map.
    bool compile(const std::string &text, std::vector<uint8_t> &bytes, maps::Report &report) const;
};

// title, start, exit, the two sheets, 25 switches and 25 refills (in room 0,0),
// then `rooms` (and anything else) after them.
std::string minimal_source(const std::string &rooms = "");

// The line number of the first line of `text` that contains `needle` (1-based).
int line_of(const std::string &text, const std::string &needle);

} // namespace map_test
