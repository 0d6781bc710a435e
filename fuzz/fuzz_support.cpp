// Allegro, scratch files and failure reports for the fuzz targets.
#include "fuzz_support.h"

#include "core/platform.h"

#include <allegro.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

int report_fd = -1;       // the error output as the target found it
std::string scratch_dir;  // made on first use

void remove_scratch() {
    std::error_code ec;
    if (!scratch_dir.empty()) std::filesystem::remove_all(scratch_dir, ec);
}

[[noreturn]] void give_up(const char *what) {
    std::fprintf(stderr, "fuzz: %s: %s\n", what, std::strerror(errno));
    std::_Exit(2);
}

} // namespace

void fuzz_start_allegro(int depth) {
    if (report_fd < 0) report_fd = dup(STDERR_FILENO);
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) give_up("Allegro cannot start");
    set_color_depth(depth);
    use_screen_pixel_layouts();
}

std::string fuzz_scratch_path(const char *name) {
    if (report_fd < 0) report_fd = dup(STDERR_FILENO);
    if (scratch_dir.empty()) {
        struct stat st;
        std::string base = stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/vespertil-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) give_up("no scratch directory");
        scratch_dir = pattern;
        std::atexit(remove_scratch);
    }
    return scratch_dir + "/" + name;
}

void fuzz_write_file(const std::string &path, const uint8_t *data, std::size_t size) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) give_up(path.c_str());
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) give_up(path.c_str());
}

void fuzz_fail(const char *file, int line, const char *format, ...) {
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    dprintf(report_fd >= 0 ? report_fd : STDERR_FILENO, "%s:%d: broken promise: %s\n", file,
            line, message);
    std::abort();
}
