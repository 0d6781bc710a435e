#!/usr/bin/env bash
# The checked builds: every library, tool and test built with AddressSanitizer (leaks
# included) and UndefinedBehaviorSanitizer in build-asan/, where the unit, pixel,
# content and replay tests run again (the whole-game ones are left to the plain
# build); then the fuzz targets in build-fuzz/, each run for a few seconds over its
# seed corpus. Any sanitizer report fails the test that made it. Needs clang.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset asan > /dev/null
cmake --build --preset asan -j"$(nproc)"
ctest --preset asan
cmake --preset fuzz > /dev/null
cmake --build --preset fuzz -j"$(nproc)"
ctest --preset fuzz
