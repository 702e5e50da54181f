#!/usr/bin/env bash
# Decode speed of Lorimel on real photos: every JPEG under a folder
# (default /usr/share/backgrounds, from mate-backgrounds: photos up to 18 MP)
# decoded at full size and straight to thumbnail size (fits 48x48), timed
# inside bench_lorimel.exe under Wine; and the native `djpeg -scale 1/8` over
# the same files for comparison.  Prints all figures and whether the targets
# hold:
#   - thumbnail decodes at least 4x as many pictures per second as full ones;
#   - thumbnail decodes within 2x of djpeg's 1/8-scale pictures per second.
# Exits 0 when both hold, 1 when one does not, 2 when it could not measure.
#
#   tools/bench-lorimel.sh [FOLDER]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

folder=${1:-/usr/share/backgrounds}
dir=$(runnable_build_dir)
exe="$dir/tools/bench_lorimel.exe"
if [ ! -f "$exe" ]; then
  make -C "$dir" --no-print-directory bench_lorimel >/dev/null \
    || die "cannot build bench_lorimel in $dir (is tools/ added to the top-level CMakeLists.txt?)"
fi
command -v djpeg >/dev/null || die "djpeg missing (libjpeg-turbo-progs); run scripts/setup.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
find "$folder" -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) | LC_ALL=C sort >"$work/files"
count=$(wc -l <"$work/files")
[ "$count" -gt 0 ] || die "no JPEG files under $folder"
log "$count JPEG files under $folder"

export OMMAVU_BUILD_DIR=$dir
lib="Z:${dir//\//\\}\\bin\\Lorimel.dll"

# Progressive JPEGs must decode every coefficient even at 1/8 scale, so the
# reduced-size gain is measured on baseline files; progressive ones are
# reported beside them.  A progressive file carries an SOF2 marker (FF C2),
# which entropy-coded data never holds (an embedded progressive preview in
# the metadata would also count).
: >"$work/baseline"; : >"$work/progressive"
while IFS= read -r f; do
  if LC_ALL=C grep -qaP '\xff\xc2' "$f"; then echo "$f" >>"$work/progressive"; else echo "$f" >>"$work/baseline"; fi
done <"$work/files"

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
verdict() { if awk "BEGIN { exit !($1) }"; then echo holds; else echo MISSED; fi; }
failed=0

# measure LIST LABEL: Lorimel full and thumbnail decodes, and djpeg 1/8.
measure() {
  local list=$1 label=$2 n
  n=$(wc -l <"$list")
  [ "$n" -gt 0 ] || return 0
  sed -e 's|/|\\|g' -e 's|^|Z:|' "$list" >"$list.win"
  local bench_status=0
  "$root/tests/wine-run.sh" "$exe" --lib "$lib" --list "Z:${list//\//\\}.win" \
    | tr -d '\r' >"$list.out" || bench_status=$?
  value() { awk -v k="$1" '$1 == k {print $2}' "$list.out"; }
  if [ -z "$(value thumb_to_full_ratio)" ]; then
    cat "$list.out" >&2
    die "bench_lorimel.exe gave no figures (status $bench_status)"
  fi
  xargs -d '\n' cat <"$list" >/dev/null
  local start end
  start=$(date +%s.%N)
  while IFS= read -r f; do djpeg -scale 1/8 -outfile /dev/null "$f"; done <"$list"
  end=$(date +%s.%N)
  local djpeg_seconds djpeg_pps thumb_pps ratio thumb_vs_djpeg
  djpeg_seconds=$(calc "$end - $start")
  djpeg_pps=$(calc "$n / $djpeg_seconds")
  thumb_pps=$(value thumb_pictures_per_second)
  ratio=$(value thumb_to_full_ratio)
  thumb_vs_djpeg=$(calc "$thumb_pps / $djpeg_pps")
  echo "== $label"
  printf '%-44s %s\n' \
    "pictures" "$n (decoded full $(value full_decoded), thumbnail $(value thumb_decoded))" \
    "Lorimel full size, pictures/s" "$(printf '%.2f' "$(value full_pictures_per_second)") ($(value full_seconds) s)" \
    "Lorimel thumbnail (fits 48x48), pictures/s" "$(printf '%.2f' "$thumb_pps") ($(value thumb_seconds) s)" \
    "djpeg -scale 1/8 (native), pictures/s" "$(printf '%.2f (%.3f s)' "$djpeg_pps" "$djpeg_seconds")" \
    "thumbnail / full" "$(printf '%.2f' "$ratio")" \
    "thumbnail / djpeg 1/8" "$(printf '%.2f' "$thumb_vs_djpeg")"
  if [ "$bench_status" != 0 ] || [ "$(value full_failed)" != 0 ] || [ "$(value thumb_failed)" != 0 ]; then
    log "some pictures failed to decode (see above)"
    failed=1
  fi
  last_ratio=$ratio last_vs_djpeg=$thumb_vs_djpeg
}

measure "$work/progressive" "progressive JPEGs (for reference)"
last_ratio=0 last_vs_djpeg=0
measure "$work/baseline" "baseline JPEGs"
ratio_ok=$(verdict "$last_ratio >= 4")
djpeg_ok=$(verdict "$last_vs_djpeg >= 0.5")
echo "== targets on the baseline JPEGs"
echo "thumbnail at least 4x full:                 $ratio_ok"
echo "thumbnail within 2x of djpeg -scale 1/8:    $djpeg_ok"
[ "$failed" = 0 ] || exit 2
[ "$ratio_ok" = holds ] && [ "$djpeg_ok" = holds ]
