// vespertil-route: proves a map can be completed by searching, with the level's own
// rules, for keys that throw every switch and reach the exit door, and writes them as
// a replay that vespertil-replay plays back to the same end.
#include "route_search.h"

#include "level_check.h"

#include "core/sha256.h"
#include "file_out.h"
#include "level/replay_file.h"
#include "world/map_format.h"

#include <chrono>
#include <filesystem>
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
            "       vespertil-route --check MAP_FILE [--replays DIR] [--map-name NAME]\n"
            "                       [--max-states N] [--max-places N]\n"
            "  Searches MAP_FILE for keys that throw all %d switches and reach the exit\n"
            "  door, and writes them to OUT.replay. The replay names the map as NAME\n"
            "  (default: MAP_FILE's own name), the file the game finds in MAP/.\n"
            "  --max-states N    states one goal may look at (default %ld)\n"
            "  --guide-weight W  1 for shorter routes, 2 (default) for a faster search,\n"
            "                    0 for the fewest frames to each goal (small maps only)\n"
            "  Exits 0 with a route, 1 when the map is refused or has no route.\n"
            "  --check checks the map before it is shipped: every switch, refill and the\n"
            "  exit door reachable, no trap, no room edge into a wall, and a winning route.\n"
            "  With --replays DIR it writes route.replay, trap_N.replay and edge_N.replay\n"
            "  there. --max-places N: standing places it may search (default %ld).\n"
            "  It exits 0 only when the map is clean.\n",
            kSwitchCount, route::SearchOptions{}.max_states, route::CheckOptions{}.max_places);
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
    text += "# expect: " + outcome_line(outcome) + "\n";
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
    bool check = false;
    std::string map_path, out_path, map_name, replays_dir;
    route::SearchOptions search;
    route::CheckOptions check_options;
};

bool parse_options(int argc, char **argv, Options &o) {
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--check") {
            o.check = true;
        } else if (a == "--replays" && i + 1 < argc) {
            o.replays_dir = argv[++i];
        } else if (a == "--max-places" && i + 1 < argc) {
            if (!number_in(argv[++i], 1, 100000000, o.check_options.max_places)) return false;
        } else if (a == "--map-name" && i + 1 < argc) {
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
    if (positional != (o.check ? 1 : 2) || (!o.check && !o.replays_dir.empty())) return false;
    if (o.map_name.empty()) o.map_name = base_name(o.map_path);
    return true;
}

// ---- The level check ------------------------------------------------------------------

std::string pickup_place(const PickupPlacement &p) {
    return route::place_text(route::Place{p.room % kWorldColumns, p.room / kWorldColumns,
                                          p.cell_column, p.cell_row});
}

std::string numbers(uint32_t set) {
    std::string text;
    for (int i = 0; i < 32; ++i)
        if ((set >> i) & 1) text += (text.empty() ? "" : ", ") + std::to_string(i + 1);
    return text;
}

// Writes a file whole; its path, or an empty text (and a message) when it cannot.
std::string save_text(const std::string &path, const std::string &text) {
    std::string why;
    if (tool_files::write_file_whole(path, text.data(), text.size(), why)) return path;
    fprintf(stderr, "vespertil-route: %s: %s\n", path.c_str(), why.c_str());
    return "";
}

// Writes one replay of the check into the replays folder, with what it shows and the
// line it ends with; returns its path, or an empty text when there is no folder.
std::string write_check_replay(const Options &o, const LevelMap &map,
                               const uint8_t (&digest)[kSha256Bytes], const std::string &file,
                               const std::string &what, const std::vector<KeyRecord> &frames) {
    if (o.replays_dir.empty()) return "";
    const std::string path = o.replays_dir + "/" + file;
    const std::string header = format_replay(o.map_name, digest, {});
    std::string text = header + "# " + what + "\n# Written by vespertil-route --check.\n";
    text += "# expect: " + outcome_line(route::run_route(map, frames)) + "\n";
    text += format_replay(o.map_name, digest, frames).substr(header.size());
    return save_text(path, text);
}

std::string replay_note(const std::string &path) {
    return path.empty() ? "" : " (replay: " + path + ")";
}

// Reports what cannot be reached, the traps and the room edges into walls; counts the
// problems.
int report_places(const Options &o, const LevelMap &map, const uint8_t (&digest)[kSha256Bytes],
                  const route::CheckResult &c) {
    int problems = 0;
    printf("places: %ld where the hero can stand%s\n", c.places,
           c.complete ? "" : ", and the check gave up there");
    if (!c.complete) {
        printf("NOT CHECKED: more than %ld places, or platforms that never come round "
               "(raise --max-places)\n", o.check_options.max_places);
        ++problems;
    }
    // A wall is a fault of the map; harm met over an edge is a warning to look at: a
    // player who walks in first sees it, one who jumps or falls in blind does not.
    for (std::size_t i = 0; i < c.crossings.size(); ++i) {
        const route::CrossingReport &x = c.crossings[i];
        std::string file = "edge_" + std::to_string(i + 1) + ".replay";
        std::string what = "leaving " + route::place_text(x.from) +
                           (x.harm ? " by a jump or a fall ends in harm at "
                                   : " puts the hero inside a solid cell at ") +
                           route::place_text(x.to);
        printf("%s: %s%s\n", x.harm ? "warning, room edge" : "room edge", what.c_str(),
               replay_note(write_check_replay(o, map, digest, file, what, x.frames)).c_str());
        if (!x.harm) ++problems;
    }
    if (!c.complete) return problems;
    for (int i = 0; i < kSwitchCount; ++i)
        if (!((c.switches_reachable >> i) & 1)) {
            printf("unreachable: switch %d at %s\n", i + 1, pickup_place(map.switches[i]).c_str());
            ++problems;
        }
    for (int i = 0; i < kRefillCount; ++i)
        if (!((c.refills_reachable >> i) & 1)) {
            printf("unreachable: refill %d at %s\n", i + 1, pickup_place(map.refills[i]).c_str());
            ++problems;
        }
    if (!c.door_reachable) {
        const MapHeader &h = map.header;
        printf("unreachable: the exit door at %s\n",
               route::place_text({h.exit_room_column, h.exit_room_row, h.exit_cell_column,
                                  h.exit_cell_row + 1}).c_str());
        ++problems;
    }
    for (std::size_t i = 0; i < c.traps.size(); ++i) {
        const route::TrapReport &t = c.traps[i];
        std::string what = "a trap at " + route::place_text(t.place) + " (" +
                           std::to_string(t.places) + " places): ";
        if (t.no_door) what += "no way on to the exit door";
        if (t.no_door && t.lost_switches) what += "; ";
        if (t.lost_switches) what += "switches " + numbers(t.lost_switches) + " can be left behind";
        std::string file = "trap_" + std::to_string(i + 1) + ".replay";
        printf("%s%s\n", what.c_str(),
               replay_note(write_check_replay(o, map, digest, file, what, t.frames)).c_str());
        ++problems;
    }
    if (c.trap_places > 0)
        printf("traps: %ld places in all from which the level cannot be won\n", c.trap_places);
    return problems;
}

int run_check(Options &o, const LevelMap &map, const uint8_t (&digest)[kSha256Bytes]) {
    std::error_code made;
    if (!o.replays_dir.empty()) std::filesystem::create_directories(o.replays_dir, made);
    if (made) {
        fprintf(stderr, "vespertil-route: %s: %s\n", o.replays_dir.c_str(), made.message().c_str());
        return kExitUsage;
    }
    auto started = std::chrono::steady_clock::now();
    route::CheckResult c = route::check_level(map, o.check_options);
    auto seconds_since = [](std::chrono::steady_clock::time_point t) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
    };
    double check_seconds = seconds_since(started);
    int problems = report_places(o, map, digest, c);

    started = std::chrono::steady_clock::now();
    o.search.reach = c.complete ? c.reach.get() : nullptr;
    route::SearchResult found = route::search_route(map, o.search);
    int lowest = 0;
    LevelOutcome outcome;
    if (found.found) outcome = route::run_route(map, found.frames, &lowest);
    if (!found.found) {
        printf("no route: %s\n", found.failure.c_str());
        ++problems;
    } else if (outcome.result != LevelResult::Completed) {
        printf("no route: the route found plays back to \"%s\"\n",
               outcome_line(outcome).c_str());
        ++problems;
    } else {
        std::string path;
        if (!o.replays_dir.empty())
            path = save_text(o.replays_dir + "/route.replay",
                             replay_text(o.map_name, digest, found, outcome));
        printf("route: %d frames, energy %d at the end and %d at its lowest%s\n", outcome.frames,
               outcome.energy, lowest, replay_note(path).c_str());
    }
    printf("searched in %.1f s (places) and %.1f s (route)\n", check_seconds,
           seconds_since(started));
    if (problems == 0) {
        printf("clean\n");
        return kExitFound;
    }
    printf("NOT clean: %d problem%s\n", problems, problems == 1 ? "" : "s");
    return kExitNoRoute;
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
    const char *replay_name = o.check ? "route.replay" : o.out_path.c_str();
    if (!parse_replay(header.data(), header.size(), replay_name, check, why)) {
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
    if (o.check) return run_check(o, *map, digest);
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
    if (outcome.result != LevelResult::Completed ||
        outcome.frames != static_cast<int>(found.frames.size())) {
        fprintf(stderr, "vespertil-route: %s: the route found plays back to \"%s\", not to the "
                        "exit door on frame %zu\n",
                map_path, outcome_line(outcome).c_str(), found.frames.size());
        return kExitNoRoute;
    }
    std::string text = replay_text(o.map_name, digest, found, outcome);
    if (!tool_files::write_file_whole(o.out_path, text.data(), text.size(), why)) {
        fprintf(stderr, "vespertil-route: %s: %s\n", o.out_path.c_str(), why.c_str());
        return kExitNoRoute;
    }
    printf("wrote %s, %d frames as map %s, searched in %.2f s\n", o.out_path.c_str(),
           outcome.frames, o.map_name.c_str(), seconds);
    printf("%s\n", outcome_line(outcome).c_str());
    return kExitFound;
}
