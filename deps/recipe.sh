# The build steps of deps/build-deps.sh, sourced by it with $work, $prefix,
# $host, $toolchain, $root, $jobs and the source versions in ${ver[...]} set.
# The cache key is a hash of this file: change it and everything rebuilds.

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

