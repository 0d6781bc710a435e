#!/usr/bin/env bash
# Builds the game, its data and its desktop files into build/ and makes the Debian
# package from the install rules (packaging/CMakeLists.txt) with CPack:
# build/vespertil_<version>_<arch>.deb. Install it with
#   sudo apt install ./build/vespertil_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j"$(nproc)" --target vespertil content_pictures content_sheets content_sounds \
  content_music content_maps content_icons package_docs
(cd build && cpack)
