// The per-map effects: their set-up at the level run's moments, and the drawing that
// moves them on a frame at a time.
#include "level/effects.h"

#include "level/look.h"

#include <allegro.h>

#include <cmath>

namespace {

constexpr int32_t kSubPixel = kSubPixels;
constexpr int kViewW = kBackdropWidth, kViewH = kBackdropHeight;

// Torches flicker through four cells that lie one under the other on the sheet.
constexpr int16_t kTorchFirst = 96;
constexpr int16_t kTorchLast = kTorchFirst + 3 * kAnimationStride; // 168
constexpr int kTorchTurns = 4; // the shared counter steps a torch on every fourth turn

// The hero's glow: four flickering pictures of 2 x 2 cells, picture r's quarters at
// these cells + r.
constexpr int kLightTopLeft = 98, kLightBottomLeft = 122, kLightTopRight = 146,
              kLightBottomRight = 170;
constexpr int kLightPictures = 4;

constexpr int kSparkCell = 98; // + record 0's frame
constexpr int kSparkFrameWrap = 96;
constexpr int kSparkStartSide = 16, kSparkSide = 12, kSparkRise = 8;

// A drifter is 2 x 2 cells; it leaves one side of the room and comes in at the other.
constexpr int kDrifterTopLeft = 166, kDrifterTopRight = 167, kDrifterBottomLeft = 190,
              kDrifterBottomRight = 191;
constexpr int32_t kDrifterMinX = -8191, kDrifterMaxX = 61439;
constexpr int32_t kDrifterMinY = -8191, kDrifterMaxY = 36863;

constexpr int32_t kRainFall = 1024;        // 4 pixels a frame
constexpr int32_t kRainBottom = 36608;     // 143 pixels
constexpr int32_t kRainWidth = 61184;      // 239 pixels: x wraps round this
constexpr int kWindDrift = 10, kWindSlant = 16;
constexpr int kLightningChance = 100, kLightningNumber = 7;

void cell_at(const CellSet &cells, int cell, BITMAP *view, int x, int y, bool translucent) {
    if (cell < 0 || cell >= kCellCount || !cells[cell]) return;
    if (translucent)
        draw_trans_sprite(view, cells[cell], x, y);
    else
        draw_sprite(view, cells[cell], x, y);
}

int wrap_up(int value, int limit) { return value >= limit ? 0 : value; }

// An entry of the wave table; an index outside it reads as no shift.
int wave_entry(const EffectState &fx, int i) {
    return i >= 0 && i < kWaveTableSize ? fx.wave_table[i] : 0;
}

int colour_of(BITMAP *view, int r, int g, int b) {
    return makecol_depth(bitmap_color_depth(view), r, g, b);
}

void translucent_fill(BITMAP *view, int x2, int y2, int colour) {
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    rectfill(view, 0, 0, x2, y2, colour);
    drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
}

} // namespace

// ---- Set-up ---------------------------------------------------------------------------

void fill_wave_table(int32_t (&table)[kWaveTableSize]) {
    for (int i = 0; i < kWaveTableSize; ++i)
        table[i] = static_cast<int32_t>(std::trunc(std::sin(i * 4.0 * 3.14159 / 144.0) * 8.0));
}

void fill_small_wave_table(int32_t (&table)[kWaveTableSize]) {
    for (int i = 0; i < kWaveTableSize; ++i)
        table[i] = static_cast<int32_t>(std::trunc(std::sin(i * 12.5663664 / 144.0) * 4.0));
}

void start_level_effects(EffectState &fx, BITMAP *work) {
    fx = EffectState{};
    fill_wave_table(fx.wave_table);
    fx.rain_loop = RainLoop::None;
    fx.work = work;
}

void place_sparks(EffectState &fx, const HeroState &hero) {
    const int px = hero.x >> 8, py = hero.y >> 8;
    for (int i = 0; i < kSparkTrail; ++i) {
        fx.particles[i] = EffectParticle{px - kSparkStartSide, py - kSparkRise, 0, 0, 0, 0};
        fx.particles[i + kSparkTrail] =
            EffectParticle{px + kSparkStartSide, py - kSparkRise, 0, 0, 0, 0};
    }
    fx.spark_phase = 0;
}

void scatter_drifters(EffectState &fx) {
    fx.drifter_count = static_cast<int16_t>(rand() % (kMaxDrifters - kMinDrifters + 1) + kMinDrifters);
    for (int i = 0; i < fx.drifter_count; ++i) {
        EffectParticle &p = fx.particles[i];
        p.x = (rand() % 272 - 32) * kSubPixel;
        p.y = (rand() % 176 - 32) * kSubPixel;
        p.dx = rand() % 512 - 256;
        p.dy = rand() % 512 - 256;
    }
}

void place_rain_drops(EffectState &fx) {
    for (RainDrop &d : fx.rain_drops) {
        d.x = (rand() % kViewW) * kSubPixel;
        d.y = (rand() % kViewH) * kSubPixel;
        d.length = rand() % 3 + 2;
    }
}

void prepare_first_picture(EffectState &fx, const MapLook &look, const HeroState &hero) {
    if (has_effect(look, kSparks)) place_sparks(fx, hero);
    if (has_effect(look, kDrifters)) scatter_drifters(fx);
    if (has_effect(look, kRain)) place_rain_drops(fx);
}

void after_first_picture(EffectState &fx, const MapLook &look) {
    if (has_effect(look, kSparks)) fx.spark_phase = 0;
    // Sound starts with play: a clap struck for the first picture goes unheard.
    fx.thunder.due = false;
}

void enter_room_effects(EffectState &fx, const MapLook &look, const HeroState &hero) {
    if (has_effect(look, kSparks)) place_sparks(fx, hero);
    if (has_effect(look, kSmallWobble)) fill_small_wave_table(fx.wave_table);
    fx.wobble_x = fx.wobble_y = 0;
}

void leave_room_effects(EffectState &fx, const MapLook &look) {
    if (has_effect(look, kDrifters)) scatter_drifters(fx);
}

// ---- Per frame ------------------------------------------------------------------------

void trigger_lightning(EffectState &fx, int room_row) {
    if (rand() % kLightningChance != kLightningNumber || room_row >= kRainRows) return;
    fx.flash_active = 1;
    fx.flash_count = rand() % 5 + 2;
    // Drawn whether or not a sound will play, so the pictures do not depend on it.
    fx.thunder.frequency = rand() % 1000 + 500;
    fx.thunder.pan = rand() % 256;
    fx.thunder.due = true;
}

void draw_waving_backdrop(EffectState &fx, BITMAP *picture, BITMAP *view) {
    if (!picture) {
        rectfill(view, 0, 0, kViewW - 1, kViewH - 1, 0);
    } else {
        for (int y = 0; y < kViewH; ++y) {
            int s = fx.wave_phase + y;
            if (s >= kWaveTableSize) s -= kWaveTableSize;
            const int shift = wave_entry(fx, s);
            // The row moves sideways; the gap it leaves takes the colour of its edge.
            if (shift < 0)
                hline(view, shift + kViewW, y, kViewW - 1, getpixel(picture, kViewW - 1, y));
            else
                hline(view, 0, y, shift, getpixel(picture, 0, y));
            blit(picture, view, 0, y, shift, y, kViewW, 1);
        }
    }
    fx.wave_phase = wrap_up(fx.wave_phase + 1, kWaveTableSize);
}

void draw_scrolling_backdrop(EffectState &fx, BITMAP *picture, BITMAP *view) {
    if (!picture) return; // the view keeps the last frame's picture behind the cells
    const int offset = fx.scroll_offset;
    blit(picture, view, 0, 0, offset, 0, kViewW - offset, kViewH);
    blit(picture, view, kViewW - offset, 0, 0, 0, offset, kViewH);
    fx.scroll_offset = wrap_up(offset + 1, kViewW);
}

void draw_trail_backdrop(EffectState &fx, BITMAP *picture, bool wobble, BITMAP *view) {
    // Only a quarter of the new picture each frame: what moved leaves a fading trail.
    if (picture)
        draw_trans_sprite(view, picture, 0, 0);
    else
        translucent_fill(view, kViewW - 1, kViewH - 1, 0);
    if (!fx.work) return;
    stretch_blit(view, fx.work, 0, 0, kViewW, kViewH, 0, 0, kWorkBitmapW, kWorkBitmapH);
    int x = 4, y = 3;
    if (wobble) {
        x += wave_entry(fx, fx.wobble_x);
        y += wave_entry(fx, fx.wobble_y) >> 1;
    }
    draw_sprite(view, fx.work, x, y);
    fx.wobble_x = wrap_up(fx.wobble_x + 1, kWobbleWrap);
    fx.wobble_y = wrap_up(fx.wobble_y + 2, kWobbleWrap);
}

int16_t animate_torch(EffectState &fx, int16_t &front_tile) {
    if (front_tile < kTorchFirst || front_tile > kTorchLast ||
        (front_tile - kTorchFirst) % kAnimationStride != 0)
        return front_tile;
    if (++fx.tile_anim_counter >= kTorchTurns) {
        fx.tile_anim_counter = 0;
        front_tile = static_cast<int16_t>(front_tile + kAnimationStride);
        if (front_tile > kTorchLast) front_tile = kTorchFirst;
    }
    return front_tile;
}

void draw_hero_light(const HeroState &hero, const CellSet &sprites, BITMAP *view) {
    const int r = rand() % kLightPictures;
    const int px = hero.x >> 8, py = hero.y >> 8;
    cell_at(sprites, kLightTopLeft + r, view, px - 8, py - 8, true);
    cell_at(sprites, kLightBottomLeft + r, view, px - 8, py + 8, true);
    cell_at(sprites, kLightTopRight + r, view, px + 8, py - 8, true);
    cell_at(sprites, kLightBottomRight + r, view, px + 8, py + 8, true);
}

namespace {

// A spark takes the place and phase of the one after it (not its frame: only record
// 0's frame counts, for the whole trail).
void take_place(EffectParticle &spark, const EffectParticle &next) {
    spark.x = next.x;
    spark.y = next.y;
    spark.phase = next.phase;
}

} // namespace

void draw_sparks(EffectState &fx, const HeroState &hero, const CellSet &sprites, BITMAP *view) {
    EffectParticle *left = fx.particles, *right = fx.particles + kSparkTrail;
    // Each trail moves up a place; the newest spark is set beside the hero.
    for (int i = 0; i + 1 < kSparkTrail; ++i) {
        take_place(left[i], left[i + 1]);
        take_place(right[i], right[i + 1]);
    }
    const int px = hero.x >> 8, py = hero.y >> 8;
    const int last = kSparkTrail - 1;
    left[last].x = px - kSparkSide;
    right[last].x = px + kSparkSide;
    left[last].y = right[last].y = py - kSparkRise;
    left[last].phase = right[last].phase = fx.spark_phase;

    // Every second spark of each trail is drawn, each circling by the phase of the
    // record at half its place (so the circle shows along the trail).
    const int cell = kSparkCell + fx.particles[0].frame;
    for (int i = 0; i < kSparkTrail / 2; ++i) {
        const int phase = fx.particles[i].phase;
        const int dx = phase >= 0 && phase < kSparkSteps ? kSparkDx[phase] : 0;
        const int dy = phase >= 0 && phase < kSparkSteps ? kSparkDy[phase] : 0;
        cell_at(sprites, cell, view, left[2 * i].x + dx, left[2 * i].y + dy, true);
        cell_at(sprites, cell, view, right[2 * i].x + dx, right[2 * i].y + dy, true);
    }
    fx.particles[0].frame = wrap_up(fx.particles[0].frame + kAnimationStride, kSparkFrameWrap);
    fx.spark_phase = wrap_up(fx.spark_phase + 1, kSparkSteps);
}

void draw_drifters(EffectState &fx, const CellSet &sprites, BITMAP *view) {
    const int count = fx.drifter_count < kMaxDrifters ? fx.drifter_count : kMaxDrifters;
    for (int i = 0; i < count; ++i) {
        EffectParticle &p = fx.particles[i];
        const int x = p.x >> 8, y = p.y >> 8;
        cell_at(sprites, kDrifterTopLeft, view, x, y, true);
        cell_at(sprites, kDrifterTopRight, view, x + kCellSize, y, true);
        cell_at(sprites, kDrifterBottomLeft, view, x, y + kCellSize, true);
        cell_at(sprites, kDrifterBottomRight, view, x + kCellSize, y + kCellSize, true);
        p.x += p.dx;
        p.y += p.dy;
        if (p.x < kDrifterMinX) p.x = kDrifterMaxX;
        else if (p.x > kDrifterMaxX) p.x = kDrifterMinX;
        if (p.y < kDrifterMinY) p.y = kDrifterMaxY;
        else if (p.y > kDrifterMaxY) p.y = kDrifterMinY;
    }
}

// Now and then the wind takes a new step for a new while. Past the limit it turns
// back: a step that still heads outwards is undone and reversed, and one drawn
// heading inwards is simply taken, so the wind never strays more than a step past
// the limit.
void blow_wind(EffectState &fx) {
    if (fx.wind_timer == 0) {
        fx.wind_timer = rand() % 60 + 1;
        fx.wind_step = rand() % 10 - 5;
    }
    const bool past_right = fx.wind > kWindLimit, past_left = fx.wind < -kWindLimit;
    const bool heads_out = (past_right && fx.wind_step > 0) || (past_left && fx.wind_step < 0);
    if (heads_out) {
        fx.wind -= 2 * fx.wind_step;
        fx.wind_step = -fx.wind_step;
    } else {
        fx.wind += fx.wind_step;
    }
    fx.wind_timer -= 1;
}

void draw_rain(EffectState &fx, BITMAP *view) {
    blow_wind(fx);
    const int white = colour_of(view, 255, 255, 255);
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    for (RainDrop &d : fx.rain_drops) {
        d.y += kRainFall;
        d.x -= fx.wind * kWindDrift;
        if (d.y > kRainBottom) d.y = 0;
        // The wind moves a drop less than the view's width a frame, so one wrap is enough.
        if (d.x > kRainWidth) d.x -= kRainWidth;
        if (d.x < 0) d.x += kRainWidth;
        line(view, d.x >> 8, d.y >> 8, (d.x - fx.wind * kWindSlant) >> 8, (d.y >> 8) + d.length,
             white);
    }
    drawing_mode(DRAW_MODE_SOLID, nullptr, 0, 0);
}

void draw_lightning_flash(EffectState &fx, BITMAP *view) {
    if (!fx.flash_active) return;
    fx.flash_count -= 1;
    if (fx.flash_count <= 0) fx.flash_active = 0;
    const int colour =
        fx.flash_count % 2 == 0 ? colour_of(view, 255, 255, 255) : colour_of(view, 0, 0, 0);
    translucent_fill(view, kViewW, kViewH, colour);
}
