#!/usr/bin/env bash
# A long fuzz campaign by hand: builds the target if needed (clang 14, sanitizers, in
# build-asan unless KVU_FUZZ_BUILD_DIR says otherwise), fuzzes it for MINUTES from its
# committed corpus on one core, keeps new inputs and findings in fuzz/scratch/TARGET/
# (not committed), and prints the executions. A minimized finding belongs in
# fuzz/corpus/TARGET/ once it is fixed (see fuzz/README.md).
# Usage: fuzz/campaign.sh TARGET MINUTES
# KVU_FUZZ_KEEP_GOING=1 keeps fuzzing past findings (libFuzzer's fork mode, one job),
# for a target whose known finding is not fixed yet; each finding is still kept.
set -uo pipefail
cd "$(dirname "$0")/.."
TARGET=${1:?usage: fuzz/campaign.sh TARGET MINUTES}
MINUTES=${2:?usage: fuzz/campaign.sh TARGET MINUTES}
BUILD_DIR=${KVU_FUZZ_BUILD_DIR:-build-asan}
# Every target has a committed corpus folder; that folder is the list of targets.
if [ ! -d "fuzz/corpus/$TARGET" ]; then
    echo "campaign: unknown target $TARGET (known: $(ls fuzz/corpus | tr '\n' ' '))" >&2
    exit 2
fi
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    scripts/setup.sh --packages-only
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
          -DKVU_SANITIZE=ON -DKVU_FUZZ=ON >/dev/null || exit 1
fi
cmake --build "$BUILD_DIR" -j2 --target "$TARGET" || exit 1
source scripts/sanitizer-env.sh

SCRATCH=fuzz/scratch/$TARGET
mkdir -p "$SCRATCH/new" "$SCRATCH/findings"
LOG="$SCRATCH/campaign-$(date +%Y%m%d-%H%M%S).log"
echo "campaign: $TARGET for $MINUTES min, log $LOG"
KEEP_GOING=()
[ "${KVU_FUZZ_KEEP_GOING:-0}" = 1 ] && KEEP_GOING=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
"$BUILD_DIR/fuzz/$TARGET" "${KEEP_GOING[@]}" -max_total_time=$((MINUTES * 60)) -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$SCRATCH/findings/" \
    "$SCRATCH/new" "fuzz/corpus/$TARGET" >"$LOG" 2>&1
status=$?
runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$LOG" | grep -o '[0-9]*$')
# Fork mode reports its running total on lines "#N: cov: ...".
[ -n "$runs" ] || runs=$(grep -o '^#[0-9]*' "$LOG" | tail -n 1 | tr -d '#')
echo "campaign: $TARGET executed ${runs:-?} inputs; $(ls "$SCRATCH/new" | wc -l) new inputs kept in $SCRATCH/new"
findings=$(ls "$SCRATCH/findings" 2>/dev/null)
if [ "$status" -ne 0 ] || [ -n "$findings" ]; then
    tail -n 40 "$LOG"
    echo "campaign: findings in $SCRATCH/findings: ${findings:-none written (exit $status)}"
    echo "campaign: minimize with $BUILD_DIR/fuzz/$TARGET -minimize_crash=1 -runs=10000 FILE"
    exit 1
fi
