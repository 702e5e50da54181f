#!/usr/bin/env bash
# Speed of the filter plug-ins' arithmetic: bench_filters.exe runs each
# filter on a 4000 x 3000 picture under Wine on one core, at the setting its
# dialog starts with and at its heaviest, and prints megapixels per second
# with the targets (Blur and Sharpen with a = 13 within 3 s, the mapping
# filters at least 20 MP/s; Noise and Spread, which draw rand() per byte or
# pixel, have none).  Exits 0 when every target holds, 1 when one is missed,
# 2 when it could not measure.
#
#   tools/bench-filters.sh [--runs N]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

run_target_bench bench_filters "$@"
