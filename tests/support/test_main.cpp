// Test entry: Allegro without a display (memory bitmaps, makecol, the file loaders
// all work; the timer, keyboard and screen do not), then GoogleTest.
#include <allegro.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

int main(int argc, char **argv) {
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) return 2;
    // Without a display the library keeps its built-in pixel layouts, which put blue
    // in the high bits; the game always runs on an X11 screen, whose layouts put red
    // there. Tests draw with the screen's layouts.
    _rgb_r_shift_15 = 10; _rgb_g_shift_15 = 5; _rgb_b_shift_15 = 0;
    _rgb_r_shift_16 = 11; _rgb_g_shift_16 = 5; _rgb_b_shift_16 = 0;
    _rgb_r_shift_24 = 16; _rgb_g_shift_24 = 8; _rgb_b_shift_24 = 0;
    _rgb_r_shift_32 = 16; _rgb_g_shift_32 = 8; _rgb_b_shift_32 = 0;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
