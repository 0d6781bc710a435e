// What the three map tools share on their command lines: reading the arguments,
// starting Allegro for the PCX pictures and printing a run's messages under the
// tool's name.
#pragma once

#include "map_text.h"

#include <vector>

namespace maps {

// Reads "TOOL [OPTION VALUE]... IN OUT": every value of the one option, in order, and
// the two paths. False, with "usage: TOOL <usage>" printed, for anything else.
bool read_arguments(int argc, char **argv, const char *tool, const char *option,
                    const char *usage, std::vector<const char *> &values,
                    const char *(&paths)[2]);

// Starts Allegro without a display; false (with a message printed) when it cannot.
bool start_allegro(const char *tool);

// Prints the warnings and, when there is one, the error; returns the exit status
// (0, or 1 for an error).
int finish_run(const char *tool, const Report &report);

} // namespace maps
