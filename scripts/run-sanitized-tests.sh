#!/usr/bin/env bash
# Builds the whole suite and the fuzz targets with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang 14) in their own folder, runs the suite there, then
# the fuzz gate (every corpus file, and a short run of each target). Any sanitizer report,
# failed test or fuzz finding fails the run.
# Usage: scripts/run-sanitized-tests.sh [build-dir]   (default build-asan)
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build-asan}
scripts/setup.sh --packages-only || exit 1
source scripts/sanitizer-env.sh
source scripts/compiler-cache.sh

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
      -DKVU_SANITIZE=ON -DKVU_FUZZ=ON "${KVU_CACHE_FLAGS[@]}" >/dev/null || exit 1
cmake --build "$BUILD_DIR" -j2 || exit 1
suite=0
(cd "$BUILD_DIR" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 300) || suite=1
fuzz=0
bash fuzz/gate.sh "$BUILD_DIR" || fuzz=1
echo "run-sanitized-tests: suite $([ $suite = 0 ] && echo passed || echo FAILED)," \
     "fuzz gate $([ $fuzz = 0 ] && echo passed || echo FAILED)"
[ $suite = 0 ] && [ $fuzz = 0 ]
