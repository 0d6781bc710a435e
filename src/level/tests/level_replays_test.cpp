// The whole-road test's replays: the list is taken one path at a time, and a replay is
// refused unless it names the map being played and that map's present bytes.
#include "level/level_replays.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using testing_support::TempDir;
using testing_support::make_dirs;
using testing_support::write_file;

namespace {

std::vector<std::string> all_paths(const char *text) {
    ReplayList list = replay_list(text);
    std::vector<std::string> paths;
    std::string path;
    while (next_replay_path(list, path)) paths.push_back(path);
    EXPECT_FALSE(next_replay_path(list, path)) << "a used-up list stays used up";
    return paths;
}

using Paths = std::vector<std::string>;

TEST(LevelReplays, ListGivesEachPathOnceInOrder) {
    EXPECT_EQ(all_paths(nullptr), Paths{});
    EXPECT_EQ(all_paths(""), Paths{});
    EXPECT_EQ(all_paths("/r/a.replay"), Paths{"/r/a.replay"});
    EXPECT_EQ(all_paths("/r/a.replay:/r/b.replay"), (Paths{"/r/a.replay", "/r/b.replay"}));
    EXPECT_EQ(all_paths("a::b:"), (Paths{"a", "", "b", ""}));
}

const std::string kCave = "cave bytes", kTower = "tower bytes";

std::string replay_of(const std::string &map_name, const std::string &bytes) {
    uint8_t digest[kSha256Bytes];
    sha256(bytes.data(), bytes.size(), digest);
    return format_replay(map_name, digest, {key_bit(Key::Enter), 0, key_bit(Key::Right)});
}

TEST(LevelReplays, ReplayMustNameThePlayedMapAsItIsNow) {
    TempDir dir(true);
    make_dirs(dir.file("MAP"));
    write_file(dir.file("MAP/cueva.map"), kCave);
    write_file(dir.file("MAP/vusk.map"), kTower);
    write_file(dir.file("MAP/uno.map"), std::string("c")); // a last piece of one byte
    make_dirs(dir.file("MAP/hall.map")); // opens, but cannot be read
    struct Case {
        const char *what;
        std::string text;   // the replay file, or empty for no file at all
        const char *played; // the map being played
        const char *error;  // a part of the refusal; null when accepted
    };
    const Case cases[] = {
        {"its own map", replay_of("cueva.map", kCave), "cueva.map", nullptr},
        {"its digest as another program writes it",
         "VESPERTIL REPLAY 1\nmap uno.map\nsha256 "
         "2e7d2c03a9507ae265ecf5b5356885a53393a2029d241394997265a1a25aefc6\n3 ENTER\n",
         "uno.map", nullptr},
        {"another map", replay_of("vusk.map", kTower), "cueva.map", "recorded on vusk.map, not on cueva.map"},
        {"the map changed", replay_of("cueva.map", kCave + "!"), "cueva.map", "SHA-256 differs"},
        {"a map not there", replay_of("castle.map", kCave), "castle.map", "MAP/castle.map is missing"},
        {"a map that cannot be read", replay_of("hall.map", ""), "hall.map", "MAP/hall.map is missing"},
        {"not a replay", "VESPERTIL REPLAY 2\n", "cueva.map", "t.replay:1:"},
        {"no file", "", "cueva.map", "cannot be opened"},
    };
    for (const Case &c : cases) {
        const std::string path = dir.file("t.replay");
        std::remove(path.c_str());
        if (!c.text.empty()) write_file(path, c.text);
        ReplayScript script;
        std::string error;
        const bool accepted = load_level_replay(path, c.played, script, error);
        EXPECT_EQ(accepted, c.error == nullptr) << c.what << ": " << error;
        if (c.error)
            EXPECT_NE(error.find(c.error), std::string::npos) << c.what << ": " << error;
        else
            EXPECT_EQ(script.frames.size(), 3u) << c.what;
    }
}

} // namespace
