// The hero's position and cell flags as a line of text over the play screen.
#include "level/debug_line.h"

#include "level/room_cells.h"

#include <allegro.h>

#include <cstdio>

void format_debug_line(const HeroState &hero, const RoomRecord &room, char *out,
                       std::size_t out_size) {
    const HeroCells c = hero_cells(hero);
    const int here = static_cast<int8_t>(cell_flags(room, c.tx, c.ty));
    const int above = static_cast<int8_t>(cell_flags(room, c.tx, c.ty - 1));
    snprintf(out, out_size, "x %i, y %i [st]: %i [st^]: %i     ", hero.x, hero.y, here, above);
}

void draw_debug_line(BITMAP *screen, const HeroState &hero, const RoomRecord &room) {
    if (!screen) return;
    char line[96];
    format_debug_line(hero, room, line, sizeof line);
    const int depth = bitmap_color_depth(screen);
    textprintf_ex(screen, font, 0, 0, makecol_depth(depth, 255, 255, 255),
                  makecol_depth(depth, 0, 0, 0), "%s", line);
}
