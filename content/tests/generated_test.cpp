// Every file the content tools make into the game directory (GFX/, MAP/, sfx/) is
// made the same way each time, so one hash a file, kept in generated.hashes beside
// this test, catches any change a tool makes to what the game reads. After a meant
// change, VESPERTIL_REWRITE_GOLDENS=1 writes the list anew and names what changed.
// (That a shipped map loads by its name and plays is its winning replay's golden
// trace; whether the hero can reach everything, the level check's.)
#include "core/sha256.h"
#include "support/test_support.h"
#include "world/map_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;
using Hashes = std::map<std::string, std::string>; // file in the game directory -> hash

TEST(GeneratedFiles, AreTheOnesListedByteForByte) {
    const std::string list = fs::path(__FILE__).parent_path() / "generated.hashes";
    Hashes listed;
    std::ifstream in(list);
    for (std::string name, hash; in >> name >> hash;) listed[name] = hash;
    Hashes made;
    for (const char *folder : {"GFX", "MAP", "sfx"})
        for (const auto &e : fs::directory_iterator(fs::path(VESPERTIL_GAME_DIR) / folder)) {
            const std::string name = std::string(folder) + "/" + e.path().filename().string();
            uint8_t digest[kSha256Bytes] = {};
            EXPECT_TRUE(sha256_file(e.path().c_str(), digest)) << name;
            made[name] = sha256_hex(digest);
        }
    std::string changed;
    for (const auto &[name, hash] : made)
        if (listed.count(name) == 0 || listed.at(name) != hash) changed += " " + name;
    for (const auto &[name, hash] : listed)
        if (made.count(name) == 0) changed += " " + name + "(gone)";
    const char *rewrite = std::getenv("VESPERTIL_REWRITE_GOLDENS");
    if (rewrite && std::string(rewrite) == "1") {
        std::ofstream out(list, std::ios::trunc);
        for (const auto &[name, hash] : made) out << name << " " << hash << "\n";
        std::printf("%s rewritten; changed:%s\n", list.c_str(), changed.empty() ? " none" : changed.c_str());
        return;
    }
    EXPECT_EQ(changed, "") << "these generated files differ from " << list
                           << "; if the change is meant, run again with VESPERTIL_REWRITE_GOLDENS=1";
}

// Every shipped map holds nothing the game would correct.
TEST(GeneratedMaps, HoldNothingTheGameWouldCorrect) {
    for (const auto &e : fs::directory_iterator(fs::path(VESPERTIL_GAME_DIR) / "MAP")) {
        const std::vector<unsigned char> bytes = testing_support::read_file(e.path().string());
        auto image = std::make_unique<MapImage>();
        ASSERT_TRUE(parse_map_image(bytes.data(), bytes.size(), *image)) << e.path();
        int corrected = make_header_safe(image->header);
        for (RoomRecord &r : image->rooms) corrected += make_room_safe(r);
        for (PlacementRecord &p : image->switches) corrected += make_placement_safe(p);
        for (PlacementRecord &p : image->refills) corrected += make_placement_safe(p);
        EXPECT_EQ(corrected, 0) << e.path() << ": fields the game would change or objects it would drop";
    }
}

} // namespace
