#!/usr/bin/env bash
# Runs a test program in a Wine prefix that nothing has touched: a template
# prefix is made once per build tree (by tests/wine-run.sh's own recipe) and
# copied afresh before every run.
#   fresh-prefix.sh BUILD_DIR PROGRAM.exe [ARGS...]
set -euo pipefail
build=$1; shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
run="$here/../wine-run.sh"
journey="$build/setup-journey"
template="$journey/template"
fresh="$journey/run"

if [ ! -f "$template/wineprefix/.ommavu-ready" ] && [ ! -f "$template/wineprefix64/.ommavu-ready" ]; then
  mkdir -p "$template"
  OMMAVU_BUILD_DIR="$template" "$run" "$1" --gtest_list_tests >/dev/null
fi
# The template's wineserver must be gone before its files are copied.
for p in "$template"/wineprefix*; do WINEPREFIX=$p wineserver -k 2>/dev/null || true; done
for p in "$fresh"/wineprefix*; do [ -d "$p" ] && { WINEPREFIX=$p wineserver -k 2>/dev/null || true; }; done
rm -rf "$fresh"
mkdir -p "$fresh"
cp -a "$template"/wineprefix* "$fresh"/
# Shortcuts in the Start menu must not become menu entries of the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The test finds the build's deliverables through this.
export OMMAVU_SETUP_BUILD=$(echo "Z:$build" | tr / '\\')
status=0
OMMAVU_BUILD_DIR="$fresh" "$run" "$@" || status=$?
for p in "$fresh"/wineprefix*; do WINEPREFIX=$p wineserver -k 2>/dev/null || true; done
# A passing run's copy is only disk space; a failing one stays to be looked at.
if [ "$status" = 0 ]; then rm -rf "$fresh"; fi
exit $status
