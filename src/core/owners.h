// The owners of the library's pictures and sounds: each releases what it holds with
// the one destroy call that fits it when it goes, so every way out of a function or
// a run, early or late, releases everything.
#pragma once

#include "core/cell_set.h"

#include <memory>

struct SAMPLE;

struct BitmapDeleter {
    void operator()(BITMAP *b) const;
};
struct SampleDeleter {
    void operator()(SAMPLE *s) const; // stops it first when it plays
};
using OwnedBitmap = std::unique_ptr<BITMAP, BitmapDeleter>;
using OwnedSample = std::unique_ptr<SAMPLE, SampleDeleter>;

// A cell set that owns its cells; an empty cell stays null.
struct OwnedCells {
    CellSet cells{};
    OwnedCells() = default;
    ~OwnedCells();
    OwnedCells(const OwnedCells &) = delete;
    OwnedCells &operator=(const OwnedCells &) = delete;
};
