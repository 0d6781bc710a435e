// How long a level start spends in load_map_file: a full map file (varied colours,
// some mask pixels) loaded into 5 backdrops and 2 x 240 cells, at each colour depth
// the game may run in. The figure to hold is the median at 32 bits.
#include "world/map_file.h"
#include "world/tests/map_targets.h"

#include "support/test_support.h"

#include <allegro.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

using testing_support::TempDir;

namespace {

std::string make_map_file(const TempDir &dir) {
    auto image = std::make_unique<MapImage>();
    std::mt19937 rng(7);
    auto colour = [&rng]() -> uint32_t {
        uint32_t v = rng() & 0xFFFF;
        return (rng() % 8 == 0) ? kMapMaskColour : v;
    };
    image->header = MapHeader{};
    for (RoomRecord &r : image->rooms) r = RoomRecord{};
    for (auto &b : image->backdrops)
        for (auto &row : b)
            for (uint32_t &p : row) p = colour();
    for (int t = 0; t < kTileCount; ++t)
        for (int y = 0; y < kTilePixels; ++y)
            for (int x = 0; x < kTilePixels; ++x) {
                image->room_tiles[t][y][x] = colour();
                image->sprite_tiles[t][y][x] = colour();
            }
    image->has_override = false;
    std::vector<uint8_t> bytes(kMapFileSize);
    serialise_map_image(*image, bytes.data(), bytes.size());
    std::string path = dir.file("bench.map");
    testing_support::write_file(path, bytes);
    return path;
}

void BM_LoadMapFile(benchmark::State &state) {
    const int depth = static_cast<int>(state.range(0));
    TempDir dir;
    std::string path = make_map_file(dir);
    auto targets = std::make_unique<MapTargets>();
    targets->make_bitmaps(depth);
    for (auto _ : state) {
        int16_t ok = targets->load_file(path.c_str());
        if (ok != 1) state.SkipWithError("map file not loaded");
        benchmark::DoNotOptimize(ok);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LoadMapFile)
    ->Arg(32)
    ->Arg(16)
    ->Arg(24)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

} // namespace

