#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: unit, pixel,
# content, whole-game under Xvfb and level replays. Then the checked builds: the
# same tests but the whole-game ones under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short run of every fuzz target
# (scripts/sanitize.sh).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh
(cd build && ctest -j2 --output-on-failure --timeout 900)
scripts/sanitize.sh
