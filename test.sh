#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: unit, pixel,
# content, whole-game under Xvfb and level replays.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh
cd build
ctest -j2 --output-on-failure --timeout 900
