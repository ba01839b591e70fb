#!/usr/bin/env bash
# Sets everything up, builds, and runs the whole test suite; then builds the Debian
# package from that build and checks it (scripts/check-package.sh); then the same suite built
# with AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz gate
# (scripts/run-sanitized-tests.sh). Each stage runs even when an earlier one failed, so
# one run shows every failure; the exit status is non-zero when any stage failed.
# KVU_SKIP_SANITIZED=1 runs the plain suite only.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build || exit 1
plain=0
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 300) || plain=1
# The Debian package, from the same build folder: contents, dependencies, programs start.
package=0
bash scripts/check-package.sh build || package=1
sanitized=0
if [ "${KVU_SKIP_SANITIZED:-0}" != 1 ]; then
    bash scripts/run-sanitized-tests.sh build-asan || sanitized=1
fi
echo "run-tests: plain suite $([ $plain = 0 ] && echo passed || echo FAILED);" \
     "package $([ $package = 0 ] && echo passed || echo FAILED);" \
     "sanitized suite and fuzz gate $([ "${KVU_SKIP_SANITIZED:-0}" = 1 ] && echo skipped ||
                                       ([ $sanitized = 0 ] && echo passed || echo FAILED))"
[ $plain = 0 ] && [ $package = 0 ] && [ $sanitized = 0 ]
