// SHA-256 names the map a replay was recorded on. Every committed replay carries the
// digest of its map as another implementation computed it, so a wrong digest, whole
// or streamed in the file reader's pieces, fails every replay check (tests/replays)
// for both sizes a map file may have; here, only what no replay meets: a file that
// cannot be read.
#include "core/sha256.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(Sha256, FilesThatCannotBeReadFail) {
    uint8_t digest[kSha256Bytes];
    testing_support::TempDir dir;
    EXPECT_FALSE(sha256_file(dir.file("no-such-file").c_str(), digest));
    EXPECT_FALSE(sha256_file(dir.path().c_str(), digest)) << "a directory opens, but reads fail";
}

} // namespace
