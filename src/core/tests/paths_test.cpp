// The data-path resolver: separators and letter case as the game writes them find
// the files as they are stored; a result fits its buffer to the last byte or the
// name is refused. Any name at all keeps the promises of fuzz/promises.
#include "core/paths.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::make_dirs;
using testing_support::write_file;

namespace {

struct Row {
    std::string name;
    std::size_t buffer;
    std::string resolved; // "": refused
};

TEST(DataPath, NamesAsTheGameWritesThemFindTheStoredFiles) {
    testing_support::TempDir dir(true);
    for (const char *d : {"MAP", "GFX", "sfx"}) make_dirs(d);
    for (const char *f : {"MAP/cueva.map", "GFX/ZENTIX.JPG", "sfx/info.wav", "sfx/Info.wav"})
        write_file(f, std::string(f));
    const std::string longest(kMaxDataPath - 1, 'a'), deep = "d/e/" + std::string(kMaxDataPath - 5, 'b');
    const Row rows[] = {
        {"MAP\\cueva.map", kMaxDataPath, "MAP/cueva.map"},
        {"Gfx/zentix.jpg", kMaxDataPath, "GFX/ZENTIX.JPG"},
        {"SFX/info.wav", kMaxDataPath, "sfx/info.wav"},
        {"sfx/Info.wav", kMaxDataPath, "sfx/Info.wav"}, // the exact name wins
        {"map", kMaxDataPath, "MAP"},
        {"gfx\\nothere\\deeper.pcx", kMaxDataPath, "GFX/nothere/deeper.pcx"}, // kept for creation
        {dir.path() + "/map//CUEVA.map", kMaxDataPath, dir.path() + "/MAP/cueva.map"},
        {"nowhere_dir/no_file.map", 24, "nowhere_dir/no_file.map"},           // to the last byte
        {"nowhere_dir/no_file.map", 23, ""},
        {"x", 2, "x"},
        {"a", 1, ""},
        {longest, kMaxDataPath, longest},
        {longest + "c", kMaxDataPath, ""},
        {longest + "c", 2 * kMaxDataPath, ""}, // the resolver's own limit, whatever the room
        {deep, kMaxDataPath, deep},
        {deep + "c", kMaxDataPath, ""},
        {"", kMaxDataPath, ""},
    };
    for (const Row &r : rows) {
        std::string out(r.buffer, 'q');
        const bool ok = resolve_data_path(r.name.c_str(), &out[0], r.buffer);
        const std::string got = out.c_str();
        EXPECT_EQ(ok, !r.resolved.empty()) << r.name << " in " << r.buffer;
        EXPECT_EQ(got, r.resolved) << r.name << " in " << r.buffer;
    }
    char small[8];
    EXPECT_FALSE(resolve_data_path(nullptr, small, sizeof small));

    FILE *f = data_fopen("map\\CUEVA.MAP", "rb");
    ASSERT_NE(f, nullptr) << "the opener goes through the resolver";
    EXPECT_EQ(std::fgetc(f), 'M');
    std::fclose(f);
    EXPECT_EQ(data_fopen(std::string(2000, 'a').c_str(), "rb"), nullptr);
}

} // namespace
