// JPEG pictures into Allegro memory bitmaps of the current colour depth, decoded by
// libjpeg from a packfile. Any failure gives null and leaves nothing allocated.
#pragma once

#include <allegro.h>

struct jpeg_decompress_struct;

// Loads `file_name` (through the data-path resolver). The caller owns the bitmap.
// The palette is not written at 15, 16, 24 or 32 bits; at 8 bits the picture is
// mapped onto the current palette.
BITMAP *load_jpg(const char *file_name, RGB *palette);

// Makes libjpeg read `cinfo`'s compressed data from `file`, in 4096-byte blocks.
void jpeg_packfile_src(jpeg_decompress_struct *cinfo, PACKFILE *file);
