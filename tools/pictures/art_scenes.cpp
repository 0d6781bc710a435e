// Procedural pictures.
#include "art_scenes.h"

namespace art {

const char *const *scene_names() {
    static const char *const names[] = {nullptr};
    return names;
}

bool render_scene(const std::string &name, int w, int h, const Palette &pal, const GlyphSet &glyphs,
                  Image &out, std::string &why) {
    (void)w; (void)h; (void)pal; (void)glyphs; (void)out;
    why = "no scene named \"" + name + "\"";
    return false;
}

} // namespace art
