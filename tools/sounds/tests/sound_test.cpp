// vespertil-sfx: the WAV bytes of edge values, and the message for each kind of
// broken recipe (recipe_errors.txt); run as a program, in the tools' table of runs
// (tools/common/tests/tool_runs.txt). What every word of the shipped recipes and
// tunes does to the sound, loops included, is held by the hashes of the generated
// files (content/tests/generated.hashes).
#include "recipe.h"
#include "synth.h"
#include "wav_file.h"

#include "support/case_table.h"
#include "support/promise.h"
#include "support/corpus_seeds.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

INSTANTIATE_TEST_SUITE_P(Sounds, CorpusSeed, seeds_of({{"sound_recipe", sound_recipe_promise}}), seed_name);

class RecipeErrors : public testing::TestWithParam<TextCase> {};

TEST_P(RecipeErrors, NameTheFileTheLineAndTheFault) {
    auto r = std::make_unique<Recipe>();
    std::string error;
    EXPECT_FALSE(parse_recipe_text("test.sfx", GetParam().text, *r, error));
    EXPECT_TRUE(says(error, "test.sfx", GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Table, RecipeErrors, testing::ValuesIn(read_cases(__FILE__, "recipe_errors.txt")),
                         case_name);

// 8 bits, which no shipped sound uses; the 16 of the shipped ones are held by their hashes.
TEST(WavBytes, EightBitSamplesAreOffsetAndAnOddChunkPadded) {
    std::vector<std::uint8_t> b = wav_bytes({0.0f, 1.0f, -1.0f}, 44100, 8);
    ASSERT_EQ(b.size(), 44u + 4u); // three bytes of data and one of padding
    EXPECT_EQ(std::vector<int>(b.begin() + 40, b.begin() + 47), std::vector<int>({3, 0, 0, 0, 128, 255, 1}));
    EXPECT_EQ(b[4] | b[5] << 8, static_cast<int>(b.size() - 8));
}

}  // namespace
