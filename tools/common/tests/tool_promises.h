// What each content tool's reader promises on any input at all: one check per
// reader, shared by its fuzz target (fuzz/fuzz_<name>.cpp, on what libFuzzer makes)
// and by the tool's test binary (on every file of fuzz/corpus/<name>/, see
// corpus_seeds.h). A check returns "" when every promise was kept, else a sentence
// saying which one broke. Allegro must be started (SYSTEM_NONE) before a map check.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace tool_promises {

inline std::string broken(const char *format, ...) __attribute__((format(printf, 1, 2)));
inline std::string broken(const char *format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// `name` in this process's scratch directory (in /dev/shm when there is one, so a
// file written for every input costs no disk), made on first use, gone at exit.
inline std::string scratch_file(const char *name) {
    static const std::string dir = [] {
        std::string pattern = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        pattern += "/vespertil-promise-XXXXXX";
        if (!mkdtemp(&pattern[0])) std::abort();
        static std::string made;
        made = pattern;
        std::atexit([] { std::filesystem::remove_all(made); });
        return pattern;
    }();
    return dir + "/" + name;
}

} // namespace tool_promises

#define TOOL_PROMISE(condition, ...)                                                 \
    do {                                                                             \
        if (!(condition)) return tool_promises::broken(__VA_ARGS__);                \
    } while (0)

using ToolPromise = std::string (*)(const uint8_t *data, std::size_t size);

// tools/maps/tests/map_promises.cpp
std::string map_source_promise(const uint8_t *data, std::size_t size);
std::string map_decompile_promise(const uint8_t *data, std::size_t size);
std::string map_pictures_promise(const uint8_t *data, std::size_t size);
// tools/music/tests/tune_promise.cpp
std::string tune_promise(const uint8_t *data, std::size_t size);
// tools/sounds/tests/recipe_promise.cpp
std::string sound_recipe_promise(const uint8_t *data, std::size_t size);
// tools/pictures/tests/art_promises.cpp
std::string art_palette_promise(const uint8_t *data, std::size_t size);
std::string art_sheet_promise(const uint8_t *data, std::size_t size);
