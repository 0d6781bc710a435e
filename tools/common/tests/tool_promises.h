// What each content tool's reader promises on any input at all (support/promise.h),
// and a scratch directory for the readers that read from a path. Allegro must be
// started (SYSTEM_NONE) before a map check.
#pragma once

#include "support/promise.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace tool_promises {

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

// Each defined in its tool's tests: map_promises.cpp, tune_promise.cpp,
// recipe_promise.cpp and art_promises.cpp.
std::string map_source_promise(const uint8_t *data, std::size_t size);
std::string map_decompile_promise(const uint8_t *data, std::size_t size);
std::string map_pictures_promise(const uint8_t *data, std::size_t size);
std::string tune_promise(const uint8_t *data, std::size_t size);
std::string sound_recipe_promise(const uint8_t *data, std::size_t size);
std::string art_palette_promise(const uint8_t *data, std::size_t size);
std::string art_sheet_promise(const uint8_t *data, std::size_t size);
