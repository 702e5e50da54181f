#!/usr/bin/env bash
# Speed of saving: bench_save.exe saves a 4000 x 3000 photo-like picture
# from memory under Wine (depth conversion included) as JPEG (quality 75),
# 24-bit BMP, PNG and 256-colour BMP, and times the Save Picture dialog until
# its preview of that picture is painted; the native `convert` then writes
# the same pixels to the same formats on this machine in the same run.
# Targets: each save within 2x of convert's time, the preview within 300 ms.
# Exits 0 when every target holds, 1 when one is missed, 2 when it could not
# measure.
#
#   tools/bench-save.sh [--runs N]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

dir=$(runnable_build_dir)
make -C "$dir" --no-print-directory bench_save >/dev/null || die "cannot build bench_save in $dir"
command -v convert >/dev/null || die "convert missing (imagemagick); run scripts/setup.sh"

work="$dir/bench-save"
rm -rf "$work"
mkdir -p "$work"
winpath() { echo "Z:${1//\//\\}"; }
export OMMAVU_BUILD_DIR=$dir
status=0
"$root/tests/wine-run.sh" "$dir/tools/bench_save.exe" --out "$(winpath "$work")" --raw "$(winpath "$work/picture.bgra")" "$@" \
  | tr -d '\r' >"$work/figures" || status=$?
[ "$status" = 0 ] || { cat "$work/figures" >&2; die "bench_save.exe could not measure (status $status)"; }
value() { awk -v k="$1" '$1 == k {print $2}' "$work/figures"; }

# The native tool: best of three, reading the same pixels from raw bytes.
native() {
  local best=999 start end t i
  for i in 1 2 3; do
    start=$(date +%s.%N)
    convert -size 4000x3000 -depth 8 "bgra:$work/picture.bgra" -alpha off "$@"
    end=$(date +%s.%N)
    t=$(awk "BEGIN { print $end - $start }")
    best=$(awk "BEGIN { print ($t < $best) ? $t : $best }")
  done
  echo "$best"
}
declare -A theirs
theirs[jpeg]=$(native -quality 75 "$work/native.jpg")
theirs[bmp24]=$(native -type truecolor "bmp3:$work/native24.bmp")
theirs[png]=$(native -quality 75 "png24:$work/native.png")
theirs[colors256]=$(native -colors 256 "bmp3:$work/native256.bmp")

verdict() { if awk "BEGIN { exit !($1) }"; then echo holds; else echo MISSED; status=1; fi; }
printf '%-34s %10s %10s %8s  %s\n' "12 MP from memory" "ours (s)" "convert" "ratio" "within 2x"
for key in jpeg bmp24 png colors256; do
  ours=$(value "$key")
  ratio=$(awk "BEGIN { printf \"%.2f\", $ours / ${theirs[$key]} }")
  v=$(verdict "$ratio <= 2")
  printf '%-34s %10.3f %10.3f %8s  %s\n' "$key" "$ours" "${theirs[$key]}" "$ratio" "$v"
done
preview=$(value dialog_preview_ms)
printf '%-34s %10s ms (target 300 ms): %s\n' "Save Picture preview shown" "$preview" "$(verdict "$preview <= 300")"
exit "$status"
