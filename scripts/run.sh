#!/usr/bin/env bash
# Builds everything (scripts/setup.sh) and starts the program, Tavirsel.exe,
# under Wine with its browser on a folder of pictures: build/samples unless
# one is given (it becomes the browser's first folder, "DEFAULTPATH").
#
#   scripts/run.sh [FOLDER]
#
# With a DISPLAY it runs in the foreground until the program is closed.
# Without one it starts an Xvfb, waits for the program's window, saves a
# screenshot under build/screenshots/, prints its path, ends the program and
# the Xvfb, and exits 0.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$root/scripts/setup.sh"
dir=$(runnable_build_dir)
exe="$dir/bin/Tavirsel.exe"
[ -f "$exe" ] || die "no $exe: the build did not make the viewer"

folder=${1:-$dir/samples}
[ -d "$folder" ] || die "no folder $folder"
folder=$(cd "$folder" && pwd)
winfolder="Z:${folder//\//\\}"

export OMMAVU_BUILD_DIR=$dir
run="$root/tests/wine-run.sh"
arch=win32; [ "$dir" = "$build_x64" ] && arch=win64
export OMMAVU_WINE_ARCH=$arch

# The folder becomes the browser's first folder in the prefix's
# Tavirsel.INI; the other settings stay as they are.
set_default_path() {
  local ini
  ini="$("$run" --prefix)/drive_c/windows/Tavirsel.INI"
  python3 - "$ini" "$winfolder\\" <<'PY'
import sys
path, folder = sys.argv[1], sys.argv[2]
try:
    lines = open(path, encoding='latin-1').read().splitlines()
except FileNotFoundError:
    lines = []
out, section, done = [], None, False
for line in lines:
    stripped = line.strip()
    if stripped.startswith('[') and stripped.endswith(']'):
        if section == 'settings' and not done:
            out.append('DEFAULTPATH=' + folder); done = True
        section = stripped[1:-1].lower()
    elif section == 'settings' and stripped.lower().startswith('defaultpath='):
        line, done = 'DEFAULTPATH=' + folder, True
    out.append(line)
if not done:
    if section != 'settings':
        out.append('[SETTINGS]')
    out.append('DEFAULTPATH=' + folder)
open(path, 'w', encoding='latin-1', newline='\r\n').write('\n'.join(out) + '\n')
PY
}

if [ -n "${DISPLAY:-}" ]; then
  "$run" --start >/dev/null
  set_default_path
  exec "$run" "$exe"
fi

shots="$build/screenshots"
mkdir -p "$shots"
work=$(mktemp -d)
program_pid= xvfb_pid=
finish() {
  if [ -n "$program_pid" ]; then
    # Ends every process of the prefix: the program and Wine's services.
    WINEPREFIX=$("$run" --prefix) wineserver -k 2>/dev/null || true
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap finish EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" \
  </dev/null >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  grep -q '^[0-9]' "$work/display" 2>/dev/null && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; die "Xvfb did not start"; }
  sleep 0.1
done
export DISPLAY=":$(head -1 "$work/display")"
log "display $DISPLAY; starting $exe on $folder"

# Makes the Wine prefix first (minutes, once per build tree), so that the
# wait for the window below measures the program alone.
"$run" --start
set_default_path
"$run" "$exe" >"$work/program.log" 2>&1 &
program_pid=$!

# Wine names a program's top-level windows after its executable; the one
# wanted is mapped and viewable.
viewable_window() {
  local id
  for id in $(xwininfo -root -tree 2>/dev/null | grep -i '("tavirsel.exe"' | awk '{print $1}'); do
    if xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
      xwininfo -root -tree | grep "^ *$id "
      return 0
    fi
  done
  return 1
}
window=
for _ in $(seq 1 120); do
  window=$(viewable_window || true)
  [ -n "$window" ] && break
  if ! kill -0 "$program_pid" 2>/dev/null; then
    cat "$work/program.log" >&2
    die "Tavirsel.exe ended before showing a window"
  fi
  sleep 0.5
done
[ -n "$window" ] || { cat "$work/program.log" >&2; die "no window of Tavirsel.exe within 60 s"; }
log "window up: $(echo "$window" | sed 's/^ *//')"
sleep 2  # let it finish painting

shot="$shots/tavirsel-$(date +%Y%m%d-%H%M%S).png"
import -display "$DISPLAY" -window root "$shot"
echo "$shot"
