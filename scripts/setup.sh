#!/usr/bin/env bash
# Brings a Debian 12 machine to a built Ommavu: installs what is missing (as
# root), cross-builds the imaging dependencies (cached outside the clone),
# configures build/ and builds it.  Safe to run again; quick when everything
# is in place.
#
# It also builds the suite's x86_64 twin in build-x64/ on every machine.  A
# machine whose kernel cannot execute 32-bit x86 code (so 32-bit Wine cannot
# run) runs the tests and the viewer in the twin under 64-bit Wine.
set -euo pipefail
source "$(dirname "$0")/common.sh"

packages=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev
  libz-mingw-w64-dev wine wine32:i386 wine64 fonts-wine fonts-wqy-microhei xvfb xauth x11-utils imagemagick googletest
  libjpeg-turbo-progs libvips-tools mate-backgrounds dpkg-dev pkg-config nasm cmake make patch xz-utils
  ca-certificates
  # Printing tests: a CUPS spooler of their own with PDF printers, 32-bit
  # Wine's way to it, and pdftoppm to look at the pages.
  cups printer-driver-cups-pdf poppler-utils libcups2:i386
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null || true)
  [ "${status:0:2}" = ii ] || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ] || ! dpkg --print-foreign-architectures | grep -qx i386; then
  [ "$(id -u)" = 0 ] || die "packages are missing (${missing[*]}); run as root: sudo $0"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    log "adding the i386 architecture"
    dpkg --add-architecture i386
  fi
  log "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

log "imaging dependencies"
deps=$("$root/deps/build-deps.sh")
[ -f "$deps/.complete" ] || die "deps/build-deps.sh printed no finished prefix"

configure_and_build() { # build dir, toolchain file, deps prefix
  cmake -S "$root" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$root/$2" \
    -DOMMAVU_DEPS_PREFIX="$3" -DCMAKE_BUILD_TYPE=Release >"$1/configure.log" 2>&1 \
    || { tail -30 "$1/configure.log" >&2; die "configuring $1 failed (log: $1/configure.log)"; }
  make -C "$1" -j"$(nproc)" --no-print-directory
}

log "building $build"
mkdir -p "$build"
configure_and_build "$build" cmake/mingw-i686.cmake "$deps"

# The x86_64 twin is built on every machine, so that neither build can rot
# unseen: the tests run in whichever of the two this machine can execute.
log "building the x86_64 twin in $build_x64"
deps64=$(OMMAVU_TARGET=x86_64 "$root/deps/build-deps.sh")
[ "$deps64" != "$deps" ] || die "deps/build-deps.sh does not build for x86_64 (OMMAVU_TARGET)"
[ -f "$deps64/.complete" ] || die "deps/build-deps.sh printed no finished x86_64 prefix"
mkdir -p "$build_x64"
configure_and_build "$build_x64" cmake/mingw-x86_64.cmake "$deps64"
log "done"
