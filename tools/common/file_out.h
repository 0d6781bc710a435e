// Output files that appear whole or not at all, shared by every content tool: a tool
// writes into a part file beside the real one and renames it into place only when
// every byte is on disk, so a failed run never leaves a half-made file behind and an
// older file at the same path stays as it was.
#pragma once

#include <cstddef>
#include <string>

namespace tool_files {

// The part file a tool writes before `path` is complete: beside it, and named for
// this process so that two runs writing the same output never share one.
std::string part_path(const std::string &path);

// Renames the finished `part` over `path`. On failure the part file is removed and
// `why` says what went wrong.
bool move_into_place(const std::string &part, const std::string &path, std::string &why);

// Writes `size` bytes to `path` through its part file. On failure nothing is left
// behind and `why` says what went wrong (without the file's name).
bool write_file_whole(const std::string &path, const void *bytes, std::size_t size,
                      std::string &why);

} // namespace tool_files
