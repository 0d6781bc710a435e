// The picture tool: faults in a source are refused with the file, the line and what
// is wrong (sheet_errors.txt, palettes too); run as a program, in the tools' table of
// runs (tools/common/tests/tool_runs.txt). What good sources paint is held by the hashes of the generated
// pictures (content/tests/generated.hashes).
#include "art_image.h"
#include "art_sheet.h"

#include "support/case_table.h"
#include "support/promise.h"
#include "support/corpus_seeds.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

INSTANTIATE_TEST_SUITE_P(Pictures, CorpusSeed,
                         seeds_of({{"art_palette", art_palette_promise}, {"art_sheet", art_sheet_promise}}),
                         seed_name);

const std::string kPalette = text_beside(__FILE__, "recipe_palette.txt");

class SourceErrors : public ::testing::TestWithParam<TextCase> {};

// A case whose message names p.txt is a palette; any other, a sheet recipe painted
// with the palette above.
TEST_P(SourceErrors, NameTheFileTheLineAndTheFault) {
    const TextCase &c = GetParam();
    art::Palette pal;
    art::Diag err;
    auto sheet = std::make_unique<art::Sheet>();
    if (c.file == "p.txt") {
        EXPECT_FALSE(art::parse_palette("p.txt", c.text, pal, err));
    } else {
        ASSERT_TRUE(art::parse_palette("pal.txt", kPalette, pal, err)) << err.text();
        EXPECT_FALSE(art::build_sheet_text("recipe.txt", c.text, pal, *sheet, err));
    }
    EXPECT_TRUE(says(err.text(), c.file.empty() ? "recipe.txt" : c.file, c));
}

INSTANTIATE_TEST_SUITE_P(Table, SourceErrors, ::testing::ValuesIn(read_cases(__FILE__, "sheet_errors.txt")),
                         case_name);

} // namespace
