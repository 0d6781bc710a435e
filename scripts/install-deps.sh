#!/usr/bin/env bash
# Installs every Debian 12 package the game, its content tools and its tests need
# (clang, its sanitizer and libFuzzer runtimes and llvm-symbolizer for the checked
# builds of scripts/sanitize.sh; file, which CPack reads the game's binary with, and
# lintian for the package and its check).
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  liballegro4-dev libjpeg-dev libxmp-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool x11-utils x11-apps imagemagick python3
  clang libclang-rt-dev llvm
  file lintian
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
