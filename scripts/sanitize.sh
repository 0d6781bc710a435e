#!/usr/bin/env bash
# The checked build: every library, tool and test built with AddressSanitizer (leaks
# included), UndefinedBehaviorSanitizer and libFuzzer's coverage hooks in build-fuzz/,
# with the fuzz targets. There the unit, pixel, content and replay tests run again
# (the whole-game ones are left to the plain build), and each fuzz target runs for a
# few seconds over its seed corpus. Any sanitizer report fails the test that made it.
# Needs clang.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset fuzz > /dev/null
cmake --build --preset fuzz -j"$(nproc)"
ctest --preset checked
