// WAV files as the game reads them: RIFF, one "fmt " chunk of plain PCM, mono,
// 8 or 16 bits, then one "data" chunk, every field written little-endian.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Rounds -1..1 samples to PCM (8-bit unsigned around 128, or 16-bit signed).
std::vector<std::uint8_t> wav_bytes(const std::vector<float> &samples, int rate, int bits);

// Renders the recipe at `recipe_path` and writes the WAV at `out_path`. On failure
// nothing is written and `error` names the file, the line and what is wrong.
bool make_sound_file(const std::string &recipe_path, const std::string &out_path,
                     std::string &error);

// The command line of vespertil-sfx: RECIPE OUT.wav. Returns the exit status.
int sfx_main(int argc, char **argv);
