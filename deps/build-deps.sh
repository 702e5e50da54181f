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
  i686) host=i686-w64-mingw32; toolchain=$root/cmake/mingw-i686.cmake; gxx_package=g++-mingw-w64-i686-posix; zlib_package=libz-mingw-w64-dev ;;
  x86_64) host=x86_64-w64-mingw32; toolchain=$root/cmake/mingw-x86_64.cmake; gxx_package=g++-mingw-w64-x86-64-posix; zlib_package=libz-mingw-w64-dev ;;
  *) echo "unknown OMMAVU_TARGET $target" >&2; exit 1 ;;
esac
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
    log "fetching $p $v"
    if (cd "$dl" && apt-get source --download-only -qq "$p=$v" >/dev/null 2>&1); then
      ver[$p]=$uv; break
    fi
    log "$p $v did not download; trying an older version"
  done
  [ -n "${ver[$p]:-}" ] || { log "no downloadable source for $p"; exit 1; }
done

key=$( { echo "target $target"
         for p in "${packages[@]}"; do echo "$p ${ver[$p]}"; done
         dpkg-query -W -f='${Version}\n' "$zlib_package" "$gxx_package"
         cat "$0" "$toolchain" "$here"/patches/*; } | sha256sum | cut -c1-16)
prefix="$cache/$key"
if [ -f "$prefix/.complete" ]; then echo "$prefix"; exit 0; fi

log "building into $prefix"
rm -rf "$prefix" "$cache/work-$key"
work="$cache/work-$key"
mkdir -p "$prefix"/{include,lib/pkgconfig} "$work"
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
export PKG_CONFIG_PATH=
CC="$host-gcc-posix"; AR="$host-ar"; RANLIB="$host-ranlib"
common_cflags="-O2 -g0"

unpack() { # package → source directory
  local p=$1 d="$work/$1"
  dpkg-source --no-check -x "$dl/${p}_${ver[$p]}.dsc" "$d" >/dev/null
  echo "$d"
}

# zlib comes prebuilt for MinGW from Debian (libz-mingw-w64-dev); describe it
# to pkg-config so that every configure below finds the same copy.
cat > "$prefix/lib/pkgconfig/zlib.pc" <<EOF
prefix=/usr/$host
libdir=\${prefix}/lib
includedir=\${prefix}/include
Name: zlib
Description: zlib compression library
Version: 1.2.13
Libs: -L\${libdir} -lz
Cflags: -I\${includedir}
EOF

log "bzip2 ${ver[bzip2]}"
d=$(unpack bzip2)
# Debian's bzlib.h declares WINAPI entry points on Windows; the static library
# uses plain C calls so that configure scripts' link tests find it.
sed -i 's|^#ifdef _WIN32$|#if 0 /* plain C calls in the static library */|' "$d/bzlib.h"
(cd "$d" && for f in blocksort huffman crctable randtable compress decompress bzlib; do
   $CC $common_cflags -D_FILE_OFFSET_BITS=64 -c $f.c -o $f.o; done
 $AR rcs "$prefix/lib/libbz2.a" *.o && cp bzlib.h "$prefix/include/")

log "jbigkit ${ver[jbigkit]}"
d=$(unpack jbigkit)
(cd "$d/libjbig" && $CC $common_cflags -c jbig.c jbig_ar.c \
 && $AR rcs "$prefix/lib/libjbig.a" jbig.o jbig_ar.o && cp jbig.h jbig_ar.h "$prefix/include/")

log "libjpeg-turbo ${ver[libjpeg-turbo]}"
d=$(unpack libjpeg-turbo)
cmake -S "$d" -B "$d/build" -G "Unix Makefiles" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF \
  -DWITH_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm -DREQUIRE_SIMD=ON >/dev/null
make -C "$d/build" -j"$jobs" jpeg-static >/dev/null
make -C "$d/build" install >/dev/null 2>&1 || {
  # install also wants the command-line tools; copy what the project needs
  cp "$d/build/libjpeg.a" "$prefix/lib/"
  cp "$d"/{jpeglib.h,jmorecfg.h,jerror.h} "$d/build/jconfig.h" "$prefix/include/"; }

log "libpng ${ver[libpng1.6]}"
d=$(unpack libpng1.6)
(cd "$d" && ./configure --host=$host --prefix="$prefix" --disable-shared --enable-static \
   CC=$CC CFLAGS="$common_cflags" CPPFLAGS="-I$prefix/include" >/dev/null \
 && make -j"$jobs" libpng16.la >/dev/null && make install-libLTLIBRARIES install-nodist_pkgincludeHEADERS \
   install-pkgincludeHEADERS install-pkgconfigDATA install-header-links install-library-links >/dev/null 2>&1 \
 || make install >/dev/null 2>&1 || true)
[ -f "$prefix/lib/libpng16.a" ] || { log "libpng did not build"; exit 1; }
[ -f "$prefix/lib/libpng.a" ] || ln -sf libpng16.a "$prefix/lib/libpng.a"
[ -f "$prefix/lib/pkgconfig/libpng.pc" ] || ln -sf libpng16.pc "$prefix/lib/pkgconfig/libpng.pc"

log "tiff ${ver[tiff]}"
d=$(unpack tiff)
cmake -S "$d" -B "$d/build" -G "Unix Makefiles" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
  -DBUILD_SHARED_LIBS=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF \
  -Dcxx=OFF -Djpeg=ON -Djbig=ON -Dzlib=ON -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Dlerc=OFF \
  -Dlibdeflate=OFF -Dpixarlog=ON -Dold-jpeg=ON \
  -DJPEG_INCLUDE_DIR="$prefix/include" -DJPEG_LIBRARY="$prefix/lib/libjpeg.a" \
  -DJBIG_INCLUDE_DIR="$prefix/include" -DJBIG_LIBRARY="$prefix/lib/libjbig.a" > "$work/tiff-cmake.log" 2>&1 \
  || { tail -30 "$work/tiff-cmake.log"; exit 1; }
grep -iE 'jpeg|jbig|zlib' "$work/tiff-cmake.log" | grep -i support >&2 || true
make -C "$d/build" -j"$jobs" tiff >/dev/null && make -C "$d/build/libtiff" install >/dev/null
[ -f "$prefix/lib/libtiff.a" ] || { log "libtiff did not build"; exit 1; }

log "imagemagick ${ver[imagemagick]}"
d=$(unpack imagemagick)
for p in "$here"/patches/imagemagick-*.patch; do
  [ -f "$p" ] && patch -d "$d" -p1 -s < "$p"
done
# No distributed pixel cache: its socket code is written for POSIX hosts
# (configure finds the Windows socket library in 64-bit builds).
(cd "$d" && ./configure --host=$host --prefix="$prefix" \
   --disable-shared --enable-static --without-modules --disable-openmp --without-x \
   --with-quantum-depth=8 --disable-hdri --disable-docs --disable-deprecated \
   --without-magick-plus-plus --without-perl --without-utilities \
   --with-bzlib --with-jbig --with-jpeg --with-png --with-tiff --with-zlib \
   --without-lzma --without-zstd --without-webp --without-openjp2 --without-lcms \
   --without-freetype --without-fontconfig --without-xml --without-wmf \
   --without-djvu --without-fftw --without-fpx --without-gvc --without-heic \
   --without-jxl --without-lqr --without-openexr --without-pango --without-raw \
   --without-rsvg --without-dps --without-flif --without-gslib --without-raqm \
   --without-autotrace --without-dmr \
   ac_cv_func_socket=no \
   CC=$CC CXX="$host-g++-posix" CFLAGS="$common_cflags" \
   CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" \
   LIBS="-ljbig -ljpeg -lbz2 -lz -lws2_32" > "$work/im-configure.log" 2>&1) \
  || { tail -30 "$work/im-configure.log"; exit 1; }
grep -E '^ *(JPEG|PNG|TIFF|ZLIB|BZLIB|JBIG) ' "$work/im-configure.log" >&2 || true
make -C "$d" -j"$jobs" magick/libMagickCore-6.Q8.la > "$work/im-make.log" 2>&1 \
  || { tail -40 "$work/im-make.log"; exit 1; }
cp "$d/magick/.libs/libMagickCore-6.Q8.a" "$prefix/lib/"
mkdir -p "$prefix/include/ImageMagick-6/magick"
cp "$d"/magick/*.h "$prefix/include/ImageMagick-6/magick/"

rm -rf "$work"
touch "$prefix/.complete"
log "done"
echo "$prefix"
