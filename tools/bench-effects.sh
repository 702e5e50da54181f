#!/usr/bin/env bash
# Speed of the colour effects and geometric transforms: bench_effects.exe
# runs each operation on a 4000 x 3000 picture under Wine on one core and
# prints megapixels per second with the targets (single-pass operations at
# least 150 MP/s, the any-angle rotation at least 40 MP/s; Abstract, which
# draws rand() per pixel, and the two-pass doubling and resize have none).  Exits 0 when every target holds, 1 when
# one is missed, 2 when it could not measure.
#
#   tools/bench-effects.sh [--runs N]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

run_target_bench bench_effects "$@"
