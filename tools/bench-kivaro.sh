#!/usr/bin/env bash
# How fast the shell extension answers icon requests from a warm thumbnail
# cache: 500 cached pictures (tools/bench_kivaro.cpp fills the cache through
# the cache module as the browser's worker does), each asked for once cold
# and once warm through CoCreateInstance under Wine.  Exits 0 when a warm
# request stays under 5 ms (95th percentile).
#
#   tools/bench-kivaro.sh [PICTURES]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

dir=$(runnable_build_dir)
work="$dir/bench-kivaro"
mkdir -p "$work"
run_target_bench bench_kivaro "Z:${work//\//\\}" "${1:-500}" 2> >(grep -v "Read access denied" >&2)
