// The level browser: its words and layout, the list window and the frame loop.
#include "menus/level_browser.h"

#include "core/game_config.h"
#include "core/owners.h"
#include "level/play.h"
#include "level/rules.h"
#include "menus/file_list.h"
#include "ui/panel.h"
#include "ui/text.h"
#include "ui/transitions.h"

#include <allegro.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct BrowserWords {
    const char *title;
    const char *empty;
};

constexpr BrowserWords kBrowserWords[kLanguageCount] = {
    {"FASE", "VACIO"},
    {"LEVEL", "EMPTY"},
    {"PHASE", "VIDE"},
    {"LIVELLO", "VUOTO"},
    {"EBENE", "EMPTY"},
};

constexpr int kListW = 192;
constexpr int kRowH = 16;
constexpr int kBarCell = 169;
constexpr int kBarRows = 2, kBarColumns = 14;

// Panels and texts relative to the browser's origin.
constexpr int16_t kTitlePanel[4] = {0, 0, 212, 36};
constexpr int16_t kListPanel[4] = {0, 41, 212, 189};
constexpr int16_t kTitleY = 10, kListX = 10, kListY = 51;

constexpr Key kBrowserKeys[] = {Key::Esc, Key::Down, Key::Up, Key::Enter};
enum { kBack = 0, kDown = 1, kUp = 2, kEnter = 3 };

struct BrowserRun {
    const MenuResources &res;
    int32_t ripple, bounce;
    FileList list;
    OwnedBitmap window; // the rows shown, 192 x 128
    OwnedBitmap bar;    // 192 x 16
    int selection = 0;
    int bar_scroll = 0;
    bool done = false;
    explicit BrowserRun(const MenuResources &r)
        : res(r), ripple(*r.ripple_phase), bounce(*r.bounce_phase) {}
    ~BrowserRun() { free_file_list(&list); }
};

int origin_x(const BITMAP *frame) { return frame->w / 2 - 106; }
int origin_y(const BITMAP *frame) { return game_config.low_resolution ? frame->h / 2 - 95 : 240; }

void tile_bar(BrowserRun &run) {
    BITMAP *cell = (*run.res.menu_cells)[kBarCell];
    if (!cell) return;
    for (int r = 0; r < kBarRows; ++r)
        for (int c = 0; c < kBarColumns; ++c)
            blit(cell, run.bar.get(), 0, 0, run.bar_scroll + kCellSize * c - kCellSize,
                 kCellSize * r - run.bar_scroll, kCellSize, kCellSize);
    if (++run.bar_scroll >= kCellSize) run.bar_scroll = 0;
}

// The name as drawn: at most 15 characters.
void shown_name(const FileListEntry &e, char out[kBrowserNameChars + 1]) {
    std::size_t i = 0;
    for (; i < kBrowserNameChars && e.name[i]; ++i) out[i] = e.name[i];
    out[i] = '\0';
}

// Only the rows in the window are drawn; the bar sits under the selected one.
void draw_list(BrowserRun &run, BITMAP *frame, int x0, int y0) {
    BITMAP *win = run.window.get();
    clear_to_color(win, bitmap_mask_color(win));
    tile_bar(run);
    const int top = browser_window_top(run.selection);
    blit(run.bar.get(), win, 0, 0, 0, kRowH * (run.selection - top), kListW, kRowH);
    const int shown = static_cast<int>(run.list.count) < kBrowserRows
                          ? static_cast<int>(run.list.count) : kBrowserRows;
    for (int i = 0; i < shown; ++i) {
        char name[kBrowserNameChars + 1];
        shown_name(run.list.entries[top + i], name);
        glyph_text(win, centred_x(kListW / 2, name), static_cast<int16_t>(kRowH * i), name,
                   *run.res.menu_cells);
    }
    masked_blit(win, frame, 0, 0, x0 + kListX, y0 + kListY, kListW, kRowH * shown);
}

void draw_browser(BrowserRun &run, BITMAP *frame) {
    const BrowserWords &w = kBrowserWords[menu_language()];
    const int x0 = origin_x(frame), y0 = origin_y(frame);
    draw_panel(frame, static_cast<int16_t>(x0 + kTitlePanel[0]), static_cast<int16_t>(y0 + kTitlePanel[1]),
               static_cast<int16_t>(x0 + kTitlePanel[2]), static_cast<int16_t>(y0 + kTitlePanel[3]),
               kPanelDim);
    draw_panel(frame, static_cast<int16_t>(x0 + kListPanel[0]), static_cast<int16_t>(y0 + kListPanel[1]),
               static_cast<int16_t>(x0 + kListPanel[2]), static_cast<int16_t>(y0 + kListPanel[3]),
               kPanelDim);
    const int centre = frame->w / 2;
    glyph_text(frame, centred_x(centre, w.title), static_cast<int16_t>(y0 + kTitleY), w.title,
               *run.res.menu_cells);
    if (run.list.count > 0)
        draw_list(run, frame, x0, y0);
    else
        glyph_text(frame, centred_x(centre, w.empty), static_cast<int16_t>(y0 + kListY), w.empty,
                   *run.res.menu_cells);
}

// Plays the chosen map by its full name, then brings the menu back.
void play_selected(BrowserRun &run) {
    const LevelResult result = [&] {
        if (game_config.sound_available == 1) music_stop();
        return play_level(run.list.entries[run.selection].name);
    }();
    draw_menu_background(run.res, run.ripple, run.bounce);
    show_picture(menu_frame(run.res));
    if (game_config.sound_available == 1) music_play(menu_music, 1);
    input_clear_keybuf();
    // Quitting a level (or running out of energy) comes back to the list; anything
    // else closes the browser.
    if (result != LevelResult::Left) run.done = true;
}

void take_keys(BrowserRun &run) {
    if (menu_keys_gone()) {
        run.done = true;
        return;
    }
    const int last = static_cast<int>(run.list.count) - 1;
    switch (first_key_down(kBrowserKeys, 4)) {
    case kBack:
        play_menu_sample(run.res.cancel_sample);
        wait_key_release(Key::Esc);
        run.done = true;
        return;
    case kDown:
        play_menu_sample(run.res.move_sample);
        if (run.selection < last) ++run.selection;
        wait_key_release(Key::Down);
        return;
    case kUp:
        play_menu_sample(run.res.move_sample);
        if (run.selection > 0) --run.selection;
        wait_key_release(Key::Up);
        return;
    case kEnter:
        play_menu_sample(run.res.confirm_sample);
        wait_key_release(Key::Enter);
        // With no map there is nothing to play.
        if (run.list.count > 0) play_selected(run);
        return;
    default:
        break;
    }
    if (!input_keypressed()) return;
    const int c = input_readkey() & 0xFF;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
        play_menu_sample(run.res.move_sample);
        run.selection = find_entry_by_initial(run.list, c, run.selection);
        input_clear_keybuf();
    }
}

} // namespace

void level_browser(const MenuResources &res) {
    auto run = std::make_unique<BrowserRun>(res);
    run->list = list_map_files(kMapPattern);
    run->window.reset(create_bitmap(kListW, kRowH * kBrowserRows));
    run->bar.reset(create_bitmap(kListW, kRowH));
    if (!run->window || !run->bar) {
        std::fputs("vespertil: out of memory for the level list\n", stderr);
        return;
    }
    // The ENTER that opened the browser must not also play the first map.
    while (input_key_down(Key::Enter) && !input_replay_finished()) {
        input_next_frame();
        wait_ticks(1);
    }
    while (!run->done) {
        BITMAP *frame = menu_frame(res);
        draw_menu_background(res, run->ripple, run->bounce);
        draw_browser(*run, frame);
        take_keys(*run);
        advance_menu_phases(run->ripple, run->bounce);
        menu_wait_frame();
        show_menu_frame(res);
    }
    *res.ripple_phase = run->ripple;
    *res.bounce_phase = run->bounce;
}
