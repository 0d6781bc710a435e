// The game's readers of files from outside and their promises (support/promise.h).
// Allegro must be started (SYSTEM_NONE) before a check that loads pictures, samples
// or maps; each check prepares what else it needs on its first call.
#pragma once

#include "support/promise.h"

std::string data_path_promise(const uint8_t *data, std::size_t size);
std::string file_limits_promise(const uint8_t *data, std::size_t size);
std::string pcx_promise(const uint8_t *data, std::size_t size);
std::string wav_promise(const uint8_t *data, std::size_t size);
std::string settings_promise(const uint8_t *data, std::size_t size);
std::string jpeg_promise(const uint8_t *data, std::size_t size);
std::string module_promise(const uint8_t *data, std::size_t size);
std::string map_file_promise(const uint8_t *data, std::size_t size);
std::string replay_promise(const uint8_t *data, std::size_t size);
