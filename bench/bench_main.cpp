// Entry of every benchmark binary: Allegro without a display, with the pixel layouts
// of the X11 screen the game runs on, then Google Benchmark.
#include "core/platform.h"
#include "support/test_support.h"

#include <allegro.h>
#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdlib>

int main(int argc, char **argv) {
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) return 2;
    use_screen_pixel_layouts();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
