// The level as the route search and the level check play it: the keys tried where
// they matter, each room's objects worked out phase by phase, the compact search
// state, and one play state that runs frames through the level's own rules.
#pragma once

#include "route_search.h"

#include "world/map_format.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace route {
namespace detail {
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

inline KeyRecord action_keys(uint8_t action) {
    if (action == kClosingAction) return kClosingKeys;
    if (action < kActionCount) return kActions[action];
    return 0;
}

// A fall through every room of a column takes a few hundred frames; a step of the
// search that runs longer without a choice (it cannot, but a map could hold a trap
// nobody foresaw) is cut there and kept as it stands.
constexpr int kMaxHeldFrames = 4096;

// ---- The objects of each room, phase by phase ---------------------------------------

// Each object goes round its own track, back to where and how it started, in a few
// hundred frames at most; one that has not come back after this many frames never
// will (a track its speed does not divide), and the search gives up on its room.
constexpr uint32_t kMaxObjectRound = 1u << 16;
// The room's objects are all back at their start together after the least common
// multiple of their rounds; past this the search gives up on the room rather than
// tell its phases apart.
constexpr uint32_t kMaxObjectPhases = 1u << 30;

struct RoomObjects {
    bool built = false;
    ObjectGroup enemies, platforms;    // as a room entry builds them
    std::vector<int> slots;            // active slots: enemies 0..24, platforms 25..49
    std::vector<uint32_t> rounds;      // each active slot's frames round its track
    std::vector<uint32_t> first;       // where each slot's round starts in `states`
    std::vector<MovingObject> states;  // every slot's round, frame by frame
    uint32_t period = 1;               // all back at the start together; 0: too long
    uint32_t platform_period = 1;      // the platforms alone
};

// States whose objects differ are told apart while the room's objects come round
// within this many frames. Past it only the platforms' phase tells states apart: the
// enemies move nobody, and telling every phase of three unrelated tracks apart would
// multiply the states of the room by tens of thousands. States that differ only in
// where the enemies are then count as one, and the one with more energy is kept.
constexpr uint32_t kDistinctPhases = 1024;

inline bool same_object(const MovingObject &a, const MovingObject &b) {
    return a.x == b.x && a.y == b.y && a.vx == b.vx && a.vy == b.vy && a.sprite == b.sprite &&
           a.frame == b.frame && a.ax == b.ax && a.ay == b.ay && a.bx == b.bx && a.by == b.by;
}

inline MovingObject &slot_object(ObjectGroup &enemies, ObjectGroup &platforms, int slot) {
    return slot < kObjectsPerGroup ? enemies[slot] : platforms[slot - kObjectsPerGroup];
}

inline uint64_t greatest_common_divisor(uint64_t a, uint64_t b) {
    while (b != 0) {
        uint64_t t = a % b;
        a = b;
        b = t;
    }
    return a;
}

// The objects of each room as the frames since the room was entered (its phase) put
// them: every object's own round is worked out once, and a phase places each object
// at its phase within its round.
class ObjectPhases {
public:
    explicit ObjectPhases(const LevelMap &map) : map_(map) {}

    // The phase after `phase`: one more frame of movement, or back to 0 at the period.
    // False when the room's objects do not come round within kMaxObjectPhases.
    bool next(int room, uint32_t phase, uint32_t &out) {
        const RoomObjects &r = room_objects(room);
        if (r.period == 0) return false;
        out = phase + 1 == r.period ? 0 : phase + 1;
        return true;
    }

    // How many frames the room's objects take to come back to their start together;
    // 0 when that is more than kMaxObjectPhases.
    uint32_t period(int room) { return room_objects(room).period; }

    // The phase that tells states apart (see kDistinctPhases).
    uint32_t key_phase(int room, uint32_t phase) {
        const RoomObjects &r = room_objects(room);
        if (r.period <= kDistinctPhases) return phase;
        return r.platform_period == 0 ? phase : phase % r.platform_period;
    }

    // Puts the room's objects at `phase` (of a room whose period is known) into the
    // state.
    void place(int room, uint32_t phase, PlayState &s) {
        const RoomObjects &r = room_objects(room);
        std::memcpy(s.enemies, r.enemies, sizeof s.enemies);
        std::memcpy(s.platforms, r.platforms, sizeof s.platforms);
        for (std::size_t i = 0; i < r.slots.size(); ++i)
            slot_object(s.enemies, s.platforms, r.slots[i]) =
                r.states[r.first[i] + phase % r.rounds[i]];
    }

private:
    const RoomObjects &room_objects(int room) {
        RoomObjects &r = rooms_[room];
        if (r.built) return r;
        r.built = true;
        build_objects(map_.rooms[room], r.enemies, r.platforms);
        uint64_t period = 1, platform_period = 1;
        for (int slot = 0; slot < 2 * kObjectsPerGroup; ++slot) {
            const MovingObject start = slot_object(r.enemies, r.platforms, slot);
            if (!object_active(start)) continue;
            r.slots.push_back(slot);
            r.first.push_back(static_cast<uint32_t>(r.states.size()));
            MovingObject o = start;
            uint32_t round = 0;
            do {
                r.states.push_back(o);
                move_object(o);
                ++round;
            } while (!same_object(o, start) && round < kMaxObjectRound);
            r.rounds.push_back(round);
            const bool back = same_object(o, start);
            add_round(period, back ? round : 0);
            if (slot >= kObjectsPerGroup) add_round(platform_period, back ? round : 0);
        }
        r.period = static_cast<uint32_t>(period);
        r.platform_period = static_cast<uint32_t>(platform_period);
        return r;
    }

    // The least common multiple of a period and one more round (0: never back).
    static void add_round(uint64_t &period, uint32_t round) {
        if (round == 0 || period == 0) {
            period = 0;
            return;
        }
        period = period / greatest_common_divisor(period, round) * round;
        if (period > kMaxObjectPhases) period = 0;
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
    uint32_t key_phase;         // what of the phase tells states apart
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

inline uint64_t u16(int16_t v) { return static_cast<uint16_t>(v); }

inline StateKey state_key(const Node &n) {
    const HeroState &h = n.hero;
    // A finished jump's step and kind are read by nothing until the next jump sets them.
    int16_t step = h.jumping ? h.jump_step : 0;
    int16_t kind = h.jumping ? h.jump_kind : 0;
    StateKey k;
    k.w[0] = static_cast<uint32_t>(h.x) | uint64_t{static_cast<uint32_t>(h.y)} << 32;
    k.w[1] = n.key_phase | uint64_t{n.switches} << 32;
    k.w[2] = n.refills | uint64_t{n.room} << 32;
    k.w[3] = u16(h.jumping) | u16(step) << 16 | u16(kind) << 32 | u16(h.facing) << 48;
    return k;
}

inline uint64_t mix(uint64_t h, uint64_t v) {
    h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
    h ^= h >> 31;
    h *= 0xbf58476d1ce4e5b9ull;
    return h;
}

inline uint64_t key_hash(const StateKey &k) {
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

inline uint32_t present_set(const PickupPlacement (&list)[kSwitchCount]) {
    uint32_t set = 0;
    for (int i = 0; i < kSwitchCount; ++i)
        if (list[i].present) set |= 1u << i;
    return set;
}

inline void set_present(PickupPlacement (&list)[kSwitchCount], uint32_t set) {
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

    // The room's objects come back to their start together after this many frames (0:
    // not within kMaxObjectPhases).
    uint32_t objects_period(int room) { return objects_.period(room); }

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
        s.result = LevelResult::Left;
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
        n.key_phase = objects_.key_phase(n.room, phase_);
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
        if (s.quit) return s.result == LevelResult::Completed ? FrameEnd::Completed : FrameEnd::Lost;
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
    mutable ObjectPhases objects_; // works rounds out on first use, saving states too
    PlayState play_{};
    PlayState saved_{};
    uint32_t phase_ = 0;
};

} // namespace detail

// Which places lead where (level_check.cpp).
class Reachability;

namespace detail {
// What a way on touches, as the check keeps it: bit i switch i, bit 25 + i refill i,
// and this bit the exit door.
constexpr uint64_t kDoorGain = uint64_t{1} << (kSwitchCount + kRefillCount);
// Frames to go from a place the check never saw lead anywhere.
constexpr int32_t kNoWay = 1 << 30;

// False when a standing place can no longer lead to the exit door, or to a switch
// still up in `n`; true for a place the check has not met.
bool place_leads_on(const Reachability &r, const Node &n);
// The check's number of the standing place of `n`, or -1 when it never met it.
int32_t place_index(const Reachability &r, const Node &n);
// The frames from every place of the check to the nearest way on that touches one of
// `aims` (kNoWay where none does), along the ways the check found: a guess of the
// frames still to go that knows every wall, jump and platform, but not the enemies.
void frames_to_aims(const Reachability &r, uint64_t aims, std::vector<int32_t> &frames);
} // namespace detail
} // namespace route
