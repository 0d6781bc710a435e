// The set-up menu: its words and layout as tables, the resolution switch, the save
// on leaving and the frame loop.
#include "menus/setup_menu.h"

#include "core/game_config.h"
#include "core/settings.h"
#include "core/video_mode.h"
#include "menus/setup_rules.h"
#include "music/music.h"
#include "ui/backdrop.h"
#include "ui/panel.h"
#include "ui/text.h"

#include <allegro.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The words of one resolution: the low one has no title and no render row.
struct SetupWords {
    const char *title;
    const char *resolution;
    const char *high;
    const char *low;
    const char *render;
    const char *language;
    const char *effects;
    const char *music;
};

// Italian shows the English words of this menu.
constexpr SetupWords kSetupWordsHigh[kLanguageCount] = {
    {"CONFIGURACION", "RESOLUCION", "ALTA", "BAJA", "VOLCADO", "IDIOMA", "EFECTOS", "MUSICA"},
    {"SET UP", "RESOLUTION", "HIGH", "LOW", "RENDER", "LANGUAGE", "SFX", "MUSIC"},
    {"CONFIGURER", "RESOLUTION", "HAUT", "BAS", "RENDER", "LANGUE", "SFX", "MUSIQUE"},
    {"SET UP", "RESOLUTION", "HIGH", "LOW", "RENDER", "LANGUAGE", "SFX", "MUSIC"},
    {"KONGUGIEREN", "ERGEBNIS", "HOCH", "TIEF", "RENDER", "SPRACHE", "SFX", "MUSIK"},
};
constexpr SetupWords kSetupWordsLow[kLanguageCount] = {
    {"", "RES", "ALT", "BAJ", "", "IDIOMA", "EFECTOS", "MUSICA"},
    {"", "RES", "HI", "LO", "", "LANGUAGE", "SFX", "MUSIC"},
    {"", "RES", "HI", "LO", "", "LANGUE", "SFX", "MUSIQUE"},
    {"", "RES", "HI", "LO", "", "LANGUAGE", "SFX", "MUSIC"},
    {"", "ERG", "HO", "TI", "", "SPRACHE", "SFX", "MUSIK"},
};

// The value of the language row, in each language's own words ("n" draws the Ñ).
constexpr const char *kLanguageNames[kLanguageCount] = {
    "ESPAnOL", "ENGLISH", "FRANCAIS", "ITALIANO", "DEUTSCH"};

// What the screen says when the other resolution cannot be opened, and what the
// main menu says after a visit whose settings could not be written.
enum SetupStatus { kStatusNone = 0, kStatusNotSaved = 1, kStatusNoMode = 2 };
constexpr const char *kStatusWords[kLanguageCount][3] = {
    {"", "NO GUARDADO", "NO DISPONIBLE"},
    {"", "NOT SAVED", "NOT AVAILABLE"},
    {"", "NON SAUVE", "INDISPONIBLE"},
    {"", "NOT SAVED", "NOT AVAILABLE"},
    {"", "NICHT GESICHERT", "NICHT MOEGLICH"},
};

// Where a word goes: centred on `x`, or starting at `x` when `centred` is false;
// x < 0 means not drawn at that resolution.
struct TextPlace {
    int16_t x, y;
    bool centred;
};
struct SetupTextLayout {
    TextPlace title, resolution, high, low, render, language, language_name, effects, music;
    TextPlace status;
};
constexpr SetupTextLayout kSetupText[2] = {
    {{320, 87, true}, {230, 138, true}, {401, 138, true}, {490, 138, true}, {230, 179, true},
     {230, 220, true}, {445, 220, true}, {122, 277, false}, {122, 350, false}, {320, 87, true}},
    {{-1, 0, true}, {87, 20, true}, {194, 20, true}, {262, 20, true}, {-1, 0, true},
     {87, 46, true}, {228, 46, true}, {25, 88, false}, {25, 146, false}, {160, 184, true}},
};

// When a panel is drawn bright.
enum Lit { kNever, kOnRow, kOnRowAtHigh, kOnRowAtLow, kOnRowScanLines, kOnRowDoubled };
struct SetupPanel {
    int16_t x1, y1, x2, y2;
    Lit lit;
    int row;
};
constexpr SetupPanel kPanelsHigh[] = {
    {102, 77, 542, 113, kNever, 0},   {102, 118, 542, 402, kNever, 0},
    {112, 128, 349, 164, kOnRow, 0},  {359, 128, 443, 164, kOnRowAtHigh, 0},
    {448, 128, 532, 164, kNever, 0},  {112, 169, 349, 205, kOnRow, 1},
    {359, 169, 443, 205, kOnRowScanLines, 1}, {448, 169, 532, 205, kOnRowDoubled, 1},
    {112, 210, 349, 246, kOnRow, 2},  {359, 210, 532, 246, kOnRow, 2},
    {112, 251, 532, 319, kOnRow, 3},  {112, 324, 532, 392, kOnRow, 4},
};
constexpr SetupPanel kPanelsLow[] = {
    {10, 10, 302, 187, kNever, 0},   {15, 15, 159, 40, kOnRow, 0},
    {160, 15, 227, 40, kNever, 0},   {228, 15, 297, 40, kOnRowAtLow, 0},
    {15, 41, 159, 66, kOnRow, 2},    {160, 41, 297, 66, kOnRow, 2},
    {15, 67, 297, 124, kOnRow, 3},   {15, 125, 297, 182, kOnRow, 4},
};

// The two volume dials: where the dial goes (its top-left corner, also the grey
// ground's), the ground's far corner, and the frame round it (drawn at 640 x 480
// only). The 48 x 48 dial leaves one grey row under it at 640 x 480, where the
// ground fills the frame's whole inside (48 x 49) so no dark line shows there.
struct DialPlace {
    int16_t x, y;
    int16_t ground_x2, ground_y2;
    int16_t frame_x1, frame_y1, frame_x2, frame_y2;
    int row;
};
constexpr int16_t kDialMaximum = 256;
constexpr DialPlace kDialsHigh[2] = {{423, 261, 470, 309, 418, 256, 475, 314, kRowEffects},
                                     {423, 334, 470, 382, 418, 329, 475, 387, kRowMusic}};
constexpr DialPlace kDialsLow[2] = {{204, 72, 251, 119, 0, 0, 0, 0, kRowEffects},
                                    {204, 130, 251, 177, 0, 0, 0, 0, kRowMusic}};

// The render row's two previews: scan lines and plain.
constexpr int16_t kPreviewScan[4] = {364, 175, 438, 199};
constexpr int16_t kPreviewPlain[4] = {453, 175, 527, 199};

constexpr Key kArrowKeys[] = {Key::Up, Key::Down, Key::Left, Key::Right};
enum { kUp = 0, kDown = 1, kLeft = 2, kRight = 3 };

struct SetupRun {
    const MenuResources &res;
    int32_t ripple, bounce;
    int row = kRowResolution;
    bool changed = false;
    bool done = false;
    SetupStatus status = kStatusNone;
    explicit SetupRun(const MenuResources &r)
        : res(r), ripple(*r.ripple_phase), bounce(*r.bounce_phase) {}
};

bool panel_lit(const SetupPanel &p, int row) {
    if (p.lit == kNever || p.row != row) return false;
    switch (p.lit) {
    case kOnRowAtHigh: return game_config.low_resolution == 0;
    case kOnRowAtLow: return game_config.low_resolution != 0;
    case kOnRowScanLines: return game_config.render_mode == kRenderScanLines;
    case kOnRowDoubled: return game_config.render_mode == kRenderDoubled;
    default: return true;
    }
}

void place_text(BITMAP *frame, const TextPlace &p, const char *text, const CellSet &cells) {
    if (p.x < 0 || !text || !*text) return;
    glyph_text(frame, p.centred ? centred_x(p.x, text) : p.x, p.y, text, cells);
}

void draw_previews(BITMAP *frame) {
    const int white = makecol(255, 255, 255), grey = makecol(153, 153, 153);
    rectfill(frame, kPreviewScan[0], kPreviewScan[1], kPreviewScan[2], kPreviewScan[3], white);
    for (int y = kPreviewScan[1]; y <= kPreviewScan[3]; y += 2)
        hline(frame, kPreviewScan[0], y, kPreviewScan[2], grey);
    rectfill(frame, kPreviewPlain[0], kPreviewPlain[1], kPreviewPlain[2], kPreviewPlain[3], white);
}

void draw_dials(BITMAP *frame, const DialPlace (&dials)[2], bool framed, int row,
                const CellSet &cells) {
    const int grey = makecol(153, 153, 153);
    const int32_t values[2] = {game_config.effects_volume, game_config.music_volume};
    for (const DialPlace &d : dials)
        rectfill(frame, d.x, d.y, d.ground_x2, d.ground_y2, grey);
    if (framed)
        for (const DialPlace &d : dials)
            draw_panel(frame, d.frame_x1, d.frame_y1, d.frame_x2, d.frame_y2,
                       d.row == row ? kPanelBright : kPanelDim);
    for (int i = 0; i < 2; ++i)
        draw_dial(frame, dials[i].x, dials[i].y, static_cast<int16_t>(values[i]), kDialMaximum,
                  cells);
}

void draw_setup(BITMAP *frame, const SetupRun &run) {
    const bool low = game_config.low_resolution != 0;
    const int lang = menu_language();
    const SetupWords &w = low ? kSetupWordsLow[lang] : kSetupWordsHigh[lang];
    const SetupTextLayout &t = kSetupText[low ? 1 : 0];
    const CellSet &cells = *run.res.menu_cells;
    if (low) {
        for (const SetupPanel &p : kPanelsLow)
            draw_panel(frame, p.x1, p.y1, p.x2, p.y2, panel_lit(p, run.row) ? kPanelBright : kPanelDim);
    } else {
        for (const SetupPanel &p : kPanelsHigh)
            draw_panel(frame, p.x1, p.y1, p.x2, p.y2, panel_lit(p, run.row) ? kPanelBright : kPanelDim);
        draw_previews(frame);
    }
    // A message takes the title's place at 640 x 480.
    if (run.status == kStatusNone) place_text(frame, t.title, w.title, cells);
    place_text(frame, t.resolution, w.resolution, cells);
    place_text(frame, t.high, w.high, cells);
    place_text(frame, t.low, w.low, cells);
    place_text(frame, t.render, w.render, cells);
    place_text(frame, t.language, w.language, cells);
    place_text(frame, t.language_name, kLanguageNames[lang], cells);
    place_text(frame, t.effects, w.effects, cells);
    place_text(frame, t.music, w.music, cells);
    place_text(frame, t.status, kStatusWords[lang][run.status], cells);
    if (low)
        draw_dials(frame, kDialsLow, false, run.row, cells);
    else
        draw_dials(frame, kDialsHigh, true, run.row, cells);
}

// Opens the other resolution. When no colour depth takes it, the old mode is
// opened again and nothing changes.
bool switch_resolution(const MenuResources &res, bool to_low) {
    BITMAP *entering = res.frame_buffers[to_low ? 1 : 0];
    if (entering) clear_bitmap(entering);
    const bool windowed = game_config.windowed != 0;
    if (!set_video_mode(windowed, to_low, game_set_mode()).ok) {
        std::fprintf(stderr, "vespertil: the display refuses %s in every colour depth\n",
                     to_low ? "320 x 200" : "640 x 480");
        if (!set_video_mode(windowed, !to_low, game_set_mode()).ok) {
            std::fputs("vespertil: the display refuses the old mode too\n", stderr);
            allegro_exit();
            std::exit(1);
        }
        set_trans_blender(0, 0, 0, 64);
        return false;
    }
    set_trans_blender(0, 0, 0, 64);
    game_config.low_resolution = to_low ? 1 : 0;
    game_config.render_mode = render_mode_for_resolution(to_low);
    return true;
}

void take_arrow(SetupRun &run) {
    const int arrow = first_key_down(kArrowKeys, 4);
    if (arrow < 0) return;
    play_menu_sample(run.res.move_sample);
    const bool low = game_config.low_resolution != 0;
    if (arrow == kUp || arrow == kDown) {
        run.row = setup_row_after(run.row, arrow == kUp ? -1 : 1, low);
    } else {
        const SetupChange c = setup_left_right(run.row, arrow == kLeft ? -1 : 1, game_config);
        if (c.switch_resolution) {
            if (switch_resolution(run.res, !low)) {
                run.changed = true;
                run.status = kStatusNone;
                // The new mode may never report the release of the arrow held
                // across it; pressing it again does nothing at this resolution.
                input_forget_held_keys();
                return;
            }
            // Refused: the arrow is waited out like any other, or its key repeats
            // would try the refused mode again and again while it is held.
            run.status = kStatusNoMode;
        }
        if (c.music_volume) music_set_volume(game_config.music_volume);
        run.changed = run.changed || c.changed;
    }
    wait_key_release(kArrowKeys[arrow]);
}

// ESC or ENTER ends the menu after this frame; the frame is still drawn and its
// arrow taken, so a change made in it is saved with the rest.
void take_exit_keys(SetupRun &run) {
    if (menu_keys_gone()) {
        run.done = true;
    } else if (input_key_down(Key::Esc)) {
        play_menu_sample(run.res.cancel_sample);
        wait_key_release(Key::Esc);
        run.done = true;
    } else if (input_key_down(Key::Enter)) {
        play_menu_sample(run.res.confirm_sample);
        wait_key_release(Key::Enter);
        run.done = true;
    }
}

// The settings are written when something changed. A failed write does not hold
// the player in the menu: the settings stay in force for this run, and the main
// menu says so.
bool save_if_changed(const SetupRun &run) {
    if (!run.changed || save_settings_file(kSettingsFileName, game_config)) return true;
    std::fprintf(stderr, "vespertil: cannot write %s: the settings hold for this run only\n",
                 kSettingsFileName);
    return false;
}

} // namespace

bool setup_menu(const MenuResources &res) {
    SetupRun run(res);
    tick_counter = 0;
    while (!run.done) {
        take_exit_keys(run);
        BITMAP *frame = menu_frame(res);
        draw_menu_background(res, run.ripple, run.bounce);
        draw_setup(frame, run);
        take_arrow(run);
        advance_menu_phases(run.ripple, run.bounce);
        menu_wait_frame();
        show_menu_frame(res);
    }
    *res.ripple_phase = run.ripple;
    *res.bounce_phase = run.bounce;
    return save_if_changed(run);
}

const char *settings_not_saved_words() { return kStatusWords[menu_language()][kStatusNotSaved]; }
