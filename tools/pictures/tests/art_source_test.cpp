// The picture tool's readers: faults in a source are refused with the file, the line
// and what is wrong (palette_errors.txt, sheet_errors.txt). What good sources paint
// is held by the hashes of the generated pictures (content/tests/generated.hashes).
#include "art_image.h"
#include "art_sheet.h"

#include "support/case_table.h"
#include "../../common/tests/tool_promises.h"
#include "support/corpus_seeds.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

INSTANTIATE_TEST_SUITE_P(Pictures, CorpusSeed,
                         seeds_of({{"art_palette", art_palette_promise}, {"art_sheet", art_sheet_promise}}),
                         seed_name);

const char *kPalette = "colour 0 8 6 16 ink\ncolour 1 20 16 34 shadow\ncolour a 200 10 10 red\n"
                       "colour b 10 200 10 green\ncolour c 10 10 200 blue\ncolour d 250 250 250 light\n"
                       "ramp glyph a b c d\nramp plate a b\nramp rim c d\nramp stone 0 a b c\n"
                       "ramp meter a b c\nramp ember a b c d\n";

class PaletteErrors : public ::testing::TestWithParam<TextCase> {};

TEST_P(PaletteErrors, NameTheFileTheLineAndTheFault) {
    art::Palette pal;
    art::Diag err;
    EXPECT_FALSE(art::parse_palette("p.txt", GetParam().text, pal, err));
    EXPECT_TRUE(says(err.text(), "p.txt", GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Table, PaletteErrors, ::testing::ValuesIn(read_cases(__FILE__, "palette_errors.txt")),
                         case_name);

class SheetErrors : public ::testing::TestWithParam<TextCase> {};

TEST_P(SheetErrors, NameTheFileTheLineAndTheFault) {
    art::Palette pal;
    art::Diag err;
    ASSERT_TRUE(art::parse_palette("pal.txt", kPalette, pal, err)) << err.text();
    auto sheet = std::make_unique<art::Sheet>();
    EXPECT_FALSE(art::build_sheet_text("recipe.txt", GetParam().text, pal, *sheet, err));
    EXPECT_TRUE(says(err.text(), "recipe.txt", GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Table, SheetErrors, ::testing::ValuesIn(read_cases(__FILE__, "sheet_errors.txt")),
                         case_name);

} // namespace
