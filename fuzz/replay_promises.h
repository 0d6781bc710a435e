// What the replay reader promises of any text, checked by fuzz_replay on every input
// and by replay_file_test over every file of fuzz/corpus/replay/: a refused text
// leaves the script as it was and says where, with the label; an accepted one keeps
// within its limits and, written out with format_replay, reads back the same; and
// read_replay_file on the same bytes (written to `path`) answers as the parser does,
// with the path as the label.
#pragma once

#include "level/replay_file.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

// The first promise broken, or empty when all are kept.
inline std::string broken_replay_promise(const uint8_t *data, std::size_t size,
                                         const std::string &path) {
    ReplayScript before;
    before.map_name = "untouched";
    std::memset(before.map_sha256, 0x3C, sizeof before.map_sha256);
    before.frames.assign(3, KeyRecord{0x8000000000000001ull});
    auto same = [](const ReplayScript &a, const ReplayScript &b) {
        return a.map_name == b.map_name &&
               std::memcmp(a.map_sha256, b.map_sha256, kSha256Bytes) == 0 && a.frames == b.frames;
    };
    ReplayScript script = before;
    std::string error;
    const bool ok = parse_replay(reinterpret_cast<const char *>(data), size, "fuzz", script, error);
    if (!ok && !same(script, before)) return "a refused replay changed the script";
    if (!ok && error.rfind("fuzz:", 0) != 0) return "an error without the label: " + error;
    if (ok) {
        if (script.map_name.empty() || script.map_name.size() > std::size_t{kMaxReplayMapName})
            return "a map name of " + std::to_string(script.map_name.size()) + " characters";
        if (script.frames.size() > std::size_t{kMaxReplayFrames})
            return std::to_string(script.frames.size()) + " frames";
        const std::string written = format_replay(script.map_name, script.map_sha256, script.frames);
        ReplayScript back = before;
        if (!parse_replay(written.data(), written.size(), "written", back, error))
            return "a written replay is refused: " + error;
        if (!same(back, script)) return "a written replay reads back otherwise";
    }
    FILE *f = fopen(path.c_str(), "wb");
    if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0) return "";  // no finding
    ReplayScript from_file = before;
    std::string file_error;
    if (read_replay_file(path.c_str(), from_file, file_error) != ok)
        return "the file reader and the parser answer otherwise";
    if (!same(from_file, script)) return "the file reader and the parser read otherwise";
    if (!ok && (file_error.rfind(path, 0) != 0 || file_error.substr(path.size()) != error.substr(4)))
        return "file error '" + file_error + "' for parser error '" + error + "'";
    return "";
}
