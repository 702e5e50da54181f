#!/usr/bin/env bash
# How fast Set To WallPaper hands a 12 MP picture to the desktop under Wine
# (the wallpaper file, the registry values, the system told).  Exits 0 when
# the slowest of five runs stays under 300 ms.
#
#   tools/bench-desktop.sh
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

run_target_bench bench_desktop
