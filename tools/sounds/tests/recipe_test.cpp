// Tests of the recipe text: what each line sets, and the message for each kind of
// broken recipe, naming the file and the line.
#include "recipe.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <memory>

using testing_support::TempDir;

namespace {

struct Loaded {
    bool ok;
    std::string error;
    std::unique_ptr<Recipe> recipe;
};

Loaded load(const std::string &text) {
    TempDir dir;
    std::string path = dir.file("test.sfx");
    testing_support::write_file(path, text);
    Loaded l;
    l.recipe = std::make_unique<Recipe>();
    l.ok = load_recipe_file(path, *l.recipe, l.error);
    return l;
}

}  // namespace

TEST(Recipe, ReadsTheWholeSampleAndEachLayer) {
    Loaded l = load(
        "# a test\n"
        "rate 44100\nbits 8\nlength 0.5\npeak 0.7\nfade 0.01 0.02\necho 0.1 0.3\n"
        "layer square\n  pitch 220 880 lin\n  duty 0.3\n  lowpass 3000 500\n"
        "  envelope 0.01 1  0.2 0.5  0.5 0\n  decay 0.1\n  gain 0.8\n"
        "layer noise\n  start 0.1\n  length 0.05\n  scatter 10 3\n  spread 2\n  jitter 0.5\n"
        "layer sine\n  pitch A4\n  partials 1 0.5\n  fm 2 1.5\n  vibrato 5 0.2\n  detune -10\n"
        "  wobble 4 0.3\n  repeat 2 0.1 0.5\n  highpass 100\n  bandpass 900 1200\n  resonance 2\n");
    ASSERT_TRUE(l.ok) << l.error;
    const Recipe &r = *l.recipe;
    EXPECT_EQ(r.rate, 44100);
    EXPECT_EQ(r.bits, 8);
    EXPECT_DOUBLE_EQ(r.length, 0.5);
    EXPECT_DOUBLE_EQ(r.peak, 0.7);
    EXPECT_DOUBLE_EQ(r.fade_out, 0.02);
    EXPECT_DOUBLE_EQ(r.echo_feedback, 0.3);
    ASSERT_EQ(r.layer_count, 3);
    const Layer &a = r.layers[0];
    EXPECT_EQ(a.wave, Wave::square);
    EXPECT_DOUBLE_EQ(a.pitch_to, 880);
    EXPECT_EQ(a.sweep, Sweep::linear);
    EXPECT_DOUBLE_EQ(a.lowpass_to, 500);
    ASSERT_EQ(a.envelope_count, 3);
    EXPECT_DOUBLE_EQ(a.envelope[1].level, 0.5);
    const Layer &b = r.layers[1];
    EXPECT_EQ(b.scatter_count, 10);
    EXPECT_EQ(b.seed, 3u);
    const Layer &c = r.layers[2];
    EXPECT_DOUBLE_EQ(c.pitch_from, 440);
    EXPECT_EQ(c.partial_count, 2);
    EXPECT_EQ(c.repeat_count, 2);
    EXPECT_DOUBLE_EQ(c.bandpass_to, 1200);
    EXPECT_DOUBLE_EQ(c.resonance, 2);
}

TEST(Recipe, AWholeLoopIsReadForAGameSample) {
    Loaded l = load("length 2\nloop 0.3\nlayer pink\n");
    ASSERT_TRUE(l.ok) << l.error;
    EXPECT_TRUE(l.recipe->loop);
    EXPECT_DOUBLE_EQ(l.recipe->loop_crossfade, 0.3);
    EXPECT_DOUBLE_EQ(l.recipe->loop_from, 0);
}

struct BrokenRecipe {
    const char *text;
    int line;
    const char *says;
};

class RecipeErrors : public testing::TestWithParam<BrokenRecipe> {};

TEST_P(RecipeErrors, NameTheFileTheLineAndTheFault) {
    const BrokenRecipe &b = GetParam();
    Loaded l = load(b.text);
    ASSERT_FALSE(l.ok);
    std::string where = "test.sfx:" + std::to_string(b.line) + ": ";
    if (b.line == 0) where = "test.sfx: ";
    EXPECT_NE(l.error.find(where), std::string::npos) << l.error;
    EXPECT_NE(l.error.find(b.says), std::string::npos) << l.error;
}

INSTANTIATE_TEST_SUITE_P(
    Broken, RecipeErrors,
    testing::Values(
        BrokenRecipe{"length 1\nlayer sqare\n", 2, "unknown wave 'sqare'"},
        BrokenRecipe{"length 1\nlayer sine\npich 440\n", 3, "unknown word 'pich'"},
        BrokenRecipe{"lenght 1\n", 1, "unknown word 'lenght'"},
        BrokenRecipe{"length 1\nlayer sine\npitch 44o\n", 3, "'44o' is neither a frequency nor a note"},
        BrokenRecipe{"length 1\nlayer sine\npitch H4\n", 3, "'H4'"},
        BrokenRecipe{"length 11\n", 1, "length 11 is out of range"},
        BrokenRecipe{"rate 11025\nlength 1\n", 1, "22050 or 44100"},
        BrokenRecipe{"bits 12\n", 1, "8 or 16 bits"},
        BrokenRecipe{"length 1\nlayer sine\nduty\n", 3, "'duty' takes"},
        BrokenRecipe{"length 1\nlayer sine\nenvelope 0.1 1 0.2\n", 3, "pairs of time and level"},
        BrokenRecipe{"length 1\nlayer sine\nenvelope 0.5 1 0.2 0\n", 3, "comes before"},
        BrokenRecipe{"length 1\nlayer sine\nenvelope 0.1 1.5\n", 3, "envelope level 1.5 is out of range"},
        BrokenRecipe{"length 1\nlayer sine\nrate 22050\n", 3, "before the first layer"},
        BrokenRecipe{"length 1\nloop 0.1 from 0.5\nlayer sine\n", 2, "always loops whole"},
        BrokenRecipe{"length 1\nloop 0.6\nlayer sine\n", 2, "more than half of the loop"},
        BrokenRecipe{"length 1\nlayer noise\nscatter 5\n", 2, "no 'length' for its copies"},
        BrokenRecipe{"length 1\nlayer saw\npartials 1 0.5\n", 2, "only a sine layer"},
        BrokenRecipe{"length 1\nlayer sine\nstart 1.5\n", 2, "starts at or after the end"},
        BrokenRecipe{"length 1\nlayer sine\nscatter 2.5\nlength 0.1\n", 3, "not a whole number"},
        BrokenRecipe{"length 1\nlayer sine\nlowpass 5 100\n", 3, "lowpass 5 is out of range"},
        BrokenRecipe{"layer sine\n", 0, "no 'length'"},
        BrokenRecipe{"length 1\n", 0, "no layer"},
        BrokenRecipe{"", 0, "no 'length'"}),
    [](const testing::TestParamInfo<BrokenRecipe> &info) {
        return "case" + std::to_string(info.index);
    });

TEST(RecipeErrors, TooManyLayersAreRefusedOnTheLineThatPassesTheLimit) {
    std::string text = "length 1\n";
    for (int i = 0; i <= kMaxLayers; ++i) text += "layer sine\n";
    Loaded l = load(text);
    ASSERT_FALSE(l.ok);
    EXPECT_NE(l.error.find(":" + std::to_string(kMaxLayers + 2) + ": too many layers"),
              std::string::npos)
        << l.error;
}

TEST(RecipeErrors, AMissingFileIsNamed) {
    Recipe r;
    std::string error;
    EXPECT_FALSE(load_recipe_file("/nonexistent/dir/x.sfx", r, error));
    EXPECT_NE(error.find("/nonexistent/dir/x.sfx"), std::string::npos);
}

TEST(RecipeInstruments, MayLoopFromAPointAndUseAnyRate) {
    Recipe r;
    RecipeParser p;
    p.recipe = &r;
    p.use = RecipeUse::instrument;
    std::string error;
    EXPECT_EQ(recipe_parse_line(p, {"rate", "16000"}, error), LineResult::taken) << error;
    EXPECT_EQ(recipe_parse_line(p, {"loop", "0.05", "from", "0.2"}, error), LineResult::taken) << error;
    EXPECT_EQ(recipe_parse_line(p, {"root", "C4"}, error), LineResult::unknown);
    EXPECT_DOUBLE_EQ(r.rate, 16000);
    EXPECT_DOUBLE_EQ(r.loop_from, 0.2);
}

TEST(Recipe, TextInMemoryReadsAsTheFileAndNamesItsLabel) {
    const std::string text = "rate 44100\nbits 8\nlength 0.5\nlayer square\n  pitch 220\n";
    Loaded from_file = load(text);
    ASSERT_TRUE(from_file.ok) << from_file.error;
    auto recipe = std::make_unique<Recipe>();
    std::string error;
    ASSERT_TRUE(parse_recipe_text("mem.sfx", text, *recipe, error)) << error;
    EXPECT_EQ(recipe->rate, from_file.recipe->rate);
    EXPECT_EQ(recipe->bits, 8);
    EXPECT_EQ(recipe->length, 0.5);
    ASSERT_EQ(recipe->layer_count, 1);
    EXPECT_EQ(recipe->layers[0].wave, Wave::square);
    EXPECT_EQ(recipe->layers[0].pitch_from, 220);
    EXPECT_FALSE(parse_recipe_text("mem.sfx", "rate 44100\n\nlength x\n", *recipe, error));
    EXPECT_EQ(error.rfind("mem.sfx:3: ", 0), 0u) << error;
}
