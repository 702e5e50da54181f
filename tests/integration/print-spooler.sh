#!/usr/bin/env bash
# A private print spooler for the printing tests: a cupsd of its own (as
# root, on a socket in the build tree, so that no system service is needed
# or touched) with two PDF printers: "OmmavuPDF" on A4 and "OmmavuWide" on a
# page wider than tall.  The programs under test reach it through
# CUPS_SERVER; the PDFs land in the folder cups-pdf is configured with, which
# `start` writes into DIR/out-dir for the tests to read.
#
#   print-spooler.sh start DIR   start cupsd (once) and add the printers
#   print-spooler.sh stop DIR    stop the cupsd that start started
set -euo pipefail

action=${1:?start or stop}
dir=${2:?spooler folder}
log() { echo "[print-spooler] $*" >&2; }

stop() {
  if [ -f "$dir/cupsd.pid" ]; then
    local pid
    pid=$(cat "$dir/cupsd.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    rm -f "$dir/cupsd.pid"
  fi
}

if [ "$action" = stop ]; then stop; exit 0; fi
[ "$action" = start ] || { log "unknown action $action"; exit 2; }

for tool in cupsd lpadmin pdftoppm; do
  command -v "$tool" >/dev/null || { log "$tool is missing: run scripts/setup.sh"; exit 1; }
done
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[ -f "$ppd" ] && [ -x /usr/lib/cups/backend/cups-pdf ] || { log "the CUPS-PDF driver is missing: run scripts/setup.sh"; exit 1; }
[ "$(id -u)" = 0 ] || { log "cupsd and the cups-pdf backend need root"; exit 1; }

stop
rm -rf "$dir"
mkdir -p "$dir"/{conf,spool,tmp,cache,state,log}
chmod 755 "$dir" "$dir"/*
socket=$dir/cups.sock
cat >"$dir/conf/cupsd.conf" <<CONF
Listen $socket
LogLevel info
WebInterface No
Browsing No
DefaultAuthType None
Printcap $dir/printcap
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat >"$dir/conf/cups-files.conf" <<CONF
ServerRoot $dir/conf
RequestRoot $dir/spool
TempDir $dir/tmp
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
SystemGroup root
CONF

cupsd -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" </dev/null >"$dir/log/cupsd.out" 2>&1 &
echo $! >"$dir/cupsd.pid"
for _ in $(seq 100); do [ -S "$socket" ] && break; sleep 0.1; done
[ -S "$socket" ] || { log "cupsd did not start: $(cat "$dir/log/cupsd.out")"; exit 1; }

# A4 portrait, and the same driver with the A4 sheet turned on its side.
sed -e 's/595 842/842 595/g' "$ppd" >"$dir/wide.ppd"
export CUPS_SERVER=$socket
lpadmin -p OmmavuPDF -E -v cups-pdf:/ -P "$ppd" 2>/dev/null
lpadmin -p OmmavuWide -E -v cups-pdf:/ -P "$dir/wide.ppd" 2>/dev/null
lpadmin -d OmmavuPDF

# cups-pdf writes to the "Out" folder of its configuration, with ${HOME}
# standing for the home of the user who printed (this one).
home=$(getent passwd "$(id -un)" | cut -d: -f6)
out=$(sed -n 's/^Out[[:space:]]\+//p' /etc/cups/cups-pdf.conf | tail -1)
out=${out:-'${HOME}/PDF'}
out=${out//'${HOME}'/$home}
mkdir -p "$out"
echo "$out" >"$dir/out-dir"
log "cupsd on $socket, PDFs in $out"
