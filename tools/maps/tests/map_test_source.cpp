// Test sheets and the minimal map source.
#include "map_test_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace map_test {

SourceDir::SourceDir() {
    std::string why;
    for (const auto &[name, w, h] : {std::tuple{"tiles.pcx", maps::kSheetPixelsWide, maps::kSheetPixelsHigh},
                                     {"sprites.pcx", maps::kSheetPixelsWide, maps::kSheetPixelsHigh},
                                     {"back.pcx", kBackdropWidth, kBackdropHeight}})
        EXPECT_TRUE(maps::write_pcx_pixels(dir.file(name), painted(w, h), why)) << name << ": " << why;
    testing_support::write_file(dir.file("broken.pcx"), "not a picture");
    testing_support::write_file(dir.file("bad.names"), "tile rock 0\n\ntile 9lives 3\n");
    testing_support::write_file(dir.file("clash.names"), "tile rock 0\ntile rock 1\n");
}

bool SourceDir::compile(const std::string &text, std::vector<uint8_t> &bytes,
                        maps::Report &report) const {
    testing_support::write_file(dir.file("map.txt"), text);
    maps::CompileOptions options;
    options.search_dirs.push_back(
        (std::filesystem::path(__FILE__).parent_path() / "../../../fuzz/corpus/map_pictures").string());
    return maps::compile_map_source(dir.path(), options, bytes, report);
}

std::string minimal_source(const std::string &more, const std::string &without) {
    std::string lines[56] = {"# a test map",           "title TEST MAP",         "start room 1,2 cell 3,4",
                             "exit room 4,3 cell 13,7", "tile_sheet tiles.pcx", "sprite_sheet sprites.pcx"};
    for (int i = 0; i < 25; ++i) {
        lines[6 + i] = "switch room 0,0 cell " + std::to_string(i % 15) + "," + std::to_string(i / 15);
        lines[31 + i] = "refill room 4,4 cell " + std::to_string(i % 15) + "," + std::to_string(8 - i / 15);
    }
    std::string s;
    for (const std::string &line : lines)
        if (without.empty() || line.find(without) == std::string::npos) s += line + "\n";
    return s + more;
}

} // namespace map_test
