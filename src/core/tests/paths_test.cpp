// The data-path resolver's edges: a result fits its buffer to the last byte or the
// name is refused, the exact name wins over another case, and a name that finds no
// file keeps the rest of its components for creation. Any name at all keeps the
// promises of fuzz/promises (separators and letter case as the game writes them
// find the files as they are stored), over the seeds in fuzz/corpus/data_path/.
#include "core/paths.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::make_dirs;
using testing_support::write_file;

namespace {

struct Row {
    std::string name;
    std::string resolved; // "": refused
};

// Every caller gives a buffer of kMaxDataPath.
TEST(DataPath, TheBuffersAndTheNamesEdges) {
    testing_support::TempDir dir(true);
    for (const char *d : {"GFX", "sfx"}) make_dirs(d);
    for (const char *f : {"sfx/info.wav", "sfx/Info.wav"}) write_file(f, std::string(f));
    const std::string longest(kMaxDataPath - 1, 'a'), deep = "d/e/" + std::string(kMaxDataPath - 5, 'b');
    const Row rows[] = {
        {"SFX/info.wav", "sfx/info.wav"},
        {"sfx/Info.wav", "sfx/Info.wav"}, // the exact name wins
        {"gfx\\nothere\\deeper.pcx", "GFX/nothere/deeper.pcx"}, // kept for creation
        {"SFX/info.wav/x", "sfx/info.wav/x"}, // a file where a folder should be
        {longest, longest}, // to the last byte
        {longest + "c", ""},
        {deep + "c", ""},
        {"", ""},
    };
    for (const Row &r : rows) {
        std::string out(kMaxDataPath, 'q');
        const bool ok = resolve_data_path(r.name.c_str(), &out[0], kMaxDataPath);
        const std::string got = out.c_str();
        EXPECT_EQ(ok, !r.resolved.empty()) << r.name;
        EXPECT_EQ(got, r.resolved) << r.name;
    }
}

} // namespace
