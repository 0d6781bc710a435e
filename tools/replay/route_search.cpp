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
// again after a period, and each room's objects are worked out once per phase and
// shared by every state, instead of 900 bytes of object records per state.
//
// Two states that differ only in what no rule reads back (the walking picture, the
// frames fallen so far, the falling cue, a finished jump's step and kind) are one
// state. Energy is left out of the comparison too, so that a place is not searched
// again for every bruise; but a state reached again with more energy replaces the
// old one, so the search can still find the way round an enemy when the short way
// through it would cost the level later.
#include "route_search.h"

#include "world/map_format.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace route {

namespace {

// ---- The keys tried on a frame where they matter ------------------------------------

constexpr KeyRecord kLeft = key_bit(Key::Left);
constexpr KeyRecord kRight = key_bit(Key::Right);
constexpr KeyRecord kUp = key_bit(Key::Up);
constexpr KeyRecord kDown = key_bit(Key::Down);

// Walking either way or not, with a high jump, a long jump or none. A walking key with
// a jump key turns and steps before the jump, so those are moves of their own.
constexpr KeyRecord kActions[] = {
    0, kLeft, kRight, kUp, kDown, kLeft | kUp, kRight | kUp, kLeft | kDown, kRight | kDown,
};
constexpr int kActionCount = static_cast<int>(sizeof kActions / sizeof kActions[0]);
constexpr uint8_t kNoKeysAction = 0;
constexpr uint8_t kClosingAction = kActionCount; // the first frame's keys
constexpr uint8_t kNoAction = kActionCount + 1;  // a search's starting state

KeyRecord action_keys(uint8_t action) {
    if (action == kClosingAction) return kClosingKeys;
    if (action < kActionCount) return kActions[action];
    return 0;
}

// ---- The objects of each room, phase by phase ---------------------------------------

// A period this long means objects whose tracks hardly ever line up again; the
// search gives up on such a room rather than hold its phases.
constexpr uint32_t kMaxObjectPhases = 1u << 20;

struct RoomObjects {
    bool built = false;
    ObjectGroup enemies, platforms;    // as a room entry builds them
    std::vector<int> slots;            // active slots: enemies 0..24, platforms 25..49
    std::vector<MovingObject> phases;  // slots.size() records for each phase worked out
    uint32_t period = 0;               // 0 until the objects are seen back at the start
};

bool same_object(const MovingObject &a, const MovingObject &b) {
    return a.x == b.x && a.y == b.y && a.vx == b.vx && a.vy == b.vy && a.sprite == b.sprite &&
           a.frame == b.frame && a.ax == b.ax && a.ay == b.ay && a.bx == b.bx && a.by == b.by;
}

MovingObject &slot_object(ObjectGroup &enemies, ObjectGroup &platforms, int slot) {
    return slot < kObjectsPerGroup ? enemies[slot] : platforms[slot - kObjectsPerGroup];
}

class ObjectPhases {
public:
    explicit ObjectPhases(const LevelMap &map) : map_(map) {}

    // The phase after `phase`: one more frame of movement, or back to 0 at the period.
    // False when the room's objects do not come round within kMaxObjectPhases.
    bool next(int room, uint32_t phase, uint32_t &out) {
        RoomObjects &r = room_objects(room);
        uint32_t n = phase + 1;
        if (!reach(r, n)) return false;
        out = r.period != 0 && n == r.period ? 0 : n;
        return true;
    }

    // Puts the room's objects at `phase` (one already reached) into the state.
    void place(int room, uint32_t phase, PlayState &s) {
        RoomObjects &r = room_objects(room);
        std::memcpy(s.enemies, r.enemies, sizeof s.enemies);
        std::memcpy(s.platforms, r.platforms, sizeof s.platforms);
        const MovingObject *at = r.phases.data() + std::size_t{phase} * r.slots.size();
        for (std::size_t i = 0; i < r.slots.size(); ++i)
            slot_object(s.enemies, s.platforms, r.slots[i]) = at[i];
    }

private:
    RoomObjects &room_objects(int room) {
        RoomObjects &r = rooms_[room];
        if (r.built) return r;
        r.built = true;
        build_objects(map_.rooms[room], r.enemies, r.platforms);
        for (int slot = 0; slot < 2 * kObjectsPerGroup; ++slot)
            if (object_active(slot_object(r.enemies, r.platforms, slot))) r.slots.push_back(slot);
        for (int slot : r.slots) r.phases.push_back(slot_object(r.enemies, r.platforms, slot));
        return r;
    }

    // Works phases out until `phase` is known or the period is found.
    bool reach(RoomObjects &r, uint32_t phase) {
        const std::size_t n = r.slots.size();
        while (r.period == 0 && r.phases.size() / (n ? n : 1) <= phase) {
            std::size_t known = n ? r.phases.size() / n : 1;
            if (known >= kMaxObjectPhases) return false;
            bool back_at_start = true;
            for (std::size_t i = 0; i < n; ++i) {
                MovingObject o = r.phases[(known - 1) * n + i];
                move_object(o);
                back_at_start = back_at_start && same_object(o, r.phases[i]);
                r.phases.push_back(o);
            }
            if (back_at_start) {
                r.phases.resize(r.phases.size() - n);
                r.period = static_cast<uint32_t>(known);
            }
        }
        return true;
    }

    const LevelMap &map_;
    RoomObjects rooms_[kRoomCount];
};

// ---- Search states ------------------------------------------------------------------

struct Node {
    HeroState hero;
    int32_t parent;             // index of the state it came from, -1 at a search's start
    int32_t frames;             // frames since the search's start
    uint32_t phase;             // frames since the room was entered, within its period
    uint32_t switches;          // bit i: switch i still up
    uint32_t refills;           // bit i: refill i still there
    int16_t falling_cue_started;
    uint8_t room;
    uint8_t action;             // the keys held on the frames that led here
    uint16_t held_frames;       // how many frames they were held from the parent
    bool goal;                  // the goal was reached on its last frame
};

static_assert(kSwitchCount <= 32 && kRefillCount <= 32, "pickups are kept as 32-bit sets");

// What tells two states apart (see the top of the file for what is left out).
struct StateKey {
    uint64_t w[4];
    bool operator==(const StateKey &o) const {
        return w[0] == o.w[0] && w[1] == o.w[1] && w[2] == o.w[2] && w[3] == o.w[3];
    }
};

uint64_t u16(int16_t v) { return static_cast<uint16_t>(v); }

StateKey state_key(const Node &n) {
    const HeroState &h = n.hero;
    // A finished jump's step and kind are read by nothing until the next jump sets them.
    int16_t step = h.jumping ? h.jump_step : 0;
    int16_t kind = h.jumping ? h.jump_kind : 0;
    StateKey k;
    k.w[0] = static_cast<uint32_t>(h.x) | uint64_t{static_cast<uint32_t>(h.y)} << 32;
    k.w[1] = n.phase | uint64_t{n.switches} << 32;
    k.w[2] = n.refills | uint64_t{n.room} << 32;
    k.w[3] = u16(h.jumping) | u16(step) << 16 | u16(kind) << 32 | u16(h.facing) << 48;
    return k;
}

uint64_t mix(uint64_t h, uint64_t v) {
    h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
    h ^= h >> 31;
    h *= 0xbf58476d1ce4e5b9ull;
    return h;
}

uint64_t key_hash(const StateKey &k) {
    uint64_t h = 0;
    for (uint64_t w : k.w) h = mix(h, w);
    return h ^ (h >> 29);
}

// The states seen by one goal's search: open addressing over node indices, each
// slot keeping a part of the hash so that most misses never look at a node.
class SeenStates {
public:
    void clear() {
        slots_.assign(kFirstCapacity, Slot{kEmpty, 0});
        used_ = 0;
    }

    // The node already holding `key`, or -1 after noting that `index` now does.
    int32_t find_or_add(const StateKey &key, int32_t index, const std::vector<Node> &nodes) {
        if ((used_ + 1) * 2 > slots_.size()) grow(nodes);
        uint64_t h = key_hash(key);
        std::size_t mask = slots_.size() - 1;
        for (std::size_t i = h & mask;; i = (i + 1) & mask) {
            Slot &s = slots_[i];
            if (s.node == kEmpty) {
                s = Slot{index, static_cast<uint32_t>(h >> 32)};
                ++used_;
                return -1;
            }
            if (s.tag == static_cast<uint32_t>(h >> 32) && state_key(nodes[s.node]) == key)
                return s.node;
        }
    }

    // The node holding `key`, or -1.
    int32_t find(const StateKey &key, const std::vector<Node> &nodes) const {
        uint64_t h = key_hash(key);
        std::size_t mask = slots_.size() - 1;
        for (std::size_t i = h & mask;; i = (i + 1) & mask) {
            const Slot &s = slots_[i];
            if (s.node == kEmpty) return -1;
            if (s.tag == static_cast<uint32_t>(h >> 32) && state_key(nodes[s.node]) == key)
                return s.node;
        }
    }

    // Points the slot of `key` (present) at another node.
    void replace(const StateKey &key, int32_t index, const std::vector<Node> &nodes) {
        uint64_t h = key_hash(key);
        std::size_t mask = slots_.size() - 1;
        for (std::size_t i = h & mask;; i = (i + 1) & mask) {
            Slot &s = slots_[i];
            if (s.tag == static_cast<uint32_t>(h >> 32) && state_key(nodes[s.node]) == key) {
                s.node = index;
                return;
            }
        }
    }

private:
    struct Slot {
        int32_t node;
        uint32_t tag;
    };
    static constexpr int32_t kEmpty = -1;
    static constexpr std::size_t kFirstCapacity = 1 << 16;

    void grow(const std::vector<Node> &nodes) {
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.assign(old.size() * 2, Slot{kEmpty, 0});
        std::size_t mask = slots_.size() - 1;
        for (const Slot &s : old) {
            if (s.node == kEmpty) continue;
            uint64_t h = key_hash(state_key(nodes[s.node]));
            std::size_t i = h & mask;
            while (slots_[i].node != kEmpty) i = (i + 1) & mask;
            slots_[i] = s;
        }
    }

    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

// ---- Frames -------------------------------------------------------------------------

enum class FrameEnd { Playing, Completed, Lost, ObjectsTooLong };

uint32_t present_set(const PickupPlacement (&list)[kSwitchCount]) {
    uint32_t set = 0;
    for (int i = 0; i < kSwitchCount; ++i)
        if (list[i].present) set |= 1u << i;
    return set;
}

void set_present(PickupPlacement (&list)[kSwitchCount], uint32_t set) {
    for (int i = 0; i < kSwitchCount; ++i) list[i].present = (set >> i) & 1;
}

// The level as the search plays it: the map (whose pickups each state sets), the
// objects' phases, and one play state in which a step of the search runs its frames
// one after another, as the level run does.
class Level {
public:
    explicit Level(const LevelMap &m) : map_(m), objects_(map_) {}

    const LevelMap &map() const { return map_; }
    const PlayState &play() const { return play_; }

    // The level's start, as the level run begins it: level start, then the first
    // room entry.
    void start() {
        start_level_rules(play_, map_);
        enter_room(play_, map_);
        phase_ = 0;
    }

    void load(const Node &n) {
        PlayState &s = play_;
        s.hero = n.hero;
        s.room_column = n.room % kWorldColumns;
        s.room_row = n.room / kWorldColumns;
        s.start_column = s.room_column;
        s.start_row = s.room_row;
        s.falling_cue_started = n.falling_cue_started;
        s.room_exit = false;
        s.quit = false;
        s.result = kLevelLeft;
        objects_.place(n.room, n.phase, s);
        phase_ = n.phase;
        set_present(map_.switches, n.switches);
        set_present(map_.refills, n.refills);
    }

    // The state after a frame that left the level playing.
    void save(Node &n) const {
        n.hero = play_.hero;
        n.room = static_cast<uint8_t>(current_room_index(play_));
        n.phase = phase_;
        n.falling_cue_started = play_.falling_cue_started;
        n.switches = present_set(map_.switches);
        n.refills = present_set(map_.refills);
    }

    // One frame with `keys`, then the room entry that opens the next pass of the room
    // loop when the hero has left the room.
    FrameEnd frame(KeyRecord keys) {
        PlayState &s = play_;
        int room = current_room_index(s);
        FrameEvents ev;
        bool left_room = run_frame_rules(s, map_, keys, ev);
        if (s.quit) return s.result == kLevelCompleted ? FrameEnd::Completed : FrameEnd::Lost;
        if (left_room) {
            enter_room(s, map_);
            phase_ = 0;
        } else if (!objects_.next(room, phase_, phase_)) {
            return FrameEnd::ObjectsTooLong;
        }
        return FrameEnd::Playing;
    }

    // The next frame when no key can change it: a frame of a jump, or of a fall. A
    // fall is told by playing the frame with no keys, since the rules decide that he
    // falls before they read any key; when he does not fall, the state is put back and
    // false returned.
    bool frame_without_choice(KeyRecord keys, FrameEnd &end) {
        if (play_.hero.jumping) {
            end = frame(keys);
            return true;
        }
        std::memcpy(&saved_, &play_, sizeof play_);
        uint32_t phase = phase_;
        uint32_t switches = present_set(map_.switches), refills = present_set(map_.refills);
        end = frame(0);
        if (play_.hero.falling) return true;
        std::memcpy(&play_, &saved_, sizeof play_);
        phase_ = phase;
        set_present(map_.switches, switches);
        set_present(map_.refills, refills);
        return false;
    }

private:
    LevelMap map_;
    ObjectPhases objects_;
    PlayState play_{};
    PlayState saved_{};
    uint32_t phase_ = 0;
};

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
// A fall through every room of a column takes a few hundred frames; a step of the
// search that runs longer without a choice (it cannot, but a map could hold a trap
// nobody foresaw) is cut there and kept as it stands.
constexpr int kMaxHeldFrames = 4096;

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
    GoalSearch search(const Node &start, GoalKind kind, uint32_t aims) {
        GoalSearch g;
        kind_ = kind;
        start_ = start;
        aims_ = aims;
        if (options_.guide_weight > 0) guide_.aim_at(goal_cells(level_.map(), kind, aims));
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
            if (static_cast<long>(nodes_.size()) > options_.max_states) {
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
    int priority(const Node &n) const {
        if (options_.guide_weight <= 0) return n.frames;
        return n.frames + options_.guide_weight * guide_.frames_to_go(n);
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
        for (;;) {
            if (end == FrameEnd::ObjectsTooLong) {
                g.objects_too_long = true;
                g.objects_room = current_room_index(level_.play());
                return true;
            }
            if (goal_met(end)) {
                reach_goal(index, action, frames, from);
                return false;
            }
            if (end != FrameEnd::Playing) return false; // the energy ran out
            if (frames >= kMaxHeldFrames || !level_.frame_without_choice(keys, end)) break;
            ++frames;
        }
        Node to{};
        level_.save(to);
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
    std::vector<Node> nodes_;
    SeenStates seen_;
    OpenStates open_;
};

// ---- Reports ------------------------------------------------------------------------

std::string number(int v) { return std::to_string(v); }

std::string place_text(int room_column, int room_row, int cell_column, int cell_row) {
    return "room " + number(room_column) + "," + number(room_row) + " cell " +
           number(cell_column) + "," + number(cell_row);
}

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
    return place_text(n.room % kWorldColumns, n.room / kWorldColumns, c.tx, c.ty);
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

std::string goal_text(const GoalReport &g) {
    std::string where = place_text(g.room_column, g.room_row, g.cell_column, g.cell_row);
    if (g.door) return "the exit door at " + where;
    return "switch " + number(g.switch_number) + " at " + where;
}

namespace {

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
                       GoalKind kind) {
    uint32_t first = kind == GoalKind::NextSwitch ? switches_not_below(map, at) : 0;
    if (first != 0 && first != at.switches) {
        GoalSearch g = searcher.search(at, kind, first);
        if (g.reached) return g;
    }
    return searcher.search(at, kind, at.switches);
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
        GoalSearch g = search_next(searcher, map, at, kind);
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

LevelOutcome run_route(const LevelMap &map, const std::vector<KeyRecord> &frames) {
    auto level = std::make_unique<LevelMap>(map);
    PlayState s{};
    start_level_rules(s, *level);
    std::size_t next = 0;
    LevelOutcome outcome;
    while (!s.quit) {
        enter_room(s, *level);
        while (!s.room_exit) {
            if (next == frames.size()) {
                s.result = kLevelUnfinished;
                s.quit = true;
                break;
            }
            FrameEvents ev;
            run_frame_rules(s, *level, frames[next++], ev);
        }
    }
    outcome.result = s.result;
    outcome.frames = static_cast<int>(next);
    outcome.switches = s.hero.switches_thrown;
    outcome.energy = s.hero.energy;
    return outcome;
}

} // namespace route
