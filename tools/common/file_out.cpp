// Whole-or-nothing output files for the content tools.
#include "file_out.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace tool_files {

std::string part_path(const std::string &path) {
    return path + ".part" + std::to_string(static_cast<long>(getpid()));
}

bool move_into_place(const std::string &part, const std::string &path, std::string &why) {
    if (std::rename(part.c_str(), path.c_str()) == 0) return true;
    why = std::string("cannot be renamed into place: ") + std::strerror(errno);
    std::remove(part.c_str());
    return false;
}

bool write_file_whole(const std::string &path, const void *bytes, std::size_t size,
                      std::string &why) {
    std::string part = part_path(path);
    FILE *f = std::fopen(part.c_str(), "wb");
    if (!f) {
        why = std::strerror(errno);
        return false;
    }
    bool ok = size == 0 || std::fwrite(bytes, 1, size, f) == size;
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        why = std::string("the disk refused the bytes: ") + std::strerror(errno);
        std::remove(part.c_str());
        return false;
    }
    return move_into_place(part, path, why);
}

} // namespace tool_files
