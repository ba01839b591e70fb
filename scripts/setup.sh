#!/usr/bin/env bash
# Installs what KVU needs on a Debian/Ubuntu machine (only what is missing) and builds it.
# Usage: scripts/setup.sh [build-dir]     install what is missing, configure and build
#        scripts/setup.sh --packages-only  only install what is missing
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build}

PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libqt6test6 libgtest-dev
          fonts-dejavu-core xvfb xauth
          dpkg-dev desktop-file-utils appstream groff-base lintian # the package and its checks
          clang-14 libclang-rt-14-dev # the sanitizer build and the fuzz targets
          ccache # rebuilds on this machine reuse what an earlier build compiled
          libtomlplusplus-dev libqt6sql6-sqlite libqt6sql6-psql postgresql) # recipes, the record
source scripts/apt-get.sh
missing=()
for p in "${PACKAGES[@]}"; do
    kvu_installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    kvu_apt_get update -qq
    kvu_apt_get install -y -qq --no-install-recommends "${missing[@]}"
fi
[ "$BUILD_DIR" = --packages-only ] && exit 0

source scripts/compiler-cache.sh
# The Debian package is made from this build (and the suite runs these binaries): Debian's
# build flags, with all of its hardening (fortified functions, stack protector, read-only
# relocations bound at start). The build path stays out of them, so that clones in
# different folders share the compiler cache.
KVU_DEB_FLAGS=()
if command -v dpkg-buildflags >/dev/null; then
    flag() {
        DEB_BUILD_MAINT_OPTIONS="hardening=+all reproducible=-fixfilepath,-fixdebugpath" \
            dpkg-buildflags --get "$1"
    }
    ldflags=$(flag LDFLAGS)
    # Without -g: the package strips its programs anyway, and debug information costs a
    # third of every compile (KVU_DEBUG_INFO=1 keeps it, for a debugger).
    cxxflags=$(flag CXXFLAGS)
    [ "${KVU_DEBUG_INFO:-0}" = 1 ] || cxxflags=$(echo " $cxxflags " | sed 's/ -g / /g')
    KVU_DEB_FLAGS=(-DCMAKE_CXX_FLAGS="$(flag CPPFLAGS) $cxxflags"
                   -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags"
                   -DCMAKE_MODULE_LINKER_FLAGS="$ldflags")
fi
KVU_OPT_FLAGS=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG")
[ "${KVU_DEBUG_INFO:-0}" != 1 ] || KVU_OPT_FLAGS=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g -DNDEBUG")
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${KVU_DEB_FLAGS[@]}" \
      "${KVU_OPT_FLAGS[@]}" \
      "${KVU_CACHE_FLAGS[@]}" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
