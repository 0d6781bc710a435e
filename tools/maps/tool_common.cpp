// Start-up and messages of the map tools.
#include "tool_common.h"

#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace maps {

bool start_allegro(const char *tool) {
    if (install_allegro(SYSTEM_NONE, &errno, atexit) == 0) return true;
    std::fprintf(stderr, "%s: Allegro cannot start\n", tool);
    return false;
}

int finish_run(const char *tool, const Report &report) {
    for (const std::string &w : report.warnings) std::fprintf(stderr, "%s: %s\n", tool, w.c_str());
    if (report.error.empty()) return 0;
    std::fprintf(stderr, "%s: %s\n", tool, report.error.c_str());
    return 1;
}

} // namespace maps
