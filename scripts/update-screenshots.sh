#!/usr/bin/env bash
# Makes the README's pictures again with kvu-shots, the tool that also makes the help's
# pictures at build time. Run it after a change to the windows they show; the test
# gui_tests.ReadmePictures fails while a committed picture no longer matches its window.
# Usage: scripts/update-screenshots.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build}
cmake --build "$BUILD_DIR" --target kvu-shots -j2
# The pictures of the README, by their names in kvu-shots --list.
PICTURES=(main-window simulated-printer)
QT_QPA_PLATFORM=offscreen "$BUILD_DIR/src/gui/kvu-shots" docs "${PICTURES[@]}"
