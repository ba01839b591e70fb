#!/usr/bin/env bash
# Builds the whole suite and the fuzz targets with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang 14) in their own folder, runs the suite there, then
# the fuzz gate (every corpus file, and a short run of each target). Any sanitizer report,
# failed test or fuzz finding fails the run. The benchmarks and the help's pictures, which
# neither the suite nor the gate uses, are left out of this build.
# Usage: scripts/run-sanitized-tests.sh [build-dir]   (default build-asan)
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build-asan}
source scripts/stage-times.sh
sanitized_build() {
    scripts/setup.sh --packages-only || return 1
    source scripts/sanitizer-env.sh
    source scripts/compiler-cache.sh
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
          -DKVU_SANITIZE=ON -DKVU_FUZZ=ON -DKVU_BUILD_BENCH=OFF -DKVU_HELP_PICTURES=OFF \
          "${KVU_CACHE_FLAGS[@]}" >/dev/null || return 1
    cmake --build "$BUILD_DIR" -j2
}
sanitized_suite() {
    (cd "$BUILD_DIR" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 300)
}
kvu_stage "sanitized build" sanitized_build || { [ "${KVU_STAGE_TIMES_OWNER:-}" != $$ ] || kvu_stage_report; exit 1; }
suite=0
kvu_stage "sanitized suite" sanitized_suite || suite=1
fuzz=0
kvu_stage "fuzz gate" bash fuzz/gate.sh "$BUILD_DIR" || fuzz=1
echo "run-sanitized-tests: suite $([ $suite = 0 ] && echo passed || echo FAILED)," \
     "fuzz gate $([ $fuzz = 0 ] && echo passed || echo FAILED)"
# Run on its own, it shows its stages' times; under run-tests.sh that script does.
[ "${KVU_STAGE_TIMES_OWNER:-}" != $$ ] || kvu_stage_report
[ $suite = 0 ] && [ $fuzz = 0 ]
