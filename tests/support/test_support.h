// Helpers shared by the unit and pixel tests: owned bitmaps, temporary directories,
// files, a small map, replayed keys and a headless game (the cell set of numbered
// cells is in golden_screen.h).
#pragma once

#include "core/game_config.h"
#include "core/owners.h"
#include "core/platform.h"

#include <allegro.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

// A memory bitmap of the given colour depth and size.
OwnedBitmap make_bitmap(int depth, int w, int h);
// A copy of `b`, same depth and size.
OwnedBitmap copy_bitmap(BITMAP *b);

// A fresh directory under /tmp, removed with everything in it on destruction.
// While `enter` is true it is also the working directory.
class TempDir {
public:
    explicit TempDir(bool enter = false);
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }
    // Links the game directory's folder `sub` (GFX, MAP, sfx) in here, so the code
    // under test reads the pictures, maps or sounds the build made.
    void link_game_folder(const std::string &sub) const;

private:
    std::string path_;
    std::string old_cwd_;
};

void write_file(const std::string &path, const std::vector<unsigned char> &bytes);
void write_file(const std::string &path, const std::string &text);
std::vector<unsigned char> read_file(const std::string &path);
// The fuzz targets' seeds, fuzz/corpus/ of the source tree (no '/' at its end).
std::string corpus_dir();
// A short silent sample (100 frames of 16-bit mono) in the WAV form the loader reads.
void write_silent_wav(const std::string &path);
void make_dirs(const std::string &path);
// The names in a directory, sorted (what a tool left behind).
std::vector<std::string> dir_entries(const std::string &path);

// A small map that loads and plays: a floor along the bottom row of its start room.
std::vector<unsigned char> playable_map();

// Replayed keys, one record a frame (src/core/tests/case_rows.h writes them as words,
// a tap pressed for one frame and released for two).
using Keys = std::vector<KeyRecord>;
Keys operator+(Keys a, const Keys &b);

// The game without a display: memory screens of 640 x 480 and 320 x 200 (the mode
// switch hands out the one of the size asked for, or refuses the size in
// `refused_width`), no waiting, the settings (at their defaults, scan lines, both
// volumes 128), the colour depth and the translucency put back afterwards. Keys come
// from `replay`; the frames the menus present are counted, the last two kept, and
// the samples started are recorded.
class HeadlessGame {
public:
    explicit HeadlessGame(int depth = 32);
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame &) = delete;
    HeadlessGame &operator=(const HeadlessGame &) = delete;

    // Starts the replay of `keys` at 640 x 480, or 320 x 200 with `low`.
    void replay(const Keys &keys, bool low = false);
    // The same keys held on a scripted gamepad instead, one state a frame, with the
    // keyboard as the key source: the arrows on the stick, ENTER on Start, ESC on
    // Back, the Shifts on the jump buttons. Once they run out, Back is tapped.
    void pad(const Keys &keys, bool low = false);
    BITMAP *screen(bool low) const { return low ? low_.get() : high_.get(); }
    // A frame presented `from_end` frames before the last one (0 or 1), or null.
    BITMAP *shown(int from_end = 0) const;

    long presents = 0;
    std::vector<SampleStart> samples;
    int mode_calls = 0;
    int refused_width = 0;

private:
    static void keep_frame(void *self);
    static void keep_sample(void *self, const SampleStart &s);
    static int set_mode(int card, int w, int h, int v_w, int v_h);
    static bool read_pad(void *self, long frame, PadState *out);

    OwnedBitmap high_, low_;
    OwnedBitmap last_[2];
    Keys keys_;
    int old_depth_;
    GameConfig saved_;
};

} // namespace testing_support
