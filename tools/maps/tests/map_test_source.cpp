// Test sheets and the minimal map source (minimal_map.txt).
#include "map_test_source.h"

#include "support/case_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
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
    std::istringstream in(text_beside(__FILE__, "minimal_map.txt"));
    std::string s;
    for (std::string line; std::getline(in, line);)
        if (without.empty() || line.find(without) == std::string::npos) s += line + "\n";
    return s + more;
}

} // namespace map_test
