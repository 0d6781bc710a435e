// vespertil-replay: the command line.
#include "replay_tool.h"

#include <allegro.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void usage() {
    fprintf(stderr,
            "usage: vespertil-replay REPLAY [--game-dir DIR] [--trace FILE] [--golden FILE]\n"
            "                        [--shots DIR (--every N | --at FRAME)] [--pad]\n"
            "       vespertil-replay --record OUT MAPNAME [--game-dir DIR]\n");
}

bool positive_number(const char *text, int &out) {
    char *end = nullptr;
    long v = strtol(text, &end, 10);
    if (!*text || *end || v < 1 || v > 1000000) return false;
    out = static_cast<int>(v);
    return true;
}

} // namespace

int main(int argc, char **argv) {
    replay_tool::PlayOptions play;
    replay_tool::RecordOptions record;
    bool recording = false;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool has_value = i + 1 < argc;
        if (a == "--game-dir" && has_value) {
            play.game_dir = record.game_dir = argv[++i];
        } else if (a == "--trace" && has_value) {
            play.trace_path = argv[++i];
        } else if (a == "--golden" && has_value) {
            play.golden_path = argv[++i];
        } else if (a == "--pad") {
            play.pad = true;
        } else if (a == "--at" && has_value) {
            if (!positive_number(argv[++i], play.shot_at)) {
                usage();
                return replay_tool::kExitRefused;
            }
        } else if (a == "--shots" && has_value) {
            play.shots_dir = argv[++i];
        } else if (a == "--every" && has_value) {
            if (!positive_number(argv[++i], play.shots_every)) {
                usage();
                return replay_tool::kExitRefused;
            }
        } else if (a == "--record" && i + 2 < argc) {
            recording = true;
            record.out_path = argv[++i];
            record.map_name = argv[++i];
        } else if (!a.empty() && a[0] != '-' && positional == 0) {
            play.replay_path = a;
            ++positional;
        } else {
            usage();
            return replay_tool::kExitRefused;
        }
    }
    if (recording == (positional == 1)) {
        usage();
        return replay_tool::kExitRefused;
    }
    if (recording) return replay_tool::record_replay(record, stdout, stderr);
    return replay_tool::play_replay(play, stdout, stderr);
}
END_OF_MAIN()
