// What each reader of a file from outside promises, on any bytes at all. One check
// per reader, shared by its fuzz target (fuzz/fuzz_<name>.cpp, on what libFuzzer
// makes) and by promise_tests (on every file of fuzz/corpus/<name>/). A check
// returns "" when every promise was kept, else a sentence saying which one broke.
//
// Allegro must be started (SYSTEM_NONE) before a check that loads pictures, samples
// or maps; each check prepares what else it needs on its first call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The text of a broken promise, printf-style.
std::string broken(const char *format, ...) __attribute__((format(printf, 1, 2)));

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

using PromiseCheck = std::string (*)(const uint8_t *data, std::size_t size);

std::string data_path_promise(const uint8_t *data, std::size_t size);
std::string file_limits_promise(const uint8_t *data, std::size_t size);
std::string pcx_promise(const uint8_t *data, std::size_t size);
std::string wav_promise(const uint8_t *data, std::size_t size);
std::string settings_promise(const uint8_t *data, std::size_t size);
std::string jpeg_promise(const uint8_t *data, std::size_t size);
std::string module_promise(const uint8_t *data, std::size_t size);
std::string map_file_promise(const uint8_t *data, std::size_t size);
std::string replay_promise(const uint8_t *data, std::size_t size);
