#!/usr/bin/env bash
# Checks the shipped 32-bit deliverables without running them: each is an
# i386 PE file, needs no MinGW runtime DLL, and Lorimel.dll exports its 28
# operations by ordinal only.
#   check-deliverables.sh BIN_DIR
set -euo pipefail
bin=$1
objdump=i686-w64-mingw32-objdump
fail=0
bad() { echo "FAIL: $*"; fail=1; }

for f in Tavirsel.exe Lorimel.dll Corvane.dll Kivaro.dll SHOW936.DLL setup.exe REMOVE32.EXE; do
  [ -f "$bin/$f" ] || { bad "$bin/$f is missing"; continue; }
  head=$($objdump -f "$bin/$f")
  grep -q 'file format pei-i386' <<<"$head" || bad "$f is not a 32-bit Windows file"
  imports=$($objdump -p "$bin/$f" | awk '/DLL Name:/ {print $3}')
  if grep -qiE 'libgcc|libstdc|libwinpthread' <<<"$imports"; then
    bad "$f needs a MinGW runtime DLL: $(tr '\n' ' ' <<<"$imports")"
  fi
done

exports=$($objdump -p "$bin/Lorimel.dll")
hex_after() { grep -m1 -E "$1[[:space:]]+[0-9a-f]+$" <<<"$exports" | awk '{print $NF}'; }
functions=$(( 16#$(hex_after 'Export Address Table') ))
names=$(( 16#$(hex_after '\[Name Pointer/Ordinal\] Table') ))
[ "$functions" = 28 ] || bad "Lorimel.dll exports $functions functions, not 28"
[ "$names" = 0 ] || bad "Lorimel.dll exports $names names; it must export by ordinal only"
grep -q 'DLL Name: Corvane.dll' <<<"$exports" || bad "Lorimel.dll does not link Corvane.dll"

# Kivaro.dll: the two COM entry points by name at ordinals 1 and 2 (ole32
# looks them up by name), ordinal 3 without a name; the viewer imports
# ordinal 3.  It reads the cache itself and never links the picture library.
exports=$($objdump -p "$bin/Kivaro.dll")
grep -q 'Ordinal Base[[:space:]]*1' <<<"$exports" || bad "Kivaro.dll's exports do not start at ordinal 1"
[ $(( 16#$(hex_after 'Export Address Table') )) = 3 ] || bad "Kivaro.dll does not export exactly three ordinals"
[ $(( 16#$(hex_after '\[Name Pointer/Ordinal\] Table') )) = 2 ] || bad "Kivaro.dll does not export exactly two names"
kivaro_names=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && NF == 0 {on = 0} on {print $NF}' <<<"$exports" | sort | tr '\n' ' ')
[ "$kivaro_names" = "DllCanUnloadNow DllGetClassObject " ] || bad "Kivaro.dll exports '$kivaro_names'"
if grep -qiE 'Corvane|Lorimel' <<<"$(awk '/DLL Name:/ {print $3}' <<<"$exports")"; then
  bad "Kivaro.dll links the picture library"
fi
$objdump -p "$bin/Tavirsel.exe" | grep -A3 'DLL Name: Kivaro.dll' | grep -qE '^[[:space:]]+[0-9a-f]+[[:space:]]+0*3[[:space:]]+<none>' \
  || bad "Tavirsel.exe does not import Kivaro.dll's ordinal 3"

# The filter plug-ins: 32-bit libraries like the rest, each exporting exactly
# the two names of the plug-in contract.
for f in Blur.PLS Sharpen.PLS Noise.PLS Spread.PLS; do
  [ -f "$bin/$f" ] || { bad "$bin/$f is missing"; continue; }
  $objdump -f "$bin/$f" | grep -q 'file format pei-i386' || bad "$f is not a 32-bit Windows file"
  dump=$($objdump -p "$bin/$f")
  if awk '/DLL Name:/ {print $3}' <<<"$dump" | grep -qiE 'libgcc|libstdc|libwinpthread'; then
    bad "$f needs a MinGW runtime DLL"
  fi
  names=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | awk '/^\t\[/ {print $NF}' | sort | tr '\n' ' ')
  [ "$names" = "FreePicturePlugins InitPicturePlugins " ] || bad "$f exports '$names', not the two plug-in functions"
done

# The mapping filter plug-ins: 32-bit, no MinGW runtime DLL, and exactly the
# two plug-in exports by name.
for f in Swirl.PLS IMPLODE.PLS Undulo.PLS; do
  [ -f "$bin/$f" ] || { bad "$bin/$f is missing"; continue; }
  dump=$($objdump -p "$bin/$f")
  grep -q 'file format pei-i386' <<<"$($objdump -f "$bin/$f")" || bad "$f is not a 32-bit Windows file"
  if awk '/DLL Name:/ {print $3}' <<<"$dump" | grep -qiE 'libgcc|libstdc|libwinpthread'; then
    bad "$f needs a MinGW runtime DLL"
  fi
  names=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && NF == 0 {on = 0} on {print $NF}' <<<"$dump" | sort | tr '\n' ' ')
  [ "$names" = "FreePicturePlugins InitPicturePlugins " ] || bad "$f exports '$names', not the two plug-in functions"
done

[ $fail = 0 ] && echo "deliverables in $bin: ok"
exit $fail
