// Which map is being played: the normalised map name, the map id chosen from it (and
// perhaps replaced by the map file's own value), and the music module named after
// it. Pure text work, no Allegro, so level play and its tests can use it freely.
#pragma once

#include <cstddef>
#include <cstdint>

// The process-wide identity of the level being played. `map_id` selects per-map
// effects, music and sounds; the loader sets the two override fields.
struct WorldState {
    int32_t map_id;
    int16_t map_id_override_present; // 1 when the map file carried its own id
    int32_t map_id_override;
};
extern WorldState world;

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

// After a successful load: the map file's own id, when it has one, replaces map_id.
void apply_map_id_override();
