// The module player beneath the six game operations: the renderer that turns the
// playing module into samples at the music volume (driven by the sound-card feeder
// in the game, and directly by tests, the benchmark and tools), an installation
// without any sound output, and removal.
#pragma once

#include <cstdint>

// The player renders signed 16-bit stereo, left sample first, at this rate.
constexpr int kMusicRate = 44100;
constexpr int kMusicChannels = 2;

// Module files larger than this are refused before they are read. The largest
// modules in circulation are a few megabytes; 16 MiB leaves room for sample-heavy
// ones while a corrupt or hostile file cannot make the game read (and libxmp then
// expand) hundreds of megabytes.
constexpr long kMusicMaxFileBytes = 16L * 1024 * 1024;

// Installs the player with no sound output: modules load and play as usual and the
// caller takes the sound with music_render. For tests, benchmarks and tools; 1.
int music_install_without_output();

// Writes `frames` stereo frames (2 * frames values) of the playing module at the
// music volume and advances it by that much. Silence when nothing plays, when the
// module has reached its end without looping, or when the player is not installed.
void music_render(int16_t *out, int frames);

// Stops the music and the sound output and returns to the not-installed state, in
// which the six operations do nothing. Loaded modules stay valid; their owners still
// pass them to music_destroy. Runs by itself when the game library shuts down.
void music_remove();
