// The picture tool: faults in a source are refused with the file, the line and what
// is wrong (sheet_errors.txt, palettes too); run as the build runs it, a bad
// source, an unknown scene, a wrong size or a failed write stops it, and no output
// file is left behind. What good sources paint is held by the hashes of the generated
// pictures (content/tests/generated.hashes).
#include "art_image.h"
#include "art_sheet.h"

#include "support/case_table.h"
#include "support/promise.h"
#include "../../common/tests/tool_run.h"
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

using testing_support::write_file;

TEST(ArtTool, RefusesABadSourceOrAFailedWriteAndLeavesNothing) {
    testing_support::TempDir dir;
    write_file(dir.file("pal.txt"), std::string("colour 0 8 6 16 ink\ncolour a 200 10 10 red\n"));
    std::string recipe = "# a comment\ncells 0 1x1\n";
    for (int i = 0; i < 16; ++i) recipe += i == 6 ? "aaaaaaaq00000000\n" : "aaaaaaaa00000000\n";
    write_file(dir.file("sheet.txt"), recipe);
    write_file(dir.file("empty.txt"), std::string("# nothing drawn\n"));
    const std::string tool = std::string(VESPERTIL_ART_TOOL) + " ";
    const std::string sheet = tool + "sheet " + dir.file("pal.txt") + " ";
    const std::string picture = tool + "picture " VESPERTIL_ART_SOURCES "/palette.txt " VESPERTIL_ART_SOURCES
                                "/glyphs.txt ";
    const std::pair<std::string, std::string> runs[] = {
        {sheet + dir.file("sheet.txt") + " " + dir.file("out.pcx"), dir.file("sheet.txt") + ":9: column 8: 'q'"},
        {sheet + dir.file("empty.txt") + " " + dir.file("missing-dir/out.pcx"), "out.pcx"},
        {picture + "nowhere 64 64 " + dir.file("x.pcx"), "nowhere"},
        {picture + "frame 641 400 " + dir.file("x.pcx"), "640 x 400"},
    };
    for (const auto &[command, says] : runs) {
        ToolRun r = run_tool(command, dir);
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_NE(r.output.find(says), std::string::npos) << r.output;
    }
    EXPECT_EQ(testing_support::dir_entries(dir.path()),
              (std::vector<std::string>{"empty.txt", "output.txt", "pal.txt", "sheet.txt"}));
}

} // namespace
