// The owners' destroy calls.
#include "core/owners.h"

#include <allegro.h>

void BitmapDeleter::operator()(BITMAP *b) const {
    if (b) destroy_bitmap(b);
}

void SampleDeleter::operator()(SAMPLE *s) const {
    if (s) destroy_sample(s); // the library stops a playing sample before it goes
}

OwnedCells::~OwnedCells() {
    for (BITMAP *b : cells)
        if (b) destroy_bitmap(b);
}
