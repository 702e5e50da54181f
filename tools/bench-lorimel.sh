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
# The same list as Windows paths through Wine's Z: drive.
sed -e 's|/|\\|g' -e 's|^|Z:|' "$work/files" >"$work/files.win"
log "$count JPEG files under $folder"

export OMMAVU_BUILD_DIR=$dir
lib="Z:${dir//\//\\}\\bin\\Lorimel.dll"
bench_status=0
"$root/tests/wine-run.sh" "$exe" --lib "$lib" --list "Z:${work//\//\\}\\files.win" \
  | tr -d '\r' >"$work/lorimel.txt" || bench_status=$?
value() { awk -v k="$1" '$1 == k {print $2}' "$work/lorimel.txt"; }
if [ -z "$(value thumb_to_full_ratio)" ]; then
  cat "$work/lorimel.txt" >&2
  die "bench_lorimel.exe gave no figures (status $bench_status)"
fi
calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }

# djpeg: one process per file, as fast as the native library goes; the cache
# is warmed first, like inside bench_lorimel.
xargs -d '\n' cat <"$work/files" >/dev/null
start=$(date +%s.%N)
while IFS= read -r f; do
  djpeg -scale 1/8 -outfile /dev/null "$f"
done <"$work/files"
end=$(date +%s.%N)
djpeg_seconds=$(calc "$end - $start")

full_pps=$(value full_pictures_per_second)
thumb_pps=$(value thumb_pictures_per_second)
ratio=$(value thumb_to_full_ratio)
djpeg_pps=$(calc "$count / $djpeg_seconds")
thumb_vs_djpeg=$(calc "$thumb_pps / $djpeg_pps")

verdict() { if awk "BEGIN { exit !($1) }"; then echo holds; else echo MISSED; fi; }
ratio_ok=$(verdict "$ratio >= 4")
djpeg_ok=$(verdict "$thumb_vs_djpeg >= 0.5")

printf '%-44s %s\n' \
  "pictures" "$count (decoded full $(value full_decoded), thumbnail $(value thumb_decoded))" \
  "Lorimel full size, pictures/s" "$(printf '%.2f' "$full_pps") ($(value full_seconds) s)" \
  "Lorimel thumbnail (fits 48x48), pictures/s" "$(printf '%.2f' "$thumb_pps") ($(value thumb_seconds) s)" \
  "djpeg -scale 1/8 (native), pictures/s" "$(printf '%.2f (%.3f s)' "$djpeg_pps" "$djpeg_seconds")" \
  "thumbnail / full" "$(printf '%.2f' "$ratio")  target >= 4: $ratio_ok" \
  "thumbnail / djpeg 1/8" "$(printf '%.2f' "$thumb_vs_djpeg")  target >= 0.5: $djpeg_ok"
if [ "$bench_status" != 0 ] || [ "$(value full_failed)" != 0 ] || [ "$(value thumb_failed)" != 0 ]; then
  log "some pictures failed to decode (see above)"
  exit 2
fi
[ "$ratio_ok" = holds ] && [ "$djpeg_ok" = holds ]
