#!/usr/bin/env bash
# Runs one of the project's Windows programs under Wine, the way ctest and
# scripts/run.sh need it: a private Wine prefix inside the build tree (made
# once), an X display (an Xvfb when there is none), the build's bin/ on the
# program's PATH so that it finds Lorimel.dll and Corvane.dll, and no Wine
# install dialogs or debug chatter.
#
#   wine-run.sh PROGRAM.exe [ARGS...]  run a program; exits with its status
#   wine-run.sh --start                prepare the prefix and start the shared
#                                      Xvfb and wineserver of a test run
#   wine-run.sh --stop                 stop what --start started
#   wine-run.sh --can-run-win32        exit 0 if 32-bit programs can run here
#   wine-run.sh --prefix               print the prefix for OMMAVU_WINE_ARCH
#
# Environment:
#   OMMAVU_BUILD_DIR  the build tree (default: the nearest folder above the
#                     program with a CMakeCache.txt, else build/ in the clone)
#   OMMAVU_WINE_ARCH  win32 or win64, for --start/--stop/--prefix (a program's
#                     own architecture is read from its file header)
#   WINEDEBUG         default -all
#   DISPLAY           used when set; otherwise an Xvfb is started
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)

log() { echo "[wine-run] $*" >&2; }
die() { log "$*"; exit 1; }

build_dir_for() { # program path -> build tree
  if [ -n "${OMMAVU_BUILD_DIR:-}" ]; then echo "$OMMAVU_BUILD_DIR"; return; fi
  local d
  d=$(cd "$(dirname "$1")" && pwd)
  while [ "$d" != / ]; do
    if [ -f "$d/CMakeCache.txt" ]; then echo "$d"; return; fi
    d=$(dirname "$d")
  done
  echo "$root/build"
}

# The machine type in a PE file's header: win32 (i386) or win64 (x86-64).
pe_arch() {
  local off machine
  off=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  [ -n "$off" ] || { echo unknown; return; }
  machine=$(od -An -t x2 -j $((off + 4)) -N 2 "$1" | tr -d ' ')
  case $machine in
    014c) echo win32 ;;
    8664) echo win64 ;;
    *) echo unknown ;;
  esac
}

# 32-bit Wine needs a kernel that executes 32-bit x86 code.  Some virtual
# machines have no IA-32 mode at all; handing i386 binaries to a user-mode
# emulator through binfmt_misc does not help, because Wine's fault handling
# (guard pages, exceptions) does not survive emulation.
can_run_win32() {
  [ -x /usr/lib/wine/wine ] || command -v wine >/dev/null || return 1
  local f
  for f in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$f" ] || continue
    if grep -q '^enabled' "$f" 2>/dev/null && grep -q '^interpreter .*qemu-i386' "$f" 2>/dev/null; then
      return 1
    fi
  done
  [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

loader_for() { # arch -> wine loader
  if [ "$1" = win64 ]; then
    if [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64; else command -v wine64; fi
  else
    if [ -x /usr/lib/wine/wine ]; then echo /usr/lib/wine/wine; else command -v wine; fi
  fi
}

prefix_for() { # build dir, arch -> prefix
  if [ "$2" = win64 ]; then echo "$1/wineprefix64"; else echo "$1/wineprefix"; fi
}

winpath() { # absolute unix path -> the same path through Wine's Z: drive
  local p=$1
  echo "Z:${p//\//\\}"
}

common_env() { # build dir, arch
  export WINEPREFIX
  WINEPREFIX=$(prefix_for "$1" "$2")
  export WINEARCH=$2
  export WINEDEBUG=${WINEDEBUG:--all}
  # No offers to download .NET or the HTML engine.
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  local bin
  bin=$(winpath "$1/bin")
  export WINEPATH="$bin${WINEPATH:+;$WINEPATH}"
  # Where the programs and tests find the build's own files.
  export OMMAVU_BIN OMMAVU_SAMPLES
  OMMAVU_BIN=$bin
  OMMAVU_SAMPLES=$(winpath "$1/samples")
}

wine_setting() { # reg add arguments; uses $loader and $session of the caller
  ( close_fds; DISPLAY= exec "$loader" reg add "$@" /f ) >>"$session/wineboot.log" 2>&1 \
    || die "could not set $*"
}

# Wine's own fonts (Marlett draws the caption buttons, scroll arrows and
# check marks; Tahoma is the dialog font).  This Wine looks for them only in
# the prefix's Fonts folder and beside its libraries, while the fonts-wine
# package installs them under the data folder, where no prefix finds them:
# without Marlett every caption button shows the letters "0 1 r".  The
# fonts are copied into the prefix, as a Windows installation has them.
wine_fonts_dir() {
  local d
  for d in /usr/share/wine/fonts /usr/local/share/wine/fonts /opt/wine*/share/wine/fonts; do
    if [ -f "$d/marlett.ttf" ]; then echo "$d"; return 0; fi
  done
  return 1
}

install_wine_fonts() {
  local from to="$WINEPREFIX/drive_c/windows/Fonts"
  from=$(wine_fonts_dir) || die "Wine's fonts (marlett.ttf) are missing; run scripts/setup.sh (fonts-wine)"
  mkdir -p "$to"
  cp -n "$from"/*.ttf "$from"/*.fon "$to"/ 2>/dev/null || true
  [ -f "$to/marlett.ttf" ] || die "could not copy Wine's fonts into $to"
}

# Makes the prefix once per build tree and architecture.  Parallel callers
# wait on a lock; a prefix whose creation was cut short is made again.
ensure_prefix() { # build dir, arch
  local build=$1 arch=$2 session="$1/wine-session" loader
  loader=$(loader_for "$arch") || die "no Wine loader for $arch; run scripts/setup.sh"
  mkdir -p "$session"
  (
    flock 9
    if [ -f "$WINEPREFIX/.ommavu-ready" ]; then
      # A prefix made before the fonts were provided gets them now.
      [ -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ] || install_wine_fonts
      exit 0
    fi
    log "creating Wine prefix $WINEPREFIX ($arch)"
    local t0=$SECONDS
    rm -rf "$WINEPREFIX"
    ( close_fds; DISPLAY= exec "$loader" wineboot -i ) >"$session/wineboot.log" 2>&1 || {
      tail -20 "$session/wineboot.log" >&2; die "wineboot failed"; }
    # A crashing program must end, not wait for someone to close a dialog.
    # Xvfb has no window manager, so Wine draws the window frames itself.
    wine_setting 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
    wine_setting 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
    install_wine_fonts
    wineserver -w
    touch "$WINEPREFIX/.ommavu-ready"
    log "prefix ready after $((SECONDS - t0)) s"
  ) 9>"$session/prefix-$arch.lock"
}

# Closes every descriptor but stdin, stdout and stderr; for use in a subshell
# that then execs a long-lived process.  Such processes must not keep a lock
# file's descriptor (the lock would outlive the locker) or a pipe of ctest's
# (ctest would wait for it to close).
close_fds() {
  local fd
  for fd in $(ls /proc/$BASHPID/fd); do
    if [ "$fd" -gt 2 ]; then eval "exec $fd>&-" 2>/dev/null || true; fi
  done
}

xvfb_alive() { # session dir
  local pid
  pid=$(cat "$1/xvfb.pid" 2>/dev/null) || return 1
  [ -n "$pid" ] && [ -r "/proc/$pid/cmdline" ] && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q '^Xvfb'
}

# Starts an Xvfb on a free display; records its pid and display in the given
# files and prints the display.
start_xvfb() { # pid file, display file, log file
  rm -f "$2"
  ( close_fds
    exec setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
      3>"$2" </dev/null >"$3" 2>&1 ) &
  echo $! >"$1"
  local i
  for i in $(seq 1 200); do
    if [ -s "$2" ] && grep -q '^[0-9]' "$2"; then echo ":$(head -1 "$2")"; return 0; fi
    kill -0 "$(cat "$1")" 2>/dev/null || break
    sleep 0.1
  done
  cat "$3" >&2
  die "Xvfb did not start"
}

stop_pid() { # pid file
  local pid
  pid=$(cat "$1" 2>/dev/null) || return 0
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -f "$1"
}

session_start() {
  local build arch session
  build=${OMMAVU_BUILD_DIR:-$root/build}
  arch=${OMMAVU_WINE_ARCH:-win32}
  session="$build/wine-session"
  if [ "$arch" = win32 ] && ! can_run_win32; then
    die "this machine cannot execute 32-bit x86 code, so 32-bit Wine cannot run;" \
        "test the x86_64 build (scripts/test.sh picks it on such machines)"
  fi
  common_env "$build" "$arch"
  ensure_prefix "$build" "$arch"
  if [ -z "${DISPLAY:-}" ]; then
    (
      flock 8
      if ! xvfb_alive "$session"; then
        start_xvfb "$session/xvfb.pid" "$session/xvfb.display" "$session/xvfb.log" >/dev/null
      fi
    ) 8>"$session/xvfb.lock"
    export DISPLAY=":$(head -1 "$session/xvfb.display")"
    log "display $DISPLAY (Xvfb $(cat "$session/xvfb.pid"))"
  fi
  # One wineserver for the whole run, with Wine's own services already up,
  # saves starting them per test.  Services inherit the standard handles of
  # the program that started them, so they are started here with none.
  local loader
  loader=$(loader_for "$arch")
  ( close_fds; exec wineserver -p ) </dev/null >/dev/null 2>&1 || true
  ( close_fds; exec "$loader" wineboot ) </dev/null >/dev/null 2>&1 || true
  log "prefix $WINEPREFIX ready"
}

session_stop() {
  local build arch session
  build=${OMMAVU_BUILD_DIR:-$root/build}
  arch=${OMMAVU_WINE_ARCH:-win32}
  session="$build/wine-session"
  common_env "$build" "$arch"
  if [ -d "$WINEPREFIX" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  if xvfb_alive "$session"; then stop_pid "$session/xvfb.pid"; fi
  rm -f "$session/xvfb.pid" "$session/xvfb.display"
  log "session stopped"
}

run_program() {
  local exe=$1; shift
  [ -f "$exe" ] || die "no such program: $exe"
  local build arch session private_xvfb=
  build=$(build_dir_for "$exe")
  arch=$(pe_arch "$exe")
  session="$build/wine-session"
  case $arch in
    win32) can_run_win32 || die "$exe is a 32-bit program and this machine cannot execute 32-bit x86 code" ;;
    win64) ;;
    *) die "$exe is not an x86 Windows program" ;;
  esac
  common_env "$build" "$arch"
  ensure_prefix "$build" "$arch"
  if [ -z "${DISPLAY:-}" ]; then
    if xvfb_alive "$session"; then
      export DISPLAY=":$(head -1 "$session/xvfb.display")"
    else
      # Run on its own: a private Xvfb for this one program.
      private_xvfb=$(mktemp -d)
      DISPLAY=$(start_xvfb "$private_xvfb/pid" "$private_xvfb/display" "$private_xvfb/log")
      export DISPLAY
    fi
  fi
  local loader status=0
  loader=$(loader_for "$arch")
  if [ -z "$private_xvfb" ]; then exec "$loader" "$exe" "$@"; fi
  "$loader" "$exe" "$@" || status=$?
  timeout 30 wineserver -w 2>/dev/null || true
  stop_pid "$private_xvfb/pid"
  rm -rf "$private_xvfb"
  return "$status"
}

case ${1:-} in
  --start) session_start ;;
  --stop) session_stop ;;
  --can-run-win32) can_run_win32 ;;
  --prefix) prefix_for "${OMMAVU_BUILD_DIR:-$root/build}" "${OMMAVU_WINE_ARCH:-win32}" ;;
  "" | -h | --help) sed -n '2,22p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
  *) run_program "$@" ;;
esac
