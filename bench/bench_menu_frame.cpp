// One frame of the main menu at 640 x 480 — the backdrop with its rippling
// reflection, the selection bar, six panels and the words, copied to a memory
// screen — beside a floor case that makes the same library calls with none of the
// menu's own code. The figure to hold is the ratio of the two medians.
#include "core/game_config.h"
#include "menus/main_menu.h"
#include "menus/menu_common.h"
#include "ui/backdrop.h"
#include "ui/jpeg.h"
#include "world/tile_sheet.h"

#include <allegro.h>
#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kDepth = 16;

std::string game_file(const char *name) { return std::string(VESPERTIL_GAME_DIR) + "/" + name; }

struct MenuScene {
    int32_t ripple = 0, bounce = kFirstBouncePhase;
    BITMAP *background = nullptr, *logo = nullptr, *work = nullptr, *frame = nullptr;
    BITMAP *screen = nullptr, *bar = nullptr, *stretch = nullptr;
    CellSet cells{};
    MenuResources res{};
    bool loaded = false;

    MenuScene() {
        set_color_depth(kDepth);
        set_color_conversion(COLORCONV_TOTAL);
        set_trans_blender(0, 0, 0, 64);
        game_config.low_resolution = 0;
        game_config.language = kEnglish;
        fill_menu_wave_tables();
        background = load_jpg(game_file("GFX/fondo_menu.jpg").c_str(), nullptr);
        logo = load_bitmap(game_file("GFX/rotulo.pcx").c_str(), nullptr);
        work = create_bitmap(kLogoHighW, kLogoHighH);
        frame = create_bitmap(640, 480);
        screen = create_bitmap(640, 480);
        bar = create_bitmap(kSelectionBarW, kSelectionBarH);
        stretch = create_bitmap(640, 200);
        for (BITMAP *&c : cells) c = create_bitmap(kCellSize, kCellSize);
        loaded = background && logo &&
                 cut_tile_sheet(game_file("GFX/menu_spr.pcx").c_str(), cells) == 1;
        res.ripple_phase = &ripple;
        res.bounce_phase = &bounce;
        res.backgrounds[0] = background;
        res.logos[0] = logo;
        res.logo_work[0] = work;
        res.frame_buffers[0] = frame;
        res.menu_cells = &cells;
    }
    ~MenuScene() {
        for (BITMAP *b : {background, logo, work, frame, screen, bar, stretch})
            if (b) destroy_bitmap(b);
        for (BITMAP *c : cells) destroy_bitmap(c);
    }
};

void BM_MenuFrame(benchmark::State &st) {
    MenuScene m;
    if (!m.loaded) return st.SkipWithError("the menu pictures are not in the game directory");
    int scroll = 0;
    for (auto _ : st) {
        draw_menu_background(m.res, m.ripple, m.bounce);
        advance_menu_phases(m.ripple, m.bounce);
        tile_selection_bar(m.bar, m.cells, scroll);
        draw_main_menu(m.frame, m.bar, m.cells, 1);
        blit(m.frame, m.screen, 0, 0, 0, 0, 640, 480);
        benchmark::ClobberMemory();
    }
}

// The same pixels moved by the library alone: the background, 193 one-row blits, one
// stretch, one translucent sprite, 36 bar cells, six darkened boxes with their
// five-ring rims, the 28 glyphs of the English menu, and the copy to the screen.
void BM_MenuFrameFloor(benchmark::State &st) {
    MenuScene m;
    if (!m.loaded) return st.SkipWithError("the menu pictures are not in the game directory");
    const int mask = makecol(255, 0, 255), black = makecol(0, 0, 0), grey = makecol(128, 128, 128);
    const int boxes[6][4] = {{205, 240, 435, 276}, {205, 281, 435, 460}, {230, 291, 410, 327},
                             {230, 332, 410, 368}, {230, 373, 410, 409}, {230, 414, 410, 450}};
    for (auto _ : st) {
        blit(m.background, m.frame, 0, 0, 0, 0, 640, 480);
        clear_to_color(m.work, mask);
        for (int y = 0; y < 193; ++y) blit(m.logo, m.work, 0, y, 2, 193 - y, 640, 1);
        clear_to_color(m.stretch, mask);
        stretch_blit(m.work, m.stretch, 0, 0, 640, 193, 0, 0, 640, 193);
        draw_trans_sprite(m.frame, m.stretch, 0, 110);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 12; ++c)
                blit(m.cells[168], m.bar, 0, 0, 16 * c - 8, 16 * r - 8, 16, 16);
        blit(m.bar, m.frame, 0, 0, 235, 337, kSelectionBarW, kSelectionBarH);
        for (const auto &b : boxes) {
            drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
            rectfill(m.frame, b[0] + 5, b[1] + 5, b[2] - 5, b[3] - 5, black);
            drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
            for (int i = 0; i < 5; ++i) {
                vline(m.frame, b[0] + i, b[1] + 5, b[3] - 5, grey);
                vline(m.frame, b[2] - i, b[1] + 5, b[3] - 5, grey);
                hline(m.frame, b[0] + 5, b[1] + i, b[2] - 5, grey);
                hline(m.frame, b[0] + 5, b[3] - i, b[2] - 5, grey);
            }
            for (int p = 0; p < 4 * 22; ++p) putpixel(m.frame, b[0] + p % 5, b[1] + p / 22, grey);
        }
        for (int g = 0; g < 28; ++g)
            draw_sprite(m.frame, m.cells[194 + g % 26], 240 + 16 * (g % 10), 250 + 41 * (g / 10));
        blit(m.frame, m.screen, 0, 0, 0, 0, 640, 480);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_MenuFrame)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_MenuFrameFloor)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace
