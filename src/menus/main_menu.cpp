// The main menu: its words, keys and layout as tables, the resources it owns, and
// its frame loop.
#include "menus/main_menu.h"

#include "core/game_config.h"
#include "core/owners.h"
#include "core/paths.h"
#include "core/platform.h"
#include "menus/level_browser.h"
#include "menus/menu_common.h"
#include "menus/play_menu.h"
#include "menus/setup_menu.h"
#include "ui/backdrop.h"
#include "ui/jpeg.h"
#include "ui/panel.h"
#include "ui/text.h"
#include "ui/transitions.h"
#include "world/tile_sheet.h"

#include <allegro.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kEntryCount = 4;
enum MainEntry { kEntryPlay = 0, kEntryLevel = 1, kEntrySetUp = 2, kEntryExit = 3 };

// The lower-case first letter of an entry draws its decorated initial.
struct MainMenuWords {
    const char *entries[kEntryCount];
    const char *title;
    Key hotkeys[kEntryCount];
};

constexpr MainMenuWords kMainMenuWords[kLanguageCount] = {
    {{"jUGAR", "fASE", "cONFIGURAR", "sALIR"}, "PRINCIPAL", {Key::J, Key::F, Key::C, Key::S}},
    {{"pLAY", "lEVEL", "sET UP", "eXIT"}, "MAIN MENU", {Key::P, Key::L, Key::S, Key::E}},
    {{"jOUER", "pHASE", "cONFIGURER", "sORTIR"}, "PRINCIPAL", {Key::J, Key::P, Key::C, Key::S}},
    // Italian keeps the Spanish play key: J opens it, G does nothing.
    {{"gIOCARE", "fASE", "cONFIGURARE", "sALIRE"}, "PRINCIPAL", {Key::J, Key::F, Key::C, Key::S}},
    {{"sPIELEN", "eBENE", "kONGUGIEREN", "zUERUCK"}, "HAUPT", {Key::S, Key::E, Key::K, Key::Z}},
};

struct Rect {
    int16_t x1, y1, x2, y2;
};

// Where everything goes at each resolution; entry i is 41 pixels below entry 0.
// A message takes the title's place, or at 320 x 200, where there is no title, the
// foot of the body panel, as in the set-up menu.
struct MainMenuLayout {
    int16_t bar_x, bar_y;
    bool has_title;
    Rect title_panel;
    int16_t title_y;
    Rect body_panel;
    Rect first_entry_panel;
    int16_t first_entry_text_y;
    int16_t message_y;
};

constexpr int kEntryStep = 41;
constexpr MainMenuLayout kMainMenuLayouts[2] = {
    {235, 296, true, {205, 240, 435, 276}, 250, {205, 281, 435, 460}, {230, 291, 410, 327}, 301,
     250},
    {75, 25, false, {0, 0, 0, 0}, 0, {45, 10, 275, 189}, {70, 20, 250, 56}, 30, 184},
};

// How long the main menu says the settings were not saved: about three seconds.
constexpr int kNotSavedFrames = 180;

// The selection bar under the chosen entry: menu cell 168 tiled, drifting one pixel
// right and one up each frame.
constexpr int kBarW = kSelectionBarW, kBarH = kSelectionBarH;
constexpr int kBarCell = 168;
constexpr int kBarRows = 3, kBarColumns = 12;

// The keys the menu looks at, in the order it takes them.
constexpr Key kNavigationKeys[] = {Key::Esc, Key::Up, Key::Down, Key::Enter};
enum Navigation { kNavBack = 0, kNavUp = 1, kNavDown = 2, kNavEnter = 3 };

// Everything one visit of the main menu owns; released on every way out.
struct MainMenuOwner {
    int32_t ripple_phase = kFirstRipplePhase;
    int32_t bounce_phase = kFirstBouncePhase;
    OwnedBitmap bar;
    OwnedBitmap backgrounds[2], logos[2], logo_work[2], frames[2];
    OwnedCells menu;
    OwnedSample move, confirm, cancel;

    ~MainMenuOwner() {
        if (menu_music) {
            music_stop();
            music_destroy(menu_music);
            menu_music = nullptr;
        }
    }

    MenuResources resources() {
        MenuResources r{};
        r.ripple_phase = &ripple_phase;
        r.bounce_phase = &bounce_phase;
        for (int i = 0; i < 2; ++i) {
            r.backgrounds[i] = backgrounds[i].get();
            r.logos[i] = logos[i].get();
            r.logo_work[i] = logo_work[i].get();
            r.frame_buffers[i] = frames[i].get();
        }
        r.menu_cells = &menu.cells;
        r.move_sample = move.get();
        r.confirm_sample = confirm.get();
        r.cancel_sample = cancel.get();
        return r;
    }
};

BITMAP *checked(BITMAP *b, const char *name) {
    if (!b) report_data_problem(name, "is missing or not a picture the game can read");
    return b;
}

SAMPLE *checked_sample(const char *name) {
    SAMPLE *s = data_load_wav(name);
    if (!s) report_data_problem(name, "is missing or not a sample the game can play");
    return s;
}

// The buffers and cells; false when memory ran out for them.
bool create_buffers(MainMenuOwner &m) {
    m.bar.reset(create_bitmap(kBarW, kBarH));
    m.frames[0].reset(create_bitmap(kBackdropHighW, kBackdropHighH));
    m.frames[1].reset(create_bitmap(kBackdropLowW, kBackdropLowH));
    m.logo_work[0].reset(create_bitmap(kLogoHighW, kLogoHighH));
    m.logo_work[1].reset(create_bitmap(kLogoLowW, kLogoLowH));
    bool ok = m.bar && m.frames[0] && m.frames[1] && m.logo_work[0] && m.logo_work[1];
    for (BITMAP *&c : m.menu.cells) {
        c = create_bitmap(kCellSize, kCellSize);
        if (!c) ok = false;
        else clear_to_color(c, bitmap_mask_color(c));
    }
    return ok;
}

void load_pictures(MainMenuOwner &m) {
    BITMAP *high = checked(load_jpg("GFX/fondo_menu.jpg", nullptr), "GFX/fondo_menu.jpg");
    // The picture's last row is never shown: it is painted black.
    if (high) hline(high, 0, kBackdropHighH - 1, kBackdropHighW - 1, 0);
    m.backgrounds[0].reset(high);
    m.logos[0].reset(checked(data_load_bitmap("GFX/rotulo.pcx", nullptr), "GFX/rotulo.pcx"));
    m.backgrounds[1].reset(
        checked(data_load_bitmap("GFX/fondo_menu_baja.pcx", nullptr), "GFX/fondo_menu_baja.pcx"));
    m.logos[1].reset(
        checked(data_load_bitmap("GFX/rotulo_baja.pcx", nullptr), "GFX/rotulo_baja.pcx"));
}

void start_sound(MainMenuOwner &m) {
    if (game_config.sound_available != 1) return;
    m.move.reset(checked_sample("sfx/ting.wav"));
    m.cancel.reset(checked_sample("sfx/back.wav"));
    m.confirm.reset(checked_sample("sfx/go.wav"));
    menu_music = music_load("sfx\\menu.xm");
    if (!menu_music) report_data_problem("sfx\\menu.xm", "is missing or not music the game can play");
    music_set_volume(game_config.music_volume);
    music_play(menu_music, 1);
}

} // namespace

void tile_selection_bar(BITMAP *bar, const CellSet &cells, int &scroll) {
    if (!cells[kBarCell]) return;
    for (int r = 0; r < kBarRows; ++r)
        for (int c = 0; c < kBarColumns; ++c)
            blit(cells[kBarCell], bar, 0, 0, scroll + kCellSize * c - kCellSize,
                 kCellSize * r - scroll, kCellSize, kCellSize);
    if (++scroll >= kCellSize) scroll = 0;
}

namespace {

void draw_panel_rect(BITMAP *dest, const Rect &r, int dy, bool bright) {
    draw_panel(dest, r.x1, static_cast<int16_t>(r.y1 + dy), r.x2, static_cast<int16_t>(r.y2 + dy),
               bright ? kPanelBright : kPanelDim);
}

} // namespace

void draw_main_menu(BITMAP *frame, BITMAP *bar, const CellSet &cells, int selection,
                    const char *message) {
    const MainMenuLayout &l = kMainMenuLayouts[menu_resolution()];
    const MainMenuWords &w = kMainMenuWords[menu_language()];
    const int centre = frame->w / 2;
    blit(bar, frame, 0, 0, l.bar_x, l.bar_y + kEntryStep * selection, kBarW, kBarH);
    if (l.has_title) draw_panel_rect(frame, l.title_panel, 0, false);
    draw_panel_rect(frame, l.body_panel, 0, false);
    for (int i = 0; i < kEntryCount; ++i)
        draw_panel_rect(frame, l.first_entry_panel, kEntryStep * i, i == selection);
    if (message)
        glyph_text(frame, centred_x(centre, message), l.message_y, message, cells);
    else if (l.has_title)
        glyph_text(frame, centred_x(centre, w.title), l.title_y, w.title, cells);
    for (int i = 0; i < kEntryCount; ++i)
        glyph_text(frame, centred_x(centre, w.entries[i]),
                   static_cast<int16_t>(l.first_entry_text_y + kEntryStep * i), w.entries[i], cells);
}

namespace {

struct MainMenuRun {
    MainMenuOwner &owner;
    MenuResources res;
    int selection = kEntryPlay;
    int bar_scroll = 0;
    int32_t result = kMenuLeave;
    bool done = false;
    int not_saved_frames = 0; // frames left to say the settings were not saved
};

// Opens what entry `entry` stands for; the confirm sample has been played.
void open_entry(MainMenuRun &run, int entry) {
    run.selection = entry;
    switch (entry) {
    case kEntryPlay:
        run.result = play_menu(run.res);
        run.done = run.result != 0;
        break;
    case kEntryLevel:
        level_browser(run.res);
        break;
    case kEntrySetUp:
        // The words and keys are read from the table every frame, so a new
        // language shows as soon as the set-up menu returns.
        run.not_saved_frames = setup_menu(run.res) ? 0 : kNotSavedFrames;
        break;
    default:
        run.result = kMenuLeave;
        run.done = true;
        break;
    }
}

void take_keys(MainMenuRun &run) {
    if (menu_keys_gone()) {
        run.result = kMenuLeave;
        run.done = true;
        return;
    }
    switch (first_key_down(kNavigationKeys, 4)) {
    case kNavBack:
        play_menu_sample(run.res.cancel_sample);
        run.result = kMenuLeave;
        run.done = true;
        return;
    case kNavUp:
        play_menu_sample(run.res.move_sample);
        run.selection = (run.selection + kEntryCount - 1) % kEntryCount;
        wait_key_release(Key::Up);
        return;
    case kNavDown:
        play_menu_sample(run.res.move_sample);
        run.selection = (run.selection + 1) % kEntryCount;
        wait_key_release(Key::Down);
        return;
    case kNavEnter:
        play_menu_sample(run.res.confirm_sample);
        wait_key_release(Key::Enter);
        open_entry(run, run.selection);
        return;
    default:
        break;
    }
    const Key *hotkeys = kMainMenuWords[menu_language()].hotkeys;
    const int entry = first_key_down(hotkeys, kEntryCount);
    if (entry < 0) return;
    if (entry == kEntryExit) {
        // The exit key leaves at once, without a sound.
        input_clear_keybuf();
        run.selection = kEntryExit;
        run.result = kMenuLeave;
        run.done = true;
        return;
    }
    play_menu_sample(run.res.confirm_sample);
    wait_key_release(hotkeys[entry]);
    open_entry(run, entry);
}

} // namespace

int32_t main_menu() {
    auto owner = std::make_unique<MainMenuOwner>();
    if (!create_buffers(*owner)) {
        std::fputs("vespertil: out of memory for the menu\n", stderr);
        return kMenuLeave;
    }
    fill_menu_wave_tables();
    load_pictures(*owner);

    const MenuResources first = owner->resources();
    draw_menu_background(first, owner->ripple_phase, owner->bounce_phase);
    show_picture(menu_frame(first));
    tick_counter = 0;
    cut_tile_sheet("GFX/menu_spr.pcx", owner->menu.cells); // names a missing sheet itself
    clear_bitmap(owner->frames[0].get());
    clear_bitmap(owner->frames[1].get());
    start_sound(*owner);
    // The screens are handed the resources only now that the samples are loaded.
    MainMenuRun run{*owner, owner->resources()};

    while (!run.done) {
        BITMAP *frame = menu_frame(run.res);
        draw_menu_background(run.res, owner->ripple_phase, owner->bounce_phase);
        advance_menu_phases(owner->ripple_phase, owner->bounce_phase);
        tile_selection_bar(owner->bar.get(), owner->menu.cells, run.bar_scroll);
        const char *message = nullptr;
        if (run.not_saved_frames > 0) {
            --run.not_saved_frames;
            message = settings_not_saved_words();
        }
        draw_main_menu(frame, owner->bar.get(), owner->menu.cells, run.selection, message);
        show_menu_frame(run.res);
        take_keys(run);
        menu_wait_frame();
    }
    return run.result;
}
