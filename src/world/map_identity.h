// Which map is being played: the normalised map name, the map id chosen from it (and
// perhaps replaced by the map file's own value), and the music module named after
// it. Pure text work, no Allegro, so level play and its tests can use it freely.
#pragma once

#include <cstddef>
#include <cstdint>

// The map id a map file may carry after its fixed part; the loader hands it back.
struct FileMapId {
    bool present;
    int32_t map_id;
};

struct MapIdentityEntry {
    const char *file_name; // normalised: lower case, no blank
    int32_t map_id;
};

// Tried in this order; any other name has map id 0.
constexpr MapIdentityEntry kMapIdentityTable[] = {
    {"cueva.map", 1},  {"castle.map", 2}, {"retspec.map", 2},
    {"demo.map", 3},   {"pachin.map", 4}, {"a.map", 4},
    {"vusk.map", 5},   {"salem.map", 6},  {"ciudad.map", 22},
};

// Room for a normalised map name or a music file name, terminator included.
constexpr std::size_t kMapNameSize = 256;

// `name` cut at its first space, letters A to Z turned to lower case; cut further to
// fit `out` (always terminated). A null name gives "".
void normalise_map_name(const char *name, char *out, std::size_t out_size);

// The map id of a normalised name by the identity table.
int32_t map_id_for_name(const char *normalised_name);

// "sfx/<name>" with its last three characters replaced by "xm": "cueva.map" plays
// sfx/cueva.xm. Cut to fit `out`, never overflowing it.
void music_file_name(const char *normalised_name, char *out, std::size_t out_size);

// The map id a level plays with, which chooses its look: the map file's own when it
// carries one, else the one its normalised name gives.
int32_t level_map_id(const char *normalised_name, const FileMapId &file_id);
