// The replay reader (parse_replay, and read_replay_file on the same bytes) on any
// text: a refused text leaves the script as it was and says where, with the label;
// an accepted one keeps within its limits and, written out with format_replay,
// reads back to the same map, digest and frames.
#include "fuzz_support.h"

#include "level/replay_file.h"

#include <cstring>
#include <string>

namespace {

std::string path;

ReplayScript untouched_script() {
    ReplayScript s;
    s.map_name = "untouched";
    std::memset(s.map_sha256, 0x3C, sizeof s.map_sha256);
    s.frames.assign(3, KeyRecord{0x8000000000000001ull});
    return s;
}

bool same_script(const ReplayScript &a, const ReplayScript &b) {
    return a.map_name == b.map_name && std::memcmp(a.map_sha256, b.map_sha256, kSha256Bytes) == 0 &&
           a.frames == b.frames;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    path = fuzz_scratch_path("fuzz.replay");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const char *text = reinterpret_cast<const char *>(data);
    const ReplayScript before = untouched_script();
    ReplayScript script = before;
    std::string error;
    const bool ok = parse_replay(text, size, "fuzz", script, error);
    if (!ok) {
        FUZZ_CHECK(same_script(script, before), "a refused replay changed the script");
        FUZZ_CHECK(error.rfind("fuzz:", 0) == 0, "error without the label: %s", error.c_str());
    } else {
        FUZZ_CHECK(!script.map_name.empty() &&
                       script.map_name.size() <= static_cast<std::size_t>(kMaxReplayMapName),
                   "map name of %zu characters", script.map_name.size());
        FUZZ_CHECK(script.frames.size() <= static_cast<std::size_t>(kMaxReplayFrames),
                   "%zu frames", script.frames.size());
        const std::string written = format_replay(script.map_name, script.map_sha256, script.frames);
        ReplayScript back = untouched_script();
        std::string why;
        FUZZ_CHECK(parse_replay(written.data(), written.size(), "written", back, why),
                   "a written replay is refused: %s", why.c_str());
        FUZZ_CHECK(same_script(back, script), "a written replay reads back otherwise");
    }

    // Reading the file gives the same, with the path as the label.
    fuzz_write_file(path, data, size);
    ReplayScript from_file = before;
    std::string file_error;
    const bool file_ok = read_replay_file(path.c_str(), from_file, file_error);
    FUZZ_CHECK(file_ok == ok, "the file reader says %d, the parser %d", file_ok, ok);
    FUZZ_CHECK(same_script(from_file, script), "the file reader and the parser differ");
    if (!ok)
        FUZZ_CHECK(file_error.rfind(path, 0) == 0 && file_error.substr(path.size()) == error.substr(4),
                   "file error '%s' for parser error '%s'", file_error.c_str(), error.c_str());
    return 0;
}
