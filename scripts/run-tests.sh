#!/usr/bin/env bash
# Sets everything up, builds, and runs the whole test suite; then builds the Debian
# package from that build and checks it (scripts/check-package.sh); then the same suite built
# with AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz gate
# (scripts/run-sanitized-tests.sh). Each stage runs even when an earlier one failed, so
# one run shows every failure; the exit status is non-zero when any stage failed. The end
# of the run shows each stage's time.
# KVU_SKIP_SANITIZED=1 runs the plain suite only.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/stage-times.sh
kvu_stage install scripts/setup.sh --packages-only || { kvu_stage_report; exit 1; }
kvu_stage "plain build" scripts/setup.sh build || { kvu_stage_report; exit 1; }
plain=0
plain_suite() {
    (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 300)
}
kvu_stage "plain suite" plain_suite || plain=1
# The Debian package, from the same build folder: contents, dependencies, lintian, the
# programs start.
package=0
kvu_stage package bash scripts/check-package.sh build || package=1
sanitized=0
if [ "${KVU_SKIP_SANITIZED:-0}" != 1 ]; then
    # It notes its own stages: the sanitized build, the sanitized suite, the fuzz gate.
    bash scripts/run-sanitized-tests.sh build-asan || sanitized=1
fi
echo "run-tests: plain suite $([ $plain = 0 ] && echo passed || echo FAILED);" \
     "package $([ $package = 0 ] && echo passed || echo FAILED);" \
     "sanitized suite and fuzz gate $([ "${KVU_SKIP_SANITIZED:-0}" = 1 ] && echo skipped ||
                                       ([ $sanitized = 0 ] && echo passed || echo FAILED))"
kvu_stage_report
[ $plain = 0 ] && [ $package = 0 ] && [ $sanitized = 0 ]
