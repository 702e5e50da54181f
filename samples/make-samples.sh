#!/usr/bin/env bash
# Makes the bundled sample pictures from ImageMagick's built-in sources
# (gradients, patterns, the rose and logo images, drawings), so that the same
# files come out on every machine and nothing binary is kept in the clone.
# Each file is checked after it is written: BMP bit depths in the header,
# page and frame counts, sizes, transparency.
#
#   samples/make-samples.sh OUTDIR
#
# Uses the native /usr/bin/convert and /usr/bin/identify (Debian's
# imagemagick package).
set -euo pipefail

out=${1:?usage: make-samples.sh OUTDIR}
convert=${OMMAVU_CONVERT:-/usr/bin/convert}
identify=${OMMAVU_IDENTIFY:-/usr/bin/identify}
[ -x "$convert" ] && [ -x "$identify" ] || {
  echo "make-samples: needs ImageMagick ($convert, $identify); run scripts/setup.sh" >&2; exit 1; }

work=$(mktemp -d "${out%/}.tmp.XXXXXX")
trap 'rm -rf "$work"' EXIT

# No time stamps or other per-run data in the files.
plain=(-strip -define png:exclude-chunks=date,time +set date:create +set date:modify)

im() { "$convert" "$@"; }

# --- BMP at the four classic depths (version 3 headers) ---------------------
im -size 96x64 pattern:checkerboard -scale 200% -crop 96x64+0+0 +repage \
   -type bilevel -colors 2 "${plain[@]}" "BMP3:$work/bmp-1bit.bmp"
im -size 120x90 gradient:navy-gold -colors 16 -type palette -dither None \
   "${plain[@]}" "BMP3:$work/bmp-4bit.bmp"
im rose: -resize 140x92 -colors 256 -type palette -dither None \
   "${plain[@]}" "BMP3:$work/bmp-8bit.bmp"
im logo: -resize 160x120 -type truecolor "${plain[@]}" "BMP3:$work/bmp-24bit.bmp"

# --- A 640x480 baseline JPEG: a sky, hills, a sun and a row of posts --------
im -size 640x480 gradient:'#4a7cc9'-'#dcecff' \
   -fill '#f4c542' -draw 'circle 500,110 545,110' \
   -fill '#3f7d3a' -draw 'ellipse 160,520 380,200 180,360' \
   -fill '#2f6430' -draw 'ellipse 520,540 360,230 180,360' \
   -fill '#5b3b1e' -draw 'rectangle 60,330 72,420 rectangle 140,340 152,430 rectangle 220,350 232,440' \
   \( rose: -resize 120x80 \) -geometry +430+330 -composite \
   -interlace none -sampling-factor 2x2 -quality 85 "${plain[@]}" "JPEG:$work/photo.jpg"

# --- PNG with an alpha channel: overlapping translucent discs --------------
im -size 200x160 xc:none \
   -fill 'rgba(220,40,40,0.8)' -draw 'circle 75,65 75,15' \
   -fill 'rgba(40,160,60,0.6)' -draw 'circle 125,65 125,15' \
   -fill 'rgba(40,70,220,0.7)' -draw 'circle 100,105 100,55' \
   "${plain[@]}" "PNG32:$work/alpha.png"

# --- TIFF, single page and three pages of different colours ----------------
im rose: -resize 280x184 -compress lzw "${plain[@]}" "TIFF:$work/rose.tif"
im -size 160x120 xc:firebrick xc:seagreen xc:royalblue \
   -fill white -draw 'rectangle 20,20 60,100' -depth 8 -compress lzw "${plain[@]}" \
   "TIFF:$work/multipage.tif"

# --- Animated GIF: a ball crossing in four steps ---------------------------
frames=()
for x in 25 65 105 145; do
  frames+=(\( -size 170x60 xc:lightyellow -fill crimson -draw "circle $x,30 $((x + 18)),30" \))
done
im -delay 20 "${frames[@]}" -loop 0 "${plain[@]}" "GIF:$work/animated.gif"
# The same animation stored the way most GIFs are: after the first frame, only
# the rectangle that changed.
im "GIF:$work/animated.gif" -layers OptimizeFrame "${plain[@]}" "GIF:$work/animated-parts.gif"

# --- Icon with two sizes ----------------------------------------------------
im \( rose: -resize 32x32! \) \( rose: -resize 16x16! \) "${plain[@]}" "ICO:$work/icon.ico"

# --- Checks -----------------------------------------------------------------
fail() { echo "make-samples: $*" >&2; exit 1; }

bmp_bits() { od -An -t u2 -j 28 -N 2 "$1" | tr -d ' '; }
for pair in 1bit:1 4bit:4 8bit:8 24bit:24; do
  f="$work/bmp-${pair%%:*}.bmp"
  [ "$(bmp_bits "$f")" = "${pair##*:}" ] || fail "$f has $(bmp_bits "$f") bits per pixel"
  # A version 3 header is 40 bytes long.
  [ "$(od -An -t u4 -j 14 -N 4 "$f" | tr -d ' ')" = 40 ] || fail "$f is not a version 3 BMP"
done

frames_of() { "$identify" "$1" | wc -l; }
[ "$(frames_of "$work/multipage.tif")" = 3 ] || fail "the TIFF does not have 3 pages"
[ "$(frames_of "$work/animated.gif")" = 4 ] || fail "the GIF does not have 4 frames"
[ "$("$identify" -format '%T ' "$work/animated.gif")" = "20 20 20 20 " ] \
  || fail "the GIF frames lack their delays"
[ "$(frames_of "$work/animated-parts.gif")" = 4 ] || fail "the partial GIF does not have 4 frames"
[ "$("$identify" -format '%w ' "$work/animated-parts.gif" | cut -d' ' -f2)" -lt 170 ] \
  || fail "the partial GIF's second frame covers the whole canvas"
[ "$("$identify" -format '%wx%h ' "$work/icon.ico")" = "32x32 16x16 " ] \
  || fail "the icon does not hold 32x32 and 16x16"
[ "$("$identify" -format '%wx%h %[interlace]' "$work/photo.jpg")" = "640x480 None" ] \
  || fail "the JPEG is not a 640x480 baseline picture"
[ "$("$identify" -format '%A' "$work/alpha.png")" != Undefined ] \
  || fail "the PNG has no alpha channel"
# The page colours differ: the mean red of page 1 beats that of pages 2 and 3.
reds=$("$identify" -format '%[fx:int(100*mean.r)] ' "$work/multipage.tif")
set -- $reds
[ "$1" -gt "$2" ] && [ "$1" -gt "$3" ] && [ "$2" != "$3" ] || fail "TIFF pages look alike: $reds"

mkdir -p "$out"
# Replace the folder's files in one go, keeping any the user added.
for f in "$work"/*; do mv -f "$f" "$out/"; done
echo "make-samples: $(ls "$out" | wc -l) files in $out"
