// Where each menu screen puts its panels, its words and its selection bar, at both
// resolutions: every frame a screen presents is kept, and the last one it showed is
// looked at. The menu sheet of the test paints each cell in its own colour, so a
// glyph or a bar cell is known by its colour.
#include "core/game_config.h"
#include "core/platform.h"
#include "menus/main_menu.h"
#include "ui/text.h"

#include "support/test_support.h"

#include <allegro.h>
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace {

using testing_support::TempDir;

constexpr KeyRecord kNone = 0, kEnter = key_bit(Key::Enter), kDown = key_bit(Key::Down),
                    kUp = key_bit(Key::Up), kRight = key_bit(Key::Right), kEsc = key_bit(Key::Esc);

// The colour every pixel of sheet cell `cell` has.
int cell_colour(int cell) { return makecol(cell, 255 - cell, 40 + cell % 7); }

// `colour` under a panel's darkened inside.
int darkened(int colour) {
    BITMAP *b = create_bitmap(1, 1);
    putpixel(b, 0, 0, colour);
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    putpixel(b, 0, 0, makecol(0, 0, 0));
    drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
    const int c = getpixel(b, 0, 0);
    destroy_bitmap(b);
    return c;
}

struct Panel {
    int x1, y1, x2, y2;
    bool bright;
};

struct Frames {
    std::vector<BITMAP *> shots;
    ~Frames() { clear(); }
    void clear() {
        for (BITMAP *b : shots) destroy_bitmap(b);
        shots.clear();
    }
};

void keep_frame(void *context) {
    Frames *f = static_cast<Frames *>(context);
    BITMAP *s = video_screen();
    BITMAP *copy = create_bitmap(s->w, s->h);
    blit(s, copy, 0, 0, 0, 0, s->w, s->h);
    f->shots.push_back(copy);
}

class MenuLayoutTest : public testing::Test {
protected:
    void SetUp() override {
        saved = game_config;
        game_config = GameConfig{};
        game_config.render_mode = kRenderScanLines;
        game_config.music_volume = game_config.effects_volume = 128;
        set_color_depth(32);
        set_trans_blender(0, 0, 0, 64);
        BITMAP *sheet = create_bitmap(384, 160);
        for (int c = 0; c < 240; ++c)
            rectfill(sheet, 16 * (c % 24), 16 * (c / 24), 16 * (c % 24) + 15, 16 * (c / 24) + 15,
                     cell_colour(c));
        testing_support::make_dirs(dir.file("GFX"));
        save_pcx(dir.file("GFX/menu_spr.pcx").c_str(), sheet, nullptr);
        destroy_bitmap(sheet);
    }
    void TearDown() override {
        input_use_keyboard();
        platform.screen_override = nullptr;
        platform.pacing = Pacing::Real;
        platform.on_present = nullptr;
        platform.present_context = nullptr;
        if (screen_bitmap) destroy_bitmap(screen_bitmap);
        game_config = saved;
    }

    // Runs the main menu on the keys at the given resolution and returns the frame
    // presented `from_end` frames before the last.
    BITMAP *frame_of(bool low, std::initializer_list<KeyRecord> taps, int from_end) {
        game_config.low_resolution = low;
        screen_bitmap = create_bitmap(low ? 320 : 640, low ? 200 : 480);
        platform.screen_override = screen_bitmap;
        platform.pacing = Pacing::Immediate;
        platform.on_present = keep_frame;
        platform.present_context = &frames;
        records.clear();
        for (KeyRecord k : taps) records.insert(records.end(), {k, kNone, kNone});
        input_begin_replay(records.data(), static_cast<int>(records.size()));
        main_menu();
        const int i = static_cast<int>(frames.shots.size()) - 1 - from_end;
        return i >= 0 ? frames.shots[static_cast<std::size_t>(i)] : nullptr;
    }

    // The five rings of a panel's bevel, read inward from the middle of each side.
    void expect_panel(BITMAP *b, const Panel &p) {
        static const int dim[5][3] = {{64, 64, 128}, {96, 96, 128}, {128, 128, 128}, {96, 96, 128}, {64, 64, 128}};
        static const int lit[5][3] = {{128, 128, 255}, {192, 192, 255}, {255, 255, 255}, {192, 192, 255}, {128, 128, 255}};
        const int(*ramp)[3] = p.bright ? lit : dim;
        const int mx = (p.x1 + p.x2) / 2, my = (p.y1 + p.y2) / 2;
        for (int i = 0; i < 5; ++i) {
            const int want = makecol(ramp[i][0], ramp[i][1], ramp[i][2]);
            EXPECT_EQ(getpixel(b, p.x1 + i, my), want) << "left ring " << i << " of panel at " << p.x1 << "," << p.y1;
            EXPECT_EQ(getpixel(b, p.x2 - i, my), want) << "right ring " << i << " of panel at " << p.x1 << "," << p.y1;
            EXPECT_EQ(getpixel(b, mx, p.y1 + i), want) << "top ring " << i << " of panel at " << p.x1 << "," << p.y1;
            EXPECT_EQ(getpixel(b, mx, p.y2 - i), want) << "bottom ring " << i << " of panel at " << p.x1 << "," << p.y1;
        }
    }
    void expect_panels(BITMAP *b, std::initializer_list<Panel> panels) {
        ASSERT_NE(b, nullptr);
        for (const Panel &p : panels) expect_panel(b, p);
    }

    // The first glyph of `text` drawn with its top-left corner at (x, y), and the
    // cell before it empty of glyph colours.
    void expect_text(BITMAP *b, int x, int y, const char *text) {
        ASSERT_NE(b, nullptr);
        const int first = glyph_cell(static_cast<unsigned char>(text[0]));
        EXPECT_EQ(getpixel(b, x, y), cell_colour(first)) << text << " at " << x << "," << y;
        EXPECT_EQ(getpixel(b, x + 15, y + 15), cell_colour(first)) << text;
        const int len = static_cast<int>(std::strlen(text));
        const int last = glyph_cell(static_cast<unsigned char>(text[len - 1]));
        EXPECT_EQ(getpixel(b, x + 16 * len - 1, y), cell_colour(last)) << text << " ends at its length";
    }

    TempDir dir{true};
    GameConfig saved{};
    BITMAP *screen_bitmap = nullptr;
    Frames frames;
    std::vector<KeyRecord> records;
};

TEST_F(MenuLayoutTest, MainMenuAt640x480) {
    game_config.language = kEnglish;
    BITMAP *f = frame_of(false, {kDown}, 0);
    expect_panels(f, {{205, 240, 435, 276, false}, {205, 281, 435, 460, false},
                      {230, 291, 410, 327, false}, {230, 332, 410, 368, true},
                      {230, 373, 410, 409, false}, {230, 414, 410, 450, false}});
    expect_text(f, 320 - 8 * 9, 250, "MAIN MENU");
    expect_text(f, 320 - 8 * 4, 301, "pLAY");
    expect_text(f, 320 - 8 * 5, 342, "lEVEL");
    expect_text(f, 320 - 8 * 6, 383, "sET UP");
    expect_text(f, 320 - 8 * 4, 424, "eXIT");
    // The selection bar lies under the second entry, inside its bevel, seen through
    // the body panel and the entry panel.
    EXPECT_EQ(getpixel(f, 236, 337 + 13), darkened(darkened(cell_colour(168))));
    EXPECT_NE(getpixel(f, 236, 296 + 13), darkened(darkened(cell_colour(168))));
}

TEST_F(MenuLayoutTest, MainMenuAt320x200HasNoTitle) {
    BITMAP *f = frame_of(true, {kUp}, 0);
    expect_panels(f, {{45, 10, 275, 189, false}, {70, 20, 250, 56, false},
                      {70, 61, 250, 97, false}, {70, 102, 250, 138, false},
                      {70, 143, 250, 179, true}});
    expect_text(f, 160 - 8 * 5, 30, "jUGAR");
    expect_text(f, 160 - 8 * 5, 153, "sALIR");
    EXPECT_EQ(getpixel(f, 76, 148 + 10), darkened(darkened(cell_colour(168))));
}

TEST_F(MenuLayoutTest, PlayMenuAtBothSizes) {
    game_config.language = kGerman;
    BITMAP *f = frame_of(false, {kEnter, kDown}, 1);
    expect_panels(f, {{192, 281, 449, 317, false}, {192, 322, 449, 419, false},
                      {202, 332, 439, 368, false}, {202, 373, 350, 409, true},
                      {355, 373, 439, 409, true}});
    expect_text(f, 320 - 8 * 7, 291, "SPIELEN");
    expect_text(f, 320 - 8 * 7, 342, "EBENE 1");
    expect_text(f, 192 + 84 - 8 * 8, 383, "PASSWORT");

    frames.clear();
    destroy_bitmap(screen_bitmap);
    BITMAP *g = frame_of(true, {kEnter}, 1);
    expect_panels(g, {{32, 31, 289, 67, false}, {32, 72, 289, 169, false},
                      {42, 82, 279, 118, true}, {42, 123, 190, 159, false},
                      {195, 123, 279, 159, false}});
}

TEST_F(MenuLayoutTest, TheTypedCodeKeepsItsRightEnd) {
    BITMAP *f = frame_of(false, {kEnter, kDown, key_bit(Key::R), key_bit(Key::S)}, 1);
    // Two letters typed: they end at x0 + 237 = 429.
    expect_text(f, 192 + 237 - 32, 383, "RS");
}

TEST_F(MenuLayoutTest, LevelBrowserShowsTheEmptyListAndItsWindow) {
    game_config.language = kFrench;
    BITMAP *f = frame_of(false, {kDown, kEnter}, 1);
    expect_panels(f, {{214, 240, 426, 276, false}, {214, 281, 426, 429, false}});
    expect_text(f, 320 - 8 * 5, 250, "PHASE");
    expect_text(f, 320 - 8 * 4, 291, "VIDE");

    frames.clear();
    destroy_bitmap(screen_bitmap);
    testing_support::make_dirs(dir.file("MAP"));
    for (const char *n : {"a.map", "bb.map", "c.map", "d.map", "e.map", "f.map", "g.map", "h.map",
                          "i.map", "j.map"})
        testing_support::write_file(dir.file(std::string("MAP/") + n), std::string("x"));
    game_config.language = kItalian;
    // Down nine times: J.MAP (index 9) on the window's last row, entries 2 to 9 shown.
    BITMAP *g = frame_of(true, {kDown, kEnter, kDown, kDown, kDown, kDown, kDown, kDown, kDown,
                                kDown, kDown}, 1);
    expect_panels(g, {{54, 5, 266, 41, false}, {54, 46, 266, 194, false}});
    expect_text(g, 160 - 8 * 7, 15, "LIVELLO");
    const int x0 = 54 + 10, y0 = 5 + 51;
    expect_text(g, x0 + 96 - 8 * 5, y0, "C.MAP");
    expect_text(g, x0 + 96 - 8 * 5, y0 + 16 * 7, "J.MAP");
    EXPECT_EQ(getpixel(g, x0 + 1, y0 + 16 * 7 + 1), cell_colour(169)) << "the bar under J.MAP";
    EXPECT_NE(getpixel(g, x0 + 1, y0 + 16 * 6 + 1), cell_colour(169));
    EXPECT_NE(getpixel(g, x0 + 96 - 8 * 5, y0 + 16 * 8), cell_colour(glyph_cell('K')))
        << "nothing below the eighth row";
}

TEST_F(MenuLayoutTest, SetUpMenuAtBothSizes) {
    BITMAP *f = frame_of(false, {kDown, kDown, kEnter}, 1);
    expect_panels(f, {{102, 77, 542, 113, false},  {102, 118, 542, 402, false},
                      {112, 128, 349, 164, true},  {359, 128, 443, 164, true},
                      {448, 128, 532, 164, false}, {112, 169, 349, 205, false},
                      {359, 169, 443, 205, false}, {448, 169, 532, 205, false},
                      {112, 210, 349, 246, false}, {359, 210, 532, 246, false},
                      {112, 251, 532, 319, false}, {112, 324, 532, 392, false},
                      {418, 256, 475, 314, false}, {418, 329, 475, 387, false}});
    expect_text(f, 320 - 8 * 13, 87, "CONFIGURACION");
    expect_text(f, 230 - 8 * 10, 138, "RESOLUCION");
    expect_text(f, 401 - 8 * 4, 138, "ALTA");
    expect_text(f, 490 - 8 * 4, 138, "BAJA");
    expect_text(f, 230 - 8 * 7, 179, "VOLCADO");
    expect_text(f, 230 - 8 * 6, 220, "IDIOMA");
    expect_text(f, 445 - 8 * 7, 220, "ESPAnOL");
    expect_text(f, 122, 277, "EFECTOS");
    expect_text(f, 122, 350, "MUSICA");
    // The scan-line preview: white with grey on every second row; the plain one white.
    EXPECT_EQ(getpixel(f, 400, 177), makecol(153, 153, 153));
    EXPECT_EQ(getpixel(f, 400, 178), makecol(255, 255, 255));
    EXPECT_EQ(getpixel(f, 490, 177), makecol(255, 255, 255));
    const int white = makecol(255, 255, 255);
    for (auto [x1, x2] : {std::pair{364, 438}, std::pair{453, 527}}) {
        EXPECT_EQ(getpixel(f, x1, 178), white) << x1;
        EXPECT_NE(getpixel(f, x1 - 1, 178), white) << x1;
        EXPECT_EQ(getpixel(f, x2, 178), white) << x2;
        EXPECT_NE(getpixel(f, x2 + 1, 178), white) << x2;
        EXPECT_EQ(getpixel(f, x1 + 10, 175), x1 == 364 ? makecol(153, 153, 153) : white);
        EXPECT_EQ(getpixel(f, x1 + 10, 199), x1 == 364 ? makecol(153, 153, 153) : white);
        EXPECT_NE(getpixel(f, x1 + 10, 200), white);
        EXPECT_NE(getpixel(f, x1 + 10, 174), white);
    }
    // The dials: frame 8 of 16 for the volume 128.
    EXPECT_EQ(getpixel(f, 423, 261), cell_colour(72 + 0)) << "the effects dial's first cell";
    EXPECT_EQ(getpixel(f, 423 + 32, 334 + 32), cell_colour(72 + 50)) << "the music dial's last cell";
    for (int y : {309, 382}) // the grey row under each dial, under its frame's inside
        EXPECT_EQ(getpixel(f, 446, y), darkened(makecol(153, 153, 153))) << y;

    frames.clear();
    destroy_bitmap(screen_bitmap);
    game_config.language = kEnglish;
    BITMAP *g = frame_of(true, {kDown, kDown, kEnter, kDown}, 1);
    expect_panels(g, {{10, 10, 302, 187, false}, {15, 15, 159, 40, false},
                      {160, 15, 227, 40, false}, {228, 15, 297, 40, false},
                      {15, 41, 159, 66, true},   {160, 41, 297, 66, true},
                      {15, 67, 297, 124, false}, {15, 125, 297, 182, false}});
    expect_text(g, 87 - 8 * 3, 20, "RES");
    expect_text(g, 194 - 8 * 2, 20, "HI");
    expect_text(g, 262 - 8 * 2, 20, "LO");
    expect_text(g, 87 - 8 * 8, 46, "LANGUAGE");
    EXPECT_EQ(getpixel(g, 87 - 8 * 8 + 16 * 6, 46), cell_colour(glyph_cell('G'))) << "not LANGUAJE";
    expect_text(g, 228 - 8 * 7, 46, "ENGLISH");
    expect_text(g, 25, 88, "SFX");
    expect_text(g, 25, 146, "MUSIC");
    EXPECT_EQ(getpixel(g, 204, 72), cell_colour(72));
    EXPECT_EQ(getpixel(g, 204, 130), cell_colour(72)) << "the music dial's first cell";
    EXPECT_EQ(getpixel(g, 204 + 47, 130 + 47), cell_colour(72 + 50)) << "its last cell";
    // No title at 320 x 200: the band above the body panel is bare edge to edge.
    const int bare = getpixel(g, 319, 0);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 320; ++x) ASSERT_EQ(getpixel(g, x, y), bare) << x << "," << y;
    frames.clear();
    destroy_bitmap(screen_bitmap);
    BITMAP *row0 = frame_of(true, {kDown, kDown, kEnter}, 1); // the resolution row, at LO
    expect_panels(row0, {{10, 10, 302, 187, false}, {15, 15, 159, 40, true},
                         {160, 15, 227, 40, false}, {228, 15, 297, 40, true},
                         {15, 41, 159, 66, false}});
}

// The set-up menu leaves at once; the main menu then says so in its title's place,
// or at 320 x 200 at the foot of its body panel.
TEST_F(MenuLayoutTest, AFailedSaveIsSaidOnTheMainMenu) {
    game_config.language = kEnglish;
    testing_support::make_dirs(dir.file("Vespertil.cfg")); // the file cannot be written
    const std::initializer_list<KeyRecord> change_and_leave = {kDown, kDown, kEnter, kUp,
                                                               kUp,   kRight, kEsc, kNone};
    expect_text(frame_of(false, change_and_leave, 0), 320 - 8 * 9, 250, "NOT SAVED");
    frames.clear();
    destroy_bitmap(screen_bitmap);
    expect_text(frame_of(true, change_and_leave, 0), 160 - 8 * 9, 184, "NOT SAVED");
}

// On the render row the chosen preview is lit with the row's name, the other one
// once RIGHT has chosen it; on the next row (language) both previews are dim again.
TEST_F(MenuLayoutTest, TheRenderRowLightsTheChosenPreview) {
    BITMAP *f = frame_of(false, {kDown, kDown, kEnter, kDown}, 1);
    expect_panels(f, {{112, 169, 349, 205, true}, {359, 169, 443, 205, true},
                      {448, 169, 532, 205, false}, {112, 210, 349, 246, false}});
    frames.clear();
    destroy_bitmap(screen_bitmap);
    BITMAP *g = frame_of(false, {kDown, kDown, kEnter, kDown, kDown}, 1);
    expect_panels(g, {{112, 169, 349, 205, false}, {359, 169, 443, 205, false},
                      {448, 169, 532, 205, false}, {112, 210, 349, 246, true}});
    frames.clear();
    destroy_bitmap(screen_bitmap);
    BITMAP *h = frame_of(false, {kDown, kDown, kEnter, kDown, kRight}, 1);
    expect_panels(h, {{112, 169, 349, 205, true}, {359, 169, 443, 205, false},
                      {448, 169, 532, 205, true}});
}

TEST_F(MenuLayoutTest, SwitchingTo320x200LightsTheLowBox) {
    static BITMAP *low = nullptr;
    low = create_bitmap(320, 200);
    platform.set_mode = [](int, int w, int, int, int) {
        if (w == 320) platform.screen_override = low;
        return 0;
    };
    BITMAP *f = frame_of(false, {kDown, kDown, kEnter, kRight, kNone}, 1);
    platform.set_mode = nullptr;
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->w, 320);
    expect_panels(f, {{160, 15, 227, 40, false}, {228, 15, 297, 40, true}});
    destroy_bitmap(low);
}

} // namespace
