// The scaled window's present: the game's 640 x 480 picture at 32 bits put onto a
// screen 2, 3 or 4 times its size with every pixel repeated, beside a floor case
// that copies a picture already of the screen's size (the same pixels written by
// the library's plain blit). It runs once a frame on top of the frame's drawing.
#include "core/platform.h"

#include <allegro.h>
#include <benchmark/benchmark.h>

namespace {

constexpr int kDepth = 32, kW = 640, kH = 480; // a scaled window takes the desktop's depth

struct Screens {
    BITMAP *picture, *screen;
    Screens(int picture_scale, int screen_scale) {
        set_color_depth(kDepth);
        picture = create_bitmap(kW * picture_scale, kH * picture_scale);
        screen = create_bitmap(kW * screen_scale, kH * screen_scale);
        for (int y = 0; picture && y < picture->h; ++y)
            for (int x = 0; x < picture->w; ++x)
                putpixel(picture, x, y, makecol(x & 255, y & 255, (x ^ y) & 255));
    }
    ~Screens() {
        if (picture) destroy_bitmap(picture);
        if (screen) destroy_bitmap(screen);
    }
};

void BM_ScaledPresent(benchmark::State &st) {
    const int scale = static_cast<int>(st.range(0));
    Screens s(1, scale);
    for (auto _ : st) {
        present_scaled(s.picture, s.screen, scale);
        benchmark::ClobberMemory();
    }
}

void BM_ScaledPresentFloor(benchmark::State &st) {
    const int scale = static_cast<int>(st.range(0));
    Screens s(scale, scale);
    for (auto _ : st) {
        blit(s.picture, s.screen, 0, 0, 0, 0, s.screen->w, s.screen->h);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_ScaledPresent)->Arg(2)->Arg(3)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScaledPresentFloor)->Arg(2)->Arg(3)->Arg(4)->Unit(benchmark::kMicrosecond);

} // namespace
