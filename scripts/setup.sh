#!/usr/bin/env bash
# Installs what KVU needs on a Debian/Ubuntu machine (only what is missing) and builds it.
# Usage: scripts/setup.sh [build-dir]     install what is missing, configure and build
#        scripts/setup.sh --packages-only  only install what is missing
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build}

PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libqt6test6 libgtest-dev
          fonts-dejavu-core xvfb xauth
          dpkg-dev desktop-file-utils appstream groff-base # the package and its checks
          clang-14 libclang-rt-14-dev # the sanitizer build and the fuzz targets
          ccache # rebuilds on this machine reuse what an earlier build compiled
          libtomlplusplus-dev libqt6sql6-sqlite libqt6sql6-psql postgresql) # recipes, the record
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "setup: run as root or install sudo" >&2; exit 1; }
        SUDO=sudo
    fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
[ "$BUILD_DIR" = --packages-only ] && exit 0

source scripts/compiler-cache.sh
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${KVU_CACHE_FLAGS[@]}" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
