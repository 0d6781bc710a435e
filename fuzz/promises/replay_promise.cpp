// The promises of the replay reader.
#include "support/promise.h"

#include "fuzz_support.h"

#include "level/replay_file.h"

#include <cstring>

namespace {

ReplayScript untouched() {
    ReplayScript s;
    s.map_name = "untouched";
    std::memset(s.map_sha256, 0x3C, sizeof s.map_sha256);
    s.frames.assign(3, KeyRecord{0x8000000000000001ull});
    return s;
}

bool same(const ReplayScript &a, const ReplayScript &b) {
    return a.map_name == b.map_name && std::memcmp(a.map_sha256, b.map_sha256, kSha256Bytes) == 0 &&
           a.frames == b.frames;
}

} // namespace

// A refused text leaves the script as it was and says where, with the label; an
// accepted one keeps within its limits and, written out with format_replay, reads
// back the same; read_replay_file on the same bytes answers as the parser does, with
// the path as the label.
std::string replay_promise(const uint8_t *data, std::size_t size) {
    static const std::string path = fuzz_scratch_path("fuzz.replay");
    const ReplayScript before = untouched();
    ReplayScript script = before;
    std::string error;
    const bool ok = parse_replay(reinterpret_cast<const char *>(data), size, "fuzz", script, error);
    if (!ok) {
        PROMISE(same(script, before), "a refused replay changed the script");
        PROMISE(error.rfind("fuzz:", 0) == 0, "an error without the label: %s", error.c_str());
    } else {
        PROMISE(!script.map_name.empty() && script.map_name.size() <= std::size_t{kMaxReplayMapName},
                "a map name of %zu characters", script.map_name.size());
        PROMISE(script.frames.size() <= std::size_t{kMaxReplayFrames}, "%zu frames", script.frames.size());
        const std::string written = format_replay(script.map_name, script.map_sha256, script.frames);
        ReplayScript back = before;
        std::string why;
        PROMISE(parse_replay(written.data(), written.size(), "written", back, why),
                "a written replay is refused: %s", why.c_str());
        PROMISE(same(back, script), "a written replay reads back otherwise");
    }
    fuzz_write_file(path, data, size);
    ReplayScript from_file = before;
    std::string file_error;
    PROMISE(read_replay_file(path.c_str(), from_file, file_error) == ok,
            "the file reader and the parser answer otherwise");
    PROMISE(same(from_file, script), "the file reader and the parser read otherwise");
    PROMISE(ok || (file_error.rfind(path, 0) == 0 && file_error.substr(path.size()) == error.substr(4)),
            "file error '%s' for parser error '%s'", file_error.c_str(), error.c_str());
    return "";
}
