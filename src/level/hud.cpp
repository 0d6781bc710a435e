// The energy bar.
#include "level/hud.h"

#include "core/game_config.h"
#include "core/platform.h"

#include <allegro.h>

EnergyBarPlace energy_bar_place() {
    return game_config.low_resolution ? kEnergyBarLow : kEnergyBarHigh;
}

int energy_bar_width(int energy, const EnergyBarPlace &place) { return (energy * place.w) >> 8; }

void draw_energy_bar_to(int energy, BITMAP *empty, BITMAP *full, BITMAP *dest) {
    if (!dest) return;
    const EnergyBarPlace place = energy_bar_place();
    int w = energy_bar_width(energy, place);
    if (w > 0 && full) blit(full, dest, 0, 0, place.x, place.y, w, place.h);
    // With a negative width the empty picture covers the whole bar.
    if (w < place.w && empty) {
        int from = w > 0 ? w : 0;
        blit(empty, dest, from, 0, place.x + from, place.y, place.w - from, place.h);
    }
}

void draw_energy_bar(int energy, BITMAP *empty, BITMAP *full) {
    draw_energy_bar_to(energy, empty, full, video_screen());
}
