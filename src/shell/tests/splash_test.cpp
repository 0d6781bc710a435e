// The logo splash on a memory screen, without waiting: the jingle plays once, in the
// middle, at full volume whatever the effects setting says, a missing logo is named
// and skipped, and at 320 x 200 the logo is squeezed from its own corner.
#include "shell/startup.h"

#include "core/game_config.h"
#include "core/platform.h"
#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace {

std::vector<SampleStart> starts;

// A 32-bit memory screen of a solid colour, the settings and the depth put back after.
class LogoSplash : public testing::Test {
protected:
    void TearDown() override {
        destroy_bitmap(screen_bitmap);
        game_config = saved;
        set_color_depth(depth);
    }

    // Shows the splash on a w x h screen, no key pressed and no waiting; returns what
    // it said on stderr.
    std::string run_splash(int w, int h) {
        set_color_depth(32);
        screen_bitmap = create_bitmap(w, h);
        clear_to_color(screen_bitmap, makecol(1, 2, 3));
        platform.screen_override = screen_bitmap;
        platform.pacing = Pacing::Immediate;
        const KeyRecord no_keys[] = {0};
        input_begin_replay(no_keys, 1);
        testing::internal::CaptureStderr();
        show_logo_splash();
        const std::string said = testing::internal::GetCapturedStderr();
        input_use_keyboard();
        platform.pacing = Pacing::Real;
        platform.screen_override = nullptr;
        return said;
    }

    testing_support::TempDir dir{true};
    const int depth = get_color_depth();
    const GameConfig saved = game_config;
    BITMAP *screen_bitmap = nullptr;
};

TEST_F(LogoSplash, TheJinglePlaysOnceInTheMiddleAtFullVolume) {
    testing_support::make_dirs(dir.file("sfx"));
    testing_support::write_silent_wav(dir.file("sfx/mirvane.wav"));
    game_config.effects_volume = 12;
    starts.clear();
    platform.on_sample = [](void *, const SampleStart &s) { starts.push_back(s); };
    const std::string err = run_splash(640, 480);
    platform.on_sample = nullptr;

    EXPECT_NE(err.find("GFX/ZENTIX.JPG"), std::string::npos) << err;
    EXPECT_EQ(getpixel(screen_bitmap, 320, 240), makecol(1, 2, 3)) << "no logo, nothing drawn";
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].volume, 255);
    EXPECT_EQ(starts[0].pan, 127);
    EXPECT_EQ(starts[0].pitch, 1000);
    EXPECT_FALSE(starts[0].loop);
}

// A grey w x h logo: white up to column `last_white`, black after it, with its
// first row black.
void write_two_tone_logo(const char *path, int last_white, int w = 640, int h = 480) {
    FILE *f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = 1;
    c.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(w), first(w, 0);
    for (int x = 0; x < w; ++x) row[x] = x <= last_white ? 255 : 0;
    while (c.next_scanline < c.image_height) {
        JSAMPROW rows[1] = {c.next_scanline == 0 ? first.data() : row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
}

// Screen column x shows logo column 2x: the white that ends at logo column 320
// ends at screen column 160, and the logo's first row and column are the screen's.
TEST_F(LogoSplash, At320x200TheLogoIsSqueezedFromItsCorner) {
    testing_support::make_dirs(dir.file("GFX"));
    write_two_tone_logo(dir.file("GFX/ZENTIX.JPG").c_str(), 320);
    game_config.low_resolution = 1;
    run_splash(320, 200); // says the jingle is missing

    const auto grey = [&](int x, int y) { return getr(getpixel(screen_bitmap, x, y)); };
    EXPECT_LT(grey(0, 0), 50) << "the logo's first row";
    EXPECT_GT(grey(0, 1), 200) << "the logo's first column";
    EXPECT_GT(grey(160, 100), 200) << "logo column 320";
    EXPECT_LT(grey(161, 100), 50) << "logo column 322";
    EXPECT_GT(grey(100, 199), 200) << "the last row";

    // A smaller logo is squeezed at the same scale, never stretched past its edges.
    write_two_tone_logo(dir.file("GFX/ZENTIX.JPG").c_str(), 99, 100, 50);
    destroy_bitmap(screen_bitmap);
    run_splash(320, 200);
    EXPECT_GT(grey(49, 19), 200) << "logo column 98, row 47";
    EXPECT_EQ(getpixel(screen_bitmap, 50, 10), makecol(1, 2, 3)) << "right of the logo";
    EXPECT_EQ(getpixel(screen_bitmap, 10, 20), makecol(1, 2, 3)) << "under the logo";
}

// The rectangle the library is handed never reaches past the logo, whatever its
// size: logo w, h, squeezed onto 320 x 200? -> source w, h, destination w, h.
TEST(LogoSplashRect, NeverReachesPastTheLogo) {
    const int rows[][7] = {{640, 480, 1, 640, 479, 320, 200}, {640, 480, 0, 640, 479, 640, 479},
                           {100, 50, 1, 100, 50, 50, 20},     {100, 50, 0, 100, 50, 100, 50},
                           {1000, 900, 1, 640, 479, 320, 200}, {1, 1, 1, 1, 1, 0, 0}};
    for (const auto &r : rows) {
        const SplashBlit b = splash_logo_blit(r[0], r[1], r[2] ? 320 : 640, r[2] ? 200 : 480, r[2]);
        const int got[4] = {b.src_w, b.src_h, b.dest_w, b.dest_h};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(got[i], r[3 + i]) << r[0] << " x " << r[1] << ", " << i;
    }
}

} // namespace
