// The route search. Every frame is played by the level's own rules (run_frame_rules,
// enter_room); the search only chooses keys and remembers where it has been. Each goal
// is searched best first: by frames spent plus a guess of the frames still to go from
// a rough map of the cells (the guide, below), choosing keys only on frames where
// they can change something.
//
// A search state is small: the hero, his room, the switches and refills still up, and
// the phase of the room's enemies and platforms. Objects never look at the hero or
// the cells, and every room entry builds them afresh at their starting ends, so their
// whole state is a function of the frames since the room was entered; it comes round
// again after a period, and each object's round of its track is worked out once and
// shared by every state, instead of 900 bytes of object records per state.
//
// Two states that differ only in what no rule reads back (the walking picture, the
// frames fallen so far, the falling cue, a finished jump's step and kind) are one
// state. Energy is left out of the comparison too, so that a place is not searched
// again for every bruise; but a state reached again with more energy replaces the
// old one, so the search can still find the way round an enemy when the short way
// through it would cost the level later.
#include "route_search.h"

#include "route_level.h"

#include "world/map_format.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace route {

namespace {

using namespace detail;

// ---- One goal -----------------------------------------------------------------------

enum class GoalKind { NextSwitch, Door };

struct GoalSearch {
    bool reached = false;
    bool gave_up = false;       // too many states
    bool objects_too_long = false;
    int objects_room = 0;
    Node end{};                 // the state that reached the goal
    std::vector<uint8_t> actions;
    long states = 0;
};

void trace_back(const std::vector<Node> &nodes, int32_t last, GoalSearch &g) {
    for (int32_t i = last; i > 0; i = nodes[i].parent)
        g.actions.insert(g.actions.end(), nodes[i].held_frames, nodes[i].action);
    std::reverse(g.actions.begin(), g.actions.end());
}

// ---- The guide ------------------------------------------------------------------------
//
// Which states to search first is told by a rough map of the world: the hero as a
// cell that walks into open cells beside it, falls into open cells below, and rises
// at most two cells above wherever something could hold him up (a solid cell or a
// ledge below, a platform's track, the bottom of the world). Across rooms the cells
// join as the room edges join them. The frames from each such cell to the goal, by
// walking pace across and up and falling pace down, are worked out backwards from
// the goal once per goal. The guess is rough (it knows nothing of enemies, harm,
// conveyors or when a platform is where), so a route may be a few frames longer than
// the shortest; but it keeps the search out of places the cells shut off, such as the
// room under a floor.

constexpr int kRise = 2;                    // cells a jump rises
constexpr int kRiseStates = kRise + 1;      // cells of rise left: 0, 1 or 2
constexpr int kCellsPerRoom = kRoomColumns * kRoomRows;
constexpr int kGuideNodes = kRoomCount * kCellsPerRoom * kRiseStates;
constexpr int kFramesAcross = kTilePixels / 2; // walking: 2 pixels a frame
constexpr int kFramesUp = kTilePixels / 2;
constexpr int kFramesDown = kTilePixels / 4;   // falling: 4 pixels a frame
// Where the rough map sees no way, the guess is this: far, but still searched.
constexpr int kNoWayFrames = 100000;

int guide_node(int room, int column, int row, int rise) {
    return ((room * kRoomRows + row) * kRoomColumns + column) * kRiseStates + rise;
}

class Guide {
public:
    explicit Guide(const LevelMap &map) : frames_(kGuideNodes, kNoWayFrames) {
        mark_holds(map);
        for (int room = 0; room < kRoomCount; ++room)
            for (int row = 0; row < kRoomRows; ++row)
                for (int column = 0; column < kRoomColumns; ++column)
                    link_cell(map, room, column, row);
    }

    // Works out the frames to go from every cell, backwards from the goal cells.
    void aim_at(const std::vector<int> &goal_cells) {
        std::fill(frames_.begin(), frames_.end(), kNoWayFrames);
        std::vector<std::vector<int>> buckets(1);
        for (int cell : goal_cells)
            for (int rise = 0; rise < kRiseStates; ++rise) {
                frames_[cell * kRiseStates + rise] = 0;
                buckets[0].push_back(cell * kRiseStates + rise);
            }
        for (std::size_t d = 0; d < buckets.size(); ++d) {
            for (std::size_t i = 0; i < buckets[d].size(); ++i) {
                int node = buckets[d][i];
                if (frames_[node] != static_cast<int>(d)) continue;
                for (const Edge &e : into_[node]) {
                    int f = static_cast<int>(d) + e.frames;
                    if (f >= frames_[e.node]) continue;
                    frames_[e.node] = f;
                    if (buckets.size() <= static_cast<std::size_t>(f)) buckets.resize(f + 1);
                    buckets[f].push_back(e.node);
                }
            }
        }
    }

    int frames_to_go(const Node &n) const {
        HeroCells c = hero_cells(n.hero);
        int column = c.tx < 0 ? 0 : c.tx >= kRoomColumns ? kRoomColumns - 1 : c.tx;
        int row = c.ty < 0 ? 0 : c.ty >= kRoomRows ? kRoomRows - 1 : c.ty;
        int rise = kRise;
        if (n.hero.jumping) rise = n.hero.jump_step < kJumpSteps / 2 ? 1 : 0;
        return frames_[guide_node(n.room, column, row, rise)];
    }

    static int cell_index(int room, int column, int row) {
        return (room * kRoomRows + row) * kRoomColumns + column;
    }

private:
    struct Edge {
        int node, frames;
    };

    bool open(const LevelMap &map, int room, int column, int row) const {
        return !cell_is_solid_in(map.rooms[room], column, row);
    }
    static bool cell_is_solid_in(const RoomRecord &r, int column, int row) {
        return (r.cells[row][column].flags & kCellSolid) != 0;
    }

    // Cells where the hero can stand: over a solid cell or a ledge, over any cell a
    // platform passes, and the bottom row of the bottom rooms.
    void mark_holds(const LevelMap &map) {
        held_.assign(kRoomCount * kCellsPerRoom, false);
        for (int room = 0; room < kRoomCount; ++room) {
            const RoomRecord &r = map.rooms[room];
            for (int row = 0; row < kRoomRows; ++row)
                for (int column = 0; column < kRoomColumns; ++column) {
                    bool floor = row + 1 < kRoomRows
                                     ? (r.cells[row + 1][column].flags & (kCellSolid | kCellLedge)) != 0
                                     : room / kWorldColumns == kWorldRows - 1;
                    if (floor) held_[cell_index(room, column, row)] = true;
                }
            for (const ObjectSpawn &p : r.platforms) {
                if (p.sprite == kEmptySlot) continue;
                mark_track(room, p);
            }
        }
    }

    void mark_track(int room, const ObjectSpawn &p) {
        int column = p.a_column, row = p.a_row;
        for (;;) {
            if (row >= 1) held_[cell_index(room, column, row - 1)] = true;
            if (column == p.b_column && row == p.b_row) break;
            column += (p.b_column > column) - (p.b_column < column);
            row += (p.b_row > row) - (p.b_row < row);
        }
    }

    // The cell a move leads to across the room edges; false off the world.
    static bool step(int &room, int &column, int &row, int dc, int dr) {
        int rc = room % kWorldColumns, rr = room / kWorldColumns;
        column += dc;
        row += dr;
        if (column < 0) { column = kRoomColumns - 1; --rc; }
        if (column >= kRoomColumns) { column = 0; ++rc; }
        if (row < 0) { row = kRoomRows - 1; --rr; }
        if (row >= kRoomRows) { row = 0; ++rr; }
        if (rc < 0 || rc >= kWorldColumns || rr < 0 || rr >= kWorldRows) return false;
        room = room_index_of(rc, rr);
        return true;
    }

    void add(int from, int to, int frames) { into_[to].push_back(Edge{from, frames}); }

    void link_cell(const LevelMap &map, int room, int column, int row) {
        if (into_.empty()) into_.resize(kGuideNodes);
        if (!open(map, room, column, row)) return;
        bool held = held_[cell_index(room, column, row)];
        for (int rise = 0; rise < kRiseStates; ++rise) {
            int left = held ? kRise : rise; // standing, he can jump again
            int from = guide_node(room, column, row, rise);
            link_move(map, from, room, column, row, -1, 0, left, kFramesAcross);
            link_move(map, from, room, column, row, 1, 0, left, kFramesAcross);
            if (left > 0) link_move(map, from, room, column, row, 0, -1, left - 1, kFramesUp);
            if (!held) link_move(map, from, room, column, row, 0, 1, 0, kFramesDown);
        }
    }

    void link_move(const LevelMap &map, int from, int room, int column, int row, int dc, int dr,
                   int rise, int frames) {
        if (!step(room, column, row, dc, dr) || !open(map, room, column, row)) return;
        if (held_[cell_index(room, column, row)]) rise = kRise;
        add(from, guide_node(room, column, row, rise), frames);
    }

    std::vector<bool> held_;
    std::vector<std::vector<Edge>> into_;
    std::vector<int> frames_;
};

// The cells where the hero's top-left pixel meets the goal: a switch is touched from
// the cell it is in and those a pixel short of it above and to the left; the door
// only from its lower cell.
std::vector<int> goal_cells(const LevelMap &map, GoalKind kind, uint32_t aims) {
    std::vector<int> cells;
    if (kind == GoalKind::Door) {
        const MapHeader &h = map.header;
        int room = room_index_of(h.exit_room_column, h.exit_room_row);
        cells.push_back(Guide::cell_index(room, h.exit_cell_column, h.exit_cell_row + 1));
        return cells;
    }
    for (int i = 0; i < kSwitchCount; ++i) {
        if (!((aims >> i) & 1)) continue;
        const SwitchPlacement &p = map.switches[i];
        for (int dc = -1; dc <= 0; ++dc)
            for (int dr = -1; dr <= 0; ++dr) {
                int column = p.cell_column + dc, row = p.cell_row + dr;
                if (column >= 0 && row >= 0) cells.push_back(Guide::cell_index(p.room, column, row));
            }
    }
    return cells;
}

// A point of energy lost counts as this many frames spent: the search goes round an
// enemy rather than through it, and out of its way for a refill, when that is worth
// the time, so that a long level is not left with too little energy for its end.
constexpr int kFramesPerEnergy = 4;

// States waiting to be searched, by frames so far plus frames still guessed; among
// equals the newest first, so a search that is on its way keeps going.
class OpenStates {
public:
    void clear() {
        for (std::vector<int32_t> &b : buckets_) b.clear();
        lowest_ = 0;
        count_ = 0;
    }
    void push(int priority, int32_t node) {
        if (priority >= static_cast<int>(buckets_.size())) buckets_.resize(priority + 1);
        buckets_[priority].push_back(node);
        if (priority < lowest_) lowest_ = priority;
        ++count_;
    }
    bool pop(int32_t &node) {
        if (count_ == 0) return false;
        while (buckets_[lowest_].empty()) ++lowest_;
        node = buckets_[lowest_].back();
        buckets_[lowest_].pop_back();
        --count_;
        return true;
    }

private:
    std::vector<std::vector<int32_t>> buckets_;
    int lowest_ = 0;
    std::size_t count_ = 0;
};

// A jump runs its course and a fall goes on whatever keys are held, so the search
// chooses keys only where the hero stands and could walk or jump: a step of the search
// is one choice of keys, held on through every frame after it that they cannot change.
// Only the states where the next choice is made are kept and compared, which leaves
// out the thirty-odd states inside every jump.
class GoalSearcher {
public:
    GoalSearcher(Level &level, const SearchOptions &options)
        : level_(level), options_(options), guide_(level.map()) {}

    // Best first from `start`, by frames so far plus a guess of the frames to go
    // (with no guess, breadth first: the fewest frames). `aims`: the switches sought.
    GoalSearch search(const Node &start, GoalKind kind, uint32_t aims, long max_states) {
        GoalSearch g;
        kind_ = kind;
        start_ = start;
        aims_ = aims;
        if (options_.guide_weight > 0) guide_.aim_at(goal_cells(level_.map(), kind, aims));
        if (options_.guide_weight > 0 && options_.reach)
            frames_to_aims(*options_.reach, kind == GoalKind::Door ? kDoorGain : aims, exact_);
        nodes_.clear();
        seen_.clear();
        open_.clear();
        nodes_.push_back(start);
        nodes_[0].parent = -1;
        nodes_[0].frames = 0;
        nodes_[0].goal = false;
        seen_.find_or_add(state_key(nodes_[0]), 0, nodes_);
        open_.push(priority(nodes_[0]), 0);
        int32_t index;
        while (open_.pop(index)) {
            if (static_cast<long>(nodes_.size()) > max_states) {
                g.gave_up = true;
                break;
            }
            const Node from = nodes_[index];
            if (from.goal) {
                finish(index, g);
                break;
            }
            // A state found again by a better way was searched from its newer copy.
            if (seen_.find(state_key(from), nodes_) != index) continue;
            if (expand(from, index, g)) break;
        }
        g.states = static_cast<long>(nodes_.size());
        return g;
    }

private:
    // With the check's places the frames to go are those of its ways on, which know
    // every wall; else the rough guide's.
    int priority(const Node &n) const {
        if (options_.guide_weight <= 0) return n.frames;
        int to_go = guide_.frames_to_go(n);
        if (options_.reach) {
            const int32_t place = place_index(*options_.reach, n);
            if (place >= 0) to_go = std::min(exact_[place], kNoWayFrames);
        }
        return n.frames + kFramesPerEnergy * (kFullEnergy - n.hero.energy) +
               options_.guide_weight * to_go;
    }

    // Tries every choice of keys from one state; true when the search is over.
    bool expand(const Node &from, int32_t index, GoalSearch &g) {
        // Where the keys change nothing (the search's start may be in mid-air) the
        // keys held before are held on, which keeps the replay's lines few.
        level_.load(from);
        FrameEnd end;
        uint8_t held = from.action < kActionCount ? from.action : kNoKeysAction;
        if (level_.frame_without_choice(action_keys(held), end))
            return hold_on(end, 1, from, index, held, g);
        for (uint8_t a = 0; a < kActionCount; ++a) {
            if (a > 0) level_.load(from);
            if (hold_on(level_.frame(action_keys(a)), 1, from, index, a, g)) return true;
        }
        return false;
    }

    // Goes on holding `action` after `frames` frames of it while the keys change
    // nothing, then keeps the state where they matter again.
    bool hold_on(FrameEnd end, int frames, const Node &from, int32_t index, uint8_t action,
                 GoalSearch &g) {
        const KeyRecord keys = action_keys(action);
        bool switch_thrown = false;
        for (;;) {
            if (end == FrameEnd::ObjectsTooLong) {
                g.objects_too_long = true;
                g.objects_room = current_room_index(level_.play());
                return true;
            }
            if (!switch_thrown && goal_met(end)) {
                // With the check's help a switch is judged where the hero next stands.
                if (kind_ == GoalKind::Door || !options_.reach) {
                    reach_goal(index, action, frames, from);
                    return false;
                }
                switch_thrown = true;
            }
            if (end != FrameEnd::Playing) return false; // the energy ran out
            if (frames >= kMaxHeldFrames || !level_.frame_without_choice(keys, end)) break;
            ++frames;
        }
        Node to{};
        level_.save(to);
        if (options_.reach && !place_leads_on(*options_.reach, to)) return false;
        if (switch_thrown)
            reach_goal(index, action, frames, from);
        else
            keep(to, index, action, frames, from);
        return false;
    }

    // A switch sought thrown; another one thrown on the way is only kept as thrown.
    bool goal_met(FrameEnd end) const {
        if (kind_ == GoalKind::Door) return end == FrameEnd::Completed;
        if (end == FrameEnd::Lost ||
            level_.play().hero.switches_thrown == start_.hero.switches_thrown)
            return false;
        return (start_.switches & ~present_set(level_.map().switches) & aims_) != 0;
    }

    void link(Node &to, int32_t index, uint8_t action, int frames, const Node &from) {
        to.parent = index;
        to.action = action;
        to.held_frames = static_cast<uint16_t>(frames);
        to.frames = from.frames + frames;
    }

    // A goal reached is searched like any state, by the frames it took, so that a
    // shorter way found later still wins.
    void reach_goal(int32_t index, uint8_t action, int frames, const Node &from) {
        Node to{};
        level_.save(to);
        link(to, index, action, frames, from);
        to.goal = true;
        nodes_.push_back(to);
        open_.push(to.frames, static_cast<int32_t>(nodes_.size() - 1));
    }

    void finish(int32_t index, GoalSearch &g) {
        g.reached = true;
        g.end = nodes_[index];
        trace_back(nodes_, index, g);
    }

    void keep(Node to, int32_t index, uint8_t action, int frames, const Node &from) {
        link(to, index, action, frames, from);
        StateKey key = state_key(to);
        int32_t next = static_cast<int32_t>(nodes_.size());
        int32_t old = seen_.find_or_add(key, next, nodes_);
        if (old >= 0) {
            const Node &o = nodes_[old];
            if (to.frames >= o.frames && to.hero.energy <= o.hero.energy) return;
            seen_.replace(key, next, nodes_);
        }
        nodes_.push_back(to);
        open_.push(priority(to), next);
    }

    Level &level_;
    const SearchOptions &options_;
    GoalKind kind_ = GoalKind::NextSwitch;
    Node start_{};
    uint32_t aims_ = 0;
    Guide guide_;
    std::vector<int32_t> exact_;  // frames to go from each of the check's places
    std::vector<Node> nodes_;
    SeenStates seen_;
    OpenStates open_;
};

// ---- Reports ------------------------------------------------------------------------

std::string number(int v) { return std::to_string(v); }

GoalReport switch_report(const LevelMap &map, int i) {
    GoalReport r;
    const SwitchPlacement &p = map.switches[i];
    r.switch_number = i + 1;
    r.room_column = p.room % kWorldColumns;
    r.room_row = p.room / kWorldColumns;
    r.cell_column = p.cell_column;
    r.cell_row = p.cell_row;
    return r;
}

GoalReport door_report(const LevelMap &map) {
    GoalReport r;
    r.door = true;
    r.room_column = map.header.exit_room_column;
    r.room_row = map.header.exit_room_row;
    r.cell_column = map.header.exit_cell_column;
    r.cell_row = map.header.exit_cell_row;
    return r;
}

std::string hero_place(const Node &n) {
    HeroCells c = hero_cells(n.hero);
    return place_text(Place{n.room % kWorldColumns, n.room / kWorldColumns, c.tx, c.ty});
}

// Why a goal failed, naming what could not be reached and from where.
std::string failure_text(const LevelMap &map, const Node &start, GoalKind kind,
                         const GoalSearch &g, long max_states) {
    std::string what;
    int count = 1;
    if (kind == GoalKind::Door) {
        what = goal_text(door_report(map));
    } else {
        count = 0;
        for (int i = 0; i < kSwitchCount; ++i) {
            if (!((start.switches >> i) & 1)) continue;
            what += (count++ ? "; " : "") + goal_text(switch_report(map, i));
        }
    }
    const std::string from =
        "from " + hero_place(start) + " with energy " + number(start.hero.energy);
    if (g.objects_too_long) {
        int room = g.objects_room;
        return "the objects of room " + number(room % kWorldColumns) + "," +
               number(room / kWorldColumns) + " do not come back to their start within " +
               number(static_cast<int>(kMaxObjectPhases)) + " frames; gave up looking for " +
               what;
    }
    if (g.gave_up)
        return "gave up looking for " + what + " " + from + " after " +
               std::to_string(max_states) + " states (raise --max-states)";
    if (count == 1) return what + " cannot be reached " + from;
    return "none of the " + number(count) + " switches still up can be reached " + from + ": " +
           what;
}

// The switches thrown by the last frame of a goal: those up at its start and down now.
void report_switches(const LevelMap &map, const Node &start, const Node &end, int frame,
                     long states, const SearchOptions &options, std::vector<GoalReport> &goals) {
    uint32_t thrown = start.switches & ~end.switches;
    for (int i = 0; i < kSwitchCount; ++i) {
        if (!((thrown >> i) & 1)) continue;
        GoalReport r = switch_report(map, i);
        r.frame = frame;
        r.energy = end.hero.energy;
        r.states = states;
        goals.push_back(r);
        if (options.goal_reached) options.goal_reached(options.context, r);
    }
}

} // namespace

bool level_map_from_bytes(const uint8_t *bytes, std::size_t size, LevelMap &map) {
    if (!bytes || size < kMapFileSize) return false;
    map = LevelMap{};
    parse_map_header(bytes + kMapHeaderOffset, map.header);
    make_header_safe(map.header);
    for (int r = 0; r < kRoomCount; ++r) {
        parse_room_record(bytes + kRoomsOffset + r * kRoomRecordSize, map.rooms[r]);
        make_room_safe(map.rooms[r]);
    }
    for (int i = 0; i < kSwitchCount; ++i) {
        PlacementRecord p;
        parse_placement_record(bytes + kSwitchRecordsOffset + i * kPlacementRecordSize, p);
        make_placement_safe(p);
        fill_placement(p, map.switches[i]);
    }
    for (int i = 0; i < kRefillCount; ++i) {
        PlacementRecord p;
        parse_placement_record(bytes + kRefillRecordsOffset + i * kPlacementRecordSize, p);
        make_placement_safe(p);
        fill_placement(p, map.refills[i]);
    }
    return true;
}

std::string place_text(const Place &p) {
    return "room " + number(p.room_column) + "," + number(p.room_row) + " cell " +
           number(p.cell_column) + "," + number(p.cell_row);
}

std::string goal_text(const GoalReport &g) {
    std::string where = place_text(Place{g.room_column, g.room_row, g.cell_column, g.cell_row});
    if (g.door) return "the exit door at " + where;
    return "switch " + number(g.switch_number) + " at " + where;
}

namespace {

// The search for the switches of the hero's row and above looks at this share of the
// states a goal may look at.
constexpr long kPreferredShare = 16;

// The switches still up in the hero's row of rooms and the rows above it.
uint32_t switches_not_below(const LevelMap &map, const Node &n) {
    uint32_t set = 0;
    for (int i = 0; i < kSwitchCount; ++i)
        if (((n.switches >> i) & 1) && map.switches[i].room / kWorldColumns <= n.room / kWorldColumns)
            set |= 1u << i;
    return set;
}

// The next goal. A jump rises two cells and a room is nine high, so a fall into the
// room below is seldom undone: the switches of the hero's row and those above are
// sought first, and only when none of them can be reached the nearest of all.
GoalSearch search_next(GoalSearcher &searcher, const LevelMap &map, const Node &at,
                       GoalKind kind, long max_states) {
    uint32_t first = kind == GoalKind::NextSwitch ? switches_not_below(map, at) : 0;
    if (first != 0 && first != at.switches) {
        // Only a preference: a way to them that is not soon found may lead through
        // the rooms below, and the search of every switch finds it as well.
        GoalSearch g = searcher.search(at, kind, first, max_states / kPreferredShare);
        if (g.reached) return g;
    }
    return searcher.search(at, kind, at.switches, max_states);
}

} // namespace

SearchResult search_route(const LevelMap &map, const SearchOptions &options) {
    SearchResult result;
    auto level = std::make_unique<Level>(map);
    level->start();
    Node start{};
    level->save(start);
    start.action = kNoAction;

    // The first frame plays with the record that closed the intro panel.
    FrameEnd end = level->frame(kClosingKeys);
    result.frames.push_back(kClosingKeys);
    if (end != FrameEnd::Playing) {
        result.failure = "the level is over on its first frame";
        return result;
    }
    Node after_first{};
    level->save(after_first);
    after_first.action = kClosingAction;
    report_switches(map, start, after_first, 1, 0, options, result.goals);

    GoalSearcher searcher(*level, options);
    Node at = after_first;
    while (true) {
        GoalKind kind = at.hero.switches_thrown >= kSwitchCount ? GoalKind::Door
                                                                 : GoalKind::NextSwitch;
        GoalSearch g = search_next(searcher, map, at, kind, options.max_states);
        if (!g.reached) {
            result.failure = failure_text(map, at, kind, g, options.max_states);
            return result;
        }
        for (uint8_t a : g.actions) result.frames.push_back(action_keys(a));
        int frame = static_cast<int>(result.frames.size());
        if (kind == GoalKind::Door) {
            GoalReport r = door_report(map);
            r.frame = frame;
            r.energy = g.end.hero.energy;
            r.states = g.states;
            result.goals.push_back(r);
            if (options.goal_reached) options.goal_reached(options.context, r);
            result.found = true;
            return result;
        }
        report_switches(map, at, g.end, frame, g.states, options, result.goals);
        at = g.end;
    }
}

LevelOutcome run_route(const LevelMap &map, const std::vector<KeyRecord> &frames,
                       int *lowest_energy) {
    auto level = std::make_unique<LevelMap>(map);
    PlayState s{};
    start_level_rules(s, *level);
    std::size_t next = 0;
    LevelOutcome outcome;
    while (!s.quit) {
        enter_room(s, *level);
        while (!s.room_exit) {
            if (next == frames.size()) {
                s.result = LevelResult::Unfinished;
                s.quit = true;
                break;
            }
            FrameEvents ev;
            run_frame_rules(s, *level, frames[next++], ev);
            if (lowest_energy && (next == 1 || s.hero.energy < *lowest_energy))
                *lowest_energy = s.hero.energy;
        }
    }
    outcome.result = s.result;
    outcome.frames = static_cast<int>(next);
    outcome.switches = s.hero.switches_thrown;
    outcome.energy = s.hero.energy;
    return outcome;
}

} // namespace route
