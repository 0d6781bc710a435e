// The play sub-menu: its words and layout, the password entry and the frame loop.
#include "menus/play_menu.h"

#include "core/game_config.h"
#include "menus/password.h"
#include "ui/panel.h"
#include "ui/text.h"

#include <allegro.h>

#include <cctype>

namespace {

struct PlayMenuWords {
    const char *title;
    const char *first_row;
    const char *password;
};

constexpr PlayMenuWords kPlayMenuWords[kLanguageCount] = {
    {"JUGAR", "FASE 1", "CLAVE"},
    {"PLAY", "LEVEL 1", "PASSWORD"},
    {"JOUER", "PHASE 1", "PASSWORD"},
    {"PLAY", "LEVEL 1", "PASSWORD"},
    {"SPIELEN", "EBENE 1", "PASSWORT"},
};

constexpr int16_t kFirstRowResult = 9;

// Panels relative to the menu's origin, and whether each lights with a row.
struct PanelPlace {
    int16_t x1, y1, x2, y2;
    int lit_row; // the selected row that makes it bright, -1 for never
};
constexpr PanelPlace kPlayMenuPanels[] = {
    {0, 0, 257, 36, -1},     // title
    {0, 41, 257, 138, -1},   // body
    {10, 51, 247, 87, 0},    // first row
    {10, 92, 158, 128, 1},   // password label
    {163, 92, 247, 128, 1},  // password entry
};
constexpr int16_t kTitleY = 10, kFirstRowY = 61, kPasswordY = 102;
constexpr int16_t kPasswordLabelCentre = 84, kCodeRightEnd = 237;

constexpr Key kPlayMenuKeys[] = {Key::Esc, Key::Down, Key::Up, Key::Enter};
enum { kBack = 0, kDown = 1, kUp = 2, kEnter = 3 };

struct PlayMenuRun {
    const MenuResources &res;
    int32_t ripple, bounce;
    int selection = 0;
    PasswordEntry entry;
    int16_t result = 0;
    bool done = false;
    explicit PlayMenuRun(const MenuResources &r)
        : res(r), ripple(*r.ripple_phase), bounce(*r.bounce_phase) {}
};

void draw_play_menu(BITMAP *frame, const PlayMenuRun &run) {
    const PlayMenuWords &w = kPlayMenuWords[menu_language()];
    const CellSet &cells = *run.res.menu_cells;
    const int x0 = frame->w / 2 - 128;
    const int y0 = game_config.low_resolution ? frame->h / 2 - 69 : 281;
    for (const PanelPlace &p : kPlayMenuPanels)
        draw_panel(frame, static_cast<int16_t>(x0 + p.x1), static_cast<int16_t>(y0 + p.y1),
                   static_cast<int16_t>(x0 + p.x2), static_cast<int16_t>(y0 + p.y2),
                   p.lit_row == run.selection ? kPanelBright : kPanelDim);
    const int centre = frame->w / 2;
    glyph_text(frame, centred_x(centre, w.title), static_cast<int16_t>(y0 + kTitleY), w.title, cells);
    glyph_text(frame, centred_x(centre, w.first_row), static_cast<int16_t>(y0 + kFirstRowY),
               w.first_row, cells);
    glyph_text(frame, centred_x(x0 + kPasswordLabelCentre, w.password),
               static_cast<int16_t>(y0 + kPasswordY), w.password, cells);
}

// The code is drawn so that its right end stays put as the cursor moves on.
void draw_code(BITMAP *frame, const PlayMenuRun &run) {
    const int x0 = frame->w / 2 - 128;
    const int y0 = game_config.low_resolution ? frame->h / 2 - 69 : 281;
    glyph_text(frame, static_cast<int16_t>(x0 + kCodeRightEnd - 16 * run.entry.cursor),
               static_cast<int16_t>(y0 + kPasswordY), run.entry.code, *run.res.menu_cells);
}

void take_keys(PlayMenuRun &run) {
    if (menu_keys_gone()) {
        run.done = true;
        return;
    }
    switch (first_key_down(kPlayMenuKeys, 4)) {
    case kBack:
        play_menu_sample(run.res.cancel_sample);
        wait_key_release(Key::Esc);
        run.done = true;
        break;
    case kDown:
    case kUp: // two rows: either way goes to the other one
        play_menu_sample(run.res.move_sample);
        run.selection = 1 - run.selection;
        wait_key_release(input_key_down(Key::Down) ? Key::Down : Key::Up);
        break;
    case kEnter:
        play_menu_sample(run.res.confirm_sample);
        wait_key_release(Key::Enter);
        if (run.selection == 0) {
            run.result = kFirstRowResult;
            run.done = true;
        } else {
            // A refused code leaves the entry as typed.
            run.result = decode_password(run.entry.code);
            run.done = run.result != 0;
        }
        break;
    default:
        break;
    }
}

} // namespace

void password_type_key(PasswordEntry &entry, int key_press) {
    if ((key_press >> 8) == KEY_BACKSPACE) {
        if (entry.cursor > 0) --entry.cursor;
        entry.code[entry.cursor] = 0;
        return;
    }
    const int c = static_cast<signed char>(key_press & 0xFF);
    if (entry.cursor < 4 && c >= 33 && c <= 127)
        entry.code[entry.cursor] = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (entry.cursor < 4) ++entry.cursor;
}

int16_t play_menu(const MenuResources &res) {
    PlayMenuRun run(res);
    while (!run.done) {
        BITMAP *frame = menu_frame(res);
        draw_menu_background(res, run.ripple, run.bounce);
        draw_play_menu(frame, run);
        take_keys(run);
        if (!run.done && run.selection == 1 && input_keypressed())
            password_type_key(run.entry, input_readkey());
        draw_code(frame, run);
        advance_menu_phases(run.ripple, run.bounce);
        menu_wait_frame();
        show_menu_frame(res);
    }
    *res.ripple_phase = run.ripple;
    *res.bounce_phase = run.bounce;
    return run.result;
}
