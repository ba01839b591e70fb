#!/usr/bin/env bash
# Builds KVU's Debian package and installs it with apt-get (which installs what it depends
# on), as root or through sudo, waiting for another package manager to finish first.
# Usage: scripts/install-package.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build}
scripts/setup.sh "$BUILD_DIR"
cmake --build "$BUILD_DIR" --target package >/dev/null
version=$(sed -n 's/^inline const char\* const kVersionText = "\(.*\)";/\1/p' \
              "$BUILD_DIR/src/core/generated/app/Version.h")
deb=$(realpath "$BUILD_DIR"/kvu_"$version"_*.deb)
source scripts/apt-get.sh
echo "install-package: installing $deb"
kvu_apt_get install -y -qq "$deb"
