// What a reader of a file from outside promises, on any bytes at all: one check per
// reader, shared by its fuzz target (fuzz_<name>, on what libFuzzer makes)
// and by a plain test over every file of fuzz/corpus/<name>/ (corpus_seeds.h). A
// check returns "" when every promise was kept, else a sentence saying which one
// broke. The game's readers are listed in fuzz/promises/promises.h, the content
// tools' in tools/common/tests/tool_promises.h.
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
