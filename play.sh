#!/usr/bin/env bash
# Installs what is missing, builds everything and starts the game from its game
# directory (build/game). Extra arguments go to the game ("windowed" for a window;
# where full screen is refused the game opens a window by itself).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh
if [ -z "${DISPLAY:-}" ]; then
  echo "vespertil: built, but there is no display to play on (DISPLAY is unset); run it under X, or try: xvfb-run -s '-screen 0 800x600x24' ./play.sh windowed" >&2
  exit 2
fi
cd build/game
exec ./vespertil "$@"
