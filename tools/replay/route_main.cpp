// vespertil-route: proves a map can be completed by searching, with the level's own
// rules, for keys that throw every switch and reach the exit door, and writes them as
// a replay that vespertil-replay plays back to the same end.
#include "route_search.h"

#include "core/sha256.h"
#include "file_out.h"
#include "level/replay_file.h"
#include "replay_tool.h"
#include "world/map_format.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kExitFound = 0;
constexpr int kExitNoRoute = 1;   // the map is refused or cannot be completed
constexpr int kExitUsage = 2;

void usage() {
    fprintf(stderr,
            "usage: vespertil-route MAP_FILE OUT.replay [--map-name NAME] [--max-states N]\n"
            "                       [--guide-weight W]\n"
            "  Searches MAP_FILE for keys that throw all %d switches and reach the exit\n"
            "  door, and writes them to OUT.replay. The replay names the map as NAME\n"
            "  (default: MAP_FILE's own name), the file the game finds in MAP/.\n"
            "  --max-states N    states one goal may look at (default %ld)\n"
            "  --guide-weight W  1 for shorter routes, 2 (default) for a faster search,\n"
            "                    0 for the fewest frames to each goal (small maps only)\n"
            "  Exits 0 with a route, 1 when the map is refused or has no route.\n",
            kSwitchCount, route::SearchOptions{}.max_states);
}

bool read_whole_file(const char *path, std::vector<uint8_t> &bytes) {
    FILE *f = fopen(path, "rb");
    if (!f) return false;
    bytes.clear();
    uint8_t buf[1 << 16];
    std::size_t got;
    while ((got = fread(buf, 1, sizeof buf, f)) > 0) {
        bytes.insert(bytes.end(), buf, buf + got);
        if (bytes.size() > kMapFileSizeWithOverride) break; // more is never read
    }
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

std::string base_name(const std::string &path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The lines of a run of frames as format_replay writes them, without the header.
std::string frame_lines(const std::string &map_name, const uint8_t (&digest)[kSha256Bytes],
                        const std::vector<KeyRecord> &frames, std::size_t from, std::size_t to) {
    const std::string header = format_replay(map_name, digest, {});
    std::vector<KeyRecord> part(frames.begin() + from, frames.begin() + to);
    std::string text = format_replay(map_name, digest, part);
    return text.substr(header.size());
}

// The replay, with a comment before the frames that lead to each goal.
std::string replay_text(const std::string &map_name, const uint8_t (&digest)[kSha256Bytes],
                        const route::SearchResult &found, const LevelOutcome &outcome) {
    std::string text = format_replay(map_name, digest, {});
    text += "# The map can be completed: every switch thrown, then the exit door reached.\n"
            "# Found by vespertil-route, which seeks the nearest switch still up (those of\n"
            "# the hero's row of rooms and above first), again and again, then the door.\n";
    text += "# expect: " + replay_tool::outcome_line(outcome) + "\n";
    text += "# frame 1 closes the intro panel\n";
    text += frame_lines(map_name, digest, found.frames, 0, 1);
    std::size_t done = 1;
    for (std::size_t i = 0; i < found.goals.size(); ++i) {
        const route::GoalReport &g = found.goals[i];
        text += "# to " + route::goal_text(g);
        // Two switches on one cell are thrown on the same frame.
        while (i + 1 < found.goals.size() && found.goals[i + 1].frame == g.frame)
            text += " and " + route::goal_text(found.goals[++i]);
        text += ", reached on frame " + std::to_string(g.frame) + "\n";
        text += frame_lines(map_name, digest, found.frames, done, g.frame);
        done = g.frame;
    }
    return text;
}

void print_goal(void *, const route::GoalReport &g) {
    printf("%s: frame %d, energy %d, %ld states searched\n", route::goal_text(g).c_str(),
           g.frame, g.energy, g.states);
    fflush(stdout);
}

bool number_in(const char *text, long low, long high, long &out) {
    char *end = nullptr;
    long v = strtol(text, &end, 10);
    if (!*text || *end || v < low || v > high) return false;
    out = v;
    return true;
}

struct Options {
    std::string map_path, out_path, map_name;
    route::SearchOptions search;
};

bool parse_options(int argc, char **argv, Options &o) {
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--map-name" && i + 1 < argc) {
            o.map_name = argv[++i];
        } else if (a == "--max-states" && i + 1 < argc) {
            if (!number_in(argv[++i], 1, 100000000, o.search.max_states)) return false;
        } else if (a == "--guide-weight" && i + 1 < argc) {
            long w;
            if (!number_in(argv[++i], 0, 9, w)) return false;
            o.search.guide_weight = static_cast<int>(w);
        } else if (!a.empty() && a[0] != '-' && positional < 2) {
            (positional++ == 0 ? o.map_path : o.out_path) = a;
        } else {
            return false;
        }
    }
    if (positional != 2) return false;
    if (o.map_name.empty()) o.map_name = base_name(o.map_path);
    return true;
}

} // namespace

int main(int argc, char **argv) {
    Options o;
    if (!parse_options(argc, argv, o)) {
        usage();
        return kExitUsage;
    }
    const char *map_path = o.map_path.c_str();
    std::vector<uint8_t> bytes;
    if (!read_whole_file(map_path, bytes)) {
        fprintf(stderr, "vespertil-route: %s: cannot be read\n", map_path);
        return kExitNoRoute;
    }
    auto map = std::make_unique<LevelMap>();
    if (!route::level_map_from_bytes(bytes.data(), bytes.size(), *map)) {
        fprintf(stderr, "vespertil-route: %s: %zu bytes, shorter than a map file (%zu)\n",
                map_path, bytes.size(), kMapFileSize);
        return kExitNoRoute;
    }
    uint8_t digest[kSha256Bytes];
    sha256(bytes.data(), bytes.size(), digest);
    // A name the replay reader would refuse is found before the search, not after.
    const std::string header = format_replay(o.map_name, digest, {});
    ReplayScript check;
    std::string why;
    if (!parse_replay(header.data(), header.size(), o.out_path.c_str(), check, why)) {
        fprintf(stderr, "vespertil-route: %s\n", why.c_str());
        return kExitUsage;
    }

    const MapHeader &h = map->header;
    printf("%s: \"%s\", start room %d,%d cell %d,%d, exit door room %d,%d cell %d,%d\n",
           map_path, h.title.text, h.start_room_column, h.start_room_row, h.start_cell_column,
           h.start_cell_row, h.exit_room_column, h.exit_room_row, h.exit_cell_column,
           h.exit_cell_row);
    fflush(stdout);
    o.search.goal_reached = print_goal;
    auto started = std::chrono::steady_clock::now();
    route::SearchResult found = route::search_route(*map, o.search);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!found.found) {
        fprintf(stderr, "vespertil-route: %s: no route: %s\n", map_path, found.failure.c_str());
        return kExitNoRoute;
    }

    // The keys are played once more from the start as the level run plays them, so
    // what is written is checked against the rules as a whole and not only step by step.
    LevelOutcome outcome = route::run_route(*map, found.frames);
    if (outcome.result != kLevelCompleted ||
        outcome.frames != static_cast<int>(found.frames.size())) {
        fprintf(stderr, "vespertil-route: %s: the route found plays back to \"%s\", not to the "
                        "exit door on frame %zu\n",
                map_path, replay_tool::outcome_line(outcome).c_str(), found.frames.size());
        return kExitNoRoute;
    }
    std::string text = replay_text(o.map_name, digest, found, outcome);
    if (!tool_files::write_file_whole(o.out_path, text.data(), text.size(), why)) {
        fprintf(stderr, "vespertil-route: %s: %s\n", o.out_path.c_str(), why.c_str());
        return kExitNoRoute;
    }
    printf("wrote %s, %d frames as map %s, searched in %.2f s\n", o.out_path.c_str(),
           outcome.frames, o.map_name.c_str(), seconds);
    printf("%s\n", replay_tool::outcome_line(outcome).c_str());
    return kExitFound;
}
