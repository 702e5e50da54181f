#!/usr/bin/env bash
# The file operations' clipboard and paste figures under Wine: a 12 MP
# picture to the clipboard (target under 200 ms) and the names of 1000 files
# pasted into their own folder of 10 000 (target under 100 ms), medians of
# the runs.  Exits 0 when both hold, 1 when one is missed, 2 when it could
# not measure.
#
#   tools/bench-fileops.sh [--runs N]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

run_target_bench bench_fileops "$@"
