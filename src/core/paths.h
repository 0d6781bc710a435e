// The one place where a data path written in the game's own style ("MAP\cueva.map",
// "gfx/enddemo_1.jpg") becomes a path that opens on this system: backslashes turn
// into slashes, and each component that does not exist under its own spelling is
// matched against the directory's entries without regard to letter case.
#pragma once

#include <cstddef>
#include <cstdio>

struct BITMAP;
struct SAMPLE;
struct PACKFILE;
struct RGB;

// Longest path the resolver produces, terminator included.
constexpr std::size_t kMaxDataPath = 512;

// Writes the resolved form of `name` into `out` (size `out_size`). Components that
// exist in no case are kept as written (with `\` turned to `/`), so a file that is
// about to be created gets a sensible name. Returns false, with `out` holding an
// empty string, when the result would not fit or `name` is null or empty.
bool resolve_data_path(const char *name, char *out, std::size_t out_size);

// Says on stderr that the data file `name` could not be used and why ("vespertil:
// MAP\cueva.map: cannot be opened"); the caller goes on without it.
void report_data_problem(const char *name, const char *problem);

// Every data file of the game opens through one of these.
FILE *data_fopen(const char *name, const char *mode);
PACKFILE *data_pack_fopen(const char *name, const char *mode);
BITMAP *data_load_pcx(const char *name, RGB *palette);
BITMAP *data_load_bitmap(const char *name, RGB *palette);
SAMPLE *data_load_wav(const char *name);
SAMPLE *data_load_sample(const char *name);
