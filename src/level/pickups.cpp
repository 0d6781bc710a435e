// What the hero meets after the frame's moves: enemies and harmful cells cost energy,
// switches are thrown, refills taken, and the level ends when the energy is gone or
// the hero stands in the open exit door.
#include "level/rules.h"

#include "level/room_cells.h"

namespace {

// A switch or refill is reached when the hero's square overlaps its cell.
constexpr int kReach = kTilePixels - 1;
constexpr int16_t kRefillEnergy = 25;
constexpr int16_t kRefillToFull = kFullEnergy - kRefillEnergy; // 230: from here it fills up
constexpr int kSwitchesToOpenDoor = kSwitchCount;

bool within(int v, int low, int high) { return v >= low && v <= high; }

bool placement_here(const PickupPlacement &p, int room_index) {
    return p.room == room_index && p.present != 0;
}

bool in_placement_column(const HeroCells &c, const PickupPlacement &p) {
    int left = p.cell_column * kTilePixels;
    return within(c.px, left - kReach, left + kReach);
}

void lose_energy(PlayState &s, FrameEvents &ev) {
    --s.hero.energy;
    ev.energy_changed = true;
}

void end_level(PlayState &s, LevelResult result) {
    s.result = result;
    s.quit = true;
    s.room_exit = true;
}

// Every touching enemy costs a point, so two at once cost two.
void touch_enemies(PlayState &s, const HeroCells &c, FrameEvents &ev) {
    for (const MovingObject &e : s.enemies) {
        if (!enemy_touches_hero(e, c.px, c.py)) continue;
        add_event(ev, LevelEvent::EnemyContact, hero_pan(s.hero));
        lose_energy(s, ev);
    }
}

void throw_switches(PlayState &s, LevelMap &map, const HeroCells &c, FrameEvents &ev) {
    int room = current_room_index(s);
    for (SwitchPlacement &p : map.switches) {
        if (!placement_here(p, room) || !in_placement_column(c, p)) continue;
        int top = p.cell_row * kTilePixels;
        if (!within(c.py, top - kReach, top + kReach)) continue;
        add_event(ev, LevelEvent::SwitchThrown, hero_pan(s.hero));
        ++s.hero.switches_thrown;
        p.present = 0;
    }
}

// A refill is taken only by a hero level with it, not one passing it in a jump.
void take_refills(PlayState &s, LevelMap &map, const HeroCells &c, FrameEvents &ev) {
    int room = current_room_index(s);
    for (RefillPlacement &p : map.refills) {
        if (!placement_here(p, room) || !in_placement_column(c, p)) continue;
        if (c.py != p.cell_row * kTilePixels) continue;
        add_event(ev, LevelEvent::RefillTaken, hero_pan(s.hero));
        p.present = 0;
        HeroState &h = s.hero;
        h.energy = h.energy <= kRefillToFull ? static_cast<int16_t>(h.energy + kRefillEnergy)
                                             : kFullEnergy;
        ev.energy_changed = true;
    }
}

// Only the cell of the hero's top-left pixel can harm him.
void touch_harmful_cell(PlayState &s, const LevelMap &map, const HeroCells &c, FrameEvents &ev) {
    int room = current_room_index(s);
    if (room < 0 || room >= kRoomCount) return; // no such room: nothing there to harm him
    if ((cell_flags(map.rooms[room], c.tx, c.ty) & kCellHarmful) == 0) return;
    add_event(ev, LevelEvent::HarmfulCell, hero_pan(s.hero));
    lose_energy(s, ev);
}

// The door is two cells high; the hero must stand in its lower cell.
bool in_open_door(const PlayState &s, const MapHeader &header, const HeroCells &c) {
    return s.hero.switches_thrown == kSwitchesToOpenDoor &&
           s.room_column == header.exit_room_column && s.room_row == header.exit_room_row &&
           c.py == (header.exit_cell_row + 1) * kTilePixels &&
           c.px == header.exit_cell_column * kTilePixels;
}

} // namespace

void check_pickups_and_harm(PlayState &s, LevelMap &map, FrameEvents &ev) {
    HeroCells c = hero_cells(s.hero);
    touch_enemies(s, c, ev);
    throw_switches(s, map, c, ev);
    take_refills(s, map, c, ev);
    touch_harmful_cell(s, map, c, ev);
    if (s.hero.energy < 1) end_level(s, LevelResult::Left);
    // Checked last, so that reaching the door with the last point of energy still wins.
    if (in_open_door(s, map.header, c)) end_level(s, LevelResult::Completed);
}
