// Map sources for the map tool tests: a directory with small test sheets, a
// backdrop and names files, and a minimal complete source that each test adds to.
#pragma once

#include "map_pictures.h"
#include "map_source.h"

#include "support/test_support.h"

#include <string>
#include <vector>

// A picture of w x h with a few mask pixels, painted as the map promises' pictures are
// (map_promises.cpp).
maps::Pixels painted(int w, int h);

namespace map_test {

// A directory holding tiles.pcx, sprites.pcx, back.pcx, broken.pcx (no picture)
// and two broken names files; pictures are also looked for among the
// map pictures' fuzz seeds (fuzz/corpus/map_pictures).
struct SourceDir {
    testing_support::TempDir dir;
    SourceDir();
    std::string path(const std::string &name) const { return dir.file(name); }
    // Writes map.txt and compiles it; `bytes` get the map.
    bool compile(const std::string &text, std::vector<uint8_t> &bytes, maps::Report &report) const;
};

// The 56 lines of minimal_map.txt: title, start, exit, the two sheets, 25 switches (in
// room 0,0) and 25 refills (in room 4,4); then `more`. A line of the minimal source
// that holds `without` is left out.
std::string minimal_source(const std::string &more = "", const std::string &without = "");

} // namespace map_test
