// What every fuzz target shares: Allegro started without a display, a scratch
// directory for the loaders that read from a path, and the check that stops a run
// with the input saved when a reader breaks one of its promises.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Starts Allegro with SYSTEM_NONE (memory bitmaps, makecol and the file loaders; no
// screen, timer or keyboard) at `depth` bits a pixel, with the screen's pixel
// layouts as the game's headless runs use them. Ends the process when it cannot.
void fuzz_start_allegro(int depth);

// `name` inside this process's scratch directory (in /dev/shm when there is one, so
// a file written for every input costs no disk), made on first use and removed at
// a normal exit.
std::string fuzz_scratch_path(const char *name);

// Replaces the file at `path` with `size` bytes of `data`; ends the process when it
// cannot (a full scratch disk is no finding).
void fuzz_write_file(const std::string &path, const uint8_t *data, std::size_t size);

// Stops the run: a promise of the reader under test was broken. The message goes to
// the error output as it was when the target started (libFuzzer may close stderr to
// keep the readers' own complaints about bad files off the console), then abort()
// makes libFuzzer save the input.
[[noreturn]] void fuzz_fail(const char *file, int line, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
