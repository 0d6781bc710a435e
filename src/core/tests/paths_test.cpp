// The data-path resolver: separators and letter case as the game writes them must
// find the files as they are stored.
#include "core/paths.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::TempDir;
using testing_support::make_dirs;
using testing_support::write_file;

namespace {

std::string resolved(const char *name) {
    char out[kMaxDataPath];
    if (!resolve_data_path(name, out, sizeof out)) return "<refused>";
    return out;
}

class ResolverTest : public ::testing::Test {
protected:
    TempDir dir{true};
    void SetUp() override {
        make_dirs("MAP");
        make_dirs("GFX");
        make_dirs("sfx");
        write_file("MAP/cueva.map", "m");
        write_file("GFX/enddemo_1.jpg", "j");
        write_file("GFX/ZENTIX.JPG", "z");
        write_file("sfx/info.wav", "w");
        write_file("sfx/menu.xm", "x");
    }
};

TEST_F(ResolverTest, BackslashAndCaseFindStoredFiles) {
    EXPECT_EQ(resolved("MAP\\cueva.map"), "MAP/cueva.map");
    EXPECT_EQ(resolved("gfx/enddemo_1.jpg"), "GFX/enddemo_1.jpg");
    EXPECT_EQ(resolved("SFX/info.wav"), "sfx/info.wav");
    EXPECT_EQ(resolved("sfx\\menu.xm"), "sfx/menu.xm");
    EXPECT_EQ(resolved("Gfx/zentix.jpg"), "GFX/ZENTIX.JPG");
    EXPECT_EQ(resolved("map"), "MAP");
}

TEST_F(ResolverTest, OpenersGoThroughTheResolver) {
    FILE *f = data_fopen("map\\CUEVA.MAP", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::fgetc(f), 'm');
    std::fclose(f);
}

TEST_F(ResolverTest, ExactNameWinsOverOtherCase) {
    write_file("sfx/Info.wav", "W");
    EXPECT_EQ(resolved("sfx/Info.wav"), "sfx/Info.wav");
    EXPECT_EQ(resolved("sfx/info.wav"), "sfx/info.wav");
}

TEST_F(ResolverTest, MissingPartsAreKeptAsWrittenForCreation) {
    EXPECT_EQ(resolved("Vespertil.cfg"), "Vespertil.cfg");
    EXPECT_EQ(resolved("gfx\\nothere\\deeper.pcx"), "GFX/nothere/deeper.pcx");
    EXPECT_EQ(data_fopen("MAP\\missing.map", "rb"), nullptr);
}

TEST_F(ResolverTest, AbsoluteAndDoubledSeparators) {
    std::string abs = dir.path() + "/map//CUEVA.map";
    EXPECT_EQ(resolved(abs.c_str()), dir.path() + "/MAP/cueva.map");
}

// A result fits when it and its terminating NUL fit the buffer, to the last byte;
// a name of which no part exists is kept as written.
TEST(ResolverLimits, AResultFitsToTheLastByte) {
    const char *name = "nowhere_dir/no_file.map"; // 23 characters
    char out[24];
    EXPECT_TRUE(resolve_data_path(name, out, sizeof out));
    EXPECT_STREQ(out, name);
    EXPECT_FALSE(resolve_data_path(name, out, sizeof out - 1));
    EXPECT_STREQ(out, "");
    char one[2];
    EXPECT_TRUE(resolve_data_path("x", one, sizeof one));
    EXPECT_STREQ(one, "x");

    // The longest path the resolver makes: kMaxDataPath less its NUL, in one part or
    // in several.
    char big[kMaxDataPath];
    for (const std::string &longest : {std::string(kMaxDataPath - 1, 'a'),
                                       "d/e/" + std::string(kMaxDataPath - 5, 'b')}) {
        EXPECT_TRUE(resolve_data_path(longest.c_str(), big, sizeof big)) << longest.size();
        EXPECT_EQ(std::string(big), longest);
        EXPECT_FALSE(resolve_data_path((longest + "c").c_str(), big, sizeof big));
    }
}

TEST(ResolverLimits, RefusesWhatDoesNotFit) {
    char out[8];
    EXPECT_FALSE(resolve_data_path("MAP\\cueva.map", out, sizeof out));
    EXPECT_STREQ(out, "");
    char one[1] = {'q'};
    EXPECT_FALSE(resolve_data_path("a", one, 1));
    EXPECT_EQ(one[0], '\0') << "a buffer of one byte is left empty";
    char big[kMaxDataPath];
    EXPECT_FALSE(resolve_data_path(nullptr, big, sizeof big));
    EXPECT_FALSE(resolve_data_path("", big, sizeof big));
    std::string long_name(2000, 'a');
    EXPECT_FALSE(resolve_data_path(long_name.c_str(), big, sizeof big));
    EXPECT_EQ(data_fopen(long_name.c_str(), "rb"), nullptr);
}

} // namespace
