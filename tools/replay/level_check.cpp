// The level check. Every standing place of the hero that the level's rules can reach
// from the start is found, breadth first, with each way on from it (one choice of
// keys, held through the frames that follow it until the next choice, as the route
// search plays them) and what each way touches: switches, refills, the exit door.
//
// What a place leads to does not depend on the switches and refills already taken
// (they change no cell), nor on energy, nor on the enemies (they only cost energy).
// So the check plays the map without its enemies and with the energy filled at every
// place, and a place is the hero's position, his facing, his room and the phase of
// its platforms. The pickups a place can still reach are then worked out over the
// places grouped into sets that all reach one another (strongly connected), from the
// last such set back to the first. A set is a trap when the exit door cannot be
// reached from it, or when a switch cannot be reached from it and the hero can come
// there without having touched it (found by a search from the start that keeps off
// that switch): the level can no longer be won, whatever the hero does.
#include "level_check.h"

#include "route_level.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <set>
#include <tuple>

namespace route {

using namespace detail;

// Bits of what a way on touches: switches 0..24, refills 25..49, the door 50.
typedef uint64_t Gains;
constexpr uint32_t kAllSwitches = (1u << kSwitchCount) - 1;
constexpr uint32_t kAllRefills = (1u << kRefillCount) - 1;
constexpr int kRefillShift = kSwitchCount;
constexpr Gains kDoorBit = kDoorGain;
constexpr Gains kSwitchBits = kAllSwitches;


namespace {

constexpr std::size_t kMaxTrapReports = 20;
constexpr std::size_t kMaxCrossingReports = 20;

// A place as the check keeps it: the hero's energy and counts set back, every pickup
// present, so that places differ only in where the hero is and where the platforms are.
void normalise(Node &n) {
    n.hero.energy = kFullEnergy;
    n.hero.switches_thrown = 0;
    n.switches = kAllSwitches;
    n.refills = kAllRefills;
    n.falling_cue_started = 0;
    n.goal = false;
}

LevelMap without_enemies(const LevelMap &map) {
    LevelMap m = map;
    for (RoomRecord &r : m.rooms)
        for (ObjectSpawn &s : r.enemies) s.sprite = kEmptySlot;
    return m;
}

Place place_of(const PlayState &s) {
    HeroCells c = hero_cells(s.hero);
    return Place{s.room_column, s.room_row, c.tx, c.ty};
}

// The cells of the room the hero stands in that he overlaps.
bool inside_solid(const LevelMap &map, const PlayState &s) {
    HeroCells c = hero_cells(s.hero);
    const RoomRecord &r = map.rooms[current_room_index(s)];
    int last_column = hero_column_aligned(c) || c.tx >= kRoomColumns - 1 ? c.tx : c.tx + 1;
    int last_row = hero_row_aligned(c) || c.ty >= kRoomRows - 1 ? c.ty : c.ty + 1;
    for (int row = std::max(c.ty, 0); row <= std::min(last_row, kRoomRows - 1); ++row)
        for (int column = std::max(c.tx, 0); column <= std::min(last_column, kRoomColumns - 1);
             ++column)
            if (r.cells[row][column].flags & kCellSolid) return true;
    return false;
}

// The cell of the hero's top-left pixel, the one that harms him, is harmful.
bool in_harm(const LevelMap &map, const PlayState &s) {
    HeroCells c = hero_cells(s.hero);
    if (c.tx < 0 || c.tx >= kRoomColumns || c.ty < 0 || c.ty >= kRoomRows) return false;
    return (map.rooms[current_room_index(s)].cells[c.ty][c.tx].flags & kCellHarmful) != 0;
}

bool in_exit_door(const LevelMap &map, const PlayState &s) {
    const MapHeader &h = map.header;
    HeroCells c = hero_cells(s.hero);
    return s.room_column == h.exit_room_column && s.room_row == h.exit_room_row &&
           c.px == h.exit_cell_column * kTilePixels && c.py == (h.exit_cell_row + 1) * kTilePixels;
}

struct Way {
    int32_t to;
    int32_t frames;  // the frames it takes
    Gains gains;
};

} // namespace

class Reachability {
public:
    std::vector<Node> nodes;        // the standing places, the start first
    SeenStates seen;                // place -> node
    std::vector<int32_t> set_of;    // node -> its strongly connected set
    std::vector<Gains> reaches;     // set -> what can still be touched from it
    uint32_t periods[kRoomCount] = {};  // each room's platforms come round after this
    // The ways on backwards: the ways into node v are from[into_start[v]] ... with
    // their frames, for the frames still to go to a goal.
    std::vector<int32_t> into_start, into_from, into_frames;
    std::vector<int32_t> touch_start;  // the ways of node v that touch something,
    std::vector<Way> touches;          // as touches[touch_start[v]] ...
};

namespace {

struct Crossing {
    int32_t from;
    uint8_t action;
    int frames;
    Place out, in;
    bool harm;
};

class PlaceGraph {
public:
    PlaceGraph(const LevelMap &map, const CheckOptions &options, Reachability &r)
        : map_(map), level_(without_enemies(map)), options_(options), r_(r) {}

    // Every place reachable from the start, with its ways on. False when the places
    // outnumber the limit (or a room's platforms never come round).
    bool build() {
        r_.seen.clear();
        level_.start();
        FrameEnd end = level_.frame(kClosingKeys);
        if (end != FrameEnd::Playing) return false;
        Node first{};
        level_.save(first);
        start_gains_ = touched(first);
        if (in_exit_door(map_, level_.play())) start_gains_ |= kDoorBit;
        normalise(first);
        first.parent = -1;
        first.action = kClosingAction;
        first.held_frames = 1;
        add(first);
        for (std::size_t i = 0; i < r_.nodes.size(); ++i) {
            if (static_cast<long>(r_.nodes.size()) > options_.max_places || gave_up_) return false;
            way_start_.push_back(static_cast<int32_t>(ways_.size()));
            expand(static_cast<int32_t>(i));
        }
        way_start_.push_back(static_cast<int32_t>(ways_.size()));
        for (int room = 0; room < kRoomCount; ++room) r_.periods[room] = level_.objects_period(room);
        return !gave_up_;
    }

    Gains start_gains() const { return start_gains_; }
    const std::vector<Way> &ways() const { return ways_; }
    const std::vector<int32_t> &way_start() const { return way_start_; }
    const std::vector<Crossing> &crossings() const { return crossings_; }

private:
    static Gains touched(const Node &n) {
        return (kAllSwitches & ~n.switches) | Gains{kAllRefills & ~n.refills} << kRefillShift;
    }

    int32_t add(const Node &n) {
        int32_t next = static_cast<int32_t>(r_.nodes.size());
        int32_t old = r_.seen.find_or_add(state_key(n), next, r_.nodes);
        if (old >= 0) return old;
        r_.nodes.push_back(n);
        return next;
    }

    void expand(int32_t index) {
        const Node from = r_.nodes[index];
        level_.load(from);
        FrameEnd end;
        // The start may be in mid-air: then there is no choice to make yet.
        if (level_.frame_without_choice(0, end)) {
            follow(end, index, kNoKeysAction);
            return;
        }
        for (uint8_t a = 0; a < kActionCount; ++a) {
            level_.load(from);
            follow(level_.frame(action_keys(a)), index, a);
        }
    }

    // Holds the keys through the frames they cannot change, noting the door and the
    // room edges crossed, and keeps the place where the next choice is made.
    void follow(FrameEnd end, int32_t index, uint8_t action) {
        const KeyRecord keys = action_keys(action);
        Gains gains = 0;
        int room = r_.nodes[index].room;
        int left = -1; // the room left on this way, once another has been entered
        int frames_held = 1;
        for (int frames = 1;; ++frames) {
            frames_held = frames;
            if (end == FrameEnd::ObjectsTooLong) gave_up_ = true;
            // Harm that drains a full bar on one way on ends that way.
            if (end != FrameEnd::Playing) return;
            const PlayState &s = level_.play();
            if (in_exit_door(map_, s)) gains |= kDoorBit;
            if (current_room_index(s) != room) {
                if (inside_solid(map_, s)) note_crossing(index, action, frames, room, s, false);
                left = room;
                room = current_room_index(s);
            }
            // A room entered in a fall or a jump that ends in harm before the hero has
            // another choice.
            if (left >= 0 && in_harm(map_, s)) {
                note_crossing(index, action, frames, left, s, true);
                left = -1;
            }
            if (frames >= kMaxHeldFrames || !level_.frame_without_choice(keys, end)) break;
        }
        Node to{};
        level_.save(to);
        gains |= touched(to);
        normalise(to);
        const Node &from = r_.nodes[index];
        to.parent = index;
        to.action = action;
        to.frames = from.frames + 1;
        to.held_frames = static_cast<uint16_t>(frames_held);
        ways_.push_back(Way{add(to), frames_held, gains});
    }

    void note_crossing(int32_t index, uint8_t action, int frames, int room, const PlayState &s,
                       bool harm) {
        Place out = place_of_node(r_.nodes[index]);
        out.room_column = room % kWorldColumns;
        out.room_row = room / kWorldColumns;
        Place in = place_of(s);
        auto key = std::make_tuple(room * 2 + harm, in.room_column, in.room_row, in.cell_column,
                                   in.cell_row);
        if (!crossing_seen_.insert(key).second) return;
        crossings_.push_back(Crossing{index, action, frames, out, in, harm});
    }

    static Place place_of_node(const Node &n) {
        HeroCells c = hero_cells(n.hero);
        return Place{n.room % kWorldColumns, n.room / kWorldColumns, c.tx, c.ty};
    }

    const LevelMap &map_;
    Level level_;
    const CheckOptions &options_;
    Reachability &r_;
    Gains start_gains_ = 0;
    bool gave_up_ = false;
    std::vector<Way> ways_;
    std::vector<int32_t> way_start_;
    std::vector<Crossing> crossings_;
    std::set<std::tuple<int, int, int, int, int>> crossing_seen_;
};

// Tarjan's strongly connected sets, without recursion: a world holds millions of places.
// Sets are numbered as they are closed, so a set's ways lead only to itself and to
// sets of lower numbers, and the start's set is the last.
int32_t connected_sets(const std::vector<int32_t> &way_start, const std::vector<Way> &ways,
                       std::vector<int32_t> &set_of) {
    const int32_t n = static_cast<int32_t>(way_start.size()) - 1;
    std::vector<int32_t> order(n, -1), low(n, 0), stack;
    std::vector<bool> on_stack(n, false);
    std::vector<std::pair<int32_t, int32_t>> calls; // node, next way to follow
    set_of.assign(n, -1);
    int32_t counter = 0, sets = 0;
    for (int32_t root = 0; root < n; ++root) {
        if (order[root] >= 0) continue;
        calls.push_back({root, way_start[root]});
        order[root] = low[root] = counter++;
        stack.push_back(root);
        on_stack[root] = true;
        while (!calls.empty()) {
            int32_t v = calls.back().first;
            int32_t &next = calls.back().second;
            if (next < way_start[v + 1]) {
                int32_t w = ways[next++].to;
                if (order[w] < 0) {
                    order[w] = low[w] = counter++;
                    stack.push_back(w);
                    on_stack[w] = true;
                    calls.push_back({w, way_start[w]});
                } else if (on_stack[w]) {
                    low[v] = std::min(low[v], order[w]);
                }
                continue;
            }
            if (low[v] == order[v]) {
                int32_t w;
                do {
                    w = stack.back();
                    stack.pop_back();
                    on_stack[w] = false;
                    set_of[w] = sets;
                } while (w != v);
                ++sets;
            }
            calls.pop_back();
            if (!calls.empty()) {
                int32_t u = calls.back().first;
                low[u] = std::min(low[u], low[v]);
            }
        }
    }
    return sets;
}

// Keys from the level's start to a place, and on through `extra` frames of `action`:
// each step's keys held for the frames it took.
std::vector<KeyRecord> keys_to(const std::vector<Node> &nodes, int32_t index, uint8_t action,
                               int extra) {
    std::vector<KeyRecord> frames(extra, action_keys(action));
    for (int32_t i = index; i > 0; i = nodes[i].parent)
        frames.insert(frames.end(), nodes[i].held_frames, action_keys(nodes[i].action));
    frames.push_back(kClosingKeys);
    std::reverse(frames.begin(), frames.end());
    return frames;
}

// The ways into each place, with their frames, and the ways that touch something,
// for the frames still to go that the route search asks for.
void keep_ways_backwards(const std::vector<int32_t> &way_start, const std::vector<Way> &ways,
                         Reachability &r) {
    const int32_t n = static_cast<int32_t>(way_start.size()) - 1;
    r.into_start.assign(n + 1, 0);
    for (const Way &w : ways) ++r.into_start[w.to + 1];
    for (int32_t v = 0; v < n; ++v) r.into_start[v + 1] += r.into_start[v];
    r.into_from.resize(ways.size());
    r.into_frames.resize(ways.size());
    std::vector<int32_t> fill(r.into_start.begin(), r.into_start.end() - 1);
    r.touch_start.assign(1, 0);
    r.touches.clear();
    for (int32_t v = 0; v < n; ++v) {
        for (int32_t e = way_start[v]; e < way_start[v + 1]; ++e) {
            const int32_t at = fill[ways[e].to]++;
            r.into_from[at] = v;
            r.into_frames[at] = ways[e].frames;
            if (ways[e].gains) r.touches.push_back(ways[e]);
        }
        r.touch_start.push_back(static_cast<int32_t>(r.touches.size()));
    }
}

} // namespace

int32_t detail::place_index(const Reachability &r, const Node &n) {
    Node k = n;
    const uint32_t period = r.periods[n.room];
    if (period != 0) k.phase = k.key_phase = n.phase % period;
    normalise(k);
    return r.seen.find(state_key(k), r.nodes);
}

void detail::frames_to_aims(const Reachability &r, uint64_t aims, std::vector<int32_t> &frames) {
    const int32_t n = static_cast<int32_t>(r.nodes.size());
    frames.assign(n, kNoWay);
    typedef std::pair<int32_t, int32_t> Entry; // frames, place
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    for (int32_t v = 0; v < n && !r.touch_start.empty(); ++v)
        for (int32_t e = r.touch_start[v]; e < r.touch_start[v + 1]; ++e)
            if ((r.touches[e].gains & aims) && r.touches[e].frames < frames[v]) {
                frames[v] = r.touches[e].frames;
                open.push({frames[v], v});
            }
    while (!open.empty()) {
        Entry top = open.top();
        open.pop();
        if (top.first != frames[top.second]) continue;
        for (int32_t i = r.into_start[top.second]; i < r.into_start[top.second + 1]; ++i) {
            const int32_t u = r.into_from[i], f = top.first + r.into_frames[i];
            if (f < frames[u]) {
                frames[u] = f;
                open.push({f, u});
            }
        }
    }
}

bool detail::place_leads_on(const Reachability &r, const Node &n) {
    const int32_t index = place_index(r, n);
    if (index < 0) return true; // a place the check never met: nothing is known of it
    const Gains reaches = r.reaches[r.set_of[index]];
    return (reaches & kDoorBit) && (n.switches & ~reaches & kSwitchBits) == 0;
}

CheckResult check_level(const LevelMap &map, const CheckOptions &options) {
    CheckResult result;
    auto reach = std::make_shared<Reachability>();
    auto graph = std::make_unique<PlaceGraph>(map, options, *reach);
    result.complete = graph->build();
    result.places = static_cast<long>(reach->nodes.size());
    for (const Crossing &c : graph->crossings()) {
        if (result.crossings.size() == kMaxCrossingReports) break;
        result.crossings.push_back(CrossingReport{
            c.out, c.in, c.harm, keys_to(reach->nodes, c.from, c.action, c.frames)});
    }
    if (!result.complete) return result;

    const std::vector<Way> &ways = graph->ways();
    const std::vector<int32_t> &way_start = graph->way_start();
    const int32_t sets = connected_sets(way_start, ways, reach->set_of);
    keep_ways_backwards(way_start, ways, *reach);
    const int32_t n = static_cast<int32_t>(reach->nodes.size());
    std::vector<int32_t> by_set(n), set_first(sets + 1, 0);
    for (int32_t v = 0; v < n; ++v) ++set_first[reach->set_of[v] + 1];
    for (int32_t s = 0; s < sets; ++s) set_first[s + 1] += set_first[s];
    {
        std::vector<int32_t> fill(set_first.begin(), set_first.end() - 1);
        for (int32_t v = 0; v < n; ++v) by_set[fill[reach->set_of[v]]++] = v;
    }

    // What can still be touched from each set: the sets it leads to have lower numbers
    // and are done first.
    reach->reaches.assign(sets, 0);
    for (int32_t s = 0; s < sets; ++s) {
        Gains r = 0;
        for (int32_t i = set_first[s]; i < set_first[s + 1]; ++i) {
            int32_t v = by_set[i];
            for (int32_t e = way_start[v]; e < way_start[v + 1]; ++e)
                r |= ways[e].gains | reach->reaches[reach->set_of[ways[e].to]];
        }
        reach->reaches[s] = r;
    }

    // A switch or the door that no place reaches is reported as such, not as a trap
    // at every place.
    const int32_t start_set = reach->set_of[0];
    const Gains all = reach->reaches[start_set] | graph->start_gains();
    const Gains needed = all & (kSwitchBits | kDoorBit);
    // What each set loses: the door when it lies behind; a switch when the hero can
    // come to the set without having touched it, and cannot touch it from there.
    std::vector<Gains> lost(sets, 0);
    for (int32_t s = 0; s < sets; ++s) lost[s] = needed & kDoorBit & ~reach->reaches[s];
    std::vector<bool> seen(n);
    std::vector<int32_t> queue;
    for (int i = 0; i < kSwitchCount; ++i) {
        const Gains bit = Gains{1} << i;
        if (!(needed & bit) || (graph->start_gains() & bit)) continue;
        std::fill(seen.begin(), seen.end(), false);
        queue.assign(1, 0);
        seen[0] = true;
        for (std::size_t q = 0; q < queue.size(); ++q) {
            const int32_t v = queue[q];
            if (!(reach->reaches[reach->set_of[v]] & bit)) lost[reach->set_of[v]] |= bit;
            for (int32_t e = way_start[v]; e < way_start[v + 1]; ++e)
                if (!(ways[e].gains & bit) && !seen[ways[e].to]) {
                    seen[ways[e].to] = true;
                    queue.push_back(ways[e].to);
                }
        }
    }
    std::vector<bool> trap(sets, false), entry(sets, false);
    for (int32_t s = 0; s < sets; ++s) trap[s] = lost[s] != 0;
    entry[start_set] = trap[start_set];
    for (int32_t v = 0; v < n; ++v)
        for (int32_t e = way_start[v]; e < way_start[v + 1]; ++e)
            if (!trap[reach->set_of[v]]) entry[reach->set_of[ways[e].to]] = true;

    result.switches_reachable = static_cast<uint32_t>(all & kSwitchBits);
    result.refills_reachable = static_cast<uint32_t>((all >> kRefillShift) & kAllRefills);
    result.door_reachable = (all & kDoorBit) != 0;
    // One trap is the trap sets that ways join: a pit is entered at many places (each
    // jump into it lands somewhere its floor cannot lead back to), all leading to its
    // floor. It is shown at the first place the search met of its sets entered from
    // outside, and loses what any of its sets loses.
    std::vector<int32_t> joined(sets);
    for (int32_t s = 0; s < sets; ++s) joined[s] = s;
    auto find = [&joined](int32_t s) {
        while (joined[s] != s) s = joined[s] = joined[joined[s]];
        return s;
    };
    for (int32_t v = 0; v < n; ++v)
        for (int32_t e = way_start[v]; e < way_start[v + 1]; ++e) {
            int32_t a = reach->set_of[v], b = reach->set_of[ways[e].to];
            if (trap[a] && trap[b]) joined[find(a)] = find(b);
        }
    struct Trap {
        int32_t first = -1;  // the first place met of a set entered from outside
        TrapReport report;
    };
    std::vector<Trap> traps(sets);
    for (int32_t s = 0; s < sets; ++s) {
        if (!trap[s]) continue;
        Trap &t = traps[find(s)];
        const long places = set_first[s + 1] - set_first[s];
        result.trap_places += places;
        t.report.places += places;
        if (lost[s] & kDoorBit) t.report.no_door = true;
        t.report.lost_switches |= static_cast<uint32_t>(lost[s] & kSwitchBits);
        const int32_t first = by_set[set_first[s]];
        if (entry[s] && (t.first < 0 || first < t.first)) t.first = first;
    }
    std::vector<int32_t> firsts;
    for (int32_t s = 0; s < sets; ++s)
        if (traps[s].first >= 0) firsts.push_back(s);
    std::sort(firsts.begin(), firsts.end(),
              [&traps](int32_t a, int32_t b) { return traps[a].first < traps[b].first; });
    for (int32_t s : firsts) {
        if (result.traps.size() == kMaxTrapReports) break;
        TrapReport &t = traps[s].report;
        const Node &node = reach->nodes[traps[s].first];
        HeroCells c = hero_cells(node.hero);
        t.place = Place{node.room % kWorldColumns, node.room / kWorldColumns, c.tx, c.ty};
        t.frames = keys_to(reach->nodes, traps[s].first, kNoKeysAction, 0);
        result.traps.push_back(t);
    }
    result.reach = reach;
    return result;
}

} // namespace route
