// What the three map tools share on their command lines: starting Allegro for the
// PCX pictures and printing a run's messages under the tool's name.
#pragma once

#include "map_text.h"

namespace maps {

// Starts Allegro without a display; false (with a message printed) when it cannot.
bool start_allegro(const char *tool);

// Prints the warnings and, when there is one, the error; returns the exit status
// (0, or 1 for an error).
int finish_run(const char *tool, const Report &report);

} // namespace maps
