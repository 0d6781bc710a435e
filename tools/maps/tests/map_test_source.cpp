// Test sheets and the minimal map source.
#include "map_test_source.h"

#include <gtest/gtest.h>

namespace map_test {

namespace {

constexpr int kBlankCell = 5;

void write_picture(const std::string &path, const maps::Pixels &p) {
    std::string why;
    ASSERT_TRUE(maps::write_pcx_pixels(path, p, why)) << path << ": " << why;
}

maps::Pixels sheet_pixels(int sheet) {
    maps::Pixels p;
    p.w = maps::kSheetPixelsWide;
    p.h = maps::kSheetPixelsHigh;
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) p.v.push_back(sheet_value(sheet, x, y));
    return p;
}

} // namespace

uint32_t sheet_value(int sheet, int x, int y) {
    int cell = (y / 16) * 24 + x / 16;
    if (cell == kBlankCell) return kMapMaskColour;
    uint32_t v = static_cast<uint32_t>(cell * 256 + (y % 16) * 16 + (x % 16) + sheet * 7) & 0xFFFF;
    return v == kMapMaskColour ? v - 1 : v;
}

uint32_t backdrop_value(int x, int y) { return static_cast<uint32_t>((x * 131 + y * 7) & 0xF7DF); }

SourceDir::SourceDir() {
    write_picture(dir.file("tiles.pcx"), sheet_pixels(0));
    write_picture(dir.file("sprites.pcx"), sheet_pixels(1));
    maps::Pixels back;
    back.w = kBackdropWidth;
    back.h = kBackdropHeight;
    for (int y = 0; y < back.h; ++y)
        for (int x = 0; x < back.w; ++x) back.v.push_back(backdrop_value(x, y));
    write_picture(dir.file("back.pcx"), back);
}

bool SourceDir::compile(const std::string &text, std::vector<uint8_t> &bytes,
                        maps::Report &report) const {
    testing_support::write_file(dir.file("map.txt"), text);
    return maps::compile_map_source(dir.path(), maps::CompileOptions{}, bytes, report);
}

std::string minimal_source(const std::string &rooms) {
    std::string s = "# a test map\n"
                    "title TEST MAP\n"
                    "start room 1,2 cell 3,4\n"
                    "exit room 4,3 cell 13,7\n"
                    "tile_sheet tiles.pcx\n"
                    "sprite_sheet sprites.pcx\n";
    for (int i = 0; i < 25; ++i)
        s += "switch room 0,0 cell " + std::to_string(i % 15) + "," + std::to_string(i / 15) + "\n";
    for (int i = 0; i < 25; ++i)
        s += "refill room 4,4 cell " + std::to_string(i % 15) + "," + std::to_string(8 - i / 15) + "\n";
    return s + rooms;
}

int line_of(const std::string &text, const std::string &needle) {
    std::size_t at = text.find(needle);
    if (at == std::string::npos) return 0;
    int line = 1;
    for (std::size_t i = 0; i < at; ++i)
        if (text[i] == '\n') ++line;
    return line;
}

} // namespace map_test
