// The level run: everything one map's play needs, from set-up to clean-up, owned by
// one record so that every way out releases all of it.
#include "level/play.h"

#include "core/game_config.h"
#include "core/owners.h"
#include "core/paths.h"
#include "level/cues.h"
#include "level/debug_line.h"
#include "level/effects.h"
#include "level/hud.h"
#include "level/intro.h"
#include "level/present.h"
#include "level/render.h"
#include "level/snapshot.h"
#include "music/music.h"
#include "ui/text.h"
#include "ui/transitions.h"
#include "world/map_file.h"
#include "world/tile_sheet.h"
#include "world/map_identity.h"

#include <allegro.h>

#include <cstring>
#include <memory>

namespace {

// ---- Owners ------------------------------------------------------------------------

// A bitmap for the level's own drawing: a system bitmap where there is a screen
// driver, a memory bitmap in headless runs.
BITMAP *make_level_bitmap(int w, int h) {
    return gfx_driver ? create_system_bitmap(w, h) : create_bitmap(w, h);
}

bool create_cells(OwnedCells &set) {
    for (BITMAP *&b : set.cells)
        if (!(b = make_level_bitmap(kCellSize, kCellSize))) return false;
    return true;
}

struct OwnedModule {
    MusicModule module = nullptr;
    ~OwnedModule() { music_destroy(module); } // stops it first when it plays
};

BITMAP *load_level_picture(const char *name) {
    BITMAP *b = data_load_pcx(name, nullptr);
    if (!b) report_data_problem(name, "is missing or not a picture the game can read");
    return b;
}

// ---- The run -----------------------------------------------------------------------

constexpr int kFrameTicks = 2;   // one frame every two 17 ms ticks
constexpr int kTitleY = 12;
constexpr int kFrameTop = 40;    // the 640 x 400 frame picture sits 40 rows down
constexpr int kPlayScreenLowW = 320, kPlayScreenLowH = 200;
constexpr int kPlayScreenHighW = 640, kPlayScreenHighH = 480;

struct LevelRun {
    // Declared first, released last: the module outlives the samples and bitmaps.
    OwnedModule music;
    LevelMap map{};
    PlayState state{};
    char name[kMapNameSize] = {};

    OwnedCells menu_cells, room_tiles, sprite_tiles;
    OwnedBitmap backdrop_owners[kBackdropCount];
    BITMAP *backdrops[kBackdropCount] = {};
    OwnedBitmap view, strip, doubled, screen_copy, picture, frame_picture, bar_full, bar_empty;
    OwnedBitmap effect_work;

    OwnedSample cue_owners[kLevelCueCount];
    LevelCueSamples cues{};
    OwnedSample weather_owners[kWeatherSampleCount];
    WeatherSamples weather{};

    MapLook look = kPlainLook;
    EffectState fx{};
    SnapshotState snapshot;
    bool debug_line = false;

    const LevelObserver *observer = nullptr;
    int frames = 0;
    bool low = false;
};

bool create_bitmaps(LevelRun &run) {
    run.strip.reset(make_level_bitmap(kDoubledW, 1));
    run.doubled.reset(make_level_bitmap(kDoubledW, kDoubledH));
    run.screen_copy.reset(make_level_bitmap(video_w(), video_h()));
    run.view.reset(make_level_bitmap(kBackdropWidth, kBackdropHeight));
    run.effect_work.reset(make_level_bitmap(kWorkBitmapW, kWorkBitmapH));
    if (!run.strip || !run.doubled || !run.screen_copy || !run.view || !run.effect_work)
        return false;
    if (!create_cells(run.menu_cells) || !create_cells(run.room_tiles) ||
        !create_cells(run.sprite_tiles))
        return false;
    for (int i = 0; i < kBackdropCount; ++i) {
        run.backdrop_owners[i].reset(make_level_bitmap(kBackdropWidth, kBackdropHeight));
        if (!run.backdrop_owners[i]) return false;
        run.backdrops[i] = run.backdrop_owners[i].get();
        clear_bitmap(run.backdrops[i]);
    }
    for (BITMAP *b : run.room_tiles.cells) clear_to_color(b, bitmap_mask_color(b));
    for (BITMAP *b : run.sprite_tiles.cells) clear_to_color(b, bitmap_mask_color(b));
    clear_to_color(run.strip.get(), makecol(0, 0, 0));
    clear_bitmap(run.view.get());
    return true;
}

void draw_room(LevelRun &run) {
    render_room(RoomScene{run.look, run.map, run.state, run.room_tiles.cells,
                          run.sprite_tiles.cells, run.backdrops, run.view.get(), run.fx});
}

// The first image of the level, revealed by a transition: frame, room, full bar and,
// at 640 x 480, the map's title.
void show_play_screen(LevelRun &run) {
    if (run.low) {
        run.frame_picture.reset(load_level_picture("GFX/MARCO_BAJA.PCX"));
        run.bar_full.reset(load_level_picture("GFX/VIDA_FULL_BAJA.PCX"));
        run.bar_empty.reset(load_level_picture("GFX/VIDA_EMPTY_BAJA.PCX"));
        run.picture.reset(make_level_bitmap(kPlayScreenLowW, kPlayScreenLowH));
        if (!run.picture) return;
        clear_bitmap(run.picture.get());
        if (run.frame_picture) blit(run.frame_picture.get(), run.picture.get(), 0, 0, 0, 0,
                                    kPlayScreenLowW, kPlayScreenLowH);
    } else {
        run.frame_picture.reset(load_level_picture("GFX/MARCO.PCX"));
        run.picture.reset(make_level_bitmap(kPlayScreenHighW, kPlayScreenHighH));
        if (!run.picture) return;
        clear_to_color(run.picture.get(), makecol(0, 0, 0));
        if (run.frame_picture) blit(run.frame_picture.get(), run.picture.get(), 0, 0, 0,
                                    kFrameTop, kPlayScreenHighW, kPlayScreenHighH - kFrameTop);
        run.bar_full.reset(load_level_picture("GFX/VIDA_FULL.PCX"));
        run.bar_empty.reset(load_level_picture("GFX/VIDA_EMPTY.PCX"));
    }
    draw_room(run);
    present_room_view_to(run.view.get(), run.strip.get(), run.doubled.get(), run.picture.get());
    draw_energy_bar_to(run.state.hero.energy, run.bar_empty.get(), run.bar_full.get(),
                       run.picture.get());
    if (!run.low) {
        const char *title = run.map.header.title.text;
        int x = video_w() / 2 - 8 * static_cast<int>(strlen(title));
        glyph_text(run.picture.get(), static_cast<int16_t>(x), kTitleY, title,
                   run.sprite_tiles.cells);
    }
    show_picture(run.picture.get());
}

void load_cue_samples(LevelRun &run) {
    for (int i = 0; i < kLevelCueCount; ++i) {
        run.cue_owners[i].reset(data_load_sample(kLevelCueFiles[i]));
        if (!run.cue_owners[i])
            report_data_problem(kLevelCueFiles[i], "is missing or not a sample the game can play");
        run.cues.sample[i] = run.cue_owners[i].get();
    }
}

// The rainy map's loops and thunder. False when a rain loop is missing: the level
// cannot be played without it. A missing thunder only silences the lightning.
bool load_weather_samples(LevelRun &run) {
    for (int i = 0; i < kWeatherSampleCount; ++i) {
        run.weather_owners[i].reset(data_load_sample(kWeatherFiles[i]));
        run.weather.sample[i] = run.weather_owners[i].get();
        if (!run.weather.sample[i]) {
            report_data_problem(kWeatherFiles[i], "is missing or not a sample the game can play");
            if (i != kThunder) return false;
        }
    }
    return true;
}

// ---- The frame ---------------------------------------------------------------------

// Once D has been held the debug line shows at the start of every frame.
void debug_line_step(LevelRun &run, KeyRecord keys) {
    if (keys & kDebugLineKeys) run.debug_line = true;
    const int room = current_room_index(run.state);
    if (run.debug_line && room >= 0 && room < kRoomCount)
        draw_debug_line(video_screen(), run.state.hero, run.map.rooms[room]);
}

void run_frame(LevelRun &run, KeyRecord keys, FrameEvents &ev) {
    PlayState &s = run.state;
    debug_line_step(run, keys);
    frame_rules_before_render(s, run.map, keys, ev);
    draw_room(run);
    play_thunder(run.fx.thunder, run.weather);
    frame_rules_after_render(s, run.map, ev);
    play_level_cues(ev, run.cues);
    if (ev.energy_changed)
        draw_energy_bar(s.hero.energy, run.bar_empty.get(), run.bar_full.get());
    present_room_view(run.view.get(), run.strip.get(), run.doubled.get());
    snapshot_step(run.snapshot, keys, video_screen(), run.screen_copy.get(), run.menu_cells.cells);
}

// The keys of the next frame; false when a replay has none left.
bool next_frame_keys(const LevelRun &run, KeyRecord &keys) {
    input_next_frame();
    if (input_replay_finished()) return false;
    keys = input_key_record();
    if (run.observer && run.observer->keys_used)
        run.observer->keys_used(run.observer->context, keys);
    return true;
}

void stop_unfinished(PlayState &s) {
    s.result = LevelResult::Unfinished;
    s.quit = true;
    s.room_exit = true;
}

// Frames until the hero leaves the room or the level ends. The first frame plays
// with the record that closed the intro panel.
void run_room(LevelRun &run, KeyRecord &keys) {
    PlayState &s = run.state;
    while (!s.room_exit) {
        if (run.frames > 0 && !next_frame_keys(run, keys)) {
            stop_unfinished(s);
            return;
        }
        ++run.frames;
        FrameEvents ev;
        run_frame(run, keys, ev);
        if (run.observer && run.observer->frame_done)
            run.observer->frame_done(run.observer->context, run.frames, s, ev);
        wait_ticks(kFrameTicks);
    }
}

void run_rooms(LevelRun &run, KeyRecord first_keys) {
    KeyRecord keys = first_keys;
    while (!run.state.quit) {
        if (has_effect(run.look, kRain))
            switch_rain_loop(run.state.room_row, run.fx.rain_loop, run.weather);
        enter_room(run.state, run.map);
        enter_room_effects(run.fx, run.look, run.state.hero);
        run_room(run, keys);
        leave_room_effects(run.fx, run.look);
    }
}

LevelResult finish(const LevelRun &run, LevelOutcome *outcome, LevelResult result) {
    if (outcome) {
        outcome->result = result;
        outcome->frames = run.frames;
        outcome->switches = run.state.hero.switches_thrown;
        outcome->energy = run.state.hero.energy;
    }
    return result;
}

LevelResult play(LevelRun &run, const char *map_name, LevelOutcome *outcome) {
    run.low = game_config.low_resolution != 0;
    normalise_map_name(map_name, run.name, sizeof run.name);
    char music_name[kMapNameSize];
    music_file_name(run.name, music_name, sizeof music_name);
    run.music.module = music_load(music_name);
    music_set_volume(game_config.music_volume);

    if (!create_bitmaps(run)) {
        report_data_problem(run.name, "cannot be played: out of memory for its pictures");
        return finish(run, outcome, LevelResult::Unreadable);
    }
    cut_tile_sheet("GFX/menu_spr.pcx", run.menu_cells.cells);
    const MapLoad load = load_map(run.name, run.map.header, run.map.rooms, run.map.switches,
                                  run.map.refills, run.backdrops, run.room_tiles.cells,
                                  run.sprite_tiles.cells);
    if (!load.loaded) {
        report_data_problem(run.name, "is missing, or not a map the game can read");
        return finish(run, outcome, LevelResult::Unreadable);
    }
    run.look = map_look(level_map_id(run.name, load.file_id));
    start_level_effects(run.fx, run.effect_work.get());
    start_level_rules(run.state, run.map);
    prepare_first_picture(run.fx, run.look, run.state.hero);
    show_play_screen(run);
    after_first_picture(run.fx, run.look);

    KeyRecord closing = 0;
    if (!show_level_intro_panel(run.map.header.title.text, run.menu_cells.cells,
                                run.sprite_tiles.cells, run.screen_copy.get(), run.observer,
                                closing))
        return finish(run, outcome, LevelResult::Unfinished);
    if (game_config.sound_available) {
        music_play(run.music.module, 1);
        load_cue_samples(run);
        if (has_effect(run.look, kRain) && !load_weather_samples(run))
            return finish(run, outcome, LevelResult::NoRain);
    }
    run_rooms(run, closing);
    if (game_config.sound_available) {
        stop_weather(run.weather);
        music_stop();
    }
    return finish(run, outcome, run.state.result);
}

} // namespace

LevelResult play_level_observed(const char *map_name, const LevelObserver *observer,
                        LevelOutcome *outcome) {
    auto run = std::make_unique<LevelRun>();
    run->observer = observer;
    return play(*run, map_name ? map_name : "", outcome);
}

LevelResult play_level(const char *map_name) { return play_level_observed(map_name, nullptr, nullptr); }
