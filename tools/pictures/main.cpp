// vespertil-art: makes the game's pictures and sheets from the text sources.
//   vespertil-art sheet <palette> <recipe> <out.pcx>
//   vespertil-art picture <palette> <glyph source> <scene> <width> <height> <out.pcx|out.jpg>
// A fault in a source is reported as "file:line: what is wrong", and no output is
// written then.
#include "art_image.h"
#include "art_scenes.h"
#include "art_sheet.h"
#include "art_text.h"
#include "art_write.h"

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: vespertil-art sheet <palette> <recipe> <out.pcx>\n"
                 "       vespertil-art picture <palette> <glyph source> <scene> <width> <height> <out>\n");
    return 2;
}

int report(const art::Diag &err) {
    std::fprintf(stderr, "vespertil-art: %s\n", err.text().c_str());
    return 1;
}

int make_sheet(char **argv) {
    art::Palette pal;
    art::Diag err;
    if (!art::load_palette(argv[0], pal, err)) return report(err);
    auto sheet = std::make_unique<art::Sheet>();
    if (!art::build_sheet(argv[1], pal, *sheet, err)) return report(err);
    if (!art::write_picture(argv[2], sheet->image, err)) return report(err);
    return 0;
}

int make_picture(char **argv) {
    art::Palette pal;
    art::Diag err;
    if (!art::load_palette(argv[0], pal, err)) return report(err);
    auto glyphs = std::make_unique<art::Sheet>();
    if (!art::build_sheet(argv[1], pal, *glyphs, err)) return report(err);
    int w, h;
    if (!art::parse_int(argv[3], 1, 4096, w) || !art::parse_int(argv[4], 1, 4096, h)) {
        std::fprintf(stderr, "vespertil-art: \"%s x %s\" is not a picture size\n", argv[3], argv[4]);
        return 2;
    }
    art::Image img;
    std::string why;
    if (!art::render_scene(argv[2], w, h, pal, glyphs->glyphs, img, why)) {
        err = art::Diag{argv[5], 0, why};
        return report(err);
    }
    if (!art::write_picture(argv[5], img, err)) return report(err);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) return usage();
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        std::fprintf(stderr, "vespertil-art: Allegro cannot start\n");
        return 1;
    }
    if (std::strcmp(argv[1], "sheet") == 0 && argc == 5) return make_sheet(argv + 2);
    if (std::strcmp(argv[1], "picture") == 0 && argc == 8) return make_picture(argv + 2);
    return usage();
}
