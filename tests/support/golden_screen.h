// Golden screens: a drawn picture checked against the hash of its colours kept in
// the test binary's golden file, tests/goldens/<binary>.txt (one "name hash" a line).
//
//   EXPECT_TRUE(testing_support::golden_screen("intro_high_german", bitmap));
//
// The hash (FNV-1a 64) covers the size and the red, green and blue of every pixel, so
// the same picture at 16 and 32 bits differs only where the depth loses bits. When a
// picture differs, or its name is not in the file yet, the check fails naming it and
// writes it as <name>.png in the working directory (ctest runs a binary in its build
// folder) or in $VESPERTIL_GOLDEN_OUT, and prints the path. After a meant change, run
// the tests with VESPERTIL_REWRITE_GOLDENS=1: the file takes the new hashes and the
// check says which names changed; look at their PNGs before committing the file.
// Names are letters, digits, '_', '-' and '.'.
#pragma once

#include "core/owners.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

struct BITMAP;

namespace testing_support {

uint64_t screen_hash(BITMAP *picture);
::testing::AssertionResult golden_screen(const std::string &name, BITMAP *picture);

// A whole cell set whose pictures read at a glance: cell n is a flat colour of its own
// (the set number shifts the colours) with n in hex on it, and its top-left pixel is
// mask-coloured, so a masked draw shows what lies under it.
struct NumberedCells : OwnedCells {
    NumberedCells(int depth, int set);
};

} // namespace testing_support
