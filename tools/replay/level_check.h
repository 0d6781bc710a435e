// The level check: every place the hero can stand in a map, found with the level's
// own rules, and what each place still leads to. It names the switches, refills and
// the exit door that cannot be reached, the traps (places from which the level can
// no longer be won), and the room edges whose crossing puts the hero inside a solid
// cell; the route search asks it which places still lead somewhere.
#pragma once

#include "route_search.h"

#include "core/platform.h"
#include "level/rules.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace route {

// A place where the level can no longer be won, the first of its kind a search meets.
struct TrapReport {
    Place place;                    // where the hero stands in it
    bool no_door = false;           // the exit door cannot be reached from there
    uint32_t lost_switches = 0;     // bit i: switch i cannot be thrown from there, and
                                    // the hero can come there without having thrown it
    long places = 0;                // standing places of the trap (a pit's whole floor)
    std::vector<KeyRecord> frames;  // keys from the level's start to the place
};

// A room edge crossed into a solid cell (the hero ends up inside the wall), or into
// harm: a fall or a jump over the edge that ends in a harmful cell before the hero
// has another choice, so that a player who leaps in blind meets it unseen.
struct CrossingReport {
    Place from;                     // the room he leaves and his cell in it
    Place to;                       // where he is put in the room he enters
    bool harm = false;              // into harm, not into a wall
    std::vector<KeyRecord> frames;  // keys from the level's start through the crossing
};

struct CheckOptions {
    // Standing places the check may find before it gives up; each costs about a
    // hundred bytes with its ways on.
    long max_places = 4000000;
};

// Which places lead where, kept for the route search (level_check.cpp).
class Reachability;

struct CheckResult {
    bool complete = false;          // every reachable place was searched
    long places = 0;                // standing places found
    uint32_t switches_reachable = 0;  // bit i: switch i can be thrown
    uint32_t refills_reachable = 0;
    bool door_reachable = false;
    std::vector<TrapReport> traps;  // one for each way into a trap
    long trap_places = 0;           // standing places in traps, all told
    std::vector<CrossingReport> crossings;
    std::shared_ptr<const Reachability> reach;
};

CheckResult check_level(const LevelMap &map, const CheckOptions &options);

} // namespace route
