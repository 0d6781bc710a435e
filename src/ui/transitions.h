// Full-screen pictures are revealed, not copied: an interlaced reveal (even rows
// rising from the bottom, then the odd rows from the top) or squares growing from
// the centre of every 16 x 16 cell. Both draw straight on the screen, paced by the
// display's retrace.
#pragma once

struct BITMAP;

// Picks one of the two effects at random: 2 in 5 interlaced, 3 in 5 squares.
void show_picture(BITMAP *picture);

void reveal_interlaced(BITMAP *picture);
void reveal_squares(BITMAP *picture);

// The size every full-screen picture has: 320 x 200 with the low-resolution setting,
// else 640 x 480.
int picture_screen_w();
int picture_screen_h();
