// The energy bar under the room view: the full picture up to the energy, the empty
// one after it. It is drawn only when the energy changes.
#pragma once

struct BITMAP;

struct EnergyBarPlace {
    int x, y, w, h;
};
constexpr EnergyBarPlace kEnergyBarLow = {45, 170, 102, 8};
constexpr EnergyBarPlace kEnergyBarHigh = {90, 381, 205, 16};

// The bar's place at the settings' resolution.
EnergyBarPlace energy_bar_place();
// Filled width for `energy` (255 fills all but the last column; below 1 nothing).
int energy_bar_width(int energy, const EnergyBarPlace &place);

void draw_energy_bar_to(int energy, BITMAP *empty, BITMAP *full, BITMAP *dest);
void draw_energy_bar(int energy, BITMAP *empty, BITMAP *full);
