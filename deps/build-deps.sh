#!/usr/bin/env bash
# Cross-builds the imaging dependencies for 32-bit Windows from Debian's own
# source packages (with Debian's patches applied) and installs them into a
# cache folder outside the clone.  The folder's name is a hash of the source
# versions and of this recipe, so a second clone or CI run on the same machine
# reuses a finished build, and any change of version or recipe builds anew.
#
#   deps/build-deps.sh            build if needed; print the prefix
#   OMMAVU_DEPS_CACHE=/some/dir   where the builds are kept
#   OMMAVU_TARGET=x86_64          the 64-bit twin used for tests on machines
#                                 that cannot execute 32-bit code (default i686)
#
# Needs root only the first time, to add the deb-src entries.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
cache=${OMMAVU_DEPS_CACHE:-/var/cache/ommavu-deps}
target=${OMMAVU_TARGET:-i686}
case $target in
  i686) host=i686-w64-mingw32; toolchain=$root/cmake/mingw-i686.cmake; gxx_package=g++-mingw-w64-i686-posix ;;
  x86_64) host=x86_64-w64-mingw32; toolchain=$root/cmake/mingw-x86_64.cmake; gxx_package=g++-mingw-w64-x86-64-posix ;;
  *) echo "unknown OMMAVU_TARGET $target" >&2; exit 1 ;;
esac
zlib_package=libz-mingw-w64-dev  # one package serves both targets
# Answers for the configure scripts that differ per target.
site=
if [ -f "$here/config-$target.site" ]; then site=$here/config-$target.site; export CONFIG_SITE=$site; fi
jobs=$(( $(nproc) + 1 ))
packages=(bzip2 jbigkit libjpeg-turbo libpng1.6 tiff imagemagick)

log() { echo "[deps] $*" >&2; }

enable_deb_src() {
  local list=/etc/apt/sources.list.d/ommavu-src.sources
  if [ -n "$(apt-cache showsrc imagemagick 2>/dev/null | grep '^Version:')" ]; then return; fi
  log "enabling deb-src entries for the configured suites"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -n '/^Types:/,/^$/p' /etc/apt/sources.list.d/debian.sources \
      | sed 's/^Types:.*/Types: deb-src/' > "$list"
  fi
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' \
      > /etc/apt/sources.list.d/ommavu-src.list || true
  fi
  apt-get update -qq
}

# Newest source version of a package, as apt lists them.
versions_of() {
  apt-cache showsrc "$1" | awk '/^Version:/ {print $2}' | sort -Vr | uniq
}

mkdir -p "$cache"
# One build at a time per cache: a second caller waits, then finds it done.
exec 9>"$cache/.lock"
flock 9

enable_deb_src

# Download each package's newest version whose files really download (the
# security pocket sometimes lists a version whose files are gone).
dl="$cache/sources"
mkdir -p "$dl"
declare -A ver
for p in "${packages[@]}"; do
  for v in $(versions_of "$p"); do
    uv=${v#*:}
    if ls "$dl/${p}_${uv}.dsc" >/dev/null 2>&1; then ver[$p]=$uv; break; fi
    if grep -qxF "$p $v" "$dl/.unavailable" 2>/dev/null; then continue; fi
    log "fetching $p $v"
    if (cd "$dl" && apt-get source --download-only -qq "$p=$v" >/dev/null 2>&1); then
      ver[$p]=$uv; break
    fi
    log "$p $v did not download; trying an older version"
    echo "$p $v" >> "$dl/.unavailable"
  done
  [ -n "${ver[$p]:-}" ] || { log "no downloadable source for $p"; exit 1; }
done

key=$( { echo "target $target"
         for p in "${packages[@]}"; do echo "$p ${ver[$p]}"; done
         dpkg-query -W -f='${Version}\n' "$zlib_package" "$gxx_package"
         cat "$here/recipe.sh" "$toolchain" "$here"/patches/* $site; } | sha256sum | cut -c1-16)
prefix="$cache/$key"
if [ -f "$prefix/.complete" ]; then echo "$prefix"; exit 0; fi

log "building into $prefix"
rm -rf "$prefix" "$cache/work-$key"
work="$cache/work-$key"
mkdir -p "$prefix"/{include,lib/pkgconfig} "$work"
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
export PKG_CONFIG_PATH=
# The build steps live in recipe.sh, which the cache key hashes: editing how
# sources are found does not rebuild anything, editing how they build does.
source "$here/recipe.sh"

rm -rf "$work"
touch "$prefix/.complete"
log "done"
echo "$prefix"
