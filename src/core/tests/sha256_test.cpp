// SHA-256 names the map a replay was recorded on. Every committed replay carries the
// digest of its map as another implementation computed it, so a wrong digest fails
// every replay check (tests/replays) for both sizes a map file may have; here, only
// what no replay meets: a file that cannot be read, and the streamed form across a
// block's edge in uneven pieces.
#include "core/sha256.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Sha256, StreamedInPiecesAsWholeAndFilesThatCannotBeReadFail) {
    const std::string m(120, 'a');
    uint8_t whole[kSha256Bytes], streamed[kSha256Bytes];
    sha256(m.data(), m.size(), whole);
    EXPECT_EQ(sha256_hex(whole), "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c");
    Sha256 ctx;
    sha256_init(ctx);
    std::size_t at = 0;
    for (int n : {1, 0, 55, 9, 55}) {
        sha256_update(ctx, m.data() + at, static_cast<std::size_t>(n));
        at += static_cast<std::size_t>(n);
    }
    sha256_final(ctx, streamed);
    EXPECT_EQ(sha256_hex(streamed), sha256_hex(whole));

    testing_support::TempDir dir;
    EXPECT_FALSE(sha256_file(dir.file("no-such-file").c_str(), whole));
    EXPECT_FALSE(sha256_file(dir.path().c_str(), whole)) << "a directory opens, but reads fail";
}

} // namespace
