#!/usr/bin/env bash
# How fast the viewer shows pictures, inside a real viewer frame under Wine:
# Open by name of the largest JPEG under a folder (default
# /usr/share/backgrounds, from mate-backgrounds: photos up to 18 MP) to its
# first band and to the whole picture painted, Next through 20 pictures
# of 2 to 5 megapixels (copies of the folder's photos scaled with the
# native ImageMagick when the folder has too few of that size), and entering
# and leaving full screen with the large picture shown.
# Prints the figures and whether the targets hold; exits 0 when they do.
#
#   tools/bench-viewer.sh [FOLDER]
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

folder=${1:-/usr/share/backgrounds}
dir=$(runnable_build_dir)
make -C "$dir" --no-print-directory bench_viewer >/dev/null || die "cannot build bench_viewer in $dir"
command -v identify >/dev/null || die "identify missing (imagemagick); run scripts/setup.sh"

work="$dir/bench-pictures"
mkdir -p "$work"
# Every JPEG with its pixel count, largest first.
find "$folder" -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) -print0 \
  | xargs -0 -r identify -format '%w %h %i\n' 2>/dev/null \
  | awk '{ w = $1; h = $2; $1 = ""; $2 = ""; sub(/^  /, ""); printf "%d %s\n", w * h, $0 }' \
  | sort -rn >"$work/sizes"
[ -s "$work/sizes" ] || die "no JPEG files under $folder"
large=$(head -1 "$work/sizes" | cut -d' ' -f2-)
log "largest: $large ($(head -1 "$work/sizes" | cut -d' ' -f1) pixels)"

# 20 pictures of 2 to 5 megapixels.
: >"$work/list.unix"
n=0
while read -r pixels path; do
  [ "$n" -lt 20 ] || break
  if [ "$pixels" -ge 2000000 ] && [ "$pixels" -le 5000000 ]; then
    echo "$path" >>"$work/list.unix"; n=$((n + 1))
  fi
done <"$work/sizes"
i=0
while [ "$n" -lt 20 ]; do
  src=$(sed -n "$(( i % $(wc -l <"$work/sizes") + 1 ))p" "$work/sizes" | cut -d' ' -f2-)
  out="$work/step-$i.jpg"
  [ -f "$out" ] || convert "$src" -resize 2400x1600 -quality 90 "$out"
  echo "$out" >>"$work/list.unix"; n=$((n + 1)); i=$((i + 1))
done
while IFS= read -r p; do echo "Z:${p//\//\\}"; done <"$work/list.unix" >"$work/list"
rm -f "$work/list.unix"

# libjpeg hands out no row of a progressive JPEG before it has read every
# scan, so bands can only come early from a baseline file: the target is
# measured on a baseline copy of the largest photo, and the original is
# reported beside it when it is progressive.
baseline="$work/large-baseline.jpg"
[ -f "$baseline" ] || convert "$large" -interlace none -quality 92 "$baseline"
: >"$work/empty"

export OMMAVU_BUILD_DIR=$dir
winpath() { echo "Z:${1//\//\\}"; }
status=0
"$root/tests/wine-run.sh" "$dir/tools/bench_viewer.exe" "$(winpath "$baseline")" "$(winpath "$work/list")" \
  | tr -d '\r' || status=$?
if LC_ALL=C grep -qaP '\xff\xc2' "$large"; then
  echo "(for comparison, the progressive original; no target)"
  "$root/tests/wine-run.sh" "$dir/tools/bench_viewer.exe" "$(winpath "$large")" "$(winpath "$work/empty")" \
    | tr -d '\r' || true
fi
exit "$status"
