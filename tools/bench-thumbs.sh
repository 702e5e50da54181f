#!/usr/bin/env bash
# How fast the browser makes and shows thumbnails, inside a real browser
# window under Wine: a folder of 500 photos (the mate-backgrounds JPEGs copied
# under distinct names, cycling; made once in the build tree) opened with an
# empty thumbnail cache (with one decoding thread, then two) and again from
# the cache; prints the cold rates, the time until the shown cells are
# painted (cold and warm), the cache's bytes per thumbnail, and the native
# rates of vipsthumbnail (48x48) and djpeg -scale 1/8 over the same files.
# Then the same photos made progressive with jpegtran (a folder of their
# own, made once in the build tree, never committed), timed cold against
# djpeg -scale 1/8 on those files.  Exits 0 when the targets hold.
#
#   tools/bench-thumbs.sh
#   PROGRESSIVE_PICTURES=160 tools/bench-thumbs.sh   (fewer progressive copies; default 500)
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

pictures=500
photos=/usr/share/backgrounds/mate
command -v vipsthumbnail >/dev/null || die "vipsthumbnail is missing (apt-get install libvips-tools)"
command -v djpeg >/dev/null || die "djpeg is missing (apt-get install libjpeg-turbo-progs)"
command -v jpegtran >/dev/null || die "jpegtran is missing (apt-get install libjpeg-turbo-progs)"
progressive_pictures=${PROGRESSIVE_PICTURES:-500}

dir=$(runnable_build_dir)
make -C "$dir" --no-print-directory bench_thumbs >/dev/null || die "cannot build bench_thumbs in $dir"

folder="$dir/bench-thumbs-folder"
if [ ! -f "$folder.complete" ]; then
  mapfile -t sources < <(find "$photos" -name '*.jpg' | sort)
  [ ${#sources[@]} -gt 0 ] || die "no JPEGs under $photos (apt-get install mate-backgrounds)"
  log "making $folder ($pictures copies of ${#sources[@]} photos)"
  rm -rf "$folder"; mkdir -p "$folder"
  for i in $(seq 0 $((pictures - 1))); do
    src=${sources[$(( i % ${#sources[@]} ))]}
    cp "$src" "$folder/$(printf 'photo-%03d' "$i")-$(basename "$src")"
  done
  # The mark stays outside the folder: the list would show it as an item.
  touch "$folder.complete"
fi
# The progressive copies: each photo once through jpegtran, then copied under
# distinct names as above.
progressive="$dir/bench-thumbs-progressive"
if [ ! -f "$progressive.complete" ] || [ "$(cat "$progressive.complete")" != "$progressive_pictures" ]; then
  mapfile -t sources < <(find "$photos" -name '*.jpg' | sort)
  log "making $progressive ($progressive_pictures progressive copies of ${#sources[@]} photos)"
  rm -rf "$progressive" "$progressive.sources"; mkdir -p "$progressive" "$progressive.sources"
  for src in "${sources[@]}"; do
    jpegtran -progressive -copy all -outfile "$progressive.sources/$(basename "$src")" "$src"
  done
  for i in $(seq 0 $((progressive_pictures - 1))); do
    src=${sources[$(( i % ${#sources[@]} ))]}
    cp "$progressive.sources/$(basename "$src")" "$progressive/$(printf 'photo-%03d' "$i")-$(basename "$src")"
  done
  echo "$progressive_pictures" > "$progressive.complete"
fi
progressive_files=("$progressive"/*.jpg)

# The other folder the browser visits between the two openings: empty, so
# that its list holds only the parent entry and it adds nothing to the cache.
other="$dir/bench-thumbs-other"
mkdir -p "$other"
find "$other" -mindepth 1 -delete
# The benchmark's own program folder for the cache, emptied before the run.
program="$dir/bench-thumbs-program"
rm -rf "$program"; mkdir -p "$program"

files=("$folder"/*.jpg)
[ ${#files[@]} -eq $pictures ] || die "$folder holds ${#files[@]} JPEGs, not $pictures; remove $folder.complete"
items=$(( $(find "$folder" -maxdepth 1 -type f | wc -l) + 1 ))
other_items=$(( $(find "$other" -maxdepth 1 -type f | wc -l) + 1 ))

now() { date +%s.%N; }
rate() { LC_NUMERIC=C awk -v n="$1" -v a="$2" -v b="$3" 'BEGIN { printf "%.2f", n / (b - a) }'; }

# Native references over the same files; their pages are in the file cache
# already, as they are for the program.
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
t0=$(now)
vipsthumbnail -s 48x48 -o "$out/%s.jpg" "${files[@]}"
t1=$(now)
vips_rate=$(rate "$pictures" "$t0" "$t1")
made=$(find "$out" -name '*.jpg' | wc -l)
[ "$made" -eq "$pictures" ] || log "vipsthumbnail made $made of $pictures thumbnails"
t0=$(now)
for f in "${files[@]}"; do djpeg -scale 1/8 "$f" >/dev/null; done
t1=$(now)
djpeg_rate=$(rate "$pictures" "$t0" "$t1")
t0=$(now)
for f in "${progressive_files[@]}"; do djpeg -scale 1/8 "$f" >/dev/null; done
t1=$(now)
djpeg_progressive_rate=$(rate "${#progressive_files[@]}" "$t0" "$t1")

winpath() { echo "Z:${1//\//\\}"; }
export OMMAVU_BUILD_DIR=$dir
"$root/tests/wine-run.sh" "$dir/tools/bench_thumbs.exe" "$(winpath "$folder")" "$items" "$pictures" \
  "$(winpath "$other")" "$other_items" "$(winpath "$program")" "$vips_rate" "$djpeg_rate" \
  "$(winpath "$progressive")" "${#progressive_files[@]}" "$djpeg_progressive_rate" | tr -d '\r'
