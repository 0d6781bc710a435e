// The tile-sheet cutter. The game's sheets are 24-bit PCX pictures; those are read
// in one call and decoded straight into the cells, which takes a fraction of what
// Allegro's byte-by-byte reader and a whole-sheet colour conversion cost. Any other
// kind of PCX (8-bit with a palette, unusual layouts) goes through load_pcx and
// blit, with the same result.
#include "world/tile_sheet.h"

#include "core/byte_order.h"
#include "core/paths.h"

#include <allegro.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {

constexpr std::size_t kPcxHeaderSize = 128;
constexpr int kPlanes = 3; // red, green, blue, one after the other in each scan line

// Enough for the first 160 rows of a 384-wide 24-bit sheet even if the encoding
// doubled every byte. The file is read into it whole.
constexpr std::size_t kSheetFileLimit =
    kPcxHeaderSize + std::size_t{2} * kPlanes * kSheetWidth * kSheetHeight + 4096;
uint8_t file_bytes[kSheetFileLimit];

// The part of the sheet that cells are cut from, one colour plane after the other.
uint8_t sheet_planes[kSheetHeight][kPlanes][kSheetWidth];

struct PcxLayout {
    int width;
    int height;
    int bytes_per_line; // per plane, at least width
};

// True for a run-length encoded PCX with three 8-bit planes: the kind decoded here.
bool read_pcx_layout(const uint8_t *p, std::size_t size, PcxLayout &out) {
    if (size < kPcxHeaderSize) return false;
    if (p[0] != 10 || p[2] != 1 || p[3] != 8 || p[65] != kPlanes) return false;
    out.width = read_le16(p + 8) - read_le16(p + 4) + 1;
    out.height = read_le16(p + 10) - read_le16(p + 6) + 1;
    out.bytes_per_line = read_le16(p + 66);
    return out.width > 0 && out.height > 0 && out.bytes_per_line >= out.width;
}

// Writes `count` bytes of `value` at the scan-line position (plane, column),
// keeping only the columns that cells are cut from, and moves the position on.
inline void put_run(uint8_t (&line)[kPlanes][kSheetWidth], int &plane, int &column,
                    int count, uint8_t value, int bytes_per_line, int keep) {
    while (count > 0 && plane < kPlanes) {
        int n = bytes_per_line - column < count ? bytes_per_line - column : count;
        for (int c = column, end = column + n < keep ? column + n : keep; c < end; ++c)
            line[plane][c] = value;
        column += n;
        count -= n;
        if (column == bytes_per_line) {
            column = 0;
            ++plane;
        }
    }
}

// Decodes the first `rows` scan lines into sheet_planes. A run never carries over
// into the next scan line (what is left of it is dropped). False when the data ends
// first.
bool decode_rows(const uint8_t *data, std::size_t size, const PcxLayout &layout, int rows) {
    const int keep = layout.width < kSheetWidth ? layout.width : kSheetWidth;
    const uint8_t *p = data;
    const uint8_t *end = data + size;
    for (int y = 0; y < rows; ++y) {
        int plane = 0, column = 0;
        while (plane < kPlanes) {
            if (p >= end) return false;
            uint8_t value = *p++;
            int count = 1;
            if ((value & 0xC0) == 0xC0) {
                if (p >= end) return false;
                count = value & 0x3F;
                value = *p++;
            }
            if (count == 1 && column < keep) { // the common case: one literal byte
                sheet_planes[y][plane][column] = value;
                if (++column == layout.bytes_per_line) {
                    column = 0;
                    ++plane;
                }
                continue;
            }
            put_run(sheet_planes[y], plane, column, count, value, layout.bytes_per_line, keep);
        }
    }
    return true;
}

// 8-bit red, green and blue to one depth's colour, one table per component.
struct ColourTables {
    int depth = -1;
    uint32_t red[256], green[256], blue[256];
    void make(int d) {
        depth = d;
        for (int i = 0; i < 256; ++i) {
            red[i] = static_cast<uint32_t>(makecol_depth(d, i, 0, 0));
            green[i] = static_cast<uint32_t>(makecol_depth(d, 0, i, 0));
            blue[i] = static_cast<uint32_t>(makecol_depth(d, 0, 0, i));
        }
    }
};

// Row `y` of `cell` from sheet row sy, columns sx .. sx + count - 1.
void put_cell_row(BITMAP *cell, int y, int sy, int sx, int count, const ColourTables &t) {
    const uint8_t *r = sheet_planes[sy][0] + sx;
    const uint8_t *g = sheet_planes[sy][1] + sx;
    const uint8_t *b = sheet_planes[sy][2] + sx;
    uintptr_t line = bmp_write_line(cell, y);
    switch (t.depth) {
    case 15:
    case 16:
        for (int x = 0; x < count; ++x) bmp_write16(line + x * 2, t.red[r[x]] | t.green[g[x]] | t.blue[b[x]]);
        break;
    case 24:
        for (int x = 0; x < count; ++x) bmp_write24(line + x * 3, t.red[r[x]] | t.green[g[x]] | t.blue[b[x]]);
        break;
    default:
        for (int x = 0; x < count; ++x) bmp_write32(line + x * 4, t.red[r[x]] | t.green[g[x]] | t.blue[b[x]]);
        break;
    }
    bmp_unwrite_line(cell);
}

// Cell i from column i mod 24 and row i / 24; where the sheet is smaller than
// 384 x 160 a cell gets only the part that exists, as a clipped blit would give it.
void cut_from_planes(const PcxLayout &layout, int rows, const CellSet &cells) {
    static ColourTables tables; // 3 KB: kept off the stack
    const int columns = layout.width < kSheetWidth ? layout.width : kSheetWidth;
    for (int i = 0; i < kCellCount; ++i) {
        BITMAP *cell = cells[i];
        if (!cell) continue;
        int depth = bitmap_color_depth(cell);
        int sx = kCellSize * (i % kSheetColumns);
        int sy = kCellSize * (i / kSheetColumns);
        int w = columns - sx < kCellSize ? columns - sx : kCellSize;
        int h = rows - sy < kCellSize ? rows - sy : kCellSize;
        if (w > cell->w) w = cell->w;
        if (h > cell->h) h = cell->h;
        if (w <= 0 || h <= 0) continue;
        if (depth == 8) { // never used by the game: a palette look-up per pixel
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    putpixel(cell, x, y,
                             makecol8(sheet_planes[sy + y][0][sx + x],
                                      sheet_planes[sy + y][1][sx + x],
                                      sheet_planes[sy + y][2][sx + x]));
            continue;
        }
        if (tables.depth != depth) tables.make(depth);
        acquire_bitmap(cell);
        for (int y = 0; y < h; ++y) put_cell_row(cell, y, sy + y, sx, w, tables);
        release_bitmap(cell);
    }
}

// Any PCX the fast path does not take: Allegro's loader, then one blit a cell.
int16_t cut_with_allegro(const char *file_name, const CellSet &cells) {
    PALETTE palette; // not used: the cells are true-colour
    BITMAP *sheet = data_load_pcx(file_name, palette);
    if (!sheet) {
        report_data_problem(file_name, "is not a picture the game can read");
        return 0;
    }
    for (int i = 0; i < kCellCount; ++i) {
        if (!cells[i]) continue;
        blit(sheet, cells[i], kCellSize * (i % kSheetColumns), kCellSize * (i / kSheetColumns), 0,
             0, kCellSize, kCellSize);
    }
    destroy_bitmap(sheet);
    return 1;
}

} // namespace

int16_t cut_tile_sheet(const char *file_name, const CellSet &cells) {
    if (!file_name) return 0;
    FILE *f = data_fopen(file_name, "rb");
    if (!f) {
        report_data_problem(file_name, "cannot be opened");
        return 0;
    }
    std::size_t size = std::fread(file_bytes, 1, sizeof file_bytes, f);
    bool failed = std::ferror(f) != 0;
    bool cut_off = size == sizeof file_bytes && std::fgetc(f) != EOF;
    std::fclose(f);
    if (failed) {
        report_data_problem(file_name, "cannot be read");
        return 0;
    }

    PcxLayout layout;
    if (!read_pcx_layout(file_bytes, size, layout)) return cut_with_allegro(file_name, cells);
    int rows = layout.height < kSheetHeight ? layout.height : kSheetHeight;
    if (!decode_rows(file_bytes + kPcxHeaderSize, size - kPcxHeaderSize, layout, rows)) {
        if (cut_off) return cut_with_allegro(file_name, cells);
        report_data_problem(file_name, "is cut short"); // refused
        return 0;
    }
    cut_from_planes(layout, rows, cells);
    return 1;
}
