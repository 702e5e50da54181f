#!/usr/bin/env bash
# How fast the browser shows a big folder, inside a real browser window under
# Wine: a folder of FILES empty files with picture names and 300 real
# pictures (copies of the sample pictures), made once in the build tree per
# size; prints the time until the list holds the items, the memory per item,
# the time of every re-sort, and where the listing's time goes (the bare
# directory loop, the shell's enumeration, the records).  Exits 0 when the
# targets hold.
#
#   tools/bench-browser.sh [--files N]      N defaults to 100000
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

files=100000
while [ $# -gt 0 ]; do
  case $1 in
    --files) files=${2:?--files needs a number}; shift 2 ;;
    --files=*) files=${1#--files=}; shift ;;
    *) die "unknown option $1 (usage: bench-browser.sh [--files N])" ;;
  esac
done
[[ $files =~ ^[0-9]+$ ]] || die "--files wants a number, not $files"

dir=$(runnable_build_dir)
make -C "$dir" --no-print-directory bench_browser ommavu_samples >/dev/null || die "cannot build bench_browser in $dir"

folder="$dir/bench-folder-$files"
if [ ! -f "$folder.complete" ]; then
  log "making $folder ($files empty files and 300 pictures)"
  rm -rf "$folder"; mkdir -p "$folder"
  width=${#files}
  ( cd "$folder" && seq -f "photo-%0${width}g.jpg" 0 $((files - 1)) | xargs touch )
  samples=("$dir"/samples/*.*)
  for i in $(seq 0 299); do
    src=${samples[$(( i % ${#samples[@]} ))]}
    cp "$src" "$folder/real-$i.${src##*.}"
  done
  # The mark stays outside the folder: the list would show it as an item.
  touch "$folder.complete"
fi
# The items: every file and the parent entry.
items=$(( $(find "$folder" -maxdepth 1 -type f | wc -l) + 1 ))

export OMMAVU_BUILD_DIR=$dir
echo "machine: $(nproc) cores; $(uptime | sed 's/.*load/load/')"
"$root/tests/wine-run.sh" "$dir/tools/bench_browser.exe" "Z:${folder//\//\\}" "$items" | tr -d '\r'
