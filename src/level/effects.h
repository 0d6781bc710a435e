// The moving parts of a map's look: the wave table behind the waving and wobbling
// backdrops, the scrolling sky, the torches that flicker by turns, the hero's light,
// the sparks that trail him, the drifting shapes, the rain with its wind, and the
// lightning. Everything they keep between frames lives in one EffectState that the
// level run owns and starts afresh at every level start; the renderer draws with it
// and moves it on, and the level run sets it up at the moments of the room loop.
//
// Cosmetic randomness lives here and only here: every draw comes from rand(), so a
// replay plays the rules the same whatever the effects drew, and a test that calls
// srand() first sees the same effects every time.
#pragma once

#include "core/cell_set.h"
#include "level/hero.h"
#include "world/map_format.h"

#include <cstdint>

struct BITMAP;
struct MapLook;

constexpr int kWaveTableSize = kBackdropHeight; // one entry a view row: 144
constexpr int kWobbleWrap = 72;                 // the shrunken copy's wobble repeats
constexpr int kSparkSteps = 10;                 // a spark's little circle
constexpr int kSparkTrail = 10;                 // sparks a side, oldest first
constexpr int kSparkCount = 2 * kSparkTrail;    // records 0..9 left, 10..19 right
constexpr int kParticleCount = 100;
constexpr int kMinDrifters = 5;
constexpr int kMaxDrifters = kParticleCount;
constexpr int kRainDropCount = 200;
constexpr int kRainRows = 4;                    // rain and lightning in world rows 0..3
constexpr int kWindLimit = 255;
constexpr int kMaxWindStep = 5;                 // wind steps are drawn from -5..4
constexpr int kWorkBitmapW = 232, kWorkBitmapH = 138; // the shrunken copy

// A spark's offset round its little circle: trunc(2 sin(i 2pi / 10)) and
// trunc(2 cos(i 2pi / 10)).
constexpr int8_t kSparkDx[kSparkSteps] = {0, 1, 1, 1, 1, 0, -1, -1, -1, -1};
constexpr int8_t kSparkDy[kSparkSteps] = {2, 1, 0, 0, -1, -1, -1, 0, 0, 1};

// A spark (x, y in pixels, frame 0/24/48/72 in record 0 only, phase 0..9) or a
// drifting shape (x, y, dx, dy in 1/256 pixel).
struct EffectParticle {
    int32_t x, y, dx, dy, frame, phase;
};

struct RainDrop {
    int32_t x, y;   // 1/256 pixel
    int32_t length; // pixels, 2..4
};

// A thunder clap the renderer asks for; the level's cues play it.
struct ThunderCue {
    bool due;
    int32_t pan;       // 0..255
    int32_t frequency; // 500..1499, 1000 is the recorded pitch
};

// Which rain loop plays: none yet, the upper rows' or the bottom row's.
enum class RainLoop : int32_t { None = 0, Upper = 1, Bottom = 2 };

struct EffectState {
    int32_t wave_table[kWaveTableSize];
    int32_t wave_phase;        // 0..143: the first view row's entry of the waving backdrop
    int32_t scroll_offset;     // 0..239: the scrolling backdrop
    int32_t tile_anim_counter; // 0..3: shared by every torch drawn, in scan order
    int32_t wobble_x, wobble_y; // 0..71: the shrunken copy's place in the wave table
    int32_t spark_phase;       // 0..9
    EffectParticle particles[kParticleCount];
    int16_t drifter_count;     // 5..100
    RainDrop rain_drops[kRainDropCount];
    int32_t wind, wind_step, wind_timer;
    int32_t flash_active, flash_count;
    RainLoop rain_loop;
    ThunderCue thunder;
    BITMAP *work; // 232 x 138, owned by the level run; the shrunken copy is made here
};

// ---- Set-up at the moments of the level run ------------------------------------------

// Level start: everything back to its first state, the wave table filled (two
// periods, -7..7), no rain loop yet. `work` is the run's 232 x 138 bitmap.
void start_level_effects(EffectState &fx, BITMAP *work);
// Before the first picture: the sparks at the hero, the drifters scattered, the rain
// drops placed, as the look wants.
void prepare_first_picture(EffectState &fx, const MapLook &look, const HeroState &hero);
// After the first picture has been shown: the sparks start their circle again.
void after_first_picture(EffectState &fx, const MapLook &look);
// At every room entry: the sparks at the hero, the dream screen's small wave table,
// the wobble back to its start.
void enter_room_effects(EffectState &fx, const MapLook &look, const HeroState &hero);
// When the hero has left a room (or the level ends): the drifters scatter anew.
void leave_room_effects(EffectState &fx, const MapLook &look);

// The pieces, for the set-up above and for tests.
void fill_wave_table(int32_t (&table)[kWaveTableSize]);       // -7..7, level start
void fill_small_wave_table(int32_t (&table)[kWaveTableSize]); // -3..3, dream rooms
void place_sparks(EffectState &fx, const HeroState &hero);
void scatter_drifters(EffectState &fx);
void place_rain_drops(EffectState &fx);

// ---- Per frame, from the renderer ------------------------------------------------------
// Each moves its own state on by one frame.

// One chance in a hundred, in the rain's rows, of a flash of 2..6 frames with a
// thunder clap at a random pan and pitch. Draws rand() four times when it strikes
// (trigger, length, pitch, pan), once otherwise.
void trigger_lightning(EffectState &fx, int room_row);
// The waving backdrop: each row shifted by the wave table, the gap filled with the
// row's edge colour. No picture: black.
void draw_waving_backdrop(EffectState &fx, BITMAP *picture, BITMAP *view);
// The sky drifting right a pixel a frame. No picture: the view keeps what it held.
void draw_scrolling_backdrop(EffectState &fx, BITMAP *picture, BITMAP *view);
// The dream screens: the backdrop laid translucently over the last frame, then the
// whole view shrunk and laid back over itself, wobbling (`wobble`) or still.
void draw_trail_backdrop(EffectState &fx, BITMAP *picture, bool wobble, BITMAP *view);
// A torch front cell moves the shared counter; every fourth torch drawn steps its
// cell (in the room record) to the next frame. Returns the cell to draw.
int16_t animate_torch(EffectState &fx, int16_t &front_tile);
void draw_hero_light(const HeroState &hero, const CellSet &sprites, BITMAP *view);
void draw_sparks(EffectState &fx, const HeroState &hero, const CellSet &sprites, BITMAP *view);
void draw_drifters(EffectState &fx, const CellSet &sprites, BITMAP *view);
// The wind's next value (also for tests, with no drawing).
void blow_wind(EffectState &fx);
void draw_rain(EffectState &fx, BITMAP *view);
void draw_lightning_flash(EffectState &fx, BITMAP *view);
