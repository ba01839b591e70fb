#!/usr/bin/env bash
# The fuzz gate of CI: every file of fuzz/corpus/<target>/ replayed through its target,
# then each target fuzzed from its corpus for a bounded number of inputs (KVU_FUZZ_RUNS,
# default 20000, about 15 s for the slowest target) with a fixed seed (KVU_FUZZ_SEED,
# default 1): the same commit always runs the same inputs, so a gate that passed here passes
# in CI, and a finding is reproducible. KVU_FUZZ_SECONDS (default 60) caps each run. New
# inputs go to a scratch folder; the committed corpus is left alone. A crash, a hang, a leak
# or a sanitizer report fails the gate and names the input. Long searches with fresh seeds
# are fuzz/campaign.sh's job.
# Usage: fuzz/gate.sh BUILD_DIR   (a build configured with clang and -DKVU_FUZZ=ON)
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${1:?usage: fuzz/gate.sh BUILD_DIR}
SECONDS_PER_TARGET=${KVU_FUZZ_SECONDS:-60}
RUNS_PER_TARGET=${KVU_FUZZ_RUNS:-20000}
SEED=${KVU_FUZZ_SEED:-1}
TARGETS=(FuzzProjectFile FuzzNotation FuzzPrinter FuzzSupervisoryReply FuzzAtReply FuzzBitmapReader)
source scripts/sanitizer-env.sh
SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/kvu-fuzz-gate.XXXXXX")
failed=()

for t in "${TARGETS[@]}"; do
    bin="$BUILD_DIR/fuzz/$t"
    [ -x "$bin" ] || { echo "fuzz gate: $bin is missing" >&2; exit 1; }
    corpus="fuzz/corpus/$t"
    count=0
    for f in "$corpus"/*; do
        [ -f "$f" ] || continue
        count=$((count + 1))
        if ! "$bin" -timeout=10 -rss_limit_mb=2048 "$f" >"$SCRATCH/replay.log" 2>&1; then
            cat "$SCRATCH/replay.log" >&2
            echo "fuzz gate: $t FAILED on $f" >&2
            failed+=("$t replay $f")
        fi
    done
    echo "fuzz gate: $t replayed $count corpus files"
done

for t in "${TARGETS[@]}"; do
    bin="$BUILD_DIR/fuzz/$t"
    mkdir -p "$SCRATCH/$t"
    before=${#failed[@]}
    if "$bin" -seed="$SEED" -runs="$RUNS_PER_TARGET" -max_total_time="$SECONDS_PER_TARGET" \
            -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$SCRATCH/$t-" \
            "$SCRATCH/$t" "fuzz/corpus/$t" >"$SCRATCH/$t.log" 2>&1; then
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$SCRATCH/$t.log" | grep -o '[0-9]*$')
        echo "fuzz gate: $t ran ${runs:-?} inputs (seed $SEED), no finding"
    else
        tail -n 60 "$SCRATCH/$t.log" >&2
        for a in "$SCRATCH/$t"-*; do
            [ -f "$a" ] || continue
            echo "fuzz gate: $t finding kept as $a (bytes: $(od -An -tx1 -v "$a" | head -c 600 | tr -s ' \n' ' '))" >&2
            failed+=("$t finding $a")
        done
        [ "${#failed[@]}" -gt "$before" ] || failed+=("$t run failed, see the log above")
    fi
done

if [ "${#failed[@]}" -gt 0 ]; then
    printf 'fuzz gate: FAILED: %s\n' "${failed[@]}" >&2
    exit 1
fi
rm -rf "$SCRATCH"
echo "fuzz gate: passed"
