// Case-insensitive, separator-tolerant resolution of the game's data paths.
#include "core/paths.h"

#include "core/file_limits.h"

#include <allegro.h>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

bool path_exists(const char *path) {
    struct stat st;
    return stat(path, &st) == 0;
}

// Looks in directory `dir` ("" for the working directory) for an entry whose name
// equals `component` ignoring case; copies its real name into `found`.
bool find_entry_any_case(const char *dir, const char *component, char *found,
                         std::size_t found_size) {
    DIR *d = opendir(dir[0] ? dir : ".");
    if (!d) return false;
    bool ok = false;
    while (const dirent *e = readdir(d)) {
        if (strcasecmp(e->d_name, component) == 0 &&
            std::strlen(e->d_name) < found_size) {
            std::snprintf(found, found_size, "%s", e->d_name);
            ok = true;
            break;
        }
    }
    closedir(d);
    return ok;
}

// Appends `part` (and a separator before it when `out` is not empty and not the
// root) to `out`; false when it would not fit.
bool append_component(char *out, std::size_t out_size, const char *part) {
    std::size_t len = std::strlen(out);
    bool need_sep = len > 0 && out[len - 1] != '/';
    std::size_t add = std::strlen(part) + (need_sep ? 1 : 0);
    if (len + add + 1 > out_size) return false;
    if (need_sep) out[len++] = '/';
    std::memcpy(out + len, part, std::strlen(part) + 1);
    return true;
}

} // namespace

bool resolve_data_path(const char *name, char *out, std::size_t out_size) {
    if (!out || out_size == 0) return false;
    out[0] = '\0';
    if (!name || !name[0]) return false;

    char work[kMaxDataPath];
    std::size_t n = std::strlen(name);
    if (n >= sizeof work || n >= out_size) return false;
    for (std::size_t i = 0; i <= n; ++i) work[i] = name[i] == '\\' ? '/' : name[i];

    char result[kMaxDataPath] = "";
    if (work[0] == '/') std::snprintf(result, sizeof result, "/");

    bool still_exists = true; // once a component is missing, no deeper one can exist
    char *save = nullptr;
    for (char *part = strtok_r(work, "/", &save); part; part = strtok_r(nullptr, "/", &save)) {
        char candidate[kMaxDataPath];
        std::snprintf(candidate, sizeof candidate, "%s", result);
        if (!append_component(candidate, sizeof candidate, part)) return false;
        if (still_exists && !path_exists(candidate)) {
            char real[256];
            if (find_entry_any_case(result, part, real, sizeof real)) {
                std::snprintf(candidate, sizeof candidate, "%s", result);
                if (!append_component(candidate, sizeof candidate, real)) return false;
            } else {
                still_exists = false;
            }
        }
        std::snprintf(result, sizeof result, "%s", candidate);
    }
    if (std::strlen(result) + 1 > out_size) return false;
    std::snprintf(out, out_size, "%s", result);
    return true;
}

void report_data_problem(const char *name, const char *problem) {
    std::fprintf(stderr, "vespertil: %s: %s\n", name ? name : "(no name)", problem);
}

FILE *data_fopen(const char *name, const char *mode) {
    char path[kMaxDataPath];
    if (!resolve_data_path(name, path, sizeof path)) return nullptr;
    return std::fopen(path, mode);
}

PACKFILE *data_pack_fopen(const char *name, const char *mode) {
    char path[kMaxDataPath];
    if (!resolve_data_path(name, path, sizeof path)) return nullptr;
    return pack_fopen(path, mode);
}

namespace {

bool ends_with_any_case(const char *name, const char *tail) {
    const std::size_t n = std::strlen(name), t = std::strlen(tail);
    return n >= t && strcasecmp(name + n - t, tail) == 0;
}

// Up to `limit` bytes from the start of `path`; false when it cannot be read or is
// longer than `limit` and `whole` is asked for. Room is made for what the file holds,
// not for the limit: a sample's limit is megabytes, a sample a few kilobytes.
bool read_start(const char *path, std::size_t limit, bool whole, std::vector<uint8_t> &out) {
    FILE *f = std::fopen(path, "rb");
    if (!f) return false;
    std::size_t room = limit + 1; // one byte more than the limit tells a longer file
    struct stat st;
    if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
        static_cast<std::uintmax_t>(st.st_size) < room)
        room = static_cast<std::size_t>(st.st_size) + 1;
    out.resize(room);
    const std::size_t got = std::fread(out.data(), 1, out.size(), f);
    std::fclose(f);
    if (whole && got > limit) return false;
    out.resize(got < limit ? got : limit);
    return true;
}

// The header of a PCX picture is checked before the library's loader, which would
// allocate whatever size it declares. A missing file is left to the loader.
// `one_plane` tells a picture of 8-bit palette indices.
bool pcx_may_load(const char *name, const char *path, bool &one_plane) {
    std::vector<uint8_t> head;
    one_plane = false;
    if (!read_start(path, 128, false, head)) return true;
    const char *problem = pcx_header_problem(head.data(), head.size());
    if (problem) report_data_problem(name, problem);
    one_plane = !problem && head[65] == 1;
    return !problem;
}

// The library's loader sets only the colours a file gives, and converting an 8-bit
// picture to the screen's depth reads all 256: a file without its palette would be
// drawn from whatever the palette held (the loader's own is never cleared). Those
// colours start black, in the caller's palette or in one of ours.
BITMAP *load_pcx_picture(const char *path, RGB *palette, bool one_plane,
                         BITMAP *(*load)(const char *, RGB *)) {
    PALETTE own;
    if (one_plane) {
        if (!palette) palette = own;
        for (int i = 0; i < PAL_SIZE; ++i) palette[i] = RGB{0, 0, 0, 0};
    }
    return load(path, palette);
}

bool wav_may_load(const char *name, const char *path) {
    std::vector<uint8_t> bytes;
    if (!read_start(path, kMaxSampleFileBytes, true, bytes)) {
        if (std::FILE *f = std::fopen(path, "rb")) {
            std::fclose(f);
            report_data_problem(name, "is longer than any sample the game plays: refused");
            return false;
        }
        return true;
    }
    const char *problem = wav_file_problem(bytes.data(), bytes.size());
    if (problem) report_data_problem(name, problem);
    return !problem;
}

} // namespace

BITMAP *data_load_pcx(const char *name, RGB *palette) {
    char path[kMaxDataPath];
    if (!resolve_data_path(name, path, sizeof path)) return nullptr;
    bool one_plane;
    if (!pcx_may_load(name, path, one_plane)) return nullptr;
    return load_pcx_picture(path, palette, one_plane, load_pcx);
}

BITMAP *data_load_bitmap(const char *name, RGB *palette) {
    char path[kMaxDataPath];
    if (!resolve_data_path(name, path, sizeof path)) return nullptr;
    bool one_plane;
    if (ends_with_any_case(path, ".pcx")) {
        if (!pcx_may_load(name, path, one_plane)) return nullptr;
    } else {
        // The game's pictures are PCX and JPEG; any other kind has no header check.
        report_data_problem(name, "is not a PCX picture");
        return nullptr;
    }
    return load_pcx_picture(path, palette, one_plane, load_bitmap);
}

SAMPLE *data_load_wav(const char *name) {
    char path[kMaxDataPath];
    if (!resolve_data_path(name, path, sizeof path)) return nullptr;
    if (!wav_may_load(name, path)) return nullptr;
    return load_wav(path);
}

SAMPLE *data_load_sample(const char *name) {
    char path[kMaxDataPath];
    if (!resolve_data_path(name, path, sizeof path)) return nullptr;
    if (!ends_with_any_case(path, ".wav")) {
        report_data_problem(name, "is not a WAV sample");
        return nullptr;
    }
    if (!wav_may_load(name, path)) return nullptr;
    return load_wav(path);
}
