// The closing fade: the last picture on the screen is covered with black through an
// ordered 8 x 8 dither that grows denser over 16 retraces.
#pragma once

#include <cstdint>

constexpr int kFadeSteps = 16;
constexpr int kFadeTile = 8;

// fade_patterns[row][step]: bit c set means pixel (c, row) of every tile is black.
// Each step only adds black pixels to the one before.
extern const uint8_t fade_patterns[kFadeTile][kFadeSteps];

void fade_to_black();
