// How long cutting the 384 x 160 menu sprite sheet into 240 cells takes, loading of
// the PCX picture included, at 16 and 32 bits.
#include "world/tile_sheet.h"

#include "support/test_support.h"

#include <allegro.h>
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

using testing_support::TempDir;
using testing_support::make_bitmap;

namespace {

// A sheet of short runs of random colour: harder on the decoder than the painted
// menu sheet (measured alike: about 0.5 ms at 32 bits on the build machine).
std::string make_sheet(const TempDir &dir) {
    OwnedBitmap sheet = make_bitmap(24, kSheetWidth, kSheetHeight);
    std::mt19937 rng(3);
    for (int y = 0; y < kSheetHeight; ++y)
        for (int x = 0; x < kSheetWidth; x += 4)
            hline(sheet.get(), x, y, x + 3, makecol24(rng() % 256, rng() % 256, rng() % 256));
    std::string path = dir.file("menu_spr.pcx");
    PALETTE pal;
    get_palette(pal);
    save_pcx(path.c_str(), sheet.get(), pal);
    return path;
}

void BM_CutTileSheet(benchmark::State &state) {
    const int depth = static_cast<int>(state.range(0));
    set_color_depth(depth);
    set_color_conversion(COLORCONV_TOTAL);
    TempDir dir;
    std::string path = make_sheet(dir);
    std::vector<OwnedBitmap> owned;
    CellSet cells;
    for (BITMAP *&c : cells) {
        owned.push_back(make_bitmap(depth, 16, 16));
        c = owned.back().get();
    }
    for (auto _ : state) {
        int16_t ok = cut_tile_sheet(path.c_str(), cells);
        if (ok != 1) state.SkipWithError("sheet not loaded");
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_CutTileSheet)
    ->Arg(32)
    ->Arg(16)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

} // namespace

