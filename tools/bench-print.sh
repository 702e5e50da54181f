#!/usr/bin/env bash
# Speed of printing: bench_print.exe prints a 4000 x 3000 picture at 16M
# colours to the default printer of a private CUPS spooler (a PDF printer, as
# the printing tests use) under Wine and prints the time until the job is in
# the spooler's hands, with the target of 2 s.  Exits 0 when the target
# holds, 1 when it is missed, 2 when it could not measure.  Needs root (the
# spooler) and the packages of scripts/setup.sh.
#
#   tools/bench-print.sh [--runs N]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

dir=$(runnable_build_dir)
spooler="$dir/print-spooler-bench"
"$root/tests/integration/print-spooler.sh" start "$spooler" || exit 2
trap '"$root/tests/integration/print-spooler.sh" stop "$spooler"' EXIT
export CUPS_SERVER="$spooler/cups.sock"
run_target_bench bench_print "$@"
