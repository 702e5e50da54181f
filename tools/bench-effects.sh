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

dir=$(runnable_build_dir)
make -C "$dir" --no-print-directory bench_effects >/dev/null || die "cannot build bench_effects in $dir"
export OMMAVU_BUILD_DIR=$dir
status=0
"$root/tests/wine-run.sh" "$dir/tools/bench_effects.exe" "$@" | tr -d '\r' || status=$?
case $status in
  0) ;;
  1) log "some targets were missed"; exit 1 ;;
  *) log "bench_effects.exe failed (status $status)"; exit 2 ;;
esac
