// Map names, map ids and the music module of a map.
#include "world/map_identity.h"

#include <cstdio>
#include <cstring>

void normalise_map_name(const char *name, char *out, std::size_t out_size) {
    if (!out || out_size == 0) return;
    std::size_t n = 0;
    if (name) {
        for (; name[n] != '\0' && name[n] != ' ' && n + 1 < out_size; ++n) {
            char c = name[n];
            out[n] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
    }
    out[n] = '\0';
}

int32_t map_id_for_name(const char *normalised_name) {
    if (!normalised_name) return 0;
    for (const MapIdentityEntry &e : kMapIdentityTable)
        if (std::strcmp(normalised_name, e.file_name) == 0) return e.map_id;
    return 0;
}

void music_file_name(const char *normalised_name, char *out, std::size_t out_size) {
    if (!out || out_size == 0) return;
    std::snprintf(out, out_size, "sfx/%s", normalised_name ? normalised_name : "");
    std::size_t n = std::strlen(out);
    if (n < 3) return; // only when `out` cannot even hold "sfx/"
    out[n - 3] = 'x';
    out[n - 2] = 'm';
    out[n - 1] = '\0';
}

int32_t level_map_id(const char *normalised_name, const FileMapId &file_id) {
    return file_id.present ? file_id.map_id : map_id_for_name(normalised_name);
}
