#!/usr/bin/env bash
# Sets everything up, then starts KVU against a simulated Tarvo3 printer on COM1.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run-kvu: no display found (DISPLAY and WAYLAND_DISPLAY are not set)." >&2
    echo "Start KVU from a desktop session, or under a virtual X server:" >&2
    echo "  xvfb-run -a build/src/gui/kvu --simulator" >&2
    exit 1
fi
exec build/src/gui/kvu --simulator "$@"
