#!/usr/bin/env bash
# Builds everything (scripts/setup.sh) and runs the test suite under Wine.
# Exits with ctest's status.  Extra arguments go to ctest (e.g. -R harness).
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$root/scripts/setup.sh"
dir=$(runnable_build_dir)
log "testing $dir"
status=0
ctest --test-dir "$dir" --output-on-failure -j2 "$@" || status=$?
exit "$status"
