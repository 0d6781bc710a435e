// Checks of the game's generated modules, opened by the names the game uses and
// played through libxmp: each loads, lasts at least half a minute before it loops,
// has several channels, is never silent, never clips and then loops on; and every
// map has its tune.
#include "core/paths.h"

#include <gtest/gtest.h>
#include <xmp.h>
#include <unistd.h>

#include <cctype>
#include <deque>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The menu module is named with a backslash, as the menu opens it.
constexpr const char *kModules[] = {"sfx\\menu.xm", "sfx/cueva.xm", "sfx/vusk.xm", "sfx/prueba.xm",
                                    "sfx/salem.xm", "sfx/ciudad.xm"};
constexpr int kRate = 44100;
constexpr double kMinSeconds = 30.0;

struct Played {
    bool loaded = false;
    int channels = 0;
    int estimated_ms = 0;
    std::vector<short> first_pass;  // stereo, interleaved
    std::vector<short> after_loop;  // five seconds after it came round
};

Played play(const char *name) {
    Played p;
    char path[kMaxDataPath];
    char old[4096];
    if (!getcwd(old, sizeof old) || chdir(VESPERTIL_GAME_DIR) != 0) return p;
    bool resolved = resolve_data_path(name, path, sizeof path);
    xmp_context ctx = xmp_create_context();
    p.loaded = resolved && xmp_load_module(ctx, path) == 0;
    if (chdir(old) != 0) p.loaded = false;
    if (!p.loaded) {
        xmp_free_context(ctx);
        return p;
    }
    xmp_module_info mi;
    xmp_get_module_info(ctx, &mi);
    p.channels = mi.mod->chn;
    xmp_start_player(ctx, kRate, 0);
    xmp_frame_info fi;
    const std::size_t tail = 5 * kRate * 2;
    while (xmp_play_frame(ctx) == 0) {
        xmp_get_frame_info(ctx, &fi);
        p.estimated_ms = fi.total_time;
        const short *s = static_cast<const short *>(fi.buffer);
        std::vector<short> &into = fi.loop_count > 0 ? p.after_loop : p.first_pass;
        into.insert(into.end(), s, s + fi.buffer_size / 2);
        if (p.after_loop.size() >= tail) break;
        if (p.first_pass.size() > 600u * kRate * 2) break;  // ten minutes: it never loops
    }
    xmp_end_player(ctx);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
    return p;
}

double rms(const std::vector<short> &s, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(s[i]) * s[i];
    return to > from ? std::sqrt(sum / (to - from)) : 0;
}

// Each module is played once for all the checks.
const Played &played(const char *name) {
    static std::deque<std::pair<std::string, Played>> cache; // keeps earlier answers where they are
    for (auto &c : cache)
        if (c.first == name) return c.second;
    cache.emplace_back(name, play(name));
    return cache.back().second;
}

class GameModules : public testing::TestWithParam<const char *> {};

}  // namespace

// Loads with several channels; plays at least half a minute, but not for ever,
// before it comes round, never silent for five seconds, never clipping, centred; and
// goes on playing after it comes round.
TEST_P(GameModules, PlayAsAGameTuneShould) {
    const Played &p = played(GetParam());
    ASSERT_TRUE(p.loaded) << GetParam();
    EXPECT_GE(p.channels, 4);
    const std::vector<short> &s = p.first_pass;
    const double seconds = s.size() / 2.0 / kRate;
    EXPECT_GE(seconds, kMinSeconds);
    EXPECT_LT(seconds, 600.0) << "never loops";
    EXPECT_NEAR(seconds, p.estimated_ms / 1000.0, 0.5);
    const std::size_t window = 5 * kRate * 2;
    for (std::size_t at = 0; at + window <= s.size(); at += window)
        EXPECT_GT(rms(s, at, at + window), 400) << "quiet stretch at " << at / 2 / kRate << " s";
    const double overall = rms(s, 0, s.size());
    EXPECT_GT(overall, 1500);
    EXPECT_LT(overall, 8000);
    long clipped = 0;
    double sum = 0;
    for (short v : s) {
        clipped += v >= 32767 || v <= -32767;
        sum += v;
    }
    EXPECT_EQ(clipped, 0);
    EXPECT_LT(std::fabs(sum / s.size()), 100) << "DC offset";
    ASSERT_GE(p.after_loop.size(), window);
    EXPECT_GT(rms(p.after_loop, 0, p.after_loop.size()), 400);
}

INSTANTIATE_TEST_SUITE_P(Music, GameModules, testing::ValuesIn(kModules),
                         [](const testing::TestParamInfo<const char *> &info) {
                             std::string n = info.param;
                             n = n.substr(4, n.size() - 7);
                             return n;
                         });

TEST(GameMusic, EveryMapInTheGameHasItsModule) {
    // A level plays "sfx/" + its map's name with "map" turned into "xm".
    std::filesystem::path maps = std::filesystem::path(VESPERTIL_GAME_DIR) / "MAP";
    if (!std::filesystem::exists(maps)) GTEST_SKIP() << "no maps built in this tree";
    for (const auto &e : std::filesystem::directory_iterator(maps)) {
        std::string name = e.path().filename().string();
        for (char &c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".map") != 0) continue;
        std::string module = name.substr(0, name.size() - 3) + "xm";
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(VESPERTIL_GAME_DIR) / "sfx" / module))
            << name << " has no sfx/" << module;
    }
}
