#!/usr/bin/env bash
# Huge pictures in the 32-bit process: a 20000 x 14000 PNG, a 30000 x 20000
# JPEG and a 16000 x 16000 TIFF (deflate strips), made once with the native
# vips in the build tree (bench-huge/, not in the clone).  For each, in a
# process of its own under Wine: its thumbnail through the thumbnail maker
# and its opening as the viewer opens it (fitted: held reduced when over the
# budget), each with its time and peak private memory against the 300 MB
# target; the machine's load is printed beside them.
# Exits 0 when every file got both and every thumbnail peaked under 300 MB,
# 1 when one did not, 2 when it could not measure.
#
#   tools/bench-huge.sh
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

dir=$(runnable_build_dir)
make -C "$dir" --no-print-directory bench_huge >/dev/null || die "cannot build bench_huge in $dir"
command -v vips >/dev/null || die "vips missing (libvips-tools)"

work="$dir/bench-huge"
mkdir -p "$work"

# make_picture FILE WIDTH HEIGHT [SAVE OPTIONS...]: smooth colour waves and a
# ramp, drawn at a quarter of the size and enlarged into FILE as vips saves it.
make_picture() {
  local file=$1 w=$2 h=$3
  shift 3
  [ -s "$work/$file" ] && return 0
  log "making $file (${w}x${h})"
  local q=$work/tmp
  mkdir -p "$q"
  local qw=$((w / 4)) qh=$((h / 4))
  vips sines "$q/s.v" "$qw" "$qh" --hfreq 2 --vfreq 1
  vips linear "$q/s.v" "$q/r.v" 100 128 --uchar
  vips sines "$q/s.v" "$qw" "$qh" --hfreq 1 --vfreq 3
  vips linear "$q/s.v" "$q/g.v" 100 128 --uchar
  vips xyz "$q/s.v" "$qw" "$qh"
  vips extract_band "$q/s.v" "$q/x.v" 0
  vips linear "$q/x.v" "$q/b.v" "$(awk "BEGIN { print 255 / $qw }")" 0 --uchar
  vips bandjoin "$q/r.v $q/g.v $q/b.v" "$q/rgb.v"
  vips resize "$q/rgb.v" "$work/$file$*" 4 --kernel linear
  rm -rf "$q"
}
make_picture huge-20000x14000.png 20000 14000
make_picture huge-30000x20000.jpg 30000 20000 "[Q=85]"
make_picture huge-16000x16000.tif 16000 16000 "[compression=deflate]"

export OMMAVU_BUILD_DIR=$dir
lib="Z:${dir//\//\\}\\bin\\Lorimel.dll"
exe="$dir/tools/bench_huge.exe"
failed=0
missed=0
printf '%-26s %-6s %9s %14s %16s %18s  %s\n' file pass seconds "held size" "peak private MB" "peak working set" "300 MB target"
for file in huge-20000x14000.png huge-30000x20000.jpg huge-16000x16000.tif; do
  for pass in thumb view; do
    out=$("$root/tests/wine-run.sh" "$exe" --$pass "Z:${work//\//\\}\\$file" --lib "$lib" | tr -d '\r') || true
    value() { awk -v k="$1" '$1 == k {print $2}' <<<"$out"; }
    if [ "$(value result)" != ok ]; then
      echo "$out" >&2
      log "$file: $pass failed"
      failed=1
      continue
    fi
    peak=$(value peak_private_mb)
    verdict=holds
    awk "BEGIN { exit !($peak < 300) }" || verdict=MISSED
    if [ "$pass" = thumb ] && [ "$verdict" = MISSED ]; then missed=1; fi
    [ "$pass" = view ] && verdict="$verdict (reported)"
    printf '%-26s %-6s %9s %14s %16s %18s  %s\n' "$file" "$pass" "$(value seconds)" \
      "$(value width)x$(value height)" "$peak" "$(value system_peak_working_set_mb)" "$verdict"
  done
done
echo "machine: $(nproc) cores, load:$(uptime | sed 's/.*load average//')"
[ "$failed" = 0 ] || exit 2
[ "$missed" = 0 ]
