// The sheet recipes of vespertil-art on any text, painted with the game's own
// palette. A refused recipe names the file and line of its fault; an accepted one
// gives a 384 x 160 sheet. The recipe is read as if it lay beside the real ones in
// content/pictures, so its "include" lines reach them.
#include "fuzz_support.h"

#include "art_image.h"
#include "art_sheet.h"

#include <memory>
#include <string>

namespace {

art::Palette palette;
const std::string label = VESPERTIL_SOURCE_DIR "/content/pictures/fuzz_recipe.txt";

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    art::Diag err;
    if (!art::load_palette(VESPERTIL_SOURCE_DIR "/content/pictures/palette.txt", palette, err))
        fuzz_fail(__FILE__, __LINE__, "the game's palette: %s", err.text().c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    auto sheet = std::make_unique<art::Sheet>();
    art::Diag err;
    if (!art::build_sheet_text(label, text, palette, *sheet, err)) {
        FUZZ_CHECK(!err.file.empty() && !err.message.empty(), "a refusal without file or message");
        return 0;
    }
    FUZZ_CHECK(sheet->image.w == art::kSheetW && sheet->image.h == art::kSheetH &&
                   sheet->image.px.size() == static_cast<std::size_t>(art::kSheetW) * art::kSheetH,
               "a sheet of %d x %d", sheet->image.w, sheet->image.h);
    return 0;
}
