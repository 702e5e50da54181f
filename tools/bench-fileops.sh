#!/usr/bin/env bash
# The file operations' figures under Wine, medians of the runs, each printed
# with its target and whether it holds: a 12 MP picture to the clipboard
# (under 200 ms), the names of 1000 files pasted into their own folder of
# 10 000 (under 100 ms), the Multi File Rename dialog with 1000 files opened
# (under 500 ms) and following one keystroke (under 100 ms), the Send To
# cache of 50 named folders (under 50 ms, built once) and the picture type
# table's first build, as at start (under 20 ms).  Exits 0 when every target
# holds, 1 when one is missed, 2 when it could not measure.
#
#   tools/bench-fileops.sh [--runs N]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

run_target_bench bench_fileops "$@"
