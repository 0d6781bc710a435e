// What a reader of a file from outside promises, on any bytes at all: one check per
// reader, shared by its fuzz target (fuzz_<name>, on what libFuzzer makes)
// and by a plain test over every file of fuzz/corpus/<name>/ (corpus_seeds.h). A
// check returns "" when every promise was kept, else a sentence saying which one
// broke. The checks are listed at the end. Allegro must be started (SYSTEM_NONE)
// before a check that loads pictures, samples or maps; each check prepares what else
// it needs on its first call.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

using PromiseCheck = std::string (*)(const uint8_t *data, std::size_t size);

// The text of a broken promise, printf-style.
inline std::string broken(const char *format, ...) __attribute__((format(printf, 1, 2)));
inline std::string broken(const char *format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

#define PROMISE(condition, ...)                                                      \
    do {                                                                             \
        if (!(condition)) return broken(__VA_ARGS__);                                \
    } while (0)
// Passes on what a nested check found broken.
#define KEPT(check)                                                                  \
    do {                                                                             \
        std::string why_broken_ = (check);                                           \
        if (!why_broken_.empty()) return why_broken_;                                \
    } while (0)

// The game's readers (fuzz/promises/); a reader that reads from a path is given a
// file in the fuzz targets' scratch directory (fuzz_support.h).
std::string data_path_promise(const uint8_t *data, std::size_t size);
std::string file_limits_promise(const uint8_t *data, std::size_t size);
std::string pcx_promise(const uint8_t *data, std::size_t size);
std::string wav_promise(const uint8_t *data, std::size_t size);
std::string settings_promise(const uint8_t *data, std::size_t size);
std::string jpeg_promise(const uint8_t *data, std::size_t size);
std::string module_promise(const uint8_t *data, std::size_t size);
std::string map_file_promise(const uint8_t *data, std::size_t size);
std::string replay_promise(const uint8_t *data, std::size_t size);
// The content tools' readers, each in its tool's tests: map_promises.cpp,
// tune_promise.cpp, recipe_promise.cpp and art_promises.cpp.
std::string map_source_promise(const uint8_t *data, std::size_t size);
std::string map_decompile_promise(const uint8_t *data, std::size_t size);
std::string map_pictures_promise(const uint8_t *data, std::size_t size);
std::string tune_promise(const uint8_t *data, std::size_t size);
std::string sound_recipe_promise(const uint8_t *data, std::size_t size);
std::string art_palette_promise(const uint8_t *data, std::size_t size);
std::string art_sheet_promise(const uint8_t *data, std::size_t size);
