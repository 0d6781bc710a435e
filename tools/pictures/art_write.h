// Writing finished pictures: PCX through Allegro (24 bits a pixel) and JPEG through
// libjpeg. A picture is first written beside its destination and renamed into place
// only when complete, so a failed run never leaves a half-made file.
#pragma once

#include "art_image.h"

#include <string>

namespace art {

// Allegro must be installed (SYSTEM_NONE is enough) before writing a PCX.
bool write_pcx(const std::string &path, const Image &img, Diag &err);
bool write_jpeg(const std::string &path, const Image &img, int quality, Diag &err);
// By the extension: .pcx or .jpg (any case).
bool write_picture(const std::string &path, const Image &img, Diag &err);

} // namespace art
