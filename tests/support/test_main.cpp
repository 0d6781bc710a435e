// Test entry: Allegro without a display (memory bitmaps, makecol, the file loaders
// all work; the timer, keyboard and screen do not), then GoogleTest.
#include "core/platform.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

int main(int argc, char **argv) {
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) return 2;
    use_screen_pixel_layouts();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
