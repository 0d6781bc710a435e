// Test sheets and the minimal map source.
#include "map_test_source.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace map_test {

namespace {

// The colour of sheet pixel (x, y): distinct per cell and position, exactly a 5-6-5
// value, never the mask. Cell 5 of each sheet is left all mask.
uint32_t sheet_value(int sheet, int x, int y) {
    int cell = (y / 16) * 24 + x / 16;
    if (cell == 5) return kMapMaskColour;
    uint32_t v = static_cast<uint32_t>(cell * 256 + (y % 16) * 16 + (x % 16) + sheet * 7) & 0xFFFF;
    return v == kMapMaskColour ? v - 1 : v;
}

void write_picture(const std::string &path, int w, int h, uint32_t (*value)(int, int, int), int sheet) {
    maps::Pixels p;
    p.w = w;
    p.h = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.v.push_back(value(sheet, x, y));
    std::string why;
    ASSERT_TRUE(maps::write_pcx_pixels(path, p, why)) << path << ": " << why;
}

} // namespace

SourceDir::SourceDir() {
    write_picture(dir.file("tiles.pcx"), maps::kSheetPixelsWide, maps::kSheetPixelsHigh, sheet_value, 0);
    write_picture(dir.file("sprites.pcx"), maps::kSheetPixelsWide, maps::kSheetPixelsHigh, sheet_value, 1);
    write_picture(dir.file("back.pcx"), kBackdropWidth, kBackdropHeight,
                  [](int, int x, int y) { return static_cast<uint32_t>((x * 131 + y * 7) & 0xF7DF); }, 0);
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
