// Golden screens: hashing a picture, reading and rewriting the golden file, writing
// the PNG of a picture that differs.
#include "support/golden_screen.h"

#include "png_write.h"

#include <allegro.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace testing_support {

namespace {

// tests/goldens/<the running binary's name>.txt in the source tree.
std::string golden_file() {
    return std::string(VESPERTIL_GOLDEN_DIR) + "/" +
           std::filesystem::read_symlink("/proc/self/exe").filename().string() + ".txt";
}

std::map<std::string, std::string> read_goldens(const std::string &path) {
    std::map<std::string, std::string> goldens;
    std::ifstream in(path);
    std::string name, hash;
    while (in >> name >> hash) goldens[name] = hash;
    return goldens;
}

// The whole file anew, sorted by name. ctest runs the cases of a binary as processes
// side by side, so the read and the write hold a lock on the folder.
void rewrite_golden(const std::string &path, const std::string &name, const std::string &hash) {
    const int dir = open(VESPERTIL_GOLDEN_DIR, O_RDONLY);
    if (dir >= 0) flock(dir, LOCK_EX);
    std::map<std::string, std::string> goldens = read_goldens(path);
    goldens[name] = hash;
    const std::string temp = path + ".new";
    {
        std::ofstream out(temp, std::ios::trunc);
        for (const auto &[n, h] : goldens) out << n << ' ' << h << '\n';
    }
    std::filesystem::rename(temp, path);
    if (dir >= 0) close(dir);
}

// The picture's red, green and blue, row by row: what is hashed and what a PNG shows.
maps::Raster raster_of(BITMAP *picture) {
    maps::Raster raster;
    raster.w = picture->w;
    raster.h = picture->h;
    raster.rgb.resize(static_cast<std::size_t>(raster.w) * raster.h * 3);
    const int depth = bitmap_color_depth(picture);
    for (int y = 0; y < raster.h; ++y)
        for (int x = 0; x < raster.w; ++x) {
            const int c = getpixel(picture, x, y);
            uint8_t *p = raster.at(x, y);
            p[0] = static_cast<uint8_t>(getr_depth(depth, c));
            p[1] = static_cast<uint8_t>(getg_depth(depth, c));
            p[2] = static_cast<uint8_t>(getb_depth(depth, c));
        }
    return raster;
}

std::string write_png(const std::string &name, BITMAP *picture) {
    const char *out = std::getenv("VESPERTIL_GOLDEN_OUT");
    const std::filesystem::path file =
        std::filesystem::absolute(std::filesystem::path(out && *out ? out : ".") / (name + ".png"))
            .lexically_normal();
    const std::vector<uint8_t> png = maps::encode_png(raster_of(picture));
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(png.data()), static_cast<std::streamsize>(png.size()));
    return file.string();
}

} // namespace

uint64_t screen_hash(BITMAP *picture) {
    uint64_t h = 0xcbf29ce484222325ull;
    auto mix = [&h](unsigned v) {
        h ^= v & 0xFF;
        h *= 0x100000001b3ull;
    };
    for (int v : {picture->w >> 8, picture->w, picture->h >> 8, picture->h}) mix(v);
    for (uint8_t v : raster_of(picture).rgb) mix(v);
    return h;
}

::testing::AssertionResult golden_screen(const std::string &name, BITMAP *picture) {
    if (!picture || name.empty() ||
        name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.") !=
            std::string::npos)
        return ::testing::AssertionFailure() << "golden screen '" << name << "': no picture or a bad name";
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(screen_hash(picture)));
    const std::string path = golden_file();
    const auto goldens = read_goldens(path);
    const auto found = goldens.find(name);
    if (found != goldens.end() && found->second == hash) return ::testing::AssertionSuccess();
    const char *rewrite = std::getenv("VESPERTIL_REWRITE_GOLDENS");
    if (rewrite && std::string(rewrite) == "1") {
        rewrite_golden(path, name, hash);
        std::printf("golden screen %s %s: %s\n", name.c_str(),
                    found == goldens.end() ? "added" : "changed", write_png(name, picture).c_str());
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "golden screen " << name << " "
           << (found == goldens.end() ? "is not in " + path : "differs from " + path) << " (hash " << hash
           << "); the picture is " << write_png(name, picture)
           << "; if the change is meant, run again with VESPERTIL_REWRITE_GOLDENS=1";
}

NumberedCells::NumberedCells(int depth, int set) {
    for (int n = 0; n < kCellCount; ++n) {
        BITMAP *b = cells[n] = create_bitmap_ex(depth, kCellSize, kCellSize);
        clear_to_color(b, makecol_depth(depth, (n * 53) & 255, (n * 97 + set * 90) & 255,
                                        (n * 29 + set * 150) & 255));
        textprintf_ex(b, font, 0, 4, makecol_depth(depth, 0, 0, 0), -1, "%02X", n);
        putpixel(b, 0, 0, bitmap_mask_color(b));
    }
}

} // namespace testing_support
