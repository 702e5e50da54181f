#!/usr/bin/env bash
# How fast the browser shows a big folder, inside a real browser window under
# Wine: a folder of 10 000 empty files with picture names and a few hundred
# real pictures (copies of the sample pictures), made once in the build tree;
# prints the time until the list holds the items, the memory the model takes
# and the time of every re-sort.  Exits 0 when the targets hold.
#
#   tools/bench-browser.sh
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

dir=$(runnable_build_dir)
make -C "$dir" --no-print-directory bench_browser >/dev/null || die "cannot build bench_browser in $dir"

folder="$dir/bench-folder"
if [ ! -f "$folder/.complete" ]; then
  log "making $folder (10 000 empty files and 300 pictures)"
  rm -rf "$folder"; mkdir -p "$folder"
  ( cd "$folder" && for i in $(seq -w 0 9999); do : >"photo-$i.jpg"; done )
  samples=("$dir"/samples/*.*)
  for i in $(seq 0 299); do
    src=${samples[$(( i % ${#samples[@]} ))]}
    cp "$src" "$folder/real-$i.${src##*.}"
  done
  touch "$folder/.complete"
fi
# The items: every file and the parent entry.
items=$(( $(find "$folder" -maxdepth 1 -type f | wc -l) + 1 ))

export OMMAVU_BUILD_DIR=$dir
"$root/tests/wine-run.sh" "$dir/tools/bench_browser.exe" "Z:${folder//\//\\}" "$items" | tr -d '\r'
