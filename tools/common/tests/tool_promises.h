// What each content tool's reader promises on any input at all (support/promise.h);
// the readers that read from a path are given a file in the fuzz targets' scratch
// directory (fuzz_support.h). Allegro must be started (SYSTEM_NONE) before a map check.
#pragma once

#include "support/promise.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Each defined in its tool's tests: map_promises.cpp, tune_promise.cpp,
// recipe_promise.cpp and art_promises.cpp.
std::string map_source_promise(const uint8_t *data, std::size_t size);
std::string map_decompile_promise(const uint8_t *data, std::size_t size);
std::string map_pictures_promise(const uint8_t *data, std::size_t size);
std::string tune_promise(const uint8_t *data, std::size_t size);
std::string sound_recipe_promise(const uint8_t *data, std::size_t size);
std::string art_palette_promise(const uint8_t *data, std::size_t size);
std::string art_sheet_promise(const uint8_t *data, std::size_t size);
