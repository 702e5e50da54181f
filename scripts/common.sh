# Shared by the scripts in this folder; sourced, not run.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"          # the 32-bit suite: what ships
build_x64="$root/build-x64"  # its x86_64 twin, for machines without 32-bit x86

log() { echo "[$(basename "$0" .sh)] $*" >&2; }
die() { log "$*"; exit 1; }

# True when this machine can execute 32-bit x86 code, which 32-bit Wine needs.
can_run_win32() { "$root/tests/wine-run.sh" --can-run-win32; }

# Prints the build tree whose programs can run here under Wine.
runnable_build_dir() {
  if can_run_win32; then
    echo "$build"
  elif [ -f "$build_x64/CMakeCache.txt" ]; then
    echo "$build_x64"
  else
    die "this machine cannot execute 32-bit x86 code and there is no x86_64 build in $build_x64"
  fi
}

# run_target_bench NAME [ARGS...]: builds the benchmark tools/NAME.exe in
# the runnable build tree and runs it under Wine with ARGS.  Its status 0
# (every target holds) returns; 1 (a target missed) exits 1; anything else
# (it could not measure) exits 2.
run_target_bench() {
  local name=$1 dir status=0
  shift
  dir=$(runnable_build_dir)
  make -C "$dir" --no-print-directory "$name" >/dev/null || die "cannot build $name in $dir"
  OMMAVU_BUILD_DIR=$dir "$root/tests/wine-run.sh" "$dir/tools/$name.exe" "$@" | tr -d '\r' || status=$?
  case $status in
    0) ;;
    1) log "some targets were missed"; exit 1 ;;
    *) log "$name.exe failed (status $status)"; exit 2 ;;
  esac
}
